// Feeds any bytes to the preference file reader as a file on the disk, then reads, enumerates
// and writes through every group. Checks that parsing what was written back gives the same
// entries again.

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "config/preference_file.h"
#include "config/preference_text.h"
#include "config/wheel_config_file.h"
#include "platform/atomic_file.h"

namespace {

std::string InputPath() {
  const char* dir = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
  return std::string(dir) + "/fuzz_preference_file-" + std::to_string(getpid()) + ".ini";
}

void WriteInput(const std::string& path, const uint8_t* data, size_t size) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) std::abort();
  if (size > 0 && std::fwrite(data, 1, size, f) != size) std::abort();
  std::fclose(f);
}

void ExerciseGroup(vm::PreferenceFile& file, std::string_view group) {
  file.SelectGroup(group);
  (void)file.ReadString("Type", "no name");
  (void)file.ReadInt("AvailableTeeth", 46);
  std::vector<std::string> names;
  if (file.ExamineKeys()) {
    while (file.NextKey()) names.push_back(file.KeyName());
  }
  for (const std::string& name : names) {
    (void)file.ReadString(name, "");
    (void)file.ReadInt(name, 0);
  }
  file.WriteString("Type", group);
  file.WriteInt("AvailableTeeth", static_cast<int32_t>(names.size()));
}

bool SameEntries(const std::vector<vm::PreferenceEntry>& a, const std::vector<vm::PreferenceEntry>& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (a[i].kind != b[i].kind || a[i].name != b[i].name || a[i].value != b[i].value) return false;
  }
  return true;
}

void CheckRoundTrip(std::string_view text) {
  const auto entries = vm::ParsePreferenceText(text);
  for (uint32_t options = 0; options < 4; ++options) {
    const std::string written = vm::RenderPreferenceText(entries, options, false);
    if (!SameEntries(vm::ParsePreferenceText(written), entries)) std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // Saves fail before touching the disk: writes and the text of Close still run.
  vm::SetSaveFaultForTesting(vm::SaveFault::CreateTemporary);
  static const std::string path = InputPath();
  WriteInput(path, data, size);
  const std::string_view text(reinterpret_cast<const char*>(data), size);

  vm::PreferenceFile file;
  if (!file.Open(path, vm::OptionBlankLineBeforeGroups)) std::abort();
  const size_t lineEnd = text.find_first_of("\r\n");
  for (std::string_view group : {std::string_view(), std::string_view("General"), std::string_view("RPM"),
                                 text.substr(0, lineEnd == std::string_view::npos ? text.size() : lineEnd)}) {
    ExerciseGroup(file, group);
  }
  static_cast<void>(file.Close());  // what it wrote is read back below either way

  vm::WheelConfig config;
  vm::LoadWheelConfig(path, config);
  if (config.WheelAt != vm::Camshaft && config.WheelAt != vm::Crankshaft) std::abort();
  (void)vm::Utf8ToLatin1(text);
  CheckRoundTrip(text);
  return 0;
}
