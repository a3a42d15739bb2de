#pragma once

// The Qt side of ImageList, for code inside ui/ only: building a list from pixmaps and reading
// them.

#include <QList>
#include <QPixmap>

#include "ui/controls.h"

namespace torvane {

struct ImageList::Data {
  QList<QPixmap> pixmaps;
  int width = 0;
  int height = 0;
};

// A list holding `pixmaps`; the size of the first one is the list's image size.
ImageList MakeImageList(const QList<QPixmap>& pixmaps);

// The pictures of `images` (empty for an empty list).
const QList<QPixmap>& ImageListPixmaps(const ImageList& images);

}  // namespace torvane
