#include "measure/pass_fail_limits.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "document/otdr_doc.h"
#include "measure/pass_fail_check.h"
#include "measure/pass_fail_document.h"
#include "measure/pass_fail_verdict.h"
#include "platform/message_sink.h"
#include "recording_message_sink.h"
#include "temp_dir.h"
#include "trace/wavelength.h"
#include "vocabulary/text_table.h"

namespace {

using lumivane::test::TempDir;

std::string Slurp(const std::string& path) {
  const auto bytes = TempDir::ReadFile(path);
  return {bytes.begin(), bytes.end()};
}

TEST(ParseLeadingNumber, TakesTheLongestLeadingDecimalNumber) {
  const struct {
    const char* text;
    float expected;
  } cases[] = {
      {"0.5", 0.5f},     {"0.5abc", 0.5f}, {"abc", 0.0f},    {"", 0.0f},      {"  -1.25", -1.25f},
      {"+3", 3.0f},      {".5", 0.5f},     {"5.", 5.0f},     {".", 0.0f},     {"-", 0.0f},
      {"1e2", 100.0f},   {"1e", 1.0f},     {"2e+x", 2.0f},   {"0x10", 0.0f},  {"inf", 0.0f},
      {"nan", 0.0f},     {"40,5", 40.0f},  {"45.000", 45.0f},
      // Beyond a float: no limit rather than an infinite one.
      {"1e308", 0.0f},   {"-1e39", 0.0f},  {"1e999", 0.0f},  {"3e38", 3e38f},  {"-INF", 0.0f},
  };
  for (const auto& c : cases) EXPECT_FLOAT_EQ(ParseLeadingNumber(c.text), c.expected) << c.text;
}

TEST(PassFailLimitsFile, ReadsTheSixKeysOfASection) {
  TempDir dir;
  const std::string ini = dir.WriteFile("otdr config.ini",
                                        "[1550]\n"
                                        "splice loss=0.25\n"  // keys compare without regard to case
                                        "Connector Loss=0.6\n"
                                        "Event Relf=-45\n"
                                        "Event Atte=0.22x\n"
                                        "Link Loss=99\n"  // one blank: not the key
                                        "Link ORL=123456789012\n"
                                        "[1310]\n"
                                        "Splice Loss=1e308\n"
                                        "Connector Loss=inf\n"
                                        "Event Relf=NaN\n");
  PassFailThresholds limits;
  limits.Limit.fill(7.0f);
  ReadPassFailLimits("1550", ini, limits);
  EXPECT_FLOAT_EQ(limits.Limit[kLimitSpliceLoss], 0.25f);
  EXPECT_FLOAT_EQ(limits.Limit[kLimitConnectorLoss], 0.6f);
  EXPECT_FLOAT_EQ(limits.Limit[kLimitReflectance], -45.0f);
  EXPECT_FLOAT_EQ(limits.Limit[kLimitAttenuation], 0.22f);
  EXPECT_FLOAT_EQ(limits.Limit[kLimitLinkLoss], 0.0f);
  EXPECT_FLOAT_EQ(limits.Limit[kLimitLinkOrl], 123456789.0f);  // cut to 9 characters
  ReadPassFailLimits("1310", ini, limits);
  for (std::size_t i = 0; i < kPassFailKeys.size(); ++i) {
    SCOPED_TRACE(kPassFailKeys[i]);
    EXPECT_EQ(limits.Limit[i], 0.0f);
    // Only the three values no float holds are not set; the missing keys read as before.
    EXPECT_EQ(limits.Set[i], i <= kLimitReflectance ? 0 : 1);
    EXPECT_EQ(limits.Enabled[i], 1);  // the user's choice stays for when the file holds a limit again
  }
}

TEST(PassFailLimitsFile, MissingFileReadsZero) {
  TempDir dir;
  PassFailThresholds limits;
  limits.Limit.fill(7.0f);
  ReadPassFailLimits("1310", dir.Path("otdr config.ini"), limits);
  for (const float limit : limits.Limit) EXPECT_EQ(limit, 0.0f);
  EXPECT_EQ(HasIniSection("1310", dir.Path("otdr config.ini")), 0);
}

TEST(PassFailLimitsFile, SectionNamesMatchExactly) {
  TempDir dir;
  std::string sections;
  for (int i = 0; i < 30; ++i) sections += "[s" + std::to_string(i) + "]\nk=1\n";
  const std::string ini = dir.WriteFile("otdr config.ini", "[Abc]\nk=1\n" + sections + "[1625]\nk=1\n");
  EXPECT_EQ(HasIniSection("Abc", ini), 1);
  EXPECT_EQ(HasIniSection("abc", ini), 0);
  // Far more than ten names and 128 characters ahead of it: still found.
  EXPECT_EQ(HasIniSection("1625", ini), 1);
}

TEST(PassFailLimitsFile, WritesOnlyTheTextsGiven) {
  TempDir dir;
  const std::string ini = dir.WriteFile("otdr config.ini", "; kept\n[1550]\nLink ORL=31\n");
  const LimitTexts texts = {"0.300", "", "40.000", "", "", ""};
  EXPECT_EQ(WritePassFailLimits(ini, "1550", texts), lumivane::IniWriteOutcome::Written);
  const std::string content = Slurp(ini);
  EXPECT_NE(content.find("; kept"), std::string::npos);
  EXPECT_NE(content.find("Splice Loss=0.300"), std::string::npos);
  EXPECT_NE(content.find("Event Relf=40.000"), std::string::npos);
  EXPECT_NE(content.find("Link ORL=31"), std::string::npos);
  EXPECT_EQ(content.find("Connector Loss"), std::string::npos);
}

TEST(PassFailLimitsFile, DefaultsRewriteEverySection) {
  TempDir dir;
  const std::string ini = dir.WriteFile("otdr config.ini", "[1310]\nSplice Loss=0.1\n[1550]\nLink  Loss=9\n");
  ASSERT_EQ(WriteDefaultPassFailLimits(ini, "1625"), lumivane::IniWriteOutcome::Written);
  for (const char* section : {"1310", "1550"}) {
    PassFailThresholds limits;
    ReadPassFailLimits(section, ini, limits);
    EXPECT_EQ(limits.Limit, (std::array<float, 6>{1.0f, 1.0f, 40.0f, 0.5f, 45.0f, 30.0f})) << section;
  }
  EXPECT_EQ(HasIniSection("1625", ini), 0);
  EXPECT_NE(Slurp(ini).find("Link  Loss=45"), std::string::npos);
}

TEST(PassFailLimitsFile, DefaultsOfAnEmptyFileGoUnderTheWavelength) {
  TempDir dir;
  const std::string ini = dir.Path("otdr config.ini");
  ASSERT_EQ(WriteDefaultPassFailLimits(ini, "1550"), lumivane::IniWriteOutcome::Written);
  EXPECT_EQ(HasIniSection("1550", ini), 1);
  EXPECT_EQ(Slurp(ini).find("[]"), std::string::npos);
}

// Lasers sit a few nanometres off nominal, and files written before limits were kept by band hold
// a section named by a trace's exact wavelength.
TEST(PassFailLimitsByBand, ATraceIsJudgedByItsBandsSection) {
  const struct {
    const char* file;
    std::int32_t wavelengthNm;
    int judged;
    float spliceLoss;
  } cases[] = {
      {"[1310]\nSplice Loss=0.3\n", ConvertWavelengthField(13084), 1, 0.3f},  // 1308.4 nm
      {"[1550]\nSplice Loss=0.2\n", ConvertWavelengthField(15486), 1, 0.2f},  // 1548.6 nm
      {"[1650]\nSplice Loss=0.6\n", ConvertWavelengthField(16513), 1, 0.6f},  // 1651.3 nm
      {"[1549]\nSplice Loss=0.4\n", 1550, 1, 0.4f},
      {"[1549]\nSplice Loss=0.4\n", 1552, 1, 0.4f},
      {"[1549]\nSplice Loss=0.4\n[1550]\nSplice Loss=0.2\n", 1549, 1, 0.2f},
      {"[1550]\nSplice Loss=0.2\n[1549]\nSplice Loss=0.4\n", 1550, 1, 0.2f},
      {"[1551]\nSplice Loss=0.7\n[1549]\nSplice Loss=0.4\n", 1550, 1, 0.7f},  // the first in the file
      {"[1549]\nSplice Loss=0.4\n", 1310, 0, 0.0f},  // never another band's
      {"[1310]\nSplice Loss=0.3\n", 1300, 0, 0.0f},
      {"[1310]\nSplice Loss=0.3\n[1300]\nSplice Loss=0.5\n", 1302, 1, 0.5f},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.wavelengthNm << " nm, file " << c.file);
    TempDir dir;
    const std::string ini = dir.WriteFile("otdr config.ini", c.file);
    const PassFailThresholds limits = PassFailLimitsForWavelength(PassFailThresholds{}, ini, c.wavelengthNm);
    EXPECT_EQ(limits.Judged, c.judged);
    EXPECT_FLOAT_EQ(limits.Limit[kLimitSpliceLoss], c.spliceLoss);
  }
}

