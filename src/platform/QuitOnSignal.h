#pragma once
// Ends the event loop the normal way on SIGTERM, SIGINT or SIGHUP (a session
// logging out, Ctrl+C in a terminal), so that the main window closes and the
// settings are written exactly as on File > Exit instead of being lost.

namespace velmio {

// Call once from main(), after the application object exists. UI thread.
void QuitApplicationOnSignals();

}  // namespace velmio
