#pragma once

// Telling a picture's format by its leading bytes, before any decoder sees it. Qt-free.

#include <cstddef>

#include "base/bytes.h"

namespace torvane {

// Formats a picture box recognises by the leading bytes of its data.
enum class PictureFormat { kNone, kBmp, kJpeg, kPng, kGif, kIcon, kCursor, kPcx };

// The format the leading bytes of `data` mark; kNone when they mark none of the known ones.
PictureFormat DetectPictureFormat(const Bytes& data);

// How many leading bytes DetectPictureFormat looks at, at most (a PCX file's header).
inline constexpr std::size_t kPictureMarkBytes = 128;

}  // namespace torvane
