#pragma once
// A scrolling window without a window system: scroll bars appear as the canvas needs them, 17
// pixels each, and scroll positions are held within their ranges.
#include "traceview/view_geometry.h"
#include "traceview/zoom_commands.h"

class FakeZoomHost : public ZoomHost {
 public:
  static constexpr int kBarExtent = 17;

  explicit FakeZoomHost(PixelSize available) : available_(available) { canvas_ = available; }

  PixelSize ClientSize() override { return LayoutScrollBars(available_, kBarExtent, canvas_).client; }
  PixelSize AvailableSize() override { return available_; }
  void SetSizes(PixelSize canvas) override {
    canvas_ = canvas;
    const PixelSize client = ClientSize();
    scrollX_ = ClampScrollPosition(scrollX_, canvas_.width, client.width);
    scrollY_ = ClampScrollPosition(scrollY_, canvas_.height, client.height);
  }
  void SetScrollPosition(ScrollAxis axis, int position) override {
    const PixelSize client = ClientSize();
    if (axis == ScrollAxis::Horizontal) {
      scrollX_ = ClampScrollPosition(position, canvas_.width, client.width);
    } else {
      scrollY_ = ClampScrollPosition(position, canvas_.height, client.height);
    }
  }
  void Invalidate() override { ++invalidations_; }

  void Resize(PixelSize available) { available_ = available; }
  PixelSize canvas() const { return canvas_; }
  int scrollX() const { return scrollX_; }
  int scrollY() const { return scrollY_; }
  int invalidations() const { return invalidations_; }

 private:
  PixelSize available_;
  PixelSize canvas_;
  int scrollX_ = 0;
  int scrollY_ = 0;
  int invalidations_ = 0;
};
