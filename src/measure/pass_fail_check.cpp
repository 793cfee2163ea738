#include "measure/pass_fail_check.h"

#include <cmath>
#include <vector>

#include "trace/display_records.h"

namespace {

constexpr float kTolerance = 0.0001f;

float Magnitude(const PassFailThresholds& limits, PassFailLimit limit) {
  return std::fabs(limits.Limit[static_cast<std::size_t>(limit)]);
}

// Reflectances and return losses are better the larger their magnitude.
int AtLeast(float value, const PassFailThresholds& limits, PassFailLimit limit) {
  return std::fabs(value) - Magnitude(limits, limit) < kTolerance ? 0 : 1;
}

// Losses and attenuations are better the smaller their magnitude.
int AtMost(float value, const PassFailThresholds& limits, PassFailLimit limit) {
  return std::fabs(value) - Magnitude(limits, limit) > kTolerance ? 0 : 1;
}

}  // namespace

int CheckLimit(const float* value, const std::int32_t* type, int kind, const PassFailThresholds& limits) {
  const float v = *value;
  if (kind == kLimitKindLinkLoss) return AtMost(v, limits, kLimitLinkLoss);
  if (kind == kLimitKindLinkOrl) return AtLeast(v, limits, kLimitLinkOrl);
  switch (*type) {
    case kEventEnd:
      return kind == kLimitKindReflectance ? AtLeast(v, limits, kLimitReflectance) : 1;
    case kEventReflective:
      if (kind == kLimitKindReflectance) return AtLeast(v, limits, kLimitReflectance);
      if (kind == kLimitKindLoss) return AtMost(v, limits, kLimitConnectorLoss);
      if (kind == kLimitKindAttenuation) return AtMost(v, limits, kLimitAttenuation);
      return 1;
    case kEventNonReflective:
    case kEventOutOfRange:
      if (kind == kLimitKindLoss) return AtMost(v, limits, kLimitSpliceLoss);
      if (kind == kLimitKindAttenuation) return AtMost(v, limits, kLimitAttenuation);
      return 1;
    default:
      return 1;
  }
}

bool IsLimitEnabled(const PassFailThresholds& limits, std::int32_t type, int kind) {
  if (limits.Judged == 0) return false;
  PassFailLimit limit = kLimitSpliceLoss;
  switch (kind) {
    case kLimitKindReflectance: limit = kLimitReflectance; break;
    // Each loss is gated by the box of the limit it is judged against (CheckLimit).
    case kLimitKindLoss: limit = type == kEventReflective ? kLimitConnectorLoss : kLimitSpliceLoss; break;
    case kLimitKindAttenuation: limit = kLimitAttenuation; break;
    case kLimitKindLinkLoss: limit = kLimitLinkLoss; break;
    case kLimitKindLinkOrl: limit = kLimitLinkOrl; break;
    default: return false;
  }
  const auto slot = static_cast<std::size_t>(limit);
  return limits.Enabled[slot] != 0 && limits.Set[slot] != 0;
}

bool FailsLimit(const PassFailThresholds& limits, float value, std::int32_t type, int kind) {
  return IsLimitEnabled(limits, type, kind) && CheckLimit(&value, &type, kind, limits) == 0;
}

std::vector<bool> LossLimitFails(std::span<const EventRow> rows, const PassFailThresholds& limits) {
  std::vector<bool> fails;
  fails.reserve(rows.size());
  for (const EventRow& row : rows) fails.push_back(FailsLimit(limits, row.SpliceLoss, row.Type, kLimitKindLoss));
  return fails;
}
