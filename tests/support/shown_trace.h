#pragma once
// Opening a trace file as the open path does, what the panes then show of it, and the copies Save and
// Save As make of it, to compare what a file shows before and after a save. For test binaries that
// link lumivane_document.
#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "document/display_model.h"
#include "document/display_model_events.h"
#include "document/otdr_doc.h"
#include "document/trace_save.h"
#include "recording_message_sink.h"
#include "sor/sor_text.h"
#include "sor_test_util.h"
#include "temp_dir.h"
#include "trace/trace_conversions.h"

namespace lumivane::test {

/// Opens `path` into `doc` with the display model and the stored loss totals, as File Open does;
/// returns the messages the open showed.
inline std::vector<std::string> OpenShown(COtdrDoc& doc, const std::string& path, RecordingMessageSink& sink) {
  sink.Clear();
  EXPECT_EQ(doc.OpenTraceFile(path, kSorFileKind, doc.m_SorRecord), 1) << path;
  LoadDisplayModel(kSorFileKind, doc.m_SorRecord, DisplayModelInputs{doc.m_SorRecord.UserName.DistanceCorrection},
                   doc.DisplayModelMembers());
  ApplyStoredLossTotals(doc.m_SorRecord, doc.m_EventRows, doc.m_nEventCount);
  return sink.MessageTexts();
}

/// What the panes show of the current trace, with the record it came from.
struct ShownTrace {
  std::unique_ptr<SorRecord> record;
  std::vector<EventRow> rows;
  FibreParamsRecord fibre{};
  LinkSummaryRecord link{};
  std::vector<double> samples;
  float firstSampleKm = 0.0f;  // where the plot starts, from the user's zero
};

inline ShownTrace ShownNow(const COtdrDoc& doc) {
  ShownTrace shown{std::make_unique<SorRecord>(doc.m_SorRecord), {}, doc.m_FibreParams, doc.m_LinkSummary, {}, 0.0f};
  shown.rows.assign(doc.m_EventRows.begin(), doc.m_EventRows.begin() + doc.m_nEventCount);
  const auto samples = LeadingDbSamples(doc.m_DbSamples, doc.m_nPointCount);
  shown.samples.assign(samples.begin(), samples.end());
  shown.firstSampleKm = GetDistance_Position(0, kSorFileKind, doc.m_SorRecord, doc.m_dFibreLengthKm);
  return shown;
}

/// The same values on screen: rows, fibre parameters, link summary, samples and where they start.
inline void ExpectSameValuesShown(const ShownTrace& a, const ShownTrace& b) {
  ASSERT_EQ(a.rows.size(), b.rows.size());
  for (std::size_t i = 0; i < a.rows.size(); ++i) EXPECT_TRUE(SameBytes(a.rows[i], b.rows[i])) << "row " << i;
  EXPECT_TRUE(SameBytes(a.fibre, b.fibre));
  EXPECT_TRUE(SameBytes(a.link, b.link));
  EXPECT_EQ(a.samples, b.samples);
  EXPECT_EQ(a.firstSampleKm, b.firstSampleKm);
}

/// The same values from the same fields of every block shown.
inline void ExpectSameShown(const ShownTrace& a, const ShownTrace& b) {
  // This system's job block joins a saved file that had none: what it shows are its two texts.
  std::vector<std::string> differing = ShownBlocksDiffering(*a.record, *b.record);
  std::erase(differing, "NorvalexParams");
  EXPECT_EQ(differing, std::vector<std::string>{});
  EXPECT_EQ(SorTextView(a.record->NorvalexParams.JobID), SorTextView(b.record->NorvalexParams.JobID));
  EXPECT_EQ(SorTextView(a.record->NorvalexParams.Customer), SorTextView(b.record->NorvalexParams.Customer));
  ExpectSameValuesShown(a, b);
}

/// Opens `image` and expects `messages`; saves it in place, and from a fresh open as a copy. Each
/// saved file opens with the same messages and shows what the file showed, and a second save leaves
/// it as it was. Returns the copy Save As wrote.
inline std::vector<std::uint8_t> ExpectSavedCopiesOpenAsTheFile(COtdrDoc& doc, const TempDir& dir,
                                                                 RecordingMessageSink& sink,
                                                                 const std::vector<std::uint8_t>& image,
                                                                 const std::vector<std::string>& messages) {
  const std::string copy = dir.Path("saved copy.sor");
  SaveEnvironment env;
  env.chooseSaveAsPath = [&] { return std::optional<SaveAsChoice>(SaveAsChoice{copy, false}); };
  for (const bool saveAs : {false, true}) {
    SCOPED_TRACE(saveAs ? "Save As" : "Save");
    const std::string path = dir.WriteFile("saved in place.sor", image);
    EXPECT_EQ(OpenShown(doc, path, sink), messages);
    const ShownTrace shown = ShownNow(doc);
    EXPECT_TRUE(saveAs ? OnFileSaveAs(doc, env) : OnFileSave(doc, env));
    const std::string saved = saveAs ? copy : path;
    EXPECT_EQ(OpenShown(doc, saved, sink), messages);
    ExpectSameShown(ShownNow(doc), shown);
    const std::vector<std::uint8_t> first = TempDir::ReadFile(saved);
    EXPECT_TRUE(OnFileSave(doc, env));
    EXPECT_EQ(ImageDifference(TempDir::ReadFile(saved), first), "");
  }
  return TempDir::ReadFile(copy);
}

}  // namespace lumivane::test
