// One value reads the same in every view: the event table, the information panes, the text export
// and the printed report, each computed by the document-level function that view uses.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <functional>
#include <iostream>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "vocabulary/length_unit.h"
#include "vocabulary/text_table.h"
#include "document/display_model.h"
#include "document/display_model_events.h"
#include "document/display_model_params.h"
#include "trace/trace_conversions.h"
#include "document/otdr_doc.h"
#include "panes/event_table_cells.h"
#include "panes/fiber_info_text.h"
#include "panes/link_value_texts.h"
#include "panes/marker_info_text.h"
#include "panes/parameters_text.h"
#include "panes/trace_values.h"
#include "platform/number_format.h"
#include "platform/path_util.h"
#include "document/trace_display_model.h"
#include "reports/ascii_export.h"
#include "reports/print_file_reading.h"
#include "reports/report_page_texts.h"
#include "reports/report_trace_set.h"
#include "recording_message_sink.h"
#include "sample_files.h"
#include "temp_dir.h"

namespace {

std::string Trimmed(std::string_view text) {
  const auto first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  return std::string(text.substr(first, text.find_last_not_of(' ') - first + 1));
}

std::string After(std::string_view text, std::string_view label) {
  const auto at = text.find(label);
  return at == std::string_view::npos ? std::string("<no " + std::string(label) + ">")
                                      : Trimmed(text.substr(at + label.size()));
}

bool IsMissingText(std::string_view text) { return text.find_first_not_of("-.") == std::string_view::npos; }

int Decimals(std::string_view number) {
  const auto point = number.find('.');
  return point == std::string_view::npos ? 0 : static_cast<int>(number.size() - point - 1);
}

// Two shown numbers agree when both are missing, or when they are the same number at the coarser
// of the two precisions they are shown with.
::testing::AssertionResult SameShown(const std::string& a, const std::string& b) {
  if (IsMissingText(a) && IsMissingText(b)) return ::testing::AssertionSuccess();
  if (IsMissingText(a) != IsMissingText(b) || a.empty() || b.empty()) {
    return ::testing::AssertionFailure() << '"' << a << "\" vs \"" << b << '"';
  }
  const int decimals = std::min(Decimals(a), Decimals(b));
  const double step = std::pow(10.0, -decimals);
  if (std::fabs(std::strtod(a.c_str(), nullptr) - std::strtod(b.c_str(), nullptr)) < step * 0.51) {
    return ::testing::AssertionSuccess();
  }
  return ::testing::AssertionFailure() << '"' << a << "\" vs \"" << b << '"';
}

std::vector<std::string> Split(std::string_view text, std::string_view separator) {
  std::vector<std::string> parts;
  for (std::size_t from = 0;;) {
    const auto at = text.find(separator, from);
    parts.emplace_back(text.substr(from, at == std::string_view::npos ? std::string_view::npos : at - from));
    if (at == std::string_view::npos) return parts;
    from = at + separator.size();
  }
}

// The event lines of a comma-separated export: number, type, location, reflectance, insertion
// loss, attenuation and cumulative loss, each without its padding.
std::vector<std::vector<std::string>> ExportedEvents(const std::string& text) {
  std::vector<std::vector<std::string>> events;
  for (const std::string& line : Split(text, "\r\n")) {
    std::vector<std::string> cells = Split(line, ",");
    if (cells.size() != 7 || Trimmed(cells[0]).empty() || Trimmed(cells[0]).find_first_not_of("0123456789") != std::string::npos) continue;
    for (std::string& cell : cells) cell = Trimmed(cell);
    events.push_back(std::move(cells));
  }
  return events;
}

class CrossViewInterop : public ::testing::Test {
 protected:
  void SetUp() override {
    InitLanguageTable();
    SelectLanguage(LanguageColumn::English);
    ResetLengthUnit();
  }
  void TearDown() override { ResetLengthUnit(); }

  // Opened as the open path opens a file, with the values the panes and printing share brought up
  // to date as after its first broadcast.
  std::unique_ptr<COtdrDoc> Open(const std::string& name) {
    auto doc = std::make_unique<COtdrDoc>();
    const std::string path = lumivane::JoinPath(lumivane::test::SampleDir(), name);
    if (doc->OpenTraceFile(path, 0, doc->m_SorRecord) != 1) return nullptr;
    const DisplayModelInputs inputs{doc->m_SorRecord.UserName.DistanceCorrection};
    LoadDisplayModel(kSorFileKind, doc->m_SorRecord, inputs, doc->DisplayModelMembers());
    ApplyStoredLossTotals(doc->m_SorRecord, doc->m_EventRows, doc->m_nEventCount);
    UpdateTraceValues(*doc, nullptr, 0, folder.path().string());
    return doc;
  }

