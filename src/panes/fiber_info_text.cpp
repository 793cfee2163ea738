#include "panes/fiber_info_text.h"

#include <cmath>
#include <string>

#include "document/otdr_doc.h"
#include "measure/link_orl_cache.h"
#include "measure/pass_fail_verdict.h"
#include "panes/link_value_texts.h"
#include "platform/number_format.h"
#include "vocabulary/text_table.h"

namespace {

constexpr LangRow kRowMeasureDate = 35;    // "Measure Date:"
constexpr LangRow kRowRange = 335;         // "Range:"
constexpr LangRow kRowTotalLength = 69;    // "Total Length:"
constexpr LangRow kRowTotalLoss = 70;      // "Total Loss:"
constexpr LangRow kRowTotalAttn = 71;      // "Total Attn.:"
constexpr LangRow kRowTotalOrl = 251;      // "Total ORL:"
constexpr LangRow kRowEventNumber = 68;    // "Event Number:"


std::string LengthText(float km, const LengthUnit& unit) {
  if (km == 0.0f) return "---.---";
  return lumivane::Format("%7.5f ", km * unit.factor) + std::string(unit.name);
}

}  // namespace

PaneLines FiberInfoLines(COtdrDoc& doc, const LengthUnit& unit) {
  const TraceDateTime& t = doc.m_TraceDateTime;
  const LinkSummaryRecord& link = doc.m_LinkSummary;
  const float orl = TakeLinkOrl(doc);
  const LinkValueTexts totals = FormatLinkValues(link, orl, unit.factor, unit.name);
  const LinkLimitFails fails = JudgeLinkLimits(link, doc.m_PassFailThresholds, orl);

  const auto label = [](LangRow row) { return g_CurrentStrings[row]; };
  return {
      {label(kRowMeasureDate),
       lumivane::Format("%02d/%02d/%04d %02d:%02d:%02d", t.Month, t.Day, t.Year, t.Hour, t.Minute, t.Second),
       kFiberInfoValueX},
      {label(kRowRange), LengthText(link.TraceLength, unit), kFiberInfoLengthValueX},
      {label(kRowTotalLength), LengthText(link.LinkLength, unit), kFiberInfoLengthValueX},
      {label(kRowTotalLoss), PaneValue(totals.loss), kFiberInfoValueX, fails.linkLoss},
      {label(kRowTotalAttn), PaneValue(totals.attenuation), kFiberInfoValueX},
      {label(kRowTotalOrl), " " + PaneValue(totals.orl), kFiberInfoValueX, fails.linkOrl},
      {label(kRowEventNumber), lumivane::Format("  %d", doc.m_nEventCount), kFiberInfoValueX},
  };
}
