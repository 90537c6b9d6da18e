// The picture control. The picture is drawn once into a pixmap at the control's size; a
// marker move repaints two narrow strips from that pixmap, cheap enough for a live view at
// tens of frames a second.

#include "platform/toolkit_qt_picture.h"

#include <QPaintEvent>
#include <QPainter>

#include <algorithm>

namespace vm::qtk {
namespace {

QColor Colour(uint32_t rgb) { return QColor::fromRgb(static_cast<QRgb>(rgb)); }

Qt::Alignment Alignment(TextAnchor anchor) {
  switch (anchor) {
    case TextAnchor::Start: return Qt::AlignLeft;
    case TextAnchor::Middle: return Qt::AlignHCenter;
    case TextAnchor::End: return Qt::AlignRight;
  }
  return Qt::AlignLeft;
}

void PaintText(QPainter& painter, const PictureText& text) {
  QFont font = painter.font();
  font.setFamily("sans-serif");
  font.setStyleHint(QFont::SansSerif);
  font.setPixelSize(std::max(1, text.size));
  painter.setFont(font);
  painter.setPen(Colour(PictureInkRgb(text.ink)));
  // A box wide enough for any line, placed so that its anchor sits at x and its baseline at y.
  const QString shown = QString::fromUtf8(text.text.data(), static_cast<qsizetype>(text.text.size()));
  const int ascent = painter.fontMetrics().ascent();
  const int width = painter.fontMetrics().horizontalAdvance(shown) + 2 * text.size;
  int left = text.x;
  if (text.anchor == TextAnchor::Middle) left -= width / 2;
  if (text.anchor == TextAnchor::End) left -= width;
  painter.drawText(QRect(left, text.y - ascent, width, painter.fontMetrics().height()),
                   Alignment(text.anchor) | Qt::AlignTop, shown);
}

}  // namespace

void PaintPicture(QPainter& painter, const Picture& picture) {
  painter.fillRect(QRect(0, 0, picture.width, picture.height), Colour(kPictureGroundRgb));
  for (const PictureRect& r : picture.rects) {
    painter.fillRect(QRect(r.x, r.y, r.width, r.height), Colour(PictureInkRgb(r.ink)));
  }
  for (const PictureLine& l : picture.lines) {
    painter.setPen(QPen(Colour(PictureInkRgb(l.ink)), kPictureUnitsPerPixel, Qt::SolidLine, Qt::FlatCap));
    painter.drawLine(l.x1, l.y1, l.x2, l.y2);
  }
  for (const PictureText& t : picture.texts) PaintText(painter, t);
}

PictureView::PictureView(QWidget* parent) : QWidget(parent) { setAttribute(Qt::WA_OpaquePaintEvent); }

void PictureView::SetPicture(const Picture& picture) {
  picture_ = picture;
  RenderCache();
  update();
}

void PictureView::SetMarker(int32_t x) {
  const int32_t next = x < 0 ? -1 : x;
  if (next == marker_) return;
  if (marker_ >= 0) update(MarkerRect(marker_).adjusted(-1, 0, 1, 0));
  marker_ = next;
  if (marker_ >= 0) update(MarkerRect(marker_).adjusted(-1, 0, 1, 0));
}

QTransform PictureView::Placement() const {
  if (picture_.width <= 0 || picture_.height <= 0) return {};
  const double scale = std::min(double(width()) / picture_.width, double(height()) / picture_.height);
  QTransform transform;
  transform.translate((width() - scale * picture_.width) / 2, (height() - scale * picture_.height) / 2);
  transform.scale(scale, scale);
  return transform;
}

QRect PictureView::MarkerRect(int32_t x) const {
  // Two screen pixels wide whatever the scale, so that it stays visible in a small control.
  const QRectF area = Placement().mapRect(QRectF(x, 0, 0, picture_.height));
  return QRect(static_cast<int>(area.left()) - 1, static_cast<int>(area.top()), 2, static_cast<int>(area.height()) + 1);
}

void PictureView::RenderCache() {
  const qreal ratio = devicePixelRatioF();
  cache_ = QPixmap(size() * ratio);
  cache_.setDevicePixelRatio(ratio);
  cache_.fill(Colour(kPictureGroundRgb));
  QPainter painter(&cache_);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setRenderHint(QPainter::TextAntialiasing);
  painter.setTransform(Placement());
  PaintPicture(painter, picture_);
}

void PictureView::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  RenderCache();
}

void PictureView::paintEvent(QPaintEvent* event) {
  QPainter painter(this);
  painter.drawPixmap(event->rect(), cache_,
                     QRectF(QPointF(event->rect().topLeft()) * cache_.devicePixelRatio(),
                            QSizeF(event->rect().size()) * cache_.devicePixelRatio()));
  if (marker_ < 0 || picture_.height <= 0) return;
  painter.fillRect(MarkerRect(marker_), Colour(kPictureMarkerRgb));
}

}  // namespace vm::qtk
