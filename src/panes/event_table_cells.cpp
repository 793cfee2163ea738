#include "panes/event_table_cells.h"

#include <algorithm>
#include <cmath>
#include <span>

#include "document/display_model_params.h"
#include "document/otdr_doc.h"
#include "measure/pass_fail_check.h"
#include "sor/sor_text.h"
#include "trace/trace_conversions.h"
#include "vocabulary/text_table.h"

int g_PassFailFailed = 0;

namespace {

// Text rows of the headings and cells.
constexpr LangRow kRowUserModify = 2;
constexpr LangRow kRowUserAdd = 3;
constexpr LangRow kRowDistanceEnd = 36;
constexpr LangRow kRowDistancePrevious = 37;
constexpr LangRow kRowNonReflective = 38;
constexpr LangRow kRowReflective = 39;
constexpr LangRow kRowEnd = 40;
constexpr LangRow kRowStart = 41;
constexpr LangRow kRowComment = 72;
constexpr LangRow kRowNumber = 73;
constexpr LangRow kRowType = 74;
constexpr LangRow kRowLocation = 75;
constexpr LangRow kRowReflectance = 76;
constexpr LangRow kRowInsertionLoss = 77;
constexpr LangRow kRowAttenuation = 78;
constexpr LangRow kRowCumulativeLoss = 79;
constexpr LangRow kRowLossPrevious = 230;
constexpr LangRow kRowOverThreshold = 334;

// Values smaller than these show as missing: they would print as a signed zero.
constexpr float kTinyReflectionOrSplice = 1e-6f;
constexpr float kTinyLoss = 0.0001f;
constexpr float kSplitterMinimumLoss = 5.0f;

// Optical modules whose large losses are splitters.
constexpr std::array<long, 5> kSplitterModules{3056, 3057, 3059, 3061, 3062};

bool IsMissing(float value) { return value == kMissingValue || !std::isfinite(value); }

std::string Distance(double km, double unitFactor) {
  const double shown = km * unitFactor;
  return std::isfinite(shown) ? FormatFixed5(shown) : std::string(kNoValueText);
}

std::string Decibels(double value) { return std::isfinite(value) ? FormatFixed3(value) : std::string(kNoValueText); }

// The loss-like columns after the first row: missing or too small shows as missing.
std::string LossOrMissing(float value) {
  return IsMissing(value) || std::fabs(value) < kTinyLoss ? std::string(kNoValueText) : Decibels(value);
}

const std::string& TypeText(std::int32_t type) {
  switch (type) {
    case kEventLaunch: return g_CurrentStrings[kRowStart];
    case kEventEnd: return g_CurrentStrings[kRowEnd];
    case kEventReflective: return g_CurrentStrings[kRowReflective];
    case kEventOutOfRange: return g_CurrentStrings[kRowOverThreshold];
    default: return g_CurrentStrings[kRowNonReflective];
  }
}

std::string CommentText(std::int32_t origin) {
  if (origin == kOriginUserAdded) return g_CurrentStrings[kRowUserAdd];
  if (origin == kOriginUserMoved) return g_CurrentStrings[kRowUserModify];
  return {};
}

// The wavelength field and slope are compared as stored; with tenths of nanometres in the field the
// rule never fires on real files, and it is kept for the files that store whole nanometres.
bool SlopeBlanksAttenuation(std::int16_t wavelengthField, std::int16_t slope) {
  return (wavelengthField == 1550 && slope < 0.16) || (wavelengthField == 1330 && slope < 0.3);
}

int TypeIcon(const EventRow& row, int index, long module, int endRow, std::span<const EventRow> allRows) {
  // Without an end event the end row lies past the rows in use: an empty row, whose loss is 0.
  const float endLoss = static_cast<std::size_t>(endRow) < allRows.size() ? allRows[static_cast<std::size_t>(endRow)].SpliceLoss : 0.0f;
  const bool splitter = row.Type != kEventLaunch && row.Type != kEventEnd && row.SpliceLoss > kSplitterMinimumLoss &&
                        std::find(kSplitterModules.begin(), kSplitterModules.end(), module) != kSplitterModules.end() &&
                        index < endRow && row.SpliceLoss > endLoss;
  if (splitter) return kIconSplitter;
  if (row.Type < kEventLaunch || row.Type > kEventOutOfRange) return kIconNonReflective;
  return row.Type + 1;
}

EventTableRowView MakeRow(const EventTableSource& source, int i, double unitFactor, long module) {
  const EventRow& row = source.rows[static_cast<std::size_t>(i)];
  const PassFailThresholds& limits = source.limits;
  const int endRow = std::clamp(source.endRow, 0, kMaxEventRows - 1);
  EventTableRowView view;
  auto& t = view.texts;
  const auto fail = [&view](int column) { view.failedColumns |= 1u << column; };

  t[kColNumber] = std::to_string(row.Index + 1);
  t[kColType] = TypeText(row.Type);
  t[kColLocation] = Distance(row.Distance, unitFactor);

  const bool reflectionShown = row.Type != kEventNonReflective && std::fabs(row.Reflectance) >= kTinyReflectionOrSplice;
  t[kColReflectance] = reflectionShown && !IsMissing(row.Reflectance) ? Decibels(row.Reflectance) : std::string(kNoValueText);
  if (reflectionShown && FailsLimit(limits, row.Reflectance, row.Type, kLimitKindReflectance)) fail(kColReflectance);

  const bool spliceShown = row.Type != kEventLaunch && row.Type != kEventEnd &&
                           std::fabs(row.SpliceLoss) >= kTinyReflectionOrSplice && !IsMissing(row.SpliceLoss);
  t[kColInsertionLoss] = spliceShown ? Decibels(row.SpliceLoss) : std::string(kNoValueText);
  if (spliceShown && FailsLimit(limits, row.SpliceLoss, row.Type, kLimitKindLoss)) fail(kColInsertionLoss);

  // Only a first event at the user's zero is the launch; a first event further in ends the first
  // section like any other.
  const bool launch = i == 0 && row.Type == kEventLaunch;
  if (launch) {
    t[kColAttenuation] = kNoValueText;
  } else if (SlopeBlanksAttenuation(source.record.FxdParams.ActualWavelength,
                                    KeyEventRow(source.record.KeyEvents, i).Slope)) {
    t[kColAttenuation] = kNoValueText;
  } else {
    t[kColAttenuation] = IsMissing(row.Attenuation) || std::fabs(row.Attenuation) < kTinyLoss
                             ? std::string(kNoValueText)
                             : Decibels(row.Attenuation / unitFactor);
    if (FailsLimit(limits, row.Attenuation, row.Type, kLimitKindAttenuation)) fail(kColAttenuation);
  }

  t[kColCumulativeLoss] = launch ? std::string(kNoValueText) : LossOrMissing(row.CumulativeLoss);
  t[kColDistancePrevious] = launch ? std::string(kNoValueText) : Distance(row.SectionLength, unitFactor);
  t[kColDistanceEnd] = i == source.endRow ? std::string(kNoValueText) : Distance(row.DistanceToEnd, unitFactor);
  t[kColLossPrevious] = launch ? std::string(kNoValueText) : LossOrMissing(row.SectionLoss);
  t[kColComment] = CommentText(row.Origin);
  view.typeIcon = TypeIcon(row, i, module, endRow, source.rows);
  return view;
}

}  // namespace

