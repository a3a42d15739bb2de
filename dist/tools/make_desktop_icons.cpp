// Writes the program's icon for an install: the Windows icon file the program names in its
// file-type registration, byte for byte as the program carries it, and the desktop's PNG icons of
// the given sizes drawn from the same pictures.
//
//   make_desktop_icons ICO_FILE PNG_FOLDER SIZE...
//
// Each PNG goes to PNG_FOLDER/<SIZE>x<SIZE>/torvane.png. A size the icon holds is taken as it is; a
// whole multiple of one is enlarged pixel for pixel so the drawing stays sharp; any other size is
// scaled smoothly from the largest picture.

#include <QBuffer>
#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QList>
#include <QTextStream>

#include "platform/app_icon.h"

namespace {

int Fail(const QString& message) {
  QTextStream(stderr) << "make_desktop_icons: " << message << "\n";
  return 1;
}

// Every picture the icon file holds, as 32-bit pixels with alpha.
QList<QImage> ReadPictures(const QByteArray& icon) {
  QList<QImage> pictures;
  QBuffer buffer;
  buffer.setData(icon);
  buffer.open(QIODevice::ReadOnly);
  QImageReader reader(&buffer, "ico");
  do {
    QImage picture = reader.read();
    if (picture.isNull()) break;
    pictures.append(picture.convertToFormat(QImage::Format_ARGB32));
  } while (reader.jumpToNextImage());
  return pictures;
}

QImage PictureOfSize(const QList<QImage>& pictures, int size) {
  const QImage* largest = nullptr;
  for (const QImage& picture : pictures) {
    if (picture.width() == size && picture.height() == size) return picture;
    if (largest == nullptr || picture.width() > largest->width()) largest = &picture;
  }
  for (const QImage& picture : pictures) {
    if (picture.width() == picture.height() && size % picture.width() == 0) {
      return picture.scaled(size, size, Qt::IgnoreAspectRatio, Qt::FastTransformation);
    }
  }
  return largest->scaled(size, size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication application(argc, argv);  // the image format plugins need it
  const QStringList arguments = application.arguments();
  if (arguments.size() < 4) return Fail("usage: make_desktop_icons ICO_FILE PNG_FOLDER SIZE...");

  const torvane::Bytes bytes = torvane::EmbeddedIcon();
  const QByteArray icon(reinterpret_cast<const char*>(bytes.data()),
                        static_cast<qsizetype>(bytes.size()));

  QFile ico(arguments[1]);
  if (!ico.open(QIODevice::WriteOnly | QIODevice::Truncate) || ico.write(icon) != icon.size()) {
    return Fail("cannot write " + arguments[1]);
  }
  ico.close();

  const QList<QImage> pictures = ReadPictures(icon);
  if (pictures.isEmpty()) return Fail("the icon holds no picture this Qt can read");

  for (qsizetype i = 3; i < arguments.size(); ++i) {
    bool number = false;
    const int size = arguments[i].toInt(&number);
    if (!number || size <= 0) return Fail("not a size: " + arguments[i]);
    const QString folder = arguments[2] + QString("/%1x%1").arg(size);
    if (!QDir().mkpath(folder)) return Fail("cannot make " + folder);
    const QString file = folder + "/torvane.png";
    if (!PictureOfSize(pictures, size).save(file, "PNG")) return Fail("cannot write " + file);
  }
  return 0;
}
