// PictureBox: a QLabel that shows the picture held in its bytes, recognised by their leading bytes.
#include <algorithm>
#include <cstring>
#include <utility>

#include <QBuffer>
#include <QByteArray>
#include <QGuiApplication>
#include <QImage>
#include <QImageReader>
#include <QLabel>
#include <QPixmap>
#include <QScreen>

#include "ui/controls.h"
#include "ui/pcx.h"
#include "ui/picture_format.h"
#include "ui/qt_support.h"

namespace torvane {
namespace {

// The largest picture kept: the screen's size (or a large screen's when there is none).
QSize LargestKept() {
  const QScreen* screen = QGuiApplication::primaryScreen();
  const QSize size = screen != nullptr ? screen->size() * screen->devicePixelRatio() : QSize();
  return size.isEmpty() ? QSize(3840, 2160) : size;
}

// `data` decoded as `format` by the toolkit; a picture larger than `largest` is decoded at the
// size that fits it (where the format allows, without ever holding the full size: JPEG).
QImage ReadImage(const Bytes& data, const char* format, QSize largest) {
  QByteArray raw = QByteArray::fromRawData(reinterpret_cast<const char*>(data.data()),
                                           static_cast<qsizetype>(data.size()));
  QBuffer buffer(&raw);
  buffer.open(QIODevice::ReadOnly);
  QImageReader reader(&buffer, format);
  const QSize size = reader.size();
  if (size.isValid() && (size.width() > largest.width() || size.height() > largest.height())) {
    reader.setScaledSize(size.scaled(largest, Qt::KeepAspectRatio));
  }
  // The toolkit refuses to decode a picture of more than 128 MB of pixels, which a stored picture
  // may well be (8192 x 8192 is 256 MB). Most formats decode at full size before they scale: a
  // picture up to kLargestDecodedMb is decoded, and only for as long as it is scaled down.
  constexpr int kLargestDecodedMb = 2048;
  const int limit = QImageReader::allocationLimit();
  QImageReader::setAllocationLimit(std::max(limit, kLargestDecodedMb));
  QImage image = reader.read();
  QImageReader::setAllocationLimit(limit);
  return image;
}

QPixmap Decode(const Bytes& data, PictureFormat format) {
  QPixmap pixmap;
  const QSize largest = LargestKept();
  switch (format) {
    case PictureFormat::kNone:
      break;
    case PictureFormat::kBmp:
      pixmap = QPixmap::fromImage(ReadImage(data, "BMP", largest));
      break;
    case PictureFormat::kJpeg:
      pixmap = QPixmap::fromImage(ReadImage(data, "JPEG", largest));
      break;
    case PictureFormat::kPng:
      pixmap = QPixmap::fromImage(ReadImage(data, "PNG", largest));
      break;
    case PictureFormat::kGif:
      pixmap = QPixmap::fromImage(ReadImage(data, "GIF", largest));
      break;
    case PictureFormat::kIcon:
      pixmap = QPixmap::fromImage(ReadImage(data, "ICO", largest));
      break;
    case PictureFormat::kCursor: {
      pixmap = QPixmap::fromImage(ReadImage(data, "ICO", largest));
      if (!pixmap.isNull()) break;
      // A cursor file is an icon file whose directory holds hot spots where an icon holds planes
      // and bit counts; read as an icon, its pictures are the same.
      Bytes as_icon = data;
      as_icon[2] = 1;
      pixmap = QPixmap::fromImage(ReadImage(as_icon, "ICO", largest));
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
      if (pixmap.width() > largest.width() || pixmap.height() > largest.height()) {
        pixmap = pixmap.scaled(largest, Qt::KeepAspectRatio, Qt::SmoothTransformation);
      }
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

void PictureBox::SetPicture(Bytes data) {
  impl_->data = std::move(data);
  impl_->picture = QPixmap();  // the old one goes before the new one is decoded
  impl_->picture = Decode(impl_->data, DetectPictureFormat(impl_->data));
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
