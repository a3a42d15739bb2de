#pragma once

// The pictures of the image list that the main window's toolbar and schema tree share.

#include <QList>
#include <QPixmap>

namespace torvane::forms {

// Image indexes that the program uses by number.
inline constexpr int kDocumentImage = 0;    // a document page
inline constexpr int kOpenFolderImage = 1;  // an opening folder with a curved arrow
inline constexpr int kTableImage = 18;      // a table grid with a blue header row
inline constexpr int kWindowsImage = 88;    // two overlapping windows

// All kImageCount pictures, kImageWidth x kImageHeight pixels with a transparent background. The
// images without a fixed use are small distinct glyphs, so a wrong index is visible.
QList<QPixmap> PaintImages();

}  // namespace torvane::forms
