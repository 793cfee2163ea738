#pragma once
// Where each curve of the overlay lies on the shared distance axis. The axis is the current
// trace's: its sample i lies at x = i x pixels per sample and every distance counts from its user's
// zero. Another trace's sample j lies where the axis shows that sample's distance from its own
// user's zero, so a feature stands at the distance its own trace's table gives it whichever trace
// is current, even when the files' offsets differ.

struct SorRecord;

/// How a trace's sample indices become distances from its user's zero.
struct TraceDistanceScale {
  double kmPerSample = 0.0;  // fibre length / (points - 1), as GetDistance_Position counts
  double userZeroKm = 0.0;   // UserZeroDistanceKm: from the first sample to the user's zero
};

/// The distance scale of `record`'s first trace covering `fibreLengthKm`.
TraceDistanceScale DistanceScaleOf(const SorRecord& record, double fibreLengthKm);

/// A curve's place on the canvas: its sample j at x = originX + j x step (before truncation).
struct CurvePlacement {
  double originX = 0.0;
  double step = 0.0;
};

/// The place of a trace of scale `trace` on an axis of scale `axis` drawn at `pixelsPerSample`. A
/// trace or axis without a length (no group index, fewer than two samples) keeps the axis's pixels
/// per sample and starts at the axis's first sample.
CurvePlacement PlaceOnAxis(double pixelsPerSample, const TraceDistanceScale& axis, const TraceDistanceScale& trace);
