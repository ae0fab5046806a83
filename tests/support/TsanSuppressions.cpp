// Linked into every test of a ThreadSanitizer build. Qt, PulseAudio and
// FluidSynth's OpenMP runtime (libgomp) are not built with ThreadSanitizer:
// their thread pools, wait conditions and futex hand-overs are invisible to
// it, so it reports races among their own threads that are not there. Our
// own code stays fully instrumented and checked.
extern "C" const char* __tsan_default_suppressions() {
  return "race:libQt6Core.so\n"
         "race:libQt6Gui.so\n"
         "race:libQt6Widgets.so\n"
         "race:libQt6Multimedia.so\n"
         "race:libQt6DBus.so\n"
         "race:libpulse.so\n"
         "race:libpulsecommon\n"
         "race:libgomp.so\n"
         "called_from_lib:libQt6Core.so.6\n"
         "called_from_lib:libQt6Gui.so.6\n"
         "called_from_lib:libQt6Widgets.so.6\n"
         "called_from_lib:libQt6Multimedia.so.6\n"
         "called_from_lib:libpulse.so.0\n"
         // PulseAudio's recursive mutexes are created where ThreadSanitizer
         // cannot see their type, so a re-entry looks like a double lock.
         "mutex:libpulsecommon\n"
         "deadlock:libpulsecommon\n";
}
