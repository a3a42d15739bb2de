#pragma once

#include "base/bytes.h"

namespace torvane {

// The program's own icon as a Windows icon file: 1078 bytes holding two 16-colour images, 32x32
// and 16x16 pixels, showing a database drum. Written beside the program as "ZuveviRE.ico".
Bytes EmbeddedIcon();

}  // namespace torvane
