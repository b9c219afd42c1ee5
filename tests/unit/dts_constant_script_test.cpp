#include <gtest/gtest.h>

#include "package/dts/constant_script.h"

using kpx::dts::parseConstantScript;
using kpx::dts::ScriptError;

namespace {

struct ReadCase {
  const char* name;
  const char* text;
  const char* column;
  const char* value;
  bool isNull;
};

class ConstantScriptReads : public testing::TestWithParam<ReadCase> {};

TEST_P(ConstantScriptReads, TheAssignment) {
  const auto assignments = parseConstantScript(GetParam().text, "Main");
  ASSERT_EQ(assignments.size(), 1u);
  EXPECT_EQ(assignments[0].column, GetParam().column);
  EXPECT_EQ(assignments[0].value, GetParam().value);
  EXPECT_EQ(assignments[0].isNull, GetParam().isNull);
}

INSTANTIATE_TEST_SUITE_P(
    Scripts, ConstantScriptReads,
    testing::Values(ReadCase{"Generated",
                             "Function Main()\r\n   DTSDestination(\"CODE\")=\"7\"\r\n   Main = "
                             "DTSTransformStat_OK\r\nEnd Function",
                             "CODE", "7", false},
                    ReadCase{"BlanksCaseCommentsAndLf",
                             "\n' made by hand\nfunction main\n\tdtsdestination ( \"Città\" ) . "
                             "value = \"a b\" ' c\n  MAIN=dtstransformstat_ok\nend   function\n\n",
                             "Città", "a b", false},
                    ReadCase{"DoubledQuoteIsOneQuote",
                             "Function Main()\r\n DTSDestination(\"X\")=\"say \"\"hi\"\"\"\r\n "
                             "Main = DTSTransformStat_OK\r\nEnd Function",
                             "X", "say \"hi\"", false},
                    ReadCase{"Null",
                             "Function Main()\n DTSDestination(\"X\") = Null\n Main = "
                             "DTSTransformStat_OK\nEnd Function",
                             "X", "", true}),
    [](const auto& info) { return std::string(info.param.name); });

struct FailCase {
  const char* name;
  const char* text;
  const char* description;
};

class ConstantScriptFails : public testing::TestWithParam<FailCase> {};

TEST_P(ConstantScriptFails, WithADescription) {
  try {
    parseConstantScript(GetParam().text, "Main");
    FAIL() << "read without error";
  } catch (const ScriptError& e) {
    EXPECT_EQ(std::string(e.what()), GetParam().description);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Scripts, ConstantScriptFails,
    testing::Values(FailCase{"QuoteInsideTheConstant",
                             "Function Main()\r\n   DTSDestination(\"CODE\")=\"5\" inch\"\r\n   "
                             "Main = DTSTransformStat_OK\r\nEnd Function",
                             "line 2: unexpected text 'inch\"' at the end of the statement in:    "
                             "DTSDestination(\"CODE\")=\"5\" inch\""},
                    FailCase{"OtherFunction", "Function Other()\nEnd Function",
                             "line 1: expected 'Function Main()' in: Function Other()"},
                    FailCase{"NoResult",
                             "Function Main()\n DTSDestination(\"X\")=\"1\"\nEnd Function",
                             "the function does not set Main = DTSTransformStat_OK"},
                    FailCase{"OtherStatement", "Function Main()\n MsgBox \"hi\"\nEnd Function",
                             "line 2: statement not understood in:  MsgBox \"hi\""}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
