// Picture boxes: formats recognised by their leading bytes, shown or not, and bytes kept as set.
#include <atomic>
#include <thread>

#include <gtest/gtest.h>
#include <QBuffer>
#include <QGuiApplication>
#include <QImage>
#include <QLabel>
#include <QScreen>

#include "pcx_sample.h"
#include "ui/controls.h"

namespace torvane {
namespace {

Bytes Encode(const char* format, int width = 20, int height = 10) {
  QImage image(width, height, QImage::Format_RGB32);
  image.fill(QColor(200, 30, 60));
  QByteArray data;
  QBuffer buffer(&data);
  buffer.open(QIODevice::WriteOnly);
  EXPECT_TRUE(image.save(&buffer, format)) << format;
  return Bytes(data.begin(), data.end());
}

Bytes FromText(std::string_view text) { return Bytes(text.begin(), text.end()); }

// A 2 x 1 GIF: header, screen descriptor with a 2-colour table, one image, trailer.
Bytes Gif(const char* version) {
  Bytes gif = FromText(version);
  const std::uint8_t rest[] = {0x02, 0x00, 0x01, 0x00, 0x80, 0x00, 0x00,  // screen, table of 2
                               0xFF, 0x00, 0x00, 0x00, 0x00, 0xFF,        // red, blue
                               0x2C, 0x00, 0x00, 0x00, 0x00, 0x02, 0x00,  // image at 0,0 2x1
                               0x01, 0x00, 0x00,                          // no local table
                               0x02, 0x02, 0x44, 0x0A, 0x00,              // LZW data
                               0x3B};
  gif.insert(gif.end(), std::begin(rest), std::end(rest));
  return gif;
}

Bytes Cursor() {
  Bytes icon = Encode("ICO", 16, 16);
  icon[2] = 2;
  return icon;
}

Bytes SamplePcx() {
  testing_pcx::Layout layout;
  layout.planes = 3;
  layout.width = 9;
  layout.height = 5;
  return testing_pcx::WritePcx(layout, [](int x, int y, int p) { return (x + y + p) * 20; });
}

TEST(PictureBox, RecognisesFormatsByTheirLeadingBytesAndKeepsTheBytes) {
  const Bytes pcx = SamplePcx();
  Bytes truncated_pcx(pcx.begin(), pcx.end() - 10);
  Bytes png = Encode("PNG");
  Bytes broken_png(png.begin(), png.begin() + 16);
  struct {
    const char* what;
    Bytes bytes;
    PictureFormat format;
    bool shown;
  } cases[] = {
      {"BMP", Encode("BMP"), PictureFormat::kBmp, true},
      {"JPEG", Encode("JPEG"), PictureFormat::kJpeg, true},
      {"PNG", png, PictureFormat::kPng, true},
      {"GIF89a", Gif("GIF89a"), PictureFormat::kGif, true},
      {"GIF87a", Gif("GIF87a"), PictureFormat::kGif, true},
      {"icon", Encode("ICO", 16, 16), PictureFormat::kIcon, true},
      {"cursor", Cursor(), PictureFormat::kCursor, true},
      {"PCX", pcx, PictureFormat::kPcx, true},
      {"empty bytes", {}, PictureFormat::kNone, false},
      {"text", FromText("select * from goods"), PictureFormat::kNone, false},
      {"GIF of an unknown version", FromText("GIF88a and more"), PictureFormat::kNone, false},
      {"zero bytes", Bytes(64, 0), PictureFormat::kNone, false},
      {"BMP signature over junk", FromText("BMjunk that is no bitmap"), PictureFormat::kBmp, false},
      {"PNG cut short", broken_png, PictureFormat::kPng, false},
      {"PCX cut short", truncated_pcx, PictureFormat::kPcx, false},
  };
  QLabel label;
  label.resize(128, 128);
  PictureBox box(&label);
  for (const auto& c : cases) {
    EXPECT_EQ(DetectPictureFormat(c.bytes), c.format) << c.what;
    box.SetPicture(c.bytes);
    EXPECT_EQ(box.ShowsImage(), c.shown) << c.what;
    EXPECT_EQ(box.Picture(), c.bytes) << c.what;
  }
}

TEST(PictureBox, NonImageBytesClearThePreviousPicture) {
  QLabel label;
  label.resize(128, 128);
  PictureBox box(&label);
  EXPECT_TRUE(box.Picture().empty());
  EXPECT_FALSE(box.ShowsImage());
  box.SetPicture(Encode("PNG"));
  ASSERT_TRUE(box.ShowsImage());
  const Bytes text = FromText("not a picture");
  box.SetPicture(text);
  EXPECT_FALSE(box.ShowsImage());
  EXPECT_TRUE(label.pixmap().isNull());
  EXPECT_EQ(box.Picture(), text);
  box.SetPicture({});
  EXPECT_TRUE(box.Picture().empty());
}

TEST(PictureBox, LargePicturesAreScaledDownToFitKeepingTheirShape) {
  QLabel label;
  label.resize(128, 128);
  label.show();
  PictureBox box(&label);
  box.SetPicture(Encode("PNG", 400, 200));
  ASSERT_TRUE(box.ShowsImage());
  EXPECT_EQ(label.pixmap().size(), QSize(128, 64));
  box.SetPicture(Encode("PNG", 30, 20));
  EXPECT_EQ(label.pixmap().size(), QSize(30, 20)) << "small pictures keep their size";
  box.SetPicture(Encode("PNG", 400, 200));
  box.Place(0, 0, 200, 152);
  EXPECT_EQ(label.pixmap().size(), QSize(200, 100)) << "refitted when the box is resized";
}

// A picture larger than the screen is decoded at the screen's size: a box larger than the screen
// shows no more of it. The bytes are kept whole.
TEST(PictureBox, APictureLargerThanTheScreenIsKeptAtTheScreensSize) {
  const QSize screen = QGuiApplication::primaryScreen()->size();
  QLabel label;
  label.resize(screen * 4);
  PictureBox box(&label);
  for (const char* format : {"JPEG", "PNG", "BMP"}) {
    const Bytes picture = Encode(format, screen.width() * 2, screen.height());
    box.SetPicture(picture);
    ASSERT_TRUE(box.ShowsImage()) << format;
    EXPECT_EQ(label.pixmap().size(), QSize(screen.width(), screen.height() / 2)) << format;
    EXPECT_EQ(box.Picture(), picture) << format;
  }
  // A picture of more pixels than the toolkit decodes by default (128 MB) is shown all the same.
  const Bytes huge = Encode("BMP", 6000, 6000);
  box.SetPicture(huge);
  ASSERT_TRUE(box.ShowsImage());
  EXPECT_LE(label.pixmap().width(), screen.width());
  EXPECT_LE(label.pixmap().height(), screen.height());
}

TEST(PictureBox, ShowsPcxPixels) {
  QLabel label;
  label.resize(128, 128);
  PictureBox box(&label);
  box.SetPicture(SamplePcx());
  ASSERT_TRUE(box.ShowsImage());
  const QImage shown = label.pixmap().toImage();
  ASSERT_EQ(shown.size(), QSize(9, 5));
  EXPECT_EQ(shown.pixelColor(2, 1), QColor(60, 80, 100));
}

// A picture decoded on another thread shows exactly what the box shows for the same bytes, every
// format alike, scaled to the box and to the screen alike; bytes that are no picture show nothing.
TEST(PictureBox, APictureDecodedOnAnotherThreadShowsAsSetPictureShowsIt) {
  const QSize screen = QGuiApplication::primaryScreen()->size();
  const struct {
    const char* what;
    Bytes bytes;
  } cases[] = {
      {"BMP", Encode("BMP", 300, 200)},
      {"JPEG", Encode("JPEG", 300, 200)},
      {"PNG larger than the screen", Encode("PNG", screen.width() * 2, screen.height())},
      {"GIF", Gif("GIF89a")},
      {"cursor", Cursor()},
      {"PCX", SamplePcx()},
      {"text", FromText("select * from goods")},
  };
  QLabel shown_label;
  QLabel decoded_label;
  shown_label.resize(128, 128);
  decoded_label.resize(128, 128);
  PictureBox shown(&shown_label);
  PictureBox decoded(&decoded_label);
  const PictureDecoder decoder;
  for (const auto& c : cases) {
    shown.SetPicture(c.bytes);
    DecodedPicture picture;
    std::thread([&] { picture = decoder.Decode(c.bytes); }).join();
    decoded.ShowNote("reading");
    decoded.ShowDecoded(c.bytes, picture);
    EXPECT_EQ(decoded.ShowsImage(), shown.ShowsImage()) << c.what;
    EXPECT_EQ(picture.IsNull(), !shown.ShowsImage()) << c.what;
    EXPECT_EQ(decoded.Picture(), c.bytes) << c.what;
    EXPECT_EQ(decoded.Note(), "") << c.what;
    EXPECT_EQ(decoded_label.pixmap().toImage(), shown_label.pixmap().toImage()) << c.what;
  }
}

// A decoding that was stopped gives no picture; the note shows until a picture is set.
TEST(PictureBox, AStoppedDecodingGivesNoPicture) {
  const Bytes picture = Encode("BMP", 600, 400);
  const PictureDecoder decoder;
  std::atomic<bool> stop{true};
  EXPECT_TRUE(decoder.Decode(picture, &stop).IsNull());
  stop = false;
  EXPECT_FALSE(decoder.Decode(picture, &stop).IsNull());

  QLabel label;
  label.resize(128, 128);
  PictureBox box(&label);
  box.SetPicture(picture);
  box.ShowNote("reading");
  EXPECT_EQ(box.Note(), "reading");
  EXPECT_FALSE(box.ShowsImage());
  EXPECT_EQ(box.Picture(), picture);
  box.SetPicture(picture);
  EXPECT_EQ(box.Note(), "");
  EXPECT_TRUE(box.ShowsImage());
}

}  // namespace
}  // namespace torvane
