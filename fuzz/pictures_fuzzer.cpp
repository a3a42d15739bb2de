// The picture sniffing (ui/picture_format.h) and the PCX decoder (ui/pcx.h), on any bytes: the
// decoder never reads outside its bytes (the sanitizers watch that) and gives either nothing or a
// whole picture of a size it allows, every pixel opaque; what it decodes is marked as PCX by its
// leading bytes, and nothing else is.

#include <cstdint>
#include <optional>

#include "base/bytes.h"
#include "fuzz_check.h"
#include "ui/pcx.h"
#include "ui/picture_format.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace torvane;
  const Bytes bytes(data, data + size);
  const PictureFormat format = DetectPictureFormat(bytes);
  const bool looks_like_pcx = LooksLikePcx(bytes);
  Require(!looks_like_pcx || (size >= 128 && data[0] == 0x0A), "a PCX header is 128 bytes");
  Require(format != PictureFormat::kPcx || looks_like_pcx, "only a PCX header is taken for PCX");

  const std::optional<PcxImage> image = DecodePcx(bytes);
  if (!image) return 0;
  Require(format == PictureFormat::kPcx, "a decoded PCX picture is marked as PCX");
  Require(
      image->width >= 1 && image->width <= 16384 && image->height >= 1 && image->height <= 16384,
      "a picture's sides are 1 to 16384 pixels");
  Require(image->pixels.size() == static_cast<std::size_t>(image->width) * image->height,
          "a picture holds width x height pixels");
  for (const std::uint32_t pixel : image->pixels) {
    Require((pixel >> 24) == 0xFF, "every pixel is opaque");
  }
  return 0;
}
