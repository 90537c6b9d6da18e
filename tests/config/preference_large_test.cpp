// Files far larger than anyone writes by hand: a preset group of many keys loads and saves in
// one pass, with the first-match and order rules of small files.

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>

#include "config/wheel_config_file.h"
#include "test_files.h"

namespace vm {
namespace {

// Ends the whole run when the work has not finished in a time many times what a linear pass
// takes: a lookup that scans its group again runs for many minutes here instead.
class Watchdog {
 public:
  explicit Watchdog(std::chrono::seconds limit)
      : thread_([this, limit] {
          std::unique_lock lock(mutex_);
          if (!done_.wait_for(lock, limit, [this] { return finished_; })) {
            std::fprintf(stderr, "still running after %lld s: reading or writing is not linear\n",
                         static_cast<long long>(limit.count()));
            std::abort();
          }
        }) {}
  ~Watchdog() {
    {
      std::lock_guard lock(mutex_);
      finished_ = true;
    }
    done_.notify_all();
    thread_.join();
  }

 private:
  std::mutex mutex_;
  std::condition_variable done_;
  bool finished_ = false;
  std::thread thread_;
};

TEST(PreferenceLargeFile, ManyPresetKeysLoadAndSaveInOnePass) {
  constexpr int kKeys = 200000;
  std::string header = "[General]\r\nType = big\r\nAvailableTeeth = 46\r\nMissingTeeth = 2\r\nWheelAt = camshaft\r\n\r\n[RPM]\r\n";
  std::string presets;
  for (int i = 1; i <= kKeys; ++i) presets += std::to_string(i) + " = " + std::to_string(2 * i) + "\r\n";
  testing::ScratchDir dir;
  testing::WriteBytes(dir.Path("big.cfg"), header + presets + "1 = 7\r\n");  // a repeated name
  Watchdog watchdog(std::chrono::seconds(120));
  WheelConfig config;
  LoadWheelConfig(dir.Path("big.cfg"), config);
  ASSERT_EQ(config.RpmPresets.size(), static_cast<size_t>(kKeys) + 1);
  EXPECT_EQ(config.RpmPresets.front(), 2);
  EXPECT_EQ(config.RpmPresets[kKeys - 1], 2 * kKeys);
  EXPECT_EQ(config.RpmPresets.back(), 2);  // the repeated name reads the first one's value
  config.RpmPresets.pop_back();
  SaveWheelConfig(dir.Path("saved.cfg"), config, PresetTexts(config));
  EXPECT_TRUE(testing::ReadBytes(dir.Path("saved.cfg")) == header + presets);
}

}  // namespace
}  // namespace vm
