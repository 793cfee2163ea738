#include "analysis/pass_fail_verdict.h"

#include <cmath>

#include "analysis/pass_fail_check.h"
#include "document/otdr_doc.h"

namespace {

// The pane's own tolerance, finer than the pass/fail check's.
constexpr double kTolerance = 0.000001;

}  // namespace

LinkLimitFails JudgeLinkLimits(const COtdrDoc& doc, float linkOrl) {
  const LinkSummaryRecord& link = doc.m_LinkSummary;
  const PassFailThresholds& limits = doc.m_PassFailThresholds;
  const bool hasLink = std::fabs(link.LinkLength) > kTolerance;
  LinkLimitFails fails;
  fails.linkLoss = hasLink && IsLimitEnabled(limits, kEventLaunch, kLimitKindLinkLoss) &&
                   std::fabs(link.LinkLoss) - std::fabs(limits.Limit[kLimitLinkLoss]) > kTolerance;
  fails.linkOrl = IsLimitEnabled(limits, kEventLaunch, kLimitKindLinkOrl) &&
                  std::fabs(linkOrl) - std::fabs(limits.Limit[kLimitLinkOrl]) < kTolerance;
  return fails;
}