std::array<EventColumnHeading, kEventColumnCount> EventColumnHeadings(std::string_view unitName) {
  const std::string unit(unitName);
  const auto& s = g_CurrentStrings;
  return {{
      {s[kRowNumber], 40},
      {s[kRowType], 60},
      {s[kRowLocation] + "[" + unit + "]", 60},
      {s[kRowReflectance] + "[dB]", 70},
      {s[kRowInsertionLoss] + "[dB]", 80},
      {s[kRowAttenuation] + "[dB/" + unit + "]", 100},
      {s[kRowCumulativeLoss] + "[dB]", 80},
      {s[kRowDistancePrevious] + "[" + unit + "]", 95},
      {s[kRowDistanceEnd] + "[" + unit + "]", 100},
      {s[kRowLossPrevious] + "[dB]", 100},
      {s[kRowComment], 80},
  }};
}

long LeadingNumber(std::u16string_view text) {
  std::size_t i = 0;
  while (i < text.size() && (text[i] == u' ' || (text[i] >= u'\t' && text[i] <= u'\r'))) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) negative = text[i++] == u'-';
  long value = 0;
  // Module identifiers are short; stop growing well before the type could overflow.
  for (int digits = 0; i < text.size() && text[i] >= u'0' && text[i] <= u'9' && digits < 18; ++i, ++digits) {
    value = value * 10 + (text[i] - u'0');
  }
  return negative ? -value : value;
}

EventTableSource EventTableSourceOf(const COtdrDoc& doc) {
  return {EventRowsInUse(doc.m_EventRows, doc.m_nEventCount), doc.m_nEndEventRow, doc.m_SorRecord,
          doc.m_PassFailThresholds};
}

EventTableView ComputeEventTable(const COtdrDoc& doc, double unitFactor) {
  return ComputeEventTable(EventTableSourceOf(doc), unitFactor);
}

long ModuleNumberOf(const SorRecord& record) { return LeadingNumber(SorTextView(record.SupParams.OpticalModuleId)); }

EventTableView ComputeEventTable(const EventTableSource& source, double unitFactor) {
  const long module = ModuleNumberOf(source.record);
  EventTableView table;
  const int count = static_cast<int>(std::min(source.rows.size(), static_cast<std::size_t>(kMaxEventRows)));
  table.rows.reserve(static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i) {
    table.rows.push_back(MakeRow(source, i, unitFactor, module));
    table.anyFailed = table.anyFailed || table.rows.back().failedColumns != 0;
  }
  return table;
}
