#include "instrument/upload_progress_view.h"

#include <gtest/gtest.h>

#include "instrument/dated_folder.h"
#include "instrument/upload_protocol.h"
#include "vocabulary/text_table.h"

namespace {

class UploadProgressViewTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InitLanguageTable();
    SelectLanguage(LanguageColumn::English);
  }
};

}  // namespace

TEST_F(UploadProgressViewTest, EachStateShowsItsText) {
  struct Case {
    std::int32_t c, i;
    UploadFileOutcomes outcomes;
    std::optional<int> bar;
    std::string text;
    bool ended;
  };
  const Case cases[] = {
      {0, 0, {}, 100, "There's No File In OTDR!", true},
      {3, 3, {}, 100, "Total  3 Files, Have Been Recieved!", true},
      {3, 3, {1, 0}, 100, "Total  3 Files, Have Been Recieved!\n1 Files Could Not Be Saved In The Folder!", true},
      {3, 3, {1, 2}, 100,
       "Total  3 Files, Have Been Recieved!\n2 Files Had The Name Of A File Received Before: Each Was Stored Under A "
       "Numbered Name.\n1 Files Could Not Be Saved In The Folder!",
       true},
      {UploadConnecting, -1, {}, std::nullopt, "Connecting Port......", false},
      {UploadStartFailed, 0, {}, std::nullopt, "Can't Open Port,Ensure the Port is Free!", true},
      {UploadTransferFailed, 0, {}, std::nullopt, "Can't Read Data,Ensure the OTDR is Connected.", true},
      {UploadOpenFailed, 0, {}, std::nullopt, "Can't Open Port,Ensure the Port is Free!", true},
      {UploadFileTooLarge, 0, {}, std::nullopt, "File too large !", true},
      {UploadUnsupportedCount, 0, {}, std::nullopt, "Warning! Select new version please!", true},
      {3, -1, {}, 0, "Total  3 Files, Now Receiving No. 0 ......", false},
      {3, 1, {}, 34, "Total  3 Files, Now Receiving No. 2 ......", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    ProgressCreep creep;
    const ProgressView view = UpdateProgressView(c.c, c.i, c.outcomes, creep);
    EXPECT_EQ(view.text, c.text);
    EXPECT_EQ(view.ended, c.ended);
    if (c.bar) {
      EXPECT_EQ(view.bar, c.bar);
    } else {
      EXPECT_FALSE(view.bar.has_value());
    }
  }
}

TEST_F(UploadProgressViewTest, TheBarCreepsInsideTheShareOfTheFileReceived) {
  // One file: 3 points a tick up to 99; the end alone shows 100.
  ProgressCreep one;
  std::vector<int> bars;
  for (int tick = 0; tick < 40; ++tick) bars.push_back(*UpdateProgressView(1, 0, {}, one).bar);
  EXPECT_EQ(bars[0], 3);
  EXPECT_EQ(bars[1], 6);
  EXPECT_EQ(bars[32], 99);
  EXPECT_EQ(bars.back(), 99);
  EXPECT_EQ(*UpdateProgressView(1, 1, {}, one).bar, 100);

  // Three files: the second file's share is 33 to 65, and a new file starts its share afresh.
  ProgressCreep three;
  for (int tick = 0; tick < 100; ++tick) {
    const int bar = *UpdateProgressView(3, 1, {}, three).bar;
    EXPECT_GE(bar, 33);
    EXPECT_LE(bar, 65);
  }
  EXPECT_EQ(*UpdateProgressView(3, 2, {}, three).bar, 67);

  // From 51 files on each file has one point or less and the bar moves from file to file.
  ProgressCreep many;
  for (int tick = 0; tick < 10; ++tick) EXPECT_EQ(*UpdateProgressView(60, 30, {}, many).bar, 50);
}

TEST(DatedFolderTest, TheFolderIsNamedAfterTheLocalDateAndTime) {
  std::tm time{};
  time.tm_year = 2024 - 1900;
  time.tm_mon = 2;
  time.tm_mday = 5;
  time.tm_hour = 14;
  time.tm_min = 7;
  time.tm_sec = 9;
  EXPECT_EQ(DatedFolderName(time), "2024-03-05(y-m-d) 14-07-09");
}