TEST(PassFailLimitsByBand, ATypedWavelengthNamesItsBand) {
  const struct {
    const char* typed;
    const char* section;
  } cases[] = {{"1550", "1550"}, {"1549", "1550"}, {"1548.6", "1550"}, {" 1308 ", "1310"}, {"1651", "1650"},
               {"1625", "1625"}, {"abc", "abc"},   {"15]50", "15]50"},   {"", ""}};
  for (const auto& c : cases) EXPECT_EQ(PassFailSectionOfText(c.typed), c.section) << c.typed;
}

class PassFailDocumentTest : public ::testing::Test {
 protected:
  PassFailDocumentTest() : doc(std::make_unique<COtdrDoc>()) { SetWavelengthField(1550); }
  std::string Folder() const { return dir.path().string(); }
  // The file's wavelength field (whole nanometres or tenths) and what the panes show of it, as an open sets them.
  void SetWavelengthField(std::int16_t field) {
    doc->m_SorRecord.FxdParams.ActualWavelength = field;
    doc->m_FibreParams.Wavelength = ConvertWavelengthField(field);
  }
  TempDir dir;
  std::unique_ptr<COtdrDoc> doc;
};

// A 1651 nm trace is not judged against the 1310 nm limits.
TEST_F(PassFailDocumentTest, AWavelengthWithoutLimitsOfItsOwnIsJudgedAgainstNothing) {
  dir.WriteFile("otdr config.ini", "[1310]\nSplice Loss=0.4\n[1490]\nSplice Loss=0.9\n");
  SetWavelengthField(1651);
  LoadPassFailLimits(*doc, Folder());
  EXPECT_EQ(doc->m_strWorkPath, dir.Path("otdr config.ini"));
  EXPECT_EQ(doc->m_PassFailThresholds.Judged, 0);
  EXPECT_FLOAT_EQ(doc->m_PassFailThresholds.Limit[kLimitSpliceLoss], 0.0f);
  EXPECT_FALSE(FailsLimit(doc->m_PassFailThresholds, 5.0f, kEventNonReflective, kLimitKindLoss));
  EXPECT_EQ(PreparePassFailDialog(*doc, Folder()).checks, (std::array<std::int32_t, 6>{0, 0, 0, 0, 0, 0}));

  SetWavelengthField(1490);
  LoadPassFailLimits(*doc, Folder());
  EXPECT_EQ(doc->m_PassFailThresholds.Judged, 1);
  EXPECT_FLOAT_EQ(doc->m_PassFailThresholds.Limit[kLimitSpliceLoss], 0.9f);
}

