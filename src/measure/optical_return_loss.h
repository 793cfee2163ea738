#pragma once
// Optical return loss of a fibre link, estimated from the reflections of its events and the
// Rayleigh backscatter of its length, with fit constants by wavelength band and length band.
#include <span>

#include "trace/display_records.h"

/// ORL (dB) of the link from the start to the first end-of-fibre row, counting reflections with
/// 6 < |R| < 70 dB; 0 when there is no end row, it is row 0, or it lies at distance 0.
float ComputeLinkOrl(std::span<const EventRow> rows, int rowCount, float wavelengthNm);

/// ORL (dB) of the stretch between two distances (km, either order), measured like a link from the
/// nearer distance: the reflections of the rows inside it, counted as the link ORL counts them, with
/// both distances held at the first end row; 0 when the distances are equal or the nearer one lies
/// at or past an end row that is not row 0. The 2-point ORL of the screen and of every page.
float EstimateOrl(std::span<const EventRow> rows, int rowCount, float wavelengthNm, float distanceAKm,
                  float distanceBKm);
