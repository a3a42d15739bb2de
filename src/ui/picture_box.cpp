// PictureBox: a QLabel that shows the picture held in its bytes, recognised by their leading bytes.
#include <cstring>

#include <QImage>
#include <QLabel>
#include <QPixmap>

#include "ui/controls.h"
#include "ui/pcx.h"
#include "ui/picture_format.h"
#include "ui/qt_support.h"

namespace torvane {
namespace {

QPixmap Decode(const Bytes& data, PictureFormat format) {
  QPixmap pixmap;
  const auto* bytes = data.data();
  const auto size = static_cast<uint>(data.size());
  switch (format) {
    case PictureFormat::kNone:
      break;
    case PictureFormat::kBmp:
      pixmap.loadFromData(bytes, size, "BMP");
      break;
    case PictureFormat::kJpeg:
      pixmap.loadFromData(bytes, size, "JPEG");
      break;
    case PictureFormat::kPng:
      pixmap.loadFromData(bytes, size, "PNG");
      break;
    case PictureFormat::kGif:
      pixmap.loadFromData(bytes, size, "GIF");
      break;
    case PictureFormat::kIcon:
      pixmap.loadFromData(bytes, size, "ICO");
      break;
    case PictureFormat::kCursor: {
      if (pixmap.loadFromData(bytes, size, "ICO")) break;
      // A cursor file is an icon file whose directory holds hot spots where an icon holds planes
      // and bit counts; read as an icon, its pictures are the same.
      Bytes as_icon = data;
      as_icon[2] = 1;
      pixmap.loadFromData(as_icon.data(), size, "ICO");
      break;
    }
    case PictureFormat::kPcx: {
      const std::optional<PcxImage> pcx = DecodePcx(data);
      if (!pcx) break;
      QImage image(pcx->width, pcx->height, QImage::Format_ARGB32);
      // A picture too big for the memory left gives a null image, which has no lines to fill.
      if (image.isNull()) break;
      for (int y = 0; y < pcx->height; ++y) {
        std::memcpy(image.scanLine(y), &pcx->pixels[static_cast<size_t>(y) * pcx->width],
                    static_cast<size_t>(pcx->width) * 4);
      }
      pixmap = QPixmap::fromImage(image);
      break;
    }
  }
  return pixmap;
}

}  // namespace

struct PictureBox::Impl {
  Bytes data;
  QPixmap picture;  // full size; null when nothing is shown
};

PictureBox::PictureBox(QWidget* label) : Control(label), impl_(std::make_unique<Impl>()) {
  auto* l = qobject_cast<QLabel*>(label);
  if (!l) return;
  l->setAlignment(Qt::AlignCenter);
  // Refit the picture when the box is resized (Place).
  auto* filter = new EventHook(
      [this, l](QObject*, QEvent* event) {
        if (event->type() == QEvent::Resize && !impl_->picture.isNull()) {
          const QSize room = l->contentsRect().size();
          const QPixmap& full = impl_->picture;
          l->setPixmap(full.width() > room.width() || full.height() > room.height()
                           ? full.scaled(room, Qt::KeepAspectRatio, Qt::SmoothTransformation)
                           : full);
        }
        return false;
      },
      hook());
  l->installEventFilter(filter);
}
PictureBox::~PictureBox() = default;

const Bytes& PictureBox::Picture() const { return impl_->data; }

void PictureBox::SetPicture(const Bytes& data) {
  impl_->data = data;
  impl_->picture = Decode(data, DetectPictureFormat(data));
  auto* l = qobject_cast<QLabel*>(widget());
  if (!l) return;
  if (impl_->picture.isNull()) {
    l->clear();
    return;
  }
  const QSize room = l->contentsRect().size();
  const QPixmap& full = impl_->picture;
  const bool too_big = full.width() > room.width() || full.height() > room.height();
  l->setPixmap(too_big && !room.isEmpty()
                   ? full.scaled(room, Qt::KeepAspectRatio, Qt::SmoothTransformation)
                   : full);
}

bool PictureBox::ShowsImage() const {
  auto* l = qobject_cast<QLabel*>(widget());
  return l && !impl_->picture.isNull() && !l->pixmap().isNull();
}

}  // namespace torvane
