#include "signal/wave_reader.h"

#include <cstring>

#include "signal/pcm16.h"

namespace vm {
namespace {

struct Chunk {
  std::span<const uint8_t> body;
  size_t next = 0;  // offset of the chunk after it
};

// The chunk with `id` at or after `offset`; nothing when the walk runs off the image or a
// chunk's size reaches past it (sizes are 64-bit here, so no offset can wrap).
std::optional<Chunk> FindChunk(std::span<const uint8_t> image, size_t offset, const char* id) {
  while (image.size() >= 8 && offset <= image.size() - 8) {
    const uint8_t* at = image.data() + offset;
    const uint64_t size = GetLe32(at + 4);
    if (size > image.size() - offset - 8) return std::nullopt;
    const size_t body = offset + 8;
    const size_t next = body + static_cast<size_t>(size);
    if (std::memcmp(at, id, 4) == 0) return Chunk{image.subspan(body, static_cast<size_t>(size)), next};
    offset = next;
  }
  return std::nullopt;
}

bool PlayableFormat(std::span<const uint8_t> fmt) {
  if (fmt.size() < 16) return false;
  const uint8_t* at = fmt.data();
  const uint32_t rate = GetLe32(at + 4);
  return GetLe16(at) == 1 && GetLe16(at + 2) == 2 && GetLe16(at + 12) == 4 && GetLe16(at + 14) == 16 && rate >= 1 &&
         rate <= static_cast<uint32_t>(kMaxPlaybackRate);
}

}  // namespace

std::optional<WaveFrames> ReadWaveImage(std::span<const uint8_t> image) {
  if (image.size() < 12 || std::memcmp(image.data(), "RIFF", 4) != 0) return std::nullopt;
  const auto fmt = FindChunk(image, 12, "fmt ");
  if (!fmt || !PlayableFormat(fmt->body)) return std::nullopt;
  const auto data = FindChunk(image, fmt->next, "data");
  if (!data || data->body.empty() || data->body.size() % 4 != 0) return std::nullopt;
  if (data->body.size() / 4 > kMaxSoundFrames) return std::nullopt;
  return WaveFrames{data->body, static_cast<int32_t>(GetLe32(fmt->body.data() + 4))};
}

}  // namespace vm
