// The Qt libraries are not built for ThreadSanitizer: the lock inside
// QCoreApplication::postEvent (a futex) is invisible to it, so every event a runner posts
// looks like a race with the main thread's use of Qt's posted-event list. Only reports with
// the toolkit's PostEvent on one side are silenced; a runner touching widgets or any shared
// state of ours by another road is still reported.

extern "C" const char* __tsan_default_suppressions() { return "race:vm::Toolkit::PostEvent\n"; }