TEST_F(PassFailDocumentTest, EmptyFolderLeavesTheLimits) {
  doc->m_PassFailThresholds.Limit[0] = 0.7f;
  LoadPassFailLimits(*doc, "");
  EXPECT_FLOAT_EQ(doc->m_PassFailThresholds.Limit[0], 0.7f);
}

TEST_F(PassFailDocumentTest, DialogShowsTheTracesOwnWavelengthAndDbPerKm) {
  dir.WriteFile("otdr config.ini", "[1550]\nEvent Atte=0.0625\n");
  const PassFailDialogValues values = PreparePassFailDialog(*doc, Folder());
  EXPECT_EQ(values.wavelength, "1550");
  EXPECT_EQ(values.limits[kLimitAttenuation], "0.063");
  EXPECT_EQ(values.limits[kLimitSpliceLoss], "0.000");
  EXPECT_EQ(values.unit, "dB/km");
  EXPECT_EQ(values.checks, (std::array<std::int32_t, 6>{1, 1, 1, 1, 1, 1}));
}

TEST_F(PassFailDocumentTest, OkWritesTheTracesSectionAndTheNextLoadReadsIt) {
  dir.WriteFile("otdr config.ini", "[1550]\nSplice Loss=0.4\n");
  PassFailDialogValues values = PreparePassFailDialog(*doc, Folder());
  values.limits = {"0.250", "0.600", "", "0.300", "30.000", "35.000"};
  values.checks = {1, 0, 1, 1, 0, 1};
  EXPECT_EQ(ApplyPassFailDialog(*doc, values), lumivane::IniWriteOutcome::Written);
  EXPECT_FLOAT_EQ(doc->m_PassFailThresholds.Limit[kLimitReflectance], 0.0f);  // empty text
  EXPECT_EQ(doc->m_PassFailThresholds.Enabled, values.checks);

  doc->m_PassFailThresholds = PassFailThresholds{};
  LoadPassFailLimits(*doc, Folder());
  EXPECT_FLOAT_EQ(doc->m_PassFailThresholds.Limit[kLimitSpliceLoss], 0.25f);
  EXPECT_FLOAT_EQ(doc->m_PassFailThresholds.Limit[kLimitLinkOrl], 35.0f);
  // The enable flags live in the document only.
  EXPECT_EQ(doc->m_PassFailThresholds.Enabled, (std::array<std::int32_t, 6>{1, 1, 1, 1, 1, 1}));
}

