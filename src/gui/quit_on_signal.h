// Ending the program the orderly way when the system asks it to (logging out, kill): the windows
// close and the run's private files are removed, as when the user closes the main window.
#pragma once

namespace verrimo {

// From now on SIGTERM, SIGHUP and SIGINT quit the application's event loop.
void quitOnTerminationSignals();

}  // namespace verrimo
