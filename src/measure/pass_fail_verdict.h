#pragma once
// The link values the Total Fiber Information pane judges, shared with the verdict every judged
// value on screen and on paper feeds.
#include "document/document_settings.h"
#include "trace/display_records.h"

/// Whether a link loss, attenuation or ORL is a value: not kMissingValue, finite, and for an ORL
/// above 0 dB (no link returns all of its light).
bool IsLinkValue(float value);
bool IsLinkOrl(float orl);

struct LinkLimitFails {
  bool linkLoss = false;
  bool linkOrl = false;
  bool Any() const { return linkLoss || linkOrl; }
};

/// Whether the link loss of `link` (only with a link to measure) and `linkOrl` are judged by
/// `limits` and fail, with the pane's own tolerance of 0.000001 dB.
LinkLimitFails JudgeLinkLimits(const LinkSummaryRecord& link, const PassFailThresholds& limits, float linkOrl);
