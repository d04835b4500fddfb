// The road: one cookie jar, in memory only, shared by every load, send and run until the user
// starts a new one.
#pragma once

namespace verrimo {

// Forgets every cookie that the sites of the road have set. Nothing was ever written to a file.
void startNewRoad();

}  // namespace verrimo
