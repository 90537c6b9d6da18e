#pragma once
// While it lives, every thread creation of the process fails (EAGAIN): the default stack is
// made larger than any system can map.

#include <pthread.h>

namespace vm::test {

struct NoNewThreads {
  pthread_attr_t saved, huge;
  bool ok = pthread_getattr_default_np(&saved) == 0 && pthread_attr_init(&huge) == 0 &&
            pthread_attr_setstacksize(&huge, size_t{1} << 46) == 0 && pthread_setattr_default_np(&huge) == 0;
  ~NoNewThreads() { pthread_setattr_default_np(&saved); }
};

}  // namespace vm::test
