#pragma once
// Pass or fail of one event or link value against the pass/fail limits. Magnitudes are compared,
// whatever the signs of value and limit, with a tolerance of 0.0001 in favour of the value.
#include <cstdint>
#include <span>
#include <vector>

#include "document/document_settings.h"
#include "trace/display_records.h"

/// What a judged value is.
enum LimitKind : int {
  kLimitKindReflectance = 0,
  kLimitKindLoss = 1,         // splice loss, or connector loss of a reflective event
  kLimitKindAttenuation = 2,  // as stored (dB/km)
  kLimitKindLinkLoss = 4,
  kLimitKindLinkOrl = 5,
};

/// Index of each limit in PassFailThresholds::Limit and ::Enabled.
enum PassFailLimit : int {
  kLimitSpliceLoss = 0,
  kLimitConnectorLoss = 1,
  kLimitReflectance = 2,
  kLimitAttenuation = 3,
  kLimitLinkLoss = 4,
  kLimitLinkOrl = 5,
};

/// 1 when `*value` of an event of `*type` (EventRowType) passes the limit of `kind`, else 0. A
/// reflectance or link ORL passes at least 0.0001 dB beyond its limit; a loss or attenuation at
/// most 0.0001 above it. Launch events pass, and so do an end event's loss and attenuation.
int CheckLimit(const float* value, const std::int32_t* type, int kind, const PassFailThresholds& limits);

/// Whether the user wants values of `kind` of an event of `type` judged: the connector-loss box gates
/// the losses of reflective events, the splice-loss box those of every other event.
/// Nothing is judged while there are no limits (PassFailThresholds::Judged 0), nor against a limit
/// the file holds no usable number for (PassFailThresholds::Set 0).
bool IsLimitEnabled(const PassFailThresholds& limits, std::int32_t type, int kind);

/// True when `value` of `kind` of an event of `type` is judged and fails its limit.
bool FailsLimit(const PassFailThresholds& limits, float value, std::int32_t type, int kind);

/// Per row, whether its loss is judged and fails, as the link map marks it.
std::vector<bool> LossLimitFails(std::span<const EventRow> rows, const PassFailThresholds& limits);
