// The Basic-style routines: conversions with Basic's errors, and string routines counting
// characters, not bytes.
#include <gtest/gtest.h>

#include "kpxwizard/automation_error.h"
#include "model/vb_conversions.h"
#include "model/vb_strings.h"

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
  EXPECT_EQ(vb::CLng("  -7 "), -7);
  EXPECT_EQ(vb::CLng("2.5"), 2);
  EXPECT_EQ(vb::CLng("3.5"), 4);
  EXPECT_EQ(vb::CLng("-2.5"), -2);
  EXPECT_EQ(vb::CLng("1e3"), 1000);
  EXPECT_EQ(vb::CInt("true"), -1);
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
  EXPECT_TRUE(vb::CBool("TRUE"));
  EXPECT_TRUE(vb::CBool("2"));
  EXPECT_FALSE(vb::CBool("False"));
  EXPECT_FALSE(vb::CBool("0"));
  EXPECT_EQ(errorOf([] { vb::CBool(""); }), vb::kErrTypeMismatch);
  EXPECT_EQ(errorOf([] { vb::CBool("yes"); }), vb::kErrTypeMismatch);
}

TEST(VbStrings, PositionsCountCodePoints) {
  const std::string text = "città€𝄞x";  // 2-, 3- and 4-byte characters
  EXPECT_EQ(vb::Len(text), 8);
  EXPECT_EQ(vb::InStr(text, "€"), 6);
  EXPECT_EQ(vb::InStr(text, "t", 4), 4);
  EXPECT_EQ(vb::InStrRev(text, "t"), 4);
  EXPECT_EQ(vb::Mid(text, 5, 2), "à€");
  EXPECT_EQ(vb::Mid(text, 9), "");
  EXPECT_EQ(vb::Left(text, 5), "città");
  EXPECT_EQ(vb::Right(text, 2), "𝄞x");
  EXPECT_EQ(vb::Left(text, 100), text);
}

TEST(VbStrings, UpperCaseKeepsLengthAndHandlesAccents) {
  EXPECT_EQ(vb::UCase("àéìòùçñ ÿ œ ł ž straße"), "ÀÉÌÒÙÇÑ Ÿ Œ Ł Ž STRAßE");  // ß stays
  EXPECT_EQ(vb::UCase("αβγ ς жё"), "ΑΒΓ Σ ЖЁ");
  EXPECT_EQ(vb::UCase("a\xFF"
                      "b"),
            "A\xFF"
            "B");  // a stray byte survives unchanged
  EXPECT_EQ(vb::Len("a\xFF"
                    "b"),
            3);
}

TEST(VbStrings, EmptyArgumentsFollowBasic) {
  EXPECT_EQ(vb::InStr("", ""), 0);
  EXPECT_EQ(vb::InStr("abc", "", 3), 3);
  EXPECT_EQ(vb::InStr("abc", "", 4), 0);
  EXPECT_TRUE(vb::Split("", ",").empty());
  EXPECT_EQ(vb::Split("a,b", ""), std::vector<std::string>{"a,b"});
  EXPECT_EQ(vb::Split("a,,b,", ","), (std::vector<std::string>{"a", "", "b", ""}));
  EXPECT_EQ(vb::Replace("aXbXc", "", "-"), "aXbXc");
  EXPECT_EQ(vb::Replace("aaa", "aa", "b"), "ba");
}

TEST(VbStrings, TrimRemovesOnlySpaces) {
  EXPECT_EQ(vb::Trim("\t a b  "), "\t a b");
  EXPECT_EQ(vb::LTrim("  a  "), "a  ");
  EXPECT_EQ(vb::RTrim("  a  "), "  a");
  EXPECT_EQ(vb::Trim("    "), "");
}

}  // namespace
