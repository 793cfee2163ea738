#include "measure/ui/analysis_dlg.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QFocusEvent>
#include <QLineEdit>
#include <QPushButton>
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "document/display_state.h"
#include "document/display_model_params.h"
#include "document/otdr_doc.h"
#include "measure/trace_reanalysis.h"
#include "measure/ui/analysis_commands.h"
#include "recording_message_sink.h"
#include "trace/trace_conversions.h"
#include "vocabulary/text_table.h"

namespace {

using lumivane::test::RecordingMessageSink;

class AnalysisDlgTest : public ::testing::Test {
 protected:
  AnalysisDlgTest() : scoped(sink) {
    InitLanguageTable();
    SelectLanguage(BUILD_LANGUAGE);
    ResetAnalysisWavelengthTables();
  }
  ~AnalysisDlgTest() override { ResetAnalysisWavelengthTables(); }

  // The user enters the edit, types `text` and leaves it.
  static void TypeAndLeave(QLineEdit* edit, const QString& text) {
    QFocusEvent in(QEvent::FocusIn);
    QCoreApplication::sendEvent(edit, &in);
    edit->setText(text);
    QFocusEvent out(QEvent::FocusOut);
    QCoreApplication::sendEvent(edit, &out);
  }

  RecordingMessageSink sink;
  lumivane::ScopedMessageSink scoped;
};

TEST_F(AnalysisDlgTest, OpensOnItsMembersWithTheTextsOfTheTable) {
  CCAnalysisDlg dlg;
  dlg.m_nWavelengthIndex = 2;
  dlg.m_fGroupIndex = 1.4659f;
  dlg.show();
  EXPECT_EQ(dlg.windowTitle(), QStringLiteral("Trace Reanalysis "));
  EXPECT_EQ(dlg.WavelengthCombo()->count(), 8);
  EXPECT_EQ(dlg.WavelengthCombo()->currentText(), QStringLiteral("1310nm"));
  EXPECT_EQ(dlg.Edit(AnalysisField::GroupIndex)->text(), QStringLiteral("1.4659"));
  EXPECT_EQ(dlg.Edit(AnalysisField::ScatterCoef)->text(), QStringLiteral("-36"));
  EXPECT_EQ(dlg.Edit(AnalysisField::NonReflThreshold)->text(), QStringLiteral("0.2"));
  EXPECT_EQ(dlg.DefaultButton(AnalysisField::EndThreshold)->text(), QStringLiteral("Default"));
}

TEST_F(AnalysisDlgTest, LeavingAnEditChecksItsRange) {
  const struct {
    AnalysisField field;
    const char* text;
    bool accepted;
    const char* message;
  } cases[] = {
      {AnalysisField::GroupIndex, "2.5", false, "The IOR must between 1.00000 and 1.99999!"},
      {AnalysisField::GroupIndex, "1.99999", true, ""},
      {AnalysisField::ScatterCoef, "-9", false, "The ScatCoef must between -70.0 and -10.0!"},
      {AnalysisField::NonReflThreshold, "0", false,
       "The Non-Reflection Threshold must between 0.000 and 5.000, and The value is not equal 0!"},
      {AnalysisField::ReflThreshold, "-78", true, ""},
      {AnalysisField::ReflThreshold, "-80", false, "The Reflection Threshold Value must between -78.000 and -10.000!"},
      {AnalysisField::EndThreshold, "0", false,
       "The End Threshold must between 0.000 and 30.000, and The value is not equal 0!"},
      {AnalysisField::EndThreshold, "abc", false,
       "The End Threshold must between 0.000 and 30.000, and The value is not equal 0!"},
  };
  for (const auto& c : cases) {
    CCAnalysisDlg dlg;
    dlg.show();
    const QString before = dlg.Edit(c.field)->text();
    const std::size_t messages = sink.messages().size();
    TypeAndLeave(dlg.Edit(c.field), QString::fromLatin1(c.text));
    if (c.accepted) {
      EXPECT_EQ(sink.messages().size(), messages) << c.text;
      EXPECT_EQ(dlg.Edit(c.field)->text(), QString::fromLatin1(c.text)) << c.text;
    } else {
      ASSERT_EQ(sink.messages().size(), messages + 1) << c.text;
      EXPECT_EQ(sink.messages().back().text, c.message);
      EXPECT_EQ(dlg.Edit(c.field)->text(), before) << c.text;  // the value from before comes back
    }
  }
}

TEST_F(AnalysisDlgTest, AcceptedValueIsKeptAtTheShownPrecision) {
  CCAnalysisDlg dlg;
  dlg.show();
  TypeAndLeave(dlg.Edit(AnalysisField::GroupIndex), QStringLiteral("1.4659432"));
  EXPECT_FLOAT_EQ(dlg.m_fGroupIndex, 1.46594f);
}

TEST_F(AnalysisDlgTest, ApplyChecksTheEditThatStillHasTheFocus) {
  CCAnalysisDlg dlg;
  dlg.show();
  dlg.Edit(AnalysisField::GroupIndex)->setText(QStringLiteral("0"));
  dlg.accept();
  EXPECT_NE(dlg.result(), QDialog::Accepted);
  ASSERT_EQ(sink.messages().size(), 1u);
  EXPECT_EQ(sink.messages()[0].text, "The IOR must between 1.00000 and 1.99999!");
  dlg.Edit(AnalysisField::GroupIndex)->setText(QStringLiteral("1.47"));
  dlg.accept();
  EXPECT_EQ(dlg.result(), QDialog::Accepted);
  EXPECT_FLOAT_EQ(dlg.Settings().groupIndex, 1.47f);
}

TEST_F(AnalysisDlgTest, DefaultButtonsLoadTheEntrysDefaultsAndKeepThemAfterCancel) {
  {
    CCAnalysisDlg dlg;
    dlg.show();
    dlg.WavelengthCombo()->setCurrentIndex(2);
    emit dlg.WavelengthCombo()->activated(2);
    EXPECT_EQ(dlg.Edit(AnalysisField::ScatterCoef)->text(), QStringLiteral("-49.6"));
    EXPECT_EQ(dlg.Edit(AnalysisField::GroupIndex)->text(), QStringLiteral("1.4659"));
    dlg.Edit(AnalysisField::EndThreshold)->setText(QStringLiteral("7"));
    dlg.DefaultButton(AnalysisField::ScatterCoef)->click();
    EXPECT_EQ(dlg.Edit(AnalysisField::ScatterCoef)->text(), QStringLiteral("-49.4"));
    dlg.DefaultButton(AnalysisField::EndThreshold)->click();
    EXPECT_EQ(dlg.Edit(AnalysisField::EndThreshold)->text(), QStringLiteral("3"));
    dlg.reject();
  }
  EXPECT_FLOAT_EQ(g_ScatterByWavelength[2], -49.4f);
  CCAnalysisDlg later;
  later.show();
  emit later.WavelengthCombo()->activated(2);
  EXPECT_FLOAT_EQ(later.m_fScatterCoef, -49.4f);
  EXPECT_EQ(later.m_nWavelengthIndex, 2);
}

class TraceReanalysisCommandTest : public AnalysisDlgTest {
 protected:
  TraceReanalysisCommandTest() : doc(std::make_unique<COtdrDoc>()) {
    ResetDisplayState();
    g_AnalysisParams = AnalysisParams{};
    doc->m_strTracePath = "link.sor";
    SorRecord& r = doc->m_SorRecord;
    r.FxdParams.DataSpacing[0] = 489207;
    r.FxdParams.PulseWidths[0] = 100;
    r.FxdParams.ActualWavelength = 13096;
    r.FxdParams.GroupIndex = 146710;
    r.FxdParams.Backscatter = 796;
    r.FxdParams.LossThreshold = 50;
    r.FxdParams.ReflectanceThreshold = 65535;
    r.FxdParams.EndOfFibreThreshold = 5000;
    r.DataPts.TotalPointCount = 2000;
    r.DataPts.TraceCount = 1;
    r.DataPts.Traces[0].PointCount = 2000;
    r.DataPts.Traces[0].ScaleFactor = 1000;
    r.DataPts.Traces[0].Samples.resize(2000);
    // Fibre with a connector at sample 800 and a reflective end at sample 1500, then noise.
    for (int i = 0; i < 2000; ++i) {
      int sample = 10000 + i / 5 + (i >= 800 ? 500 : 0);
      if ((i >= 800 && i < 806) || (i >= 1500 && i < 1506)) sample -= 8000;
      if (i >= 1506) sample = 30000 + (i % 7) * 40;
      r.DataPts.Traces[0].Samples[i] = static_cast<std::uint16_t>(sample);
    }
    doc->m_nPointCount = 2000;
    doc->m_dFibreLengthKm = FibreLengthKm(2000, r.FxdParams.GroupIndex, r.FxdParams.DataSpacing[0]);
    BuildFibreParams(kSorFileKind, r, doc->m_FibreParams, 0.0);
  }
  ~TraceReanalysisCommandTest() override {
    ResetDisplayState();
    g_AnalysisParams = AnalysisParams{};
  }
  std::unique_ptr<COtdrDoc> doc;
};

// The dialog opens on the trace's own settings, and Apply without a change keeps the distance scale:
// a second Apply finds every event where the first did.
TEST_F(TraceReanalysisCommandTest, OpensOnTheTracesSettingsAndApplyAsOpenedMovesNothing) {
  const double lengthBefore = doc->m_dFibreLengthKm;
  std::vector<AnalysisSettings> shown;
  const auto apply = [&shown](QDialog& d) {
    auto& dlg = static_cast<CCAnalysisDlg&>(d);
    dlg.show();
    shown.push_back(dlg.Settings());
    dlg.accept();
    return dlg.result();
  };
  ASSERT_TRUE(RunTraceReanalysis(*doc, nullptr, apply));
  const AnalysisSettings opened = shown.front();
  EXPECT_EQ(opened.wavelengthIndex, 2);
  EXPECT_FLOAT_EQ(opened.groupIndex, 1.4671f);
  EXPECT_FLOAT_EQ(opened.scatterCoef, -49.6f);
  EXPECT_FLOAT_EQ(opened.nonReflThreshold, 0.05f);
  EXPECT_FLOAT_EQ(opened.reflThreshold, -65.535f);
  EXPECT_FLOAT_EQ(opened.endThreshold, 5.0f);
  EXPECT_EQ(doc->m_SorRecord.FxdParams.GroupIndex, 146710);
  EXPECT_EQ(doc->m_SorRecord.FxdParams.Backscatter, 796);
  EXPECT_EQ(doc->m_dFibreLengthKm, lengthBefore);
  // Values finer than the dialog's checks round to are taken as they are.
  EXPECT_FLOAT_EQ(doc->m_FibreParams.ReflectanceThreshold, -65.535f);
  // The wavelength keeps its tenths.
  EXPECT_FLOAT_EQ(g_AnalysisParams.wavelength, 1309.6f);
  EXPECT_TRUE(doc->IsModified());

  const std::vector<EventRow> first(doc->m_EventRows.begin(), doc->m_EventRows.begin() + doc->m_nEventCount);
  const std::vector<SorKeyEvent> firstKeys = doc->m_SorRecord.KeyEvents.Events;
  ASSERT_GE(first.size(), 2u);
  ASSERT_TRUE(RunTraceReanalysis(*doc, nullptr, apply));
  EXPECT_EQ(shown.back().groupIndex, opened.groupIndex);
  EXPECT_EQ(shown.back().scatterCoef, opened.scatterCoef);
  EXPECT_EQ(doc->m_dFibreLengthKm, lengthBefore);
  ASSERT_EQ(doc->m_nEventCount, static_cast<int>(first.size()));
  for (std::size_t i = 0; i < first.size(); ++i) {
    EXPECT_EQ(doc->m_EventRows[i].Distance, first[i].Distance) << i;
    EXPECT_EQ(doc->m_SorRecord.KeyEvents.Events[i].TimeOfFlight, firstKeys[i].TimeOfFlight) << i;
  }
  // The reflections are found where the trace has them: the connector and the end, from the zero.
  const double perSample = lengthBefore / 1999.0;
  EXPECT_NEAR(first.back().Distance, 1500 * perSample, 10 * perSample);
}

TEST_F(TraceReanalysisCommandTest, CancelChangesNothing) {
  const auto cancel = [](QDialog&) { return static_cast<int>(QDialog::Rejected); };
  EXPECT_FALSE(RunTraceReanalysis(*doc, nullptr, cancel));
  EXPECT_FALSE(doc->IsModified());
  EXPECT_EQ(doc->m_bAnalysedOnce, 0);
  EXPECT_EQ(g_AnalysisParams.pulseWidth, 0);
  EXPECT_EQ(g_DisplayState.LinkOrlDirty, 0);
}

TEST_F(TraceReanalysisCommandTest, TraceTheEngineCannotTakeOpensNoDialog) {
  doc->m_SorRecord.FxdParams.DataSpacing[0] = 0;
  bool ran = false;
  const auto run = [&ran](QDialog&) {
    ran = true;
    return static_cast<int>(QDialog::Accepted);
  };
  EXPECT_FALSE(RunTraceReanalysis(*doc, nullptr, run));
  EXPECT_FALSE(ran);
  EXPECT_FALSE(doc->IsModified());
}

TEST_F(TraceReanalysisCommandTest, ARefusedTraceSaysWhy) {
  const struct {
    void (*damage)(COtdrDoc&);
    const char* text;
  } cases[] = {
      {[](COtdrDoc& d) { d.m_strTracePath = "space"; }, "There is no trace to analyse."},
      {[](COtdrDoc& d) { d.m_SorRecord.DataPts.Traces[0].PointCount = 50; }, "The trace has too few samples to analyse."},
      {[](COtdrDoc& d) { d.m_SorRecord.FxdParams.DataSpacing[0] = 0; },
       "The trace's data spacing is not valid, so it cannot be analysed."},
      {[](COtdrDoc& d) { d.m_SorRecord.FxdParams.PulseWidths[0] = -1; },
       "The trace's pulse width is not valid, so it cannot be analysed."},
  };
  for (const auto& c : cases) {
    auto damaged = std::make_unique<COtdrDoc>();
    damaged->m_strTracePath = doc->m_strTracePath;
    damaged->m_SorRecord = doc->m_SorRecord;
    damaged->m_nPointCount = doc->m_nPointCount;
    c.damage(*damaged);
    sink.Clear();
    EXPECT_FALSE(RunTraceReanalysis(*damaged, nullptr, [](QDialog&) { return 1; }));
    ASSERT_EQ(sink.messages().size(), 1u) << c.text;
    EXPECT_EQ(sink.messages()[0].text, c.text);
    EXPECT_EQ(sink.messages()[0].icon, lumivane::MessageIcon::Warning);
  }
}

}  // namespace
