#pragma once
// Trace files shaped like an instrument's: one pulse-shaped trace (launch reflection, fibre with
// splices and connectors, end of the fibre into noise) with its key events, as the codec writes it.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "sor/sor_record.h"

/// The record of a link measured with `points` samples (at most kSorMaxSamples).
std::unique_ptr<SorRecord> PulseTraceRecord(int points);

/// The file image of PulseTraceRecord(points).
std::vector<std::uint8_t> PulseTraceImage(int points);

/// The same image with its checksum stored in another convention: the CRC started from 0 instead
/// of 0xFFFF, which some instruments write; the reader tries it last.
std::vector<std::uint8_t> WithForeignChecksum(std::vector<std::uint8_t> image);

/// Short label of a file size for benchmark names, such as "80k".
std::string PointsLabel(int points);
