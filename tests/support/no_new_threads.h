#pragma once
// Makes every thread creation of the process fail while it lives: the default stack becomes
// larger than any system can map, so pthread_create (and std::thread) fails with EAGAIN.

#include <pthread.h>

#include <cstddef>

namespace vm::test {

class NoNewThreads {
 public:
  NoNewThreads() {
    pthread_getattr_default_np(&saved_);
    pthread_attr_t huge;
    pthread_attr_init(&huge);
    pthread_attr_setstacksize(&huge, size_t{1} << 46);
    ok_ = pthread_setattr_default_np(&huge) == 0;
    pthread_attr_destroy(&huge);
  }
  ~NoNewThreads() {
    pthread_setattr_default_np(&saved_);
    pthread_attr_destroy(&saved_);
  }
  NoNewThreads(const NoNewThreads&) = delete;
  NoNewThreads& operator=(const NoNewThreads&) = delete;
  bool ok() const { return ok_; }

 private:
  pthread_attr_t saved_;
  bool ok_ = false;
};

}  // namespace vm::test
