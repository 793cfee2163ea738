#include "measure/pass_fail_verdict.h"

#include <cmath>

#include "measure/pass_fail_check.h"

namespace {

// The pane's own tolerance, finer than the pass/fail check's.
constexpr double kTolerance = 0.000001;

}  // namespace

bool IsLinkValue(float value) { return std::isfinite(value) && value != kMissingValue; }

bool IsLinkOrl(float orl) { return IsLinkValue(orl) && orl > 0.0f; }

LinkLimitFails JudgeLinkLimits(const LinkSummaryRecord& link, const PassFailThresholds& limits, float linkOrl) {
  const bool hasLink = std::fabs(link.LinkLength) > kTolerance;
  LinkLimitFails fails;
  // A value the file does not hold is judged by no limit.
  fails.linkLoss = hasLink && IsLinkValue(link.LinkLoss) && IsLimitEnabled(limits, kEventLaunch, kLimitKindLinkLoss) &&
                   std::fabs(link.LinkLoss) - std::fabs(limits.Limit[kLimitLinkLoss]) > kTolerance;
  fails.linkOrl = IsLinkOrl(linkOrl) && IsLimitEnabled(limits, kEventLaunch, kLimitKindLinkOrl) &&
                  std::fabs(linkOrl) - std::fabs(limits.Limit[kLimitLinkOrl]) < kTolerance;
  return fails;
}
