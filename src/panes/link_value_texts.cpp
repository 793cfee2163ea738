#include "panes/link_value_texts.h"

#include "measure/pass_fail_verdict.h"
#include "panes/event_table_cells.h"
#include "platform/number_format.h"

namespace {

constexpr std::string_view kNoLinkText = "---.---";
constexpr std::size_t kPaneValueWidth = 7;

}  // namespace

std::string OrlText(float orl) {
  return (IsLinkOrl(orl) ? lumivane::Format("%.3f", orl) : std::string(kNoValueText)) + " dB";
}

std::string PaneValue(const std::string& text) {
  const std::size_t number = text.find(' ');
  const std::size_t width = number == std::string::npos ? text.size() : number;
  return std::string(width < kPaneValueWidth ? kPaneValueWidth - width : 0, ' ') + text;
}

LinkValueTexts FormatLinkValues(const LinkSummaryRecord& link, float linkOrl, double unitFactor,
                                std::string_view unitName) {
  const std::string unit(unitName);
  const std::string none(kNoValueText);
  const bool hasLink = link.LinkLength != 0.0f;
  LinkValueTexts texts;
  texts.length = hasLink ? lumivane::Format("%.5f ", link.LinkLength * unitFactor) + unit : std::string(kNoLinkText);
  if (!hasLink) {
    texts.loss = std::string(kNoLinkText);
  } else {
    texts.loss = (IsLinkValue(link.LinkLoss) ? lumivane::Format("%.3f", link.LinkLoss) : none) + " dB";
  }
  const bool attenuationKnown = hasLink && IsLinkValue(link.LinkLoss) && IsLinkValue(link.LossPerKm);
  texts.attenuation =
      (attenuationKnown ? lumivane::Format("%.3f", link.LossPerKm / unitFactor) : none) + " dB/" + unit;
  texts.orl = OrlText(linkOrl);
  return texts;
}
