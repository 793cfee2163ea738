#include "traceview/mouse_picks.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "platform/saturate.h"
#include "traceview/event_icons.h"

namespace {

constexpr int kAuxReach = 5;
constexpr int kMarkerReach = 10;
constexpr int kIconBefore = 5;
constexpr int kIconAfter = 20;
constexpr int kEndOfFibre = 1;

}  // namespace

int LevelAxis::ClientY(double value) const {
  return lumivane::TruncToInt32(canvasHeight - (maxDb - value) * pixelsPerDb - originY);
}

int PickEventIcon(PixelPoint client, PixelPoint origin, std::span<const EventRow> rows) {
  int end = -1;
  for (std::size_t i = 1; i < rows.size(); ++i) {
    if (rows[i].Type == kEndOfFibre) {
      end = static_cast<int>(i);
      break;
    }
  }
  const int x = client.x + origin.x;
  const int y = client.y + origin.y;
  const int last = std::min(end, kMaxEventIcons - 1);
  for (int i = 0; i <= last; ++i) {
    const int hx = g_EventHitX[static_cast<std::size_t>(i)];
    const int hy = g_EventHitY[static_cast<std::size_t>(i)];
    if (x >= hx - kIconBefore && x < hx + kIconAfter && y >= hy - kIconBefore && y < hy + kIconAfter) return i;
  }
  return -1;
}

int PickAuxMarker(const MarkerState& markers, PixelPoint client, const SampleAxis& x, const LevelAxis& y) {
  const int set = markers.ActiveMarker == 0 ? 0 : 1;
  const int marker = set == 0 ? markers.MarkerA : markers.MarkerB;
  auto near = [&](const AuxMarker& aux) {
    return std::abs(x.ClientX(aux.SampleIndex) - client.x) < kAuxReach &&
           std::abs(y.ClientY(aux.Value) - client.y) < kAuxReach;
  };
  if (markers.AnalysisMode == 1) {
    const auto& aux = markers.LossAuxMarkers[set];
    const bool bothOnMarker = aux[2].SampleIndex == marker && aux[3].SampleIndex == marker;
    for (int k = 0; k < 4; ++k) {
      if (k == 2 && bothOnMarker) continue;
      if (near(aux[k])) return k;
    }
  } else if (markers.AnalysisMode == 2) {
    const auto& aux = markers.ReflectanceAuxMarkers[set];
    for (int k = 0; k < 3; ++k) {
      if (near(aux[k])) return k;
    }
  }
  return -1;
}

bool PickMarker(int markerIndex, const PixelRect& label, PixelPoint client, const SampleAxis& x, int originY) {
  if (std::abs(x.ClientX(markerIndex) - client.x) < kMarkerReach) return true;
  const int ox = lumivane::TruncToInt32(x.originX);
  return client.x > label.left - ox && client.x < label.right - ox && client.y > label.top - originY &&
         client.y < label.bottom - originY;
}

std::optional<PixelRect> ArrowBox(PixelPoint arrow, const PixelRect& grid) {
  const int top = arrow.y - grid.top;
  const int bottom = lumivane::TruncToInt32(arrow.y - grid.top + 13.0);
  if (arrow.x == grid.left) return PixelRect{0, top, 19, bottom};
  if (arrow.x + 20 == grid.right) {
    const int left = grid.right - grid.left - 20;
    return PixelRect{left, top, lumivane::TruncToInt32(left + 19.5), bottom};
  }
  return std::nullopt;
}

int PickCurve(std::span<const PickableCurve> curves, PixelPoint client, PixelPoint origin, const LevelAxis& y,
              bool zoomedHorizontally) {
  const double tolerance = zoomedHorizontally ? 0.1 : 0.3;
  for (std::size_t r = 0; r < curves.size(); ++r) {
    const PickableCurve& curve = curves[r];
    if (!(curve.step > 0.0) || !(y.pixelsPerDb > 0.0)) continue;
    const double at = (client.x + origin.x - curve.originX) / curve.step;
    if (!(at >= 0.0)) continue;
    const int i = lumivane::TruncToInt32(at);
    if (i > static_cast<int>(curve.db.size()) - 1) continue;
    const double v = curve.ceilingDb - (y.canvasHeight - (client.y + origin.y)) / y.pixelsPerDb;
    if (std::abs(curve.db[static_cast<std::size_t>(i)] - v) < tolerance) return static_cast<int>(r);
  }
  return -1;
}

double OffsetDragDb(int pressY, int lastY, int clientTop, int clientBottom, double pixelsPerDb) {
  if (!(pixelsPerDb > 0.0)) return 0.0;
  const int held = std::clamp(lastY, clientTop, std::max(clientTop, clientBottom));
  return (held - pressY) / pixelsPerDb;
}