// What OK takes is judged as the next load will read it: a typed value no float holds sets no
// limit, an empty text leaves the limit set or not set as the file has it.
TEST_F(PassFailDocumentTest, OkSetsOnlyTheLimitsItsTextsHold) {
  dir.WriteFile("otdr config.ini", "[1550]\nSplice Loss=inf\nConnector Loss=0.5\n");
  PassFailDialogValues values = PreparePassFailDialog(*doc, Folder());
  values.limits[kLimitConnectorLoss] = "1e308";
  values.limits[kLimitAttenuation] = "";
  values.checks.fill(1);
  ApplyPassFailDialog(*doc, values);
  const auto setNow = doc->m_PassFailThresholds.Set;
  LoadPassFailLimits(*doc, Folder());
  EXPECT_EQ(setNow, doc->m_PassFailThresholds.Set);
  EXPECT_EQ(setNow, (std::array<std::int32_t, 6>{0, 0, 1, 1, 1, 1}));
  EXPECT_FALSE(FailsLimit(doc->m_PassFailThresholds, 9.0f, kEventReflective, kLimitKindLoss));
}

TEST_F(PassFailDocumentTest, AnotherWavelengthTypedIsWrittenToItsOwnSection) {
  PassFailDialogValues values = PreparePassFailDialog(*doc, Folder());
  values.wavelength = "1625";
  values.limits[kLimitSpliceLoss] = "0.150";
  ApplyPassFailDialog(*doc, values);
  EXPECT_FLOAT_EQ(doc->m_PassFailThresholds.Limit[kLimitSpliceLoss], 0.15f);
  EXPECT_EQ(HasIniSection("1625", doc->m_strWorkPath), 1);
  EXPECT_EQ(HasIniSection("1550", doc->m_strWorkPath), 0);
  LoadPassFailLimits(*doc, Folder());  // the trace's own section is missing
  EXPECT_FLOAT_EQ(doc->m_PassFailThresholds.Limit[kLimitSpliceLoss], 0.0f);
}

