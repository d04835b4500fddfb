// The road: one cookie jar, in memory only, shared by every load, send and run until the user
// starts a new one.
#pragma once

#include <memory>

#include "fetch_options.h"

namespace verrimo {

// Forgets every cookie that the sites of the road have set. Nothing was ever written to a file.
void startNewRoad();

// An empty jar of its own, for a run that must start as the host does: with no cookie.
std::shared_ptr<CookieJar> newCookieJar();

}  // namespace verrimo
