#include "panes/type_ahead_search.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

class TypeAheadTest : public ::testing::Test {
 protected:
  int Type(char16_t c, int focused, std::int64_t now, bool ctrl = false) {
    return TypeAheadStep(state, 2, focused, c, ctrl, now, static_cast<int>(texts.size()),
                         [this](int row) { return texts[static_cast<std::size_t>(row)]; });
  }
  std::vector<std::u16string> texts{u"1.5", u"12.0", u"abc", u"1.9", u"Abd"};
  TypeAheadState state;
};

TEST_F(TypeAheadTest, RepeatingALetterStepsToTheNextMatchAndWraps) {
  EXPECT_EQ(Type(u'1', 0, 100), 1);
  EXPECT_EQ(Type(u'1', 1, 100), 3);
  EXPECT_EQ(Type(u'1', 3, 101), 0) << "wraps past the last row";
  EXPECT_EQ(state.m_strSearch, u"1");
}

TEST_F(TypeAheadTest, TextGrowsIgnoringCaseUntilAPause) {
  EXPECT_EQ(Type(u'a', 0, 100), 2);
  EXPECT_EQ(Type(u'B', 2, 100), 4) << "the focused row itself is never examined";
  EXPECT_EQ(Type(u'x', 4, 101), -1);
  EXPECT_EQ(state.m_strSearch, u"aBx");
  EXPECT_EQ(Type(u'a', 4, 101), -1) << "after a miss the text keeps growing";
  EXPECT_EQ(Type(u'a', 4, 103), 2) << "a pause of two seconds starts a new text";
  EXPECT_EQ(state.m_strSearch, u"a");
}

TEST_F(TypeAheadTest, CtrlEmptiesTheTextAndFindsNothing) {
  Type(u'a', 0, 100);
  EXPECT_EQ(Type(u'\x01', 2, 100, true), -1);
  EXPECT_TRUE(state.m_strSearch.empty());
}

TEST_F(TypeAheadTest, OnlyMatchIsTheFocusedRowFindsNothing) {
  EXPECT_EQ(Type(u'A', 4, 100), 2);
  texts[2] = u"zzz";
  EXPECT_EQ(Type(u'A', 2, 110), 4);
  EXPECT_EQ(Type(u'A', 4, 120), -1);
}

TEST_F(TypeAheadTest, WithoutFocusRowZeroIsSkipped) {
  EXPECT_EQ(Type(u'1', -1, 100), 1) << "rows after row 0 first";
  texts = {u"x", u"y"};
  state = {};
  EXPECT_EQ(Type(u'x', -1, 100), -1);
}

}  // namespace