// The dialog shows the limits an older file keeps for the trace's exact wavelength and writes them
// under the band, which judges from then on; the old section stays as it was.
TEST_F(PassFailDocumentTest, TheDialogShowsAndWritesTheBand) {
  dir.WriteFile("otdr config.ini", "[1549]\nSplice Loss=0.4\nLink ORL=31\n");
  SetWavelengthField(15486);
  PassFailDialogValues values = PreparePassFailDialog(*doc, Folder());
  EXPECT_EQ(values.wavelength, "1550");
  EXPECT_EQ(values.limits[kLimitSpliceLoss], "0.400");
  values.limits[kLimitSpliceLoss] = "0.250";
  EXPECT_EQ(ApplyPassFailDialog(*doc, values), lumivane::IniWriteOutcome::Written);
  EXPECT_EQ(Slurp(doc->m_strWorkPath),
            "[1549]\nSplice Loss=0.4\nLink ORL=31\n"
            "[1550]\nSplice Loss=0.250\nConnector Loss=0.000\nEvent Relf=0.000\nEvent Atte=0.000\n"
            "Link  Loss=0.000\nLink ORL=31.000\n");
  doc->m_PassFailThresholds = PassFailThresholds{};
  LoadPassFailLimits(*doc, Folder());
  EXPECT_FLOAT_EQ(doc->m_PassFailThresholds.Limit[kLimitSpliceLoss], 0.25f);

  // A wavelength typed with tenths is written to its band too.
  values.wavelength = "1308.4";
  ApplyPassFailDialog(*doc, values);
  EXPECT_EQ(HasIniSection("1310", doc->m_strWorkPath), 1);
}

// A limits file no settings file comes near in size is not read: nothing is judged, the user is
// told once, and nothing the program does rewrites it.
TEST_F(PassFailDocumentTest, ALimitsFileTooLargeIsRefusedOnceAndLeftAsItIs) {
  InitLanguageTable();
  SelectLanguage(LanguageColumn::English);
  lumivane::test::RecordingMessageSink sink;
  lumivane::ScopedMessageSink scoped(sink);
  const std::string small = "[1550]\nSplice Loss=0.1\n";
  const std::string large = small + ";" + std::string(lumivane::kIniFileByteLimit, 'x') + "\n";
  const std::string ini = dir.WriteFile("otdr config.ini", large);

  LoadPassFailLimits(*doc, Folder());
  LoadPassFailLimits(*doc, Folder());
  EXPECT_EQ(doc->m_PassFailThresholds.FileTooLarge, 1);
  EXPECT_EQ(doc->m_PassFailThresholds.Judged, 0);
  EXPECT_FALSE(FailsLimit(doc->m_PassFailThresholds, 5.0f, kEventNonReflective, kLimitKindLoss));
  EXPECT_EQ(PassFailLimitsForWavelength(PassFailThresholds{}, ini, 1550).Judged, 0);  // a batch page's
  ASSERT_EQ(sink.messages().size(), 1u);
  EXPECT_EQ(sink.messages()[0].text, g_CurrentStrings[TextRow::LimitsFileTooLarge] + "\n" + ini);
  EXPECT_EQ(sink.messages()[0].icon, lumivane::MessageIcon::Warning);

  EXPECT_EQ(WriteDefaultPassFailLimits(ini, "1550"), lumivane::IniWriteOutcome::TooLarge);
  EXPECT_TRUE(Slurp(ini) == large);

  // Made small again, it judges; grown again, it is refused and said again.
  dir.WriteFile("otdr config.ini", small);
  LoadPassFailLimits(*doc, Folder());
  EXPECT_EQ(doc->m_PassFailThresholds.FileTooLarge, 0);
  EXPECT_EQ(doc->m_PassFailThresholds.Judged, 1);
  EXPECT_FLOAT_EQ(doc->m_PassFailThresholds.Limit[kLimitSpliceLoss], 0.1f);
  dir.WriteFile("otdr config.ini", large);
  LoadPassFailLimits(*doc, Folder());
  EXPECT_EQ(sink.messages().size(), 2u);

  // Limits confirmed in the dialog are not written into it; they judge for the run.
  PassFailDialogValues values = PreparePassFailDialog(*doc, Folder());
  values.limits[kLimitSpliceLoss] = "0.250";
  EXPECT_EQ(ApplyPassFailDialog(*doc, values), lumivane::IniWriteOutcome::TooLarge);
  EXPECT_TRUE(Slurp(ini) == large);
  LoadPassFailLimits(*doc, Folder());
  EXPECT_EQ(doc->m_PassFailThresholds.Judged, 1);
  EXPECT_FLOAT_EQ(doc->m_PassFailThresholds.Limit[kLimitSpliceLoss], 0.25f);
}

