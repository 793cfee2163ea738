#pragma once
// The dB copy of a trace that the view draws and prints, and the distance of a sample on a record.
#include <cstdint>
#include <span>

struct SorRecord;

/// Range, lowest and highest dB of a trace as the plot uses them.
struct TraceDbRange {
  double minDb = 0.0;
  double maxDb = 0.0;   // raised to the noise floor, the top of the plot
  double spanDb = 0.0;  // maxDb - minDb
};

/// The range of a trace already in dB; a noise floor (0.001 dB) below 65,000 raises a lower maximum
/// to it.
TraceDbRange DbRangeOf(std::span<const double> db, std::uint16_t noiseFloor);

/// Fills `db` with sample / scale factor and returns the trace's range (DbRangeOf).
TraceDbRange ConvertSamplesToDb(std::span<const std::uint16_t> samples, std::int16_t scaleFactor,
                                std::uint16_t noiseFloor, std::span<double> db);

/// The dB copy of the record's first trace (kind 0, SR-4731): n values into `db`, the range km
/// (the fibre length), minimum, maximum and span; returns 1.
int ConvertTraceToDb(int kind, const SorRecord& record, double fibreLengthKm, int n, std::span<double> db,
                     double& rangeKm, double& minDb, double& maxDb, double& spanDb);

/// Distance (km from the user's zero) of a sample index on the record's first trace; kind 0 only, any other kind shows
/// "GetDistance_Position" and gives 0; a trace of fewer than two points gives 0.
float GetDistanceFromRecords(int kind, const SorRecord& record, double fibreLengthKm, int index);
