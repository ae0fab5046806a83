#pragma once
// Ends the event loop the normal way on SIGTERM, SIGINT or SIGHUP (a session
// logging out, Ctrl+C in a terminal), so that the main window closes and the
// settings are written exactly as on File > Exit instead of being lost.
// Before the event loop runs there is nothing to save yet, and a start-up
// step that blocks (a file system that does not answer) must not keep the
// program alive: a signal then ends the process at once.

namespace velmio {

// Call first thing in main(), before anything that may block: until the event
// loop runs, SIGTERM, SIGINT and SIGHUP end the process with status 128 + the
// signal number.
void ExitOnSignalsDuringStartUp();

// Call once from main(), after the application object exists: from the moment
// its event loop runs, the signals end that loop the normal way. UI thread.
void QuitApplicationOnSignals();

}  // namespace velmio
