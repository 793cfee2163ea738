#pragma once
// The event strip under the plot: which picture marks an event, where it goes, and where each
// event's number was drawn so that a click can find the event again.
#include <array>

/// Rows an event table can hold, and so icons a strip can record.
inline constexpr int kMaxEventIcons = 1000;

/// Canvas positions of the number of event i (top-left of its text), for every event of the strip.
extern std::array<int, kMaxEventIcons> g_EventHitX;
extern std::array<int, kMaxEventIcons> g_EventHitY;

/// Clears both hit tables.
void ResetEventHitTables();

/// The event pictures, by their resource numbers.
enum class EventIcon : int {
  Start = 177,
  End = 178,
  Reflective = 179,
  NonReflective = 181,
  HighLoss = 240,
  Type4 = 254,
};

/// Width and height of an event picture in pixels.
struct IconSize {
  int width = 0;
  int height = 0;
};

/// The picture for an event row of this type (0 start, 1 end, 2 reflective, 3 non-reflective) and loss.
EventIcon EventIconFor(int type, double spliceLossDb);

/// The size each picture is drawn at.
IconSize EventIconSize(EventIcon icon);

/// Canvas x of the icon of an event at sample k: 6 pixels left of the sample, never left of -3.
int EventIconX(int k, double pixelsPerSample);

/// Canvas y of the icons: 16 pixels above the bottom of the visible part.
int EventIconY(int visibleTop, int visibleHeight);

/// Where the event number sits above its icon.
inline constexpr int kEventNumberRise = 12;
