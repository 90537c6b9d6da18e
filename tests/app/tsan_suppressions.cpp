// The Qt libraries are not built for ThreadSanitizer: the lock inside
// QCoreApplication::postEvent (a futex) is invisible to it, so an event a runner posts can
// look like a race with the main thread's own use of Qt's posted-event list. Only reports
// with the toolkit's PostEvent on one side are silenced; a race on any state of ours
// between the runner and the main thread is still reported.

extern "C" const char* __tsan_default_suppressions() { return "race:vm::Toolkit::PostEvent\n"; }
