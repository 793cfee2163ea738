#pragma once
// The overlay's scale reference: the trace whose range and scales fix the view while several traces
// are shown, captured by the open path and read by the zoom and the overlay.
#include <string>

/// Scale reference of the overlay; one global instance, g_ZoomState.
struct ZoomState {
  double RangeKm = 0.0;           // fibre length of the reference trace, km (distance of its last sample)
  double AcquisitionRange = 0.0;  // the reference's acquisition range field, as stored in the file
  double GroupIndex = 0.0;        // the reference's group index field (x 100,000 as stored)
  int PointCount = 0;             // point count of the reference trace
  double PixelsPerSample = 0.0;   // canvas width / point count; below kNoZoomReference means no reference
  double PixelsPerDb = 0.0;       // canvas height / 60
  int DataSpacing = 0;            // the reference's first data spacing field
  std::string TracePath;          // path of the reference trace
  double UserZeroKm = 0.0;        // the reference's first sample to its user's zero, km (UserZeroDistanceKm)
};

/// PixelsPerSample below this value means that no scale reference has been captured.
inline constexpr double kNoZoomReference = 1e-6;

/// The program's one scale reference.
extern ZoomState g_ZoomState;

/// Puts g_ZoomState back to its start values (all zero, empty path).
void ResetZoomState();
