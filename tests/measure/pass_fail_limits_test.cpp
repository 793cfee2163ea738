#include "measure/pass_fail_limits.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "document/otdr_doc.h"
#include "measure/pass_fail_check.h"
#include "measure/pass_fail_document.h"
#include "measure/pass_fail_verdict.h"
#include "temp_dir.h"

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

class PassFailDocumentTest : public ::testing::Test {
 protected:
  PassFailDocumentTest() : doc(std::make_unique<COtdrDoc>()) { doc->m_FibreParams.Wavelength = 1550; }
  std::string Folder() const { return dir.path().string(); }
  TempDir dir;
  std::unique_ptr<COtdrDoc> doc;
};

// A 1651 nm trace is not judged against the 1310 nm limits.
TEST_F(PassFailDocumentTest, AWavelengthWithoutLimitsOfItsOwnIsJudgedAgainstNothing) {
  dir.WriteFile("otdr config.ini", "[1310]\nSplice Loss=0.4\n[1490]\nSplice Loss=0.9\n");
  doc->m_FibreParams.Wavelength = 1651;
  LoadPassFailLimits(*doc, Folder());
  EXPECT_EQ(doc->m_strWorkPath, dir.Path("otdr config.ini"));
  EXPECT_EQ(doc->m_PassFailThresholds.Judged, 0);
  EXPECT_FLOAT_EQ(doc->m_PassFailThresholds.Limit[kLimitSpliceLoss], 0.0f);
  EXPECT_FALSE(FailsLimit(doc->m_PassFailThresholds, 5.0f, kEventNonReflective, kLimitKindLoss));
  EXPECT_EQ(PreparePassFailDialog(*doc, Folder()).checks, (std::array<std::int32_t, 6>{0, 0, 0, 0, 0, 0}));

  doc->m_FibreParams.Wavelength = 1490;
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
