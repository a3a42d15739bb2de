#include "ui/picture_format.h"

#include <cstdint>
#include <cstring>

#include "ui/pcx.h"

namespace torvane {
namespace {

bool StartsWith(const Bytes& data, const char* prefix, size_t size) {
  return data.size() >= size && std::memcmp(data.data(), prefix, size) == 0;
}

// An icon or cursor directory: two zero bytes, the type, and at least one image.
bool IconDirectory(const Bytes& data, std::uint8_t type) {
  return data.size() >= 6 && data[0] == 0 && data[1] == 0 && data[2] == type && data[3] == 0 &&
         (data[4] | data[5]) != 0;
}

}  // namespace

PictureFormat DetectPictureFormat(const Bytes& data) {
  if (StartsWith(data, "BM", 2)) return PictureFormat::kBmp;
  if (StartsWith(data, "\xFF\xD8\xFF", 3)) return PictureFormat::kJpeg;
  if (StartsWith(data, "\x89PNG\r\n\x1A\n", 8)) return PictureFormat::kPng;
  if (StartsWith(data, "GIF87a", 6) || StartsWith(data, "GIF89a", 6)) return PictureFormat::kGif;
  if (IconDirectory(data, 1)) return PictureFormat::kIcon;
  if (IconDirectory(data, 2)) return PictureFormat::kCursor;
  if (LooksLikePcx(data)) return PictureFormat::kPcx;
  return PictureFormat::kNone;
}

}  // namespace torvane
