#pragma once
// The measurement time of a trace file: seconds since 1970-01-01 00:00:00 as the instrument's clock
// showed them. No time zone is applied, so every machine shows the time the instrument recorded.
#include <cstdint>

#include "trace/display_records.h"

/// Calendar second, minute, hour, day, month and year of an unsigned time stamp.
TraceDateTime TraceDateTimeOf(std::uint32_t secondsSince1970);
