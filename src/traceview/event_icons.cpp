#include "traceview/event_icons.h"

#include <algorithm>

#include "platform/saturate.h"

std::array<int, kMaxEventIcons> g_EventHitX{};
std::array<int, kMaxEventIcons> g_EventHitY{};

namespace {

constexpr double kHighLossDb = 3.0;
constexpr int kIconLead = 6;
constexpr int kLeftmostIconX = -3;
constexpr int kStripHeight = 16;

}  // namespace

void ResetEventHitTables() {
  g_EventHitX.fill(0);
  g_EventHitY.fill(0);
}

EventIcon EventIconFor(int type, double spliceLossDb) {
  switch (type) {
    case 0:
      return EventIcon::Start;
    case 1:
      return EventIcon::End;
    case 2:
      return spliceLossDb > kHighLossDb ? EventIcon::HighLoss : EventIcon::Reflective;
    case 3:
      return spliceLossDb > kHighLossDb ? EventIcon::HighLoss : EventIcon::NonReflective;
    case 4:
      return EventIcon::Type4;
    default:
      return EventIcon::NonReflective;
  }
}

IconSize EventIconSize(EventIcon icon) {
  switch (icon) {
    case EventIcon::HighLoss:
      return {18, 20};
    case EventIcon::Type4:
      return {11, 13};
    default:
      return {10, 13};
  }
}

int EventIconX(int k, double pixelsPerSample) {
  return std::max(lumivane::TruncToInt32(k * pixelsPerSample - kIconLead), kLeftmostIconX);
}

int EventIconY(int visibleTop, int visibleHeight) { return visibleTop + visibleHeight - kStripHeight; }
