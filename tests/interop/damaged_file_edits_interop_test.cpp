// The user's work on damaged copies of the real files: a block the user replaced is saved as shown,
// whatever the file held there; a damaged file holding a short trace saves to a file that opens
// again; a file without the block that places its trace warns and keeps that block out of its save.
// Each: open, the change, Save and Save As, open again (warned as the file then is, everything shown
// kept), and a second save that changes no byte.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "analysis_state.h"
#include "document/display_state.h"
#include "document/otdr_doc.h"
#include "document/trace_info.h"
#include "document/trace_save.h"
#include "measure/add_event_measurements.h"
#include "measure/analysis_settings.h"
#include "measure/trace_reanalysis.h"
#include "panes/event_editing.h"
#include "panes/event_table_cells.h"
#include "panes/fiber_info_text.h"
#include "panes/parameters_text.h"
#include "panes/trace_values.h"
#include "platform/path_util.h"
#include "recording_message_sink.h"
#include "sample_files.h"
#include "shown_texts.h"
#include "shown_trace.h"
#include "sor/sor_map_layout.h"
#include "sor_image_builder.h"
#include "sor_map_edits.h"
#include "temp_dir.h"
#include "trace/trace_conversions.h"
#include "vocabulary/length_unit.h"
#include "vocabulary/text_rows.h"
#include "vocabulary/text_table.h"

namespace {

using lumivane::test::Bytes;
using lumivane::test::TempDir;

const lumivane::test::SampleFile* Sample(std::string_view name) {
  const auto& files = lumivane::test::SampleSorFiles();
  const auto it = std::find_if(files.begin(), files.end(), [&](const auto& file) { return file.name == name; });
  return it == files.end() ? nullptr : &*it;
}

class DamagedFileEditsInterop : public ::testing::Test {
 protected:
  void SetUp() override {
    SKIP_WITHOUT_SAMPLES();
    InitLanguageTable();
    SelectLanguage(LanguageColumn::English);
    ResetLengthUnit();
    lumivane::test::ResetAnalysisState();
  }

  /// Opens the file as the open path does, the panes' values brought up to date; the messages the
  /// open showed.
  std::vector<std::string> Open(const std::string& path) {
    doc_ = std::make_unique<COtdrDoc>();
    const std::vector<std::string> messages = lumivane::test::OpenShown(*doc_, path, sink_);
    g_DisplayState.LinkOrlDirty = 0;
    UpdateTraceValues(*doc_, nullptr, 0, dir_.path().string());
    return messages;
  }

  /// Every text the panes show: the event table, the totals, the parameters and the header.
  std::vector<std::string> Shown() {
    UpdateTraceValues(*doc_, nullptr, 0, dir_.path().string());
    std::vector<std::string> texts = lumivane::test::TableAndTotalsShown(*doc_);
    for (const PaneLine& line : ParametersLines(*doc_, kLengthUnits[0])) texts.push_back(line.label + line.value);
    const TraceInfoFields header = ReadTraceInfo(doc_->m_SorRecord);
    texts.emplace_back(header.cableId.begin(), header.cableId.end());
    return texts;
  }

  /// The Total Fiber Information line that starts with `label`.
  std::string FiberInfoLine(std::string_view label) {
    for (const PaneLine& line : FiberInfoLines(*doc_, kLengthUnits[0])) {
      if (line.label.starts_with(label)) return line.label + line.value;
    }
    return {};
  }

  bool SaveAs(const std::string& path) {
    SaveEnvironment env;
    env.chooseSaveAsPath = [&path] { return std::optional<SaveAsChoice>(SaveAsChoice{path, false}); };
    return OnFileSaveAs(*doc_, env);
  }

