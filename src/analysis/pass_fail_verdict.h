#pragma once
// The link values the Total Fiber Information pane judges, shared with the verdict every judged
// value on screen feeds.
class COtdrDoc;

struct LinkLimitFails {
  bool linkLoss = false;
  bool linkOrl = false;
  bool Any() const { return linkLoss || linkOrl; }
};

/// Whether the link loss (only with a link to measure) and `linkOrl` are judged and fail, with the
/// pane's own tolerance of 0.000001 dB.
LinkLimitFails JudgeLinkLimits(const COtdrDoc& doc, float linkOrl);
