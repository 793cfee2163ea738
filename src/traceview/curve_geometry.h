#pragma once
// Where a trace's samples fall on the canvas, reduced to what can show on screen. Sample i lies at
// x = trunc(origin + i x step); a level v at y = cy - trunc((C - v) x pixels per dB), C the trace's ceiling.
// Every sample joined to the next by a line covers, in each pixel column, exactly the span from the
// lowest to the highest sample of that column plus the joins between neighbouring columns; the
// geometry below emits just those lines, for the samples the visible part can show.
#include <span>
#include <vector>

#include "traceview/view_geometry.h"

/// How one trace maps onto the canvas and which part of the canvas is visible.
struct CurveMapping {
  double step = 0.0;  // canvas pixels per sample of this trace
  double pixelsPerDb = 0.0;
  double ceilingDb = 0.0;  // the level drawn on the canvas's bottom edge
  int canvasHeight = 0;
  int visibleLeft = 0;  // scroll position: the canvas x at the client's left edge
  int visibleWidth = 0;
  double originX = 0.0;  // canvas x of sample 0 (before truncation): where the overlay places the trace
};

/// A line between two canvas pixels, both ends included.
struct CurveSegment {
  int x1 = 0;
  int y1 = 0;
  int x2 = 0;
  int y2 = 0;
  friend bool operator==(const CurveSegment&, const CurveSegment&) = default;
};

/// Canvas x of sample i.
int CurveX(int i, const CurveMapping& mapping);

/// Canvas y of a level in dB.
int CurveY(double levelDb, const CurveMapping& mapping);

/// First and last sample whose lines can reach the visible part.
struct SampleRange {
  int first = 0;
  int last = -1;
};

/// The samples to draw, two beyond each edge of the visible part so that lines leaving it are kept.
SampleRange VisibleSampleRange(int sampleCount, const CurveMapping& mapping);

/// Replaces `out` with the lines that draw the curve of `db` over the visible part with a pen of any
/// width: per column the span of its samples, and the joins between neighbouring columns.
void BuildCurveSegments(std::span<const double> db, const CurveMapping& mapping,
                        std::vector<CurveSegment>& out);

/// The same pixels for a one-pixel pen with fewer lines: a one-pixel line into the next column
/// covers its own column from its start up to one row short of its end and only its end pixel in
/// the next column, so with the column's span it forms one vertical run; long joins and joins
/// that skip columns stay lines of their own.
void BuildThinCurveSegments(std::span<const double> db, const CurveMapping& mapping,
                            std::vector<CurveSegment>& out);

/// Replaces `out` with the pixels of the dotted drawing: one per sample from sample 1 on, repeats
/// of the same pixel dropped.
void BuildDottedPixels(std::span<const double> db, const CurveMapping& mapping, std::vector<PixelPoint>& out);
