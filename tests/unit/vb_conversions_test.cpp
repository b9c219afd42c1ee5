#include <gtest/gtest.h>

#include "kpxwizard/automation_error.h"
#include "model/vb_conversions.h"

using namespace kpx;

namespace {

int32_t errorOf(auto&& call) {
  try {
    call();
  } catch (const AutomationError& e) {
    return e.number();
  }
  return 0;
}

TEST(VbConversions, IntegersRoundHalfToEvenAndAcceptBooleanWords) {
  EXPECT_EQ(vb::CLng("12"), 12);
  EXPECT_EQ(vb::CLng("  -7 "), -7);
  EXPECT_EQ(vb::CLng("2.5"), 2);
  EXPECT_EQ(vb::CLng("3.5"), 4);
  EXPECT_EQ(vb::CLng("-2.5"), -2);
  EXPECT_EQ(vb::CLng("1e3"), 1000);
  EXPECT_EQ(vb::CLng("+5"), 5);
  EXPECT_EQ(vb::CInt("true"), -1);
  EXPECT_EQ(vb::CInt("False"), 0);
  EXPECT_EQ(vb::CInt("-32768"), -32768);
}

TEST(VbConversions, TextThatIsNoNumberIsATypeMismatchAndTooLargeAnOverflow) {
  for (const char* text : {"", " ", "abc", "1,5", "0x10", "inf", "nan", "12a", "+", "+-1", "++1"})
    EXPECT_EQ(errorOf([&] { vb::CLng(text); }), vb::kErrTypeMismatch) << '"' << text << '"';
  EXPECT_EQ(errorOf([] { vb::CInt("32768"); }), vb::kErrOverflow);
  EXPECT_EQ(errorOf([] { vb::CLng("2147483648"); }), vb::kErrOverflow);
  EXPECT_EQ(errorOf([] { vb::toInt16(40000, "width"); }), vb::kErrOverflow);
}

TEST(VbConversions, BooleansFromWordsAndNumbers) {
  EXPECT_TRUE(vb::CBool("True"));
  EXPECT_TRUE(vb::CBool("TRUE"));
  EXPECT_TRUE(vb::CBool("-1"));
  EXPECT_TRUE(vb::CBool("2"));
  EXPECT_FALSE(vb::CBool("False"));
  EXPECT_FALSE(vb::CBool("0"));
  EXPECT_EQ(errorOf([] { vb::CBool(""); }), vb::kErrTypeMismatch);
  EXPECT_EQ(errorOf([] { vb::CBool("yes"); }), vb::kErrTypeMismatch);
}

}  // namespace
