#pragma once
// The round scale steps the zoom commands move along, the largest canvas the view may scroll, and
// the pickers that choose the next step. The pickers work in 32-bit floats on purpose: the canvas
// sizes they produce (14999 rather than 15000, 47999 rather than 48000) are what users of the
// program have always seen, and the zoom-out sequence depends on them to walk back to the full view.
#include <array>

/// dB per grid division, coarsest first.
inline constexpr std::array<double, 8> g_DbPerDivSteps = {5, 4, 2, 1, 0.5, 0.2, 0.1, 0.05};

/// km per grid division, coarsest first.
inline constexpr std::array<double, 21> g_KmPerDivSteps = {
    25,   20,   15,   12,    10,    5,     2,      1,      0.5,    0.2,    0.1,
    0.05, 0.02, 0.01, 0.005, 0.002, 0.001, 0.0005, 0.0002, 0.0001, 0.00005};

/// The largest canvas, in pixels, the view lets a zoom produce.
struct MaxViewExtent {
  int x = 72767;
  int y = 72767;
};

/// The canvas limit in force; set once at start-up.
extern MaxViewExtent g_MaxViewExtent;

/// Bits of `ZoomCapability`: which zoom directions are still possible.
enum ZoomCapabilityBit : int {
  kZoomInHorizontal = 1,
  kZoomInVertical = 2,
  kZoomOutHorizontal = 4,
  kZoomOutVertical = 8,
};

/// Rounds half up to the given number of decimals, each scaling step stored as a 32-bit float.
float RoundToDecimals(float value, int decimals);

/// The dB per division shown when a canvas cy pixels high is seen through a client H pixels high.
float CurrentDbPerDiv(int cy, int H);

/// The km per division shown when a canvas cx wide is seen through a client W wide, for a fibre of L km.
float CurrentKmPerDiv(int cx, int W, double L);

/// Next finer dB per division; beyond the extent it becomes the finest scale the extent allows.
float PickZoomInStepVertical(int cy, int H, const MaxViewExtent& extent = g_MaxViewExtent);

/// Next coarser dB per division.
float PickZoomOutStepVertical(int cy, int H);

/// Next finer km per division; sets `limited` when the extent forced a scale off the table.
float PickZoomInStepHorizontal(int cx, int W, float L, int& limited,
                               const MaxViewExtent& extent = g_MaxViewExtent);

/// Next coarser km per division, never coarser than the full view and snapped to it when close.
float PickZoomOutStepHorizontal(int cx, int W, float L);