  /// Saves the open file in place and as a copy; each reopens with `warning` and shows `shown`, and
  /// saved again it keeps every byte.
  void ExpectSavesKeepWhatIsShown(const std::string& path, const std::vector<std::string>& warning,
                                  const std::vector<std::string>& shown) {
    const std::string copy = dir_.Path("copy.sor");
    ASSERT_TRUE(OnFileSave(*doc_, {}));
    ASSERT_TRUE(SaveAs(copy));
    for (const std::string& saved : {path, copy}) {
      SCOPED_TRACE(saved);
      const Bytes bytes = TempDir::ReadFile(saved);
      EXPECT_EQ(Open(saved), warning);
      EXPECT_EQ(Shown(), shown);
      ASSERT_TRUE(OnFileSave(*doc_, {}));
      EXPECT_EQ(TempDir::ReadFile(saved), bytes) << "a second save changes no byte";
    }
  }

  std::vector<std::string> Warned() const { return {g_CurrentStrings[TextRow::FileDamaged]}; }

  TempDir dir_;
  lumivane::test::RecordingMessageSink sink_;
  lumivane::ScopedMessageSink scoped_{sink_};
  std::unique_ptr<COtdrDoc> doc_;
};

/// sample1310_lowDR with its KeyEvents identifier and the map's size of that block damaged: the
/// reader cannot read the block, and the blocks the map puts after it are not where it says.
Bytes UnreadableKeyEvents(Bytes image) {
  image.at(357) = 'k';
  image.at(72) = 0x9f;
  return image;
}

enum class Edit { Reanalysis, AddEvent, HeaderEdit };

// The user's reanalysis, added event or header text replaces a block the file held but the reader
// could not read; Save writes it as shown. A block nothing changed keeps its bytes and still warns.
TEST_F(DamagedFileEditsInterop, ABlockTheUserReplacedIsSavedAsShown) {
  const auto* file = Sample("sample1310_lowDR.sor");
  if (file == nullptr) GTEST_SKIP() << "sample1310_lowDR.sor not in the sample folder";
  struct Case {
    Edit edit;
    const char* name;
    bool warnsAfterSave;  // the save still holds a block the reader could not read
  };
  const Case cases[] = {
      {Edit::Reanalysis, "reanalysis", false},
      {Edit::AddEvent, "add event", false},
      {Edit::HeaderEdit, "header edit", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = dir_.WriteFile("damaged.sor", UnreadableKeyEvents(file->bytes));
    ASSERT_EQ(Open(path), Warned());
    ASSERT_EQ(doc_->m_nEventCount, 0);
    switch (c.edit) {
      case Edit::Reanalysis:
        ASSERT_EQ(ReanalyzeDocument(*doc_, PrefillAnalysisSettings(doc_->m_FibreParams)), ReanalysisOutcome::Done);
        ASSERT_GT(doc_->m_nEventCount, 0);
        break;
      case Edit::AddEvent: {
        doc_->m_MarkerState.ActiveMarker = 0;
        doc_->m_MarkerState.MarkerA = doc_->m_nPointCount / 4;
        doc_->SetMarkerWindows();
        AddEventMeasurements measurements(*doc_);
        const AddEventStart start = ProposeEvent(*doc_, measurements);
        ASSERT_EQ(start.refusal, AddEventRefusal::None);
        InsertEvent(*doc_, start.proposal);
        ASSERT_EQ(doc_->m_nEventCount, 1);
        break;
      }
      case Edit::HeaderEdit: {
        TraceInfoFields fields = ReadTraceInfo(doc_->m_SorRecord);
        fields.cableId = u"CABLE-9";
        StoreTraceInfo(doc_->m_SorRecord, fields);
        doc_->SetModifiedFlag(true);
        break;
      }
    }
    const std::vector<std::string> shown = Shown();
    ExpectSavesKeepWhatIsShown(path, c.warnsAfterSave ? Warned() : std::vector<std::string>{}, shown);
    if (c.edit == Edit::Reanalysis) {
      EXPECT_NE(FiberInfoLine("Total Length").find("km"), std::string::npos) << FiberInfoLine("Total Length");
      EXPECT_GT(doc_->m_nEventCount, 0);
    }
  }
}

/// example2's GenParams and SupParams, its first 5 samples, the first `keyEventBytes` of its KeyEvents
/// block under a damaged identifier (the reader cannot read it), and an FxdParams block the map lists
/// past the file's end: a short damaged revision-2 file.
Bytes ShortDamagedFile(const Bytes& example2, std::int64_t keyEventBytes) {
  const SorMapLayout layout = ReadSorMapLayout(example2);
  const auto body = [&](std::string_view name, std::int64_t length) {
    const SorMappedBlock* block = layout.Listed(name);
    EXPECT_NE(block, nullptr) << name;
    if (block == nullptr) return Bytes{};
    const std::int64_t from = block->offset + static_cast<std::int64_t>(name.size()) + 1;
    const std::int64_t to = length < 0 ? block->offset + block->size : from + length;
    return Bytes(example2.begin() + from, example2.begin() + to);
  };
  constexpr int kPoints = 5;
  // Total points, trace count, the trace's point count, its scale, then the samples.
  const Bytes data = body("DataPts", 12 + 2 * kPoints);
  lumivane::test::SorImageBuilder b;
  b.Block("GenParams").Raw(body("GenParams", -1));
  b.Block("SupParams").Raw(body("SupParams", -1));
  b.Block("DataPts").I32(kPoints).I16(1).I32(kPoints).Raw(Bytes(data.begin() + 10, data.end()));
  b.Block("KeyEvents").Raw(body("KeyEvents", keyEventBytes));
  b.Block("FxdParams", false);  // the file ends where its body would start
  Bytes image = lumivane::test::WithBlockNameDamaged(b.BuildV2(), "KeyEvents", 'k');
  return lumivane::test::WithMapEntrySize(image, "FxdParams", 92);
}

// Whatever Save writes, the program opens again: a revision-2 file is known by its map, however
// short, and a save of a damaged file holding a short trace reopens as it was shown.
TEST_F(DamagedFileEditsInterop, AShortDamagedFileSavesToAFileThatOpens) {
  const auto* file = Sample("example2-exfo-maxtester730c.sor");
  if (file == nullptr) GTEST_SKIP() << "example2 not in the sample folder";
  struct Case {
    std::int64_t keyEventBytes;
    std::size_t length;  // of the damaged file
  };
  for (const Case c : {Case{110, 329}, Case{20, 239}}) {
    const Bytes damaged = ShortDamagedFile(file->bytes, c.keyEventBytes);
    SCOPED_TRACE(testing::Message() << damaged.size() << " bytes");
    ASSERT_EQ(damaged.size(), c.length);
    const std::string path = dir_.WriteFile("short.sor", damaged);
    ASSERT_EQ(Open(path), Warned());
    EXPECT_EQ(doc_->m_nPointCount, 5);
    const std::vector<std::string> shown = Shown();
    ExpectSavesKeepWhatIsShown(path, Warned(), shown);
    EXPECT_EQ(ReadSorMapLayout(TempDir::ReadFile(path)).Listed("FxdParams"), nullptr) << "no made-up FxdParams";
  }
}

// A file whose FxdParams block is there under another name: the trace cannot be placed, so the file
// warns; Save keeps the renamed block's bytes and writes no FxdParams of made-up values.
TEST_F(DamagedFileEditsInterop, AFileWithoutFxdParamsWarnsAndItsSaveMakesNoneUp) {
  const auto* file = Sample("sample1310_lowDR.sor");
  if (file == nullptr) GTEST_SKIP() << "sample1310_lowDR.sor not in the sample folder";
  Bytes renamed = file->bytes;
  renamed.at(52) = 'z';   // the map entry
  renamed.at(273) = 'z';  // the block's identifier
  const std::string path = dir_.WriteFile("renamed.sor", renamed);
  ASSERT_EQ(Open(path), Warned());
  const std::vector<std::string> shown = Shown();
  ExpectSavesKeepWhatIsShown(path, Warned(), shown);
  const Bytes saved = TempDir::ReadFile(path);
  EXPECT_EQ(ReadSorMapLayout(saved).Listed("FxdParams"), nullptr);
  ASSERT_NE(ReadSorMapLayout(saved).Listed("FxdParamz"), nullptr);
}

}  // namespace