TEST_F(PassFailDocumentTest, SectionNameThatWouldBreakTheFileIsRefused) {
  dir.WriteFile("otdr config.ini", "[1310]\nSplice Loss=0.4\n");
  PassFailDialogValues values = PreparePassFailDialog(*doc, Folder());
  values.wavelength = "15]50\n[x";
  EXPECT_EQ(ApplyPassFailDialog(*doc, values), lumivane::IniWriteOutcome::InvalidName);
  EXPECT_EQ(Slurp(doc->m_strWorkPath), "[1310]\nSplice Loss=0.4\n");
}

TEST_F(PassFailDocumentTest, WithoutStoredLimitsNothingIsJudged) {
  LoadPassFailLimits(*doc, Folder());
  EXPECT_EQ(doc->m_PassFailThresholds.Judged, 0);
  EXPECT_FALSE(IsLimitEnabled(doc->m_PassFailThresholds, kEventNonReflective, kLimitKindLoss));
  EXPECT_FALSE(JudgeLinkLimits(doc->m_LinkSummary, doc->m_PassFailThresholds, 40.0f).Any());

  dir.WriteFile("otdr config.ini", "[1550]\nSplice Loss=0.4\n");
  LoadPassFailLimits(*doc, Folder());
  EXPECT_EQ(doc->m_PassFailThresholds.Judged, 1);
  EXPECT_TRUE(IsLimitEnabled(doc->m_PassFailThresholds, kEventNonReflective, kLimitKindLoss));
}

TEST_F(PassFailDocumentTest, TheLinkIsJudgedLikeTheEventsAndFeedsTheVerdict) {
  dir.WriteFile("otdr config.ini", "[1550]\nLink  Loss=10\nLink ORL=0\n");
  LoadPassFailLimits(*doc, Folder());
  doc->m_LinkSummary.LinkLength = 5.0f;
  doc->m_LinkSummary.LinkLoss = 12.0f;
  EXPECT_TRUE(JudgeLinkLimits(doc->m_LinkSummary, doc->m_PassFailThresholds, 40.0f).linkLoss);
  doc->m_LinkSummary.LinkLoss = 9.0f;
  EXPECT_FALSE(JudgeLinkLimits(doc->m_LinkSummary, doc->m_PassFailThresholds, 40.0f).linkLoss);
  doc->m_PassFailThresholds.Enabled[kLimitLinkLoss] = 0;
  doc->m_LinkSummary.LinkLoss = 12.0f;
  EXPECT_FALSE(JudgeLinkLimits(doc->m_LinkSummary, doc->m_PassFailThresholds, 40.0f).linkLoss);
}

// Limits the file cannot keep stay in force for the run instead of vanishing at the next load.
TEST_F(PassFailDocumentTest, LimitsTheFileCannotKeepStayInForce) {
  const std::string missing = dir.Path("no such folder");
  PassFailDialogValues values = PreparePassFailDialog(*doc, missing);
  values.limits = {"0.250", "0.600", "55.000", "0.300", "30.000", "35.000"};
  EXPECT_NE(ApplyPassFailDialog(*doc, values), lumivane::IniWriteOutcome::Written);
  LoadPassFailLimits(*doc, missing);
  EXPECT_EQ(doc->m_PassFailThresholds.Judged, 1);
  EXPECT_FLOAT_EQ(doc->m_PassFailThresholds.Limit[kLimitSpliceLoss], 0.25f);
  EXPECT_FLOAT_EQ(doc->m_PassFailThresholds.Limit[kLimitLinkOrl], 35.0f);

  // Once written, the file speaks again.
  values.iniPath = dir.Path("otdr config.ini");
  values.limits[kLimitSpliceLoss] = "0.150";
  EXPECT_EQ(ApplyPassFailDialog(*doc, values), lumivane::IniWriteOutcome::Written);
  LoadPassFailLimits(*doc, Folder());
  EXPECT_FLOAT_EQ(doc->m_PassFailThresholds.Limit[kLimitSpliceLoss], 0.15f);
  EXPECT_TRUE(doc->m_PassFailThresholds.UnsavedSection.empty());
}

}  // namespace
