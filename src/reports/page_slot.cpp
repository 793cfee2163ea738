#include "reports/page_slot.h"

#include <algorithm>

#include "measure/pass_fail_verdict.h"
#include "panes/event_table_cells.h"
#include "panes/link_value_texts.h"
#include "platform/number_format.h"
#include "sor/sor_text.h"
#include "trace/trace_conversions.h"
#include "vocabulary/length_unit.h"
#include "vocabulary/text_table.h"

using lumivane::Format;

static_assert(kSlotEventColumns == kEventColumnCount, "an event cell holds the table's columns");

namespace {

constexpr std::size_t kHeaderValueChars = 100;

struct FibreTypeText {
  int type;
  LangRow row;
};
constexpr FibreTypeText kFibreTypes[] = {{651, 15}, {652, 16}, {653, 17}, {655, 14}};

const std::string& Row(LangRow row) { return g_CurrentStrings[static_cast<std::size_t>(row)]; }

/// A record text as UTF-8: each stored byte widened, cut to its first 100
/// characters.
template <std::size_t N>
std::string HeaderValue(const char16_t (&text)[N]) {
  std::string out;
  const std::u16string_view view = SorTextView(text);
  for (std::size_t i = 0; i < view.size() && i < kHeaderValueChars; ++i) {
    const char16_t c = view[i] <= 0xFF ? view[i] : u'?';
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

std::string Labelled(LangRow row, std::string_view value) { return Row(row) + " : " + std::string(value); }

// Codes without a text of their own show nothing rather than an earlier trace's
// fibre type.
std::string FibreTypeName(int type) {
  for (const FibreTypeText& entry : kFibreTypes) {
    if (entry.type == type) return Row(entry.row).substr(0, kHeaderValueChars);
  }
  return {};
}

std::string RangeText(const FibreParamsRecord& fibre) {
  if (fibre.Range == 0.0f) return Row(86) + "Auto";
  return Row(86) + Format("%6.1f ", fibre.Range * g_LengthUnitFactor) + g_LengthUnitName;
}

}  // namespace

void ReleaseOwnedSamples(PageSlot& slot) {
  if (slot.OwnedSamples && slot.Samples == slot.OwnedSamples->Values.data()) slot.Samples = nullptr;
  slot.OwnedSamples.reset();
}

double ComputeLowestLevel(const SorRecord& record, int count) {
  double lowest = 9999.0;
  const int n = std::min(count, kSorMaxSamples);
  for (int i = 1; i < n; ++i) lowest = std::min(lowest, StoredSampleDb(record, i));
  return lowest;
}

void FillInsertionLossLine(PageSlot& slot, int eventNumber, const EventTableView& table) {
  const std::string label = Row(220) + Format("%d: ", eventNumber);
  const int rows = static_cast<int>(table.rows.size());
  // Event 0 means no event holds the marker: there is no row to read a loss from.
  const EventTableRowView* row =
      eventNumber >= 1 && eventNumber <= rows ? &table.rows[static_cast<std::size_t>(eventNumber - 1)] : nullptr;
  slot.InfoText[13] = label + (row != nullptr ? row->texts[kColInsertionLoss] : std::string(kNoValueText)) + " dB";
  slot.FailedFrom[13] = row != nullptr && row->Failed(kColInsertionLoss) ? label.size() : 0;
}

std::string_view SlotFileName(std::string_view path) {
  const std::size_t cut = path.find_last_of("/\\");
  if (cut == std::string_view::npos || cut == 0) return path;
  return path.substr(cut + 1);
}

std::string FillPageSlotInfo(PageSlot& slot, const SorRecord& record, const FibreParamsRecord& fibre,
                             const TraceDateTime& time, std::string_view path) {
  const SorGenParams& gen = record.GenParams;
  const std::string name(SlotFileName(path));
  slot.Used = 1;
  auto& t = slot.InfoText;
  t[0] = Labelled(231, name);
  t[1] = Labelled(47, HeaderValue(gen.CableId));
  t[2] = Labelled(46, HeaderValue(gen.FiberId));
  t[3] = Labelled(88, HeaderValue(gen.Operator));
  t[4] = Labelled(87, Format("%02d-%02d-%02d   %02d:%02d:%02d", time.Month, time.Day, time.Year, time.Hour, time.Minute,
                             time.Second));
  t[5] = Labelled(45, HeaderValue(gen.OriginatingLocation));
  t[6] = Labelled(44, HeaderValue(gen.TerminatingLocation));
  t[7] = Labelled(43, FibreTypeName(gen.FiberType));
  t[8] = RangeText(fibre);
  t[9] = Row(89) + Format("%6d ns", fibre.PulseWidth);
  t[10] = Row(90) + Format("%6d nm", fibre.Wavelength);
  t[11] = Row(91) + Format(" %8.5f", static_cast<double>(fibre.GroupIndex));
  t[12] = Row(92) + Format("%5.2f dB", static_cast<double>(fibre.Backscatter));
  t[23] = Labelled(336, HeaderValue(record.NorvalexParams.JobID));
  t[24] = Labelled(337, HeaderValue(record.NorvalexParams.Customer));
  return name;
}

void FormatCellMeasurements(PageSlot& slot, const ReportTraceSet& set) {
  const double f = g_LengthUnitFactor;
  const std::string& u = g_LengthUnitName;
  // The pane's value texts, without the blanks that align them in its column.
  const auto reading = [&set](int k) {
    const std::string& text = set.marker.texts[static_cast<std::size_t>(k)];
    return text.substr(std::min(text.find_first_not_of(' '), text.size()));
  };
  auto& t = slot.InfoText;

  t[15] = Row(215) + reading(kReadingDistanceAB);
  t[16] = Row(216) + reading(kReadingTwoPointLoss);
  t[17] = Row(217) + reading(kReadingTwoPointAttenuation);
  const LinkValueTexts totals = FormatLinkValues(set.link, set.linkOrl, f, u);
  t[22] = Row(251) + totals.orl;
  t[21] = Row(218) + reading(kReadingLsaAttenuation);
  t[14] = set.marker.labels[kReadingCumulativeLoss] + ": " + reading(kReadingCumulativeLoss);
  t[18] = Row(69) + totals.length;
  t[19] = Row(70) + totals.loss;
  t[20] = Row(71) + totals.attenuation;
  const LinkLimitFails fails = JudgeLinkLimits(set.link, set.limits, set.linkOrl);
  slot.FailedFrom[19] = fails.linkLoss ? Row(70).size() : 0;
  slot.FailedFrom[22] = fails.linkOrl ? Row(251).size() : 0;
  const int last = std::max(set.pointCount - 1, 0);
  slot.CellMarkerA = std::clamp(set.markerA, 0, last);
  slot.CellMarkerB = std::clamp(set.markerB, 0, last);
}

void FillPageSlotEvents(PageSlot& slot, int first, int end, const EventTableView& table, std::string_view title,
                        int totalEvents) {
  const int size = static_cast<int>(table.rows.size());
  first = std::clamp(first, 0, size);
  end = std::clamp(end, first, std::min(size, first + kSlotEventRows));
  slot.Used = 0;
  slot.RowCount = end - first;
  for (int e = first; e < end; ++e) {
    const EventTableRowView& row = table.rows[static_cast<std::size_t>(e)];
    std::copy(row.texts.begin(), row.texts.end(), slot.EventText.begin() + kSlotEventColumns * (e - first));
    slot.EventFailed[static_cast<std::size_t>(e - first)] = row.failedColumns;
  }
  slot.FirstRow = first;
  slot.EndRow = end;
  slot.Title = std::string(title);
  slot.TotalEvents = totalEvents;
}
