// Long work off the window thread, while the windows go on painting and answering the system.
#pragma once

#include <functional>

namespace verrimo {

// Runs work on a thread of its own and turns the event loop until it has ended; rethrows what
// it threw. Should the event loop be told to end first (the program is closing), stop is called
// and the work awaited.
void runOffWindowThread(const std::function<void()>& work, const std::function<void()>& stop);

}  // namespace verrimo
