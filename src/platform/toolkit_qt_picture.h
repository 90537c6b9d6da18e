#pragma once
// The picture control: paints a Picture's primitives scaled to the control, the one drawing
// of a picture on screen, plus a position marker that moves without drawing the picture anew.

#include <QPixmap>
#include <QWidget>

#include <cstdint>

#include "common/picture.h"

namespace vm::qtk {

class PictureView : public QWidget {
 public:
  explicit PictureView(QWidget* parent);
  void SetPicture(const Picture& picture);
  // x in the picture's units; negative for none.
  void SetMarker(int32_t x);
  int32_t marker() const { return marker_; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  // Where the picture lies in the control: scaled evenly to fit, centred.
  QTransform Placement() const;
  QRect MarkerRect(int32_t x) const;  // the strip a marker at x covers, in widget pixels
  void RenderCache();

  Picture picture_;
  int32_t marker_ = -1;
  QPixmap cache_;  // the picture at the control's size, drawn when it or the size changes
};

// The picture's primitives onto `painter`, whose transform maps picture units to its device.
void PaintPicture(QPainter& painter, const Picture& picture);

}  // namespace vm::qtk
