#include "ui/forms/image_painter.h"

#include <QColor>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>

#include "ui/forms/form_layout.h"

namespace torvane::forms {
namespace {

void PaintDocument(QPainter& p) {
  // A white page with a folded top-right corner and a few lines of text.
  QPolygon page({{2, 0}, {10, 0}, {13, 3}, {13, 14}, {2, 14}});
  p.setPen(QColor(90, 90, 90));
  p.setBrush(Qt::white);
  p.drawPolygon(page);
  p.setBrush(QColor(220, 220, 220));
  p.drawPolygon(QPolygon({{10, 0}, {10, 3}, {13, 3}}));
  p.setPen(QColor(100, 130, 200));
  for (int y = 5; y <= 11; y += 2) p.drawLine(4, y, y == 11 ? 8 : 11, y);
}

void PaintOpenFolder(QPainter& p) {
  // Back of the folder with its tab.
  p.setPen(QColor(150, 110, 20));
  p.setBrush(QColor(240, 200, 90));
  p.drawPolygon(QPolygon({{0, 4}, {1, 3}, {5, 3}, {6, 4}, {11, 4}, {11, 14}, {0, 14}}));
  // The front flap, tilted open.
  p.setBrush(QColor(255, 225, 130));
  p.drawPolygon(QPolygon({{2, 7}, {15, 7}, {12, 14}, {0, 14}}));
  // A curved arrow coming out of the folder.
  p.setRenderHint(QPainter::Antialiasing);
  QPainterPath arc;
  arc.moveTo(6, 6);
  arc.cubicTo(6, 1, 10, 0, 13, 2);
  p.setPen(QPen(QColor(20, 120, 40), 1.6));
  p.setBrush(Qt::NoBrush);
  p.drawPath(arc);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(20, 120, 40));
  p.drawPolygon(QPolygonF({{11.0, 0.0}, {15.5, 2.5}, {11.5, 5.0}}));
}

void PaintTable(QPainter& p) {
  // A grid of 3 x 3 cells whose first row is a blue header.
  const QRect outer(0, 1, 15, 13);
  p.setPen(Qt::NoPen);
  p.setBrush(Qt::white);
  p.drawRect(outer);
  p.setBrush(QColor(40, 90, 200));
  p.drawRect(QRect(0, 1, 15, 4));
  p.setPen(QColor(70, 70, 70));
  p.setBrush(Qt::NoBrush);
  p.drawRect(outer.adjusted(0, 0, -1, -1));
  p.drawLine(0, 5, 14, 5);
  p.drawLine(0, 9, 14, 9);
  p.drawLine(5, 1, 5, 13);
  p.drawLine(10, 1, 10, 13);
}

void PaintWindow(QPainter& p, QRect frame, QColor title) {
  p.setPen(QColor(60, 60, 60));
  p.setBrush(Qt::white);
  p.drawRect(frame);
  p.setPen(Qt::NoPen);
  p.setBrush(title);
  p.drawRect(frame.left() + 1, frame.top() + 1, frame.width() - 1, 2);
}

void PaintTwoWindows(QPainter& p) {
  PaintWindow(p, QRect(0, 0, 10, 9), QColor(110, 110, 180));
  PaintWindow(p, QRect(5, 5, 10, 9), QColor(30, 70, 200));
}

// A glyph for an image without a fixed use: one of six shapes in one of many colours.
void PaintGlyph(QPainter& p, int index) {
  const QColor colour = QColor::fromHsv((index * 47) % 360, 170, 200);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(colour.darker(150));
  p.setBrush(colour);
  switch (index % 6) {
    case 0:
      p.drawEllipse(QRectF(2.5, 2, 11, 11));
      break;
    case 1:
      p.drawRect(QRectF(2.5, 2, 11, 11));
      break;
    case 2:
      p.drawPolygon(QPolygonF({{8, 1.5}, {14.5, 13.5}, {1.5, 13.5}}));
      break;
    case 3:
      p.drawPolygon(QPolygonF({{8, 0.5}, {15, 7.5}, {8, 14.5}, {1, 7.5}}));
      break;
    case 4:
      p.drawRoundedRect(QRectF(1.5, 4.5, 13, 6), 2, 2);
      break;
    default:
      p.drawRect(QRectF(6, 1.5, 4, 12));
      p.drawRect(QRectF(2, 5.5, 12, 4));
      break;
  }
}

}  // namespace

QList<QPixmap> PaintImages() {
  QList<QPixmap> images;
  images.reserve(kImageCount);
  for (int i = 0; i < kImageCount; ++i) {
    QPixmap image(kImageWidth, kImageHeight);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    switch (i) {
      case kDocumentImage:
        PaintDocument(painter);
        break;
      case kOpenFolderImage:
        PaintOpenFolder(painter);
        break;
      case kTableImage:
        PaintTable(painter);
        break;
      case kWindowsImage:
        PaintTwoWindows(painter);
        break;
      default:
        PaintGlyph(painter, i);
        break;
    }
    painter.end();
    images.push_back(image);
  }
  return images;
}

}  // namespace torvane::forms
