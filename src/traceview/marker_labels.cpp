#include "traceview/marker_labels.h"

#include <cstdlib>

#include "platform/saturate.h"

namespace {

constexpr double kCharWidth = 6.5;
constexpr int kLabelHeight = 16;
constexpr int kMovedDown = 15;

using lumivane::TruncToInt32;

}  // namespace

double MarkerLabelExtent(int length) { return length * kCharWidth; }

MarkerLabelLayout LayoutMarkerLabel(const MarkerLabelInput& in) {
  MarkerLabelLayout out;
  const int w = in.clientWidth;
  const int h = in.clientHeight;
  const double pps = in.pixelsPerSample;
  const int ox = TruncToInt32(in.originX);
  const int oy = TruncToInt32(in.originY);

  // The inactive label steps down when the two labels would meet; the limit is wider when the
  // markers sit on opposite halves, where the labels face each other.
  if (!in.active) {
    const int xa = TruncToInt32(in.index * pps - in.originX);
    const int xb = TruncToInt32(in.otherIndex * pps - in.originX);
    const bool straddle = (xa <= w / 2) != (xb <= w / 2);
    const double limit = straddle ? 180.0 : 90.0;
    out.movedDown = limit > std::abs(in.index - in.otherIndex) * pps;
  }
  const int offset = out.movedDown ? h - 8 - kMovedDown : h - 8;
  const int xl = TruncToInt32(in.index * pps);
  out.lineX = xl;
  out.lineBottom = h + oy;
  out.lineTop = h - (offset - 12) + oy;

  const int xs = TruncToInt32(xl - in.originX);
  const int yb = h - (offset + 5) + oy;
  const int arrowY = in.active ? yb : yb + kMovedDown;
  const int right = w;
  const std::string arrowRight = std::string("->") + in.name;
  const std::string arrowLeft = std::string(1, in.name) + "<-";
  auto boxAt = [](PixelPoint at, const std::string& text) {
    return PixelRect{at.x, at.y, TruncToInt32(at.x + MarkerLabelExtent(static_cast<int>(text.size()))),
                     at.y + kLabelHeight};
  };
  const int len = static_cast<int>(in.text.size());
  const int slot = in.name == 'A' ? 0 : 1;
  if (xs > right) {
    out.placement = MarkerLabelPlacement::ArrowRight;
    out.text = arrowRight;
    out.textAt = {TruncToInt32(right - MarkerLabelExtent(static_cast<int>(out.text.size())) + ox), arrowY};
    out.recordsArrow = true;
    if (in.name == 'A') {
      out.labelSlot = in.active ? 0 : 1;
      out.labelRect = {out.textAt.x, yb,
                       TruncToInt32(out.textAt.x + MarkerLabelExtent(static_cast<int>(out.text.size()))),
                       yb + kLabelHeight};
    }
  } else if (xs < 0) {
    out.placement = MarkerLabelPlacement::ArrowLeft;
    out.text = arrowLeft;
    out.textAt = {ox, arrowY};
    out.recordsArrow = true;
  } else if (xs > w / 2) {
    out.placement = MarkerLabelPlacement::LeftOfLine;
    out.text = in.text;
    out.textAt = {TruncToInt32(xl - MarkerLabelExtent(len) - 7.5), yb};
    out.labelSlot = slot;
    out.labelRect = {out.textAt.x, yb, xl, yb + kLabelHeight};
  } else {
    out.placement = MarkerLabelPlacement::RightOfLine;
    out.text = in.text;
    out.textAt = {xl, yb};
    out.labelSlot = slot;
    out.labelRect = {xl, yb, TruncToInt32(xl + MarkerLabelExtent(len)), yb + kLabelHeight};
  }
  out.box = boxAt(out.textAt, out.text);
  return out;
}
