// PictureBox: a QLabel that shows the picture held in its bytes, recognised by their leading bytes.
#include <algorithm>
#include <atomic>
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

// The bytes of a picture as the toolkit's decoders read them; once `stop` is set every further
// read fails, so a decoder working through a huge picture gives up within a line or two.
class StoppableBuffer : public QBuffer {
 public:
  StoppableBuffer(QByteArray* raw, const std::atomic<bool>* stop) : QBuffer(raw), stop_(stop) {}

 protected:
  qint64 readData(char* data, qint64 most) override {
    if (stop_ != nullptr && stop_->load()) return -1;
    return QBuffer::readData(data, most);
  }

 private:
  const std::atomic<bool>* stop_;
};

// `data` decoded as `format` by the toolkit; a picture larger than `largest` is decoded at the
// size that fits it (where the format allows, without ever holding the full size: JPEG).
QImage ReadImage(const Bytes& data, const char* format, QSize largest,
                 const std::atomic<bool>* stop) {
  QByteArray raw = QByteArray::fromRawData(reinterpret_cast<const char*>(data.data()),
                                           static_cast<qsizetype>(data.size()));
  StoppableBuffer buffer(&raw, stop);
  buffer.open(QIODevice::ReadOnly);
  QImageReader reader(&buffer, format);
  const QSize size = reader.size();
  if (size.isValid() && (size.width() > largest.width() || size.height() > largest.height())) {
    reader.setScaledSize(size.scaled(largest, Qt::KeepAspectRatio));
  }
  QImage image = reader.read();
  if (stop != nullptr && stop->load()) return QImage();
  return image;
}

QImage Decode(const Bytes& data, PictureFormat format, QSize largest,
              const std::atomic<bool>* stop) {
  switch (format) {
    case PictureFormat::kNone:
      return QImage();
    case PictureFormat::kBmp:
      return ReadImage(data, "BMP", largest, stop);
    case PictureFormat::kJpeg:
      return ReadImage(data, "JPEG", largest, stop);
    case PictureFormat::kPng:
      return ReadImage(data, "PNG", largest, stop);
    case PictureFormat::kGif:
      return ReadImage(data, "GIF", largest, stop);
    case PictureFormat::kIcon:
      return ReadImage(data, "ICO", largest, stop);
    case PictureFormat::kCursor: {
      QImage image = ReadImage(data, "ICO", largest, stop);
      if (!image.isNull()) return image;
      // A cursor file is an icon file whose directory holds hot spots where an icon holds planes
      // and bit counts; read as an icon, its pictures are the same.
      Bytes as_icon = data;
      as_icon[2] = 1;
      return ReadImage(as_icon, "ICO", largest, stop);
    }
    case PictureFormat::kPcx: {
      const std::optional<PcxImage> pcx = DecodePcx(data);
      if (!pcx) return QImage();
      QImage image(pcx->width, pcx->height, QImage::Format_ARGB32);
      // A picture too big for the memory left gives a null image, which has no lines to fill.
      if (image.isNull()) return image;
      for (int y = 0; y < pcx->height; ++y) {
        std::memcpy(image.scanLine(y), &pcx->pixels[static_cast<size_t>(y) * pcx->width],
                    static_cast<size_t>(pcx->width) * 4);
      }
      if (image.width() > largest.width() || image.height() > largest.height()) {
        image = image.scaled(largest, Qt::KeepAspectRatio, Qt::SmoothTransformation);
      }
      return image;
    }
  }
  return QImage();
}

}  // namespace

struct DecodedPicture::Impl {
  QImage image;
};

DecodedPicture::DecodedPicture() = default;
DecodedPicture::~DecodedPicture() = default;
DecodedPicture::DecodedPicture(const DecodedPicture&) = default;
DecodedPicture& DecodedPicture::operator=(const DecodedPicture&) = default;

bool DecodedPicture::IsNull() const { return !impl_ || impl_->image.isNull(); }

PictureDecoder::PictureDecoder() {
  // The toolkit refuses to decode a picture of more than 128 MB of pixels, which a stored picture
  // may well be (8192 x 8192 is 256 MB). Most formats decode at full size before they scale: a
  // picture up to kLargestDecodedMb is decoded, and only for as long as it is scaled down. The
  // limit is one for every thread: it is raised once, here on the user-interface thread before any
  // decoder exists, and left raised, since decodes on two threads restoring it in turn could leave
  // it lowered under a third.
  static constexpr int kLargestDecodedMb = 2048;
  static const bool raised = [] {
    QImageReader::setAllocationLimit(std::max(QImageReader::allocationLimit(), kLargestDecodedMb));
    return true;
  }();
  (void)raised;
  const QSize largest = LargestKept();
  largest_width_ = largest.width();
  largest_height_ = largest.height();
}

DecodedPicture PictureDecoder::Decode(const Bytes& data, const std::atomic<bool>* stop) const {
  DecodedPicture picture;
  picture.impl_ = std::make_shared<const DecodedPicture::Impl>(DecodedPicture::Impl{torvane::Decode(
      data, DetectPictureFormat(data), QSize(largest_width_, largest_height_), stop)});
  return picture;
}

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
  impl_->picture = QPixmap();  // the old one goes before the new one is decoded
  const DecodedPicture picture = PictureDecoder().Decode(data);
  ShowDecoded(std::move(data), picture);
}

void PictureBox::ShowDecoded(Bytes data, const DecodedPicture& picture) {
  impl_->data = std::move(data);
  impl_->picture = QPixmap();
  if (!picture.IsNull()) impl_->picture = QPixmap::fromImage(picture.impl_->image);
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

void PictureBox::ShowNote(const std::string& text) {
  auto* l = qobject_cast<QLabel*>(widget());
  if (!l) return;
  impl_->picture = QPixmap();
  l->setText(ToQt(text));
}

std::string PictureBox::Note() const {
  auto* l = qobject_cast<QLabel*>(widget());
  return l ? FromQt(l->text()) : "";
}

bool PictureBox::ShowsImage() const {
  auto* l = qobject_cast<QLabel*>(widget());
  return l && !impl_->picture.isNull() && !l->pixmap().isNull();
}

}  // namespace torvane