  // Each sample file opened afresh in each display unit.
  void ForEachFileAndUnit(const std::function<void(COtdrDoc&, const LengthUnit&)>& check) {
    for (const LengthUnit& unit : kLengthUnits) {
      SetLengthUnit(unit.name);
      for (const auto& file : lumivane::test::SampleSorFiles()) {
        SCOPED_TRACE(file.name + " in " + std::string(unit.name));
        const auto doc = Open(file.name);
        ASSERT_NE(doc, nullptr);
        check(*doc, unit);
      }
    }
  }

  lumivane::test::TempDir folder;
  lumivane::test::RecordingMessageSink sink;
  lumivane::ScopedMessageSink scoped{sink};
};

TEST_F(CrossViewInterop, EveryEventValueReadsTheSameInTheTableAndTheExport) {
  SKIP_WITHOUT_SAMPLES();
  ForEachFileAndUnit([](COtdrDoc& doc, const LengthUnit& unit) {
    const EventTableView table = ComputeEventTable(doc, unit.factor);
    const auto exported = ExportedEvents(
        ComposeAsciiExport(doc, AsciiExportOptions{0, 0, 1, 0, 1}, ExportUnit{unit.name, unit.factor}));
    ASSERT_EQ(exported.size(), table.rows.size());
    for (std::size_t i = 0; i < table.rows.size(); ++i) {
      SCOPED_TRACE("row " + std::to_string(i + 1));
      const auto& shown = table.rows[i].texts;
      const std::vector<std::string>& out = exported[i];
      const std::pair<int, std::size_t> columns[] = {{kColLocation, 2},      {kColReflectance, 3},
                                                     {kColInsertionLoss, 4}, {kColAttenuation, 5},
                                                     {kColCumulativeLoss, 6}};
      for (const auto& [column, text] : columns) {
        EXPECT_TRUE(SameShown(shown[static_cast<std::size_t>(column)], out[text])) << "column " << column;
      }
    }
  });
}

TEST_F(CrossViewInterop, RangeLinkAndMarkerValuesReadTheSameInThePanesTheExportAndTheReport) {
  SKIP_WITHOUT_SAMPLES();
  ForEachFileAndUnit([](COtdrDoc& doc, const LengthUnit& unit) {
    const ReportTraceSet set = DocumentTraceSet(doc);

    // The acquisition range: Parameters pane, text export, report header.
    const std::string range = Trimmed(ParametersLines(doc, unit)[0].value);
    const std::string exported =
        ComposeAsciiExport(doc, AsciiExportOptions{0, 1, 0, 0, 1}, ExportUnit{unit.name, unit.factor});
    EXPECT_EQ(After(Split(exported, "\r\n")[1], "="), range) << "text export";
    const TraceInfoInputs header{set.record, set.dateTime, set.fibre, set.path, unit.name, unit.factor, false, {}};
    EXPECT_EQ(After(TraceInfoLines(header)[4], ":"), range) << "report header";

    // The link totals: Total Fiber Information pane and the report's totals line.
    const PaneLines fibre = FiberInfoLines(doc, unit);
    const std::vector<PlacedText> totals = TotalsLine(set.link, set.linkOrl, unit.name, unit.factor, set.limits);
    ASSERT_EQ(totals.size(), 5u);
    for (std::size_t k = 0; k < totals.size(); ++k) {
      SCOPED_TRACE(fibre[k + 1].label);
      const std::string pane = Trimmed(fibre[k + 1].value);
      const std::string printed = After(totals[k].text, ":");
      // The printed range has two blanks before its unit, the pane's one: the words must agree.
      const std::string paneNumber = Split(pane, " ")[0];
      const std::string printedNumber = Split(printed, " ")[0];
      EXPECT_TRUE(SameShown(paneNumber, printedNumber));
      EXPECT_EQ(Trimmed(pane.substr(paneNumber.size())), Trimmed(printed.substr(printedNumber.size()))) << "units";
    }

    // The marker readings: Marker Information pane and the report's markers block.
    const PaneLines marker = MarkerInfoLines(doc, doc.m_MarkerReadings, MarkerOrlOf(doc), unit);
    std::size_t slot = 0;
    for (std::size_t k = 0; k < marker.size(); ++k) {
      if (k == 6) {
        EXPECT_EQ(Trimmed(marker[k].value), OrlText(set.marker.orl));
        continue;
      }
      EXPECT_EQ(marker[k].value, set.marker.texts[slot++]) << marker[k].label;
    }
  });
}

TEST_F(CrossViewInterop, EveryDistanceCountsFromTheUsersZero) {
  SKIP_WITHOUT_SAMPLES();
  ForEachFileAndUnit([](COtdrDoc& doc, const LengthUnit& unit) {
    const SorRecord& record = doc.m_SorRecord;
    const EventTableView table = ComputeEventTable(doc, unit.factor);
    ASSERT_EQ(static_cast<int>(table.rows.size()), doc.m_nEventCount);
    // Each row's location is its stored time of flight, which counts from the user's zero.
    for (int i = 0; i < doc.m_nEventCount; ++i) {
      SCOPED_TRACE("row " + std::to_string(i + 1));
      const double stored = CorrectedDistance(DistanceOfTime(record.KeyEvents.Events[i].TimeOfFlight,
                                                             record.FxdParams.GroupIndex),
                                              record.UserName.DistanceCorrection);
      EXPECT_TRUE(SameShown(table.rows[static_cast<std::size_t>(i)].texts[kColLocation],
                            lumivane::Format("%.5f", stored * unit.factor)));
    }
    // Total Length is the distance between the file's end-to-end markers, whatever time the End
    // event stores (instruments put marker 2 on it or a few time units past it, and marker 1 at the
    // zero or at the front panel); the End row's location is its own event's time, checked above.
    if (doc.m_LinkSummary.LinkLength != 0.0f) {
      const double span = CorrectedDistance(
          DistanceOfTime(record.KeyEvents.EndToEndMarker2 - record.KeyEvents.EndToEndMarker1, record.FxdParams.GroupIndex),
          record.UserName.DistanceCorrection);
      const std::string total = Split(Trimmed(FiberInfoLines(doc, unit)[2].value), " ")[0];
      EXPECT_TRUE(SameShown(lumivane::Format("%.5f", span * unit.factor), total)) << "Total Length against the end-to-end span";
    }
    // The range Parameters, report and export show (one value, checked above to read the same in
    // all three) never reaches past the samples by more than the rounding of its last digit.
    const std::string range = Trimmed(ParametersLines(doc, unit)[0].value);
    if (range != "Auto") {
      const double rounding = 0.5 * std::pow(10.0, -Decimals(Split(range, " ")[0]));
      EXPECT_LE(doc.m_FibreParams.Range * unit.factor, doc.m_dFibreLengthKm * unit.factor + rounding) << range;
    }
  });
}

TEST_F(CrossViewInterop, ABatchPrintedFileReadsAsTheOpenTrace) {
  SKIP_WITHOUT_SAMPLES();
  for (const auto& file : lumivane::test::SampleSorFiles()) {
    SCOPED_TRACE(file.name);
    const auto doc = Open(file.name);
    ASSERT_NE(doc, nullptr);
    const ReportTraceSet open = DocumentTraceSet(*doc);
    auto work = std::make_unique<TraceDisplayModel>();
    ASSERT_TRUE(ReloadTraceForPrint(doc->m_strTracePath, *work).read);
    const ReportTraceSet batch = WorkTraceSet(*work, doc->m_strTracePath, doc->m_PassFailThresholds, 0);

    const LengthUnit unit = kLengthUnits[0];
    const TraceInfoInputs openHeader{open.record, open.dateTime, open.fibre, open.path, unit.name, unit.factor, false, {}};
    const TraceInfoInputs batchHeader{batch.record, batch.dateTime, batch.fibre, batch.path, unit.name, unit.factor, false, {}};
    EXPECT_EQ(TraceInfoLines(batchHeader)[4], TraceInfoLines(openHeader)[4]);
    const auto openTotals = TotalsLine(open.link, open.linkOrl, unit.name, unit.factor, open.limits);
    const auto batchTotals = TotalsLine(batch.link, batch.linkOrl, unit.name, unit.factor, batch.limits);
    for (std::size_t k = 0; k < openTotals.size(); ++k) EXPECT_EQ(batchTotals[k].text, openTotals[k].text);
    const auto cells = [&](const ReportTraceSet& set) {
      std::vector<std::array<std::string, kEventColumnCount>> texts;
      for (const EventTableRowView& row :
           ComputeEventTable({set.rows, set.endRow, set.record, doc->m_PassFailThresholds}, unit.factor).rows) {
        texts.push_back(row.texts);
      }
      return texts;
    };
    EXPECT_EQ(cells(batch), cells(open));
    EXPECT_EQ(batch.marker.orl, open.marker.orl) << "the 2-point ORL";

    // The 2-point ORL with marker B past the end of the fibre, on the open trace and on a batch page.
    const int last = doc->m_nPointCount - 1;
    doc->m_MarkerState.MarkerA = work->m_nCursorA = last / 10;
    doc->m_MarkerState.MarkerB = work->m_nCursorB = last;
    const float openOrl = DocumentTraceSet(*doc).marker.orl;
    EXPECT_EQ(WorkTraceSet(*work, doc->m_strTracePath, doc->m_PassFailThresholds, 0).marker.orl, openOrl);
    std::cout << file.name << ": 2-point ORL with B past the end " << OrlText(openOrl) << "\n";
  }
}

}  // namespace
