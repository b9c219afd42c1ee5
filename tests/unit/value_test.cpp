#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "data/providers/value.h"
#include "data/providers/value_conversion.h"

using namespace kpx::data;

namespace {

struct TextCase {
  const char* name;
  Value value;
  const char* text;
};

class ValueText : public testing::TestWithParam<TextCase> {};

TEST_P(ValueText, AppendsCanonicalText) {
  std::string out = "x";
  appendText(GetParam().value, out);
  EXPECT_EQ(out, std::string("x") + GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, ValueText,
    testing::Values(
        TextCase{"Null", Value::null(), ""}, TextCase{"True", Value::fromBool(true), "1"},
        TextCase{"MinInteger", Value::fromInt(std::numeric_limits<int64_t>::min()),
                 "-9223372036854775808"},
        TextCase{"CurrencyTrailingZeros", Value::fromCurrency(12500), "1.25"},
        TextCase{"CurrencyNegativeFraction", Value::fromCurrency(-5), "-0.0005"},
        TextCase{"CurrencyMin", Value::fromCurrency(std::numeric_limits<int64_t>::min()),
                 "-922337203685477.5808"},
        TextCase{"DecimalTrailingZeros", Value::fromDecimal("-123.4500"), "-123.45"},
        TextCase{"DecimalNegativeZero", Value::fromDecimal("-0.00"), "0"},
        TextCase{"DateMidnight", Value::fromDate(oleDateFromParts(2024, 2, 29)), "2024-02-29"},
        TextCase{"DateEpoch", Value::fromDate(0), "1899-12-30"},
        TextCase{"DateBeforeEpochWithTime", Value::fromDate(-1.25), "1899-12-29 06:00:00"},
        TextCase{"DateRoundsToNextDay", Value::fromDate(1.0 - 1e-9), "1899-12-31"},
        TextCase{"BinaryUpperHex", Value::fromBinary(std::string_view("\x00\xab\x7f", 3)),
                 "00AB7F"}),
    [](const auto& info) { return std::string(info.param.name); });

// Whole numbers and short fractions take quicker paths than other doubles, in both directions;
// the text written and the double read must be the library's own, around every edge: the
// 14- and 15-digit limits, 0.001, 2^53, trailing zeros, halfway cases and their neighbours, and
// the smallest and largest doubles.
std::vector<double> doublesAroundTheEdges() {
  std::vector<double> values = {765,    -3,        100000,    8999999999999999, 9007199254740993.0,
                                1e22,   0.1 + 0.2, 1.0 / 3,   -2.0 / 3,         0.001,
                                0.0012, 0.00012,   0.0009999, 99999999999999.9, 45386.1273263889};
  values.insert(values.end(), {6250, 10000, 120000, 3e14, 1e15, 8.9e15, 123450000, 2e-4, 1.5e-5});
  values.insert(values.end(), {0.1, 1e300, -1e-300, 5e-324, 1.7976931348623157e308});
  for (double scale = 1; scale < 1e17; scale *= 10)
    for (double m : {1.0, 7.0, 19.0, 120.0, 123456789.0}) values.push_back(-m * scale + 1);
  for (double tens = 10; tens < 1e10; tens *= 10)
    for (double m : {1.0, 5.0, 125.0, 99999999.0, 12345678901234.0, 123456789012345.0}) {
      const double d = m / tens;
      values.insert(values.end(), {d, -d, std::nextafter(d, 0.0), std::nextafter(d, 1e300)});
    }
  std::mt19937_64 random(12345);
  for (int i = 0; i < 20000; ++i) {
    const double digits = double(random() % 100000000000000000ULL >> (random() % 50));
    values.push_back(digits / std::pow(10.0, double(random() % 20)));
  }
  return values;
}

TEST(ValueText, DoublesWriteAndReadAsTheLibraryDoes) {
  for (double d : doublesAroundTheEdges()) {
    char expected[32];
    auto [end, ec] = std::to_chars(expected, expected + sizeof expected, d);
    const std::string text(expected, end);
    ASSERT_EQ(toText(Value::fromDouble(d)), text) << d;
    double back = 0;
    ASSERT_TRUE(parseDouble(text, back)) << text;
    ASSERT_EQ(back, d) << text;
  }
}

TEST(ValueText, PlainDecimalsReadAsTheLibraryReadsThem) {
  std::vector<std::string> texts = {
      "-0", "00012.50", "9007199254740993",  "0.100000000000000005551", "1.", ".5", "1e5", "+1",
      "",   "12a",      "4503599627370497.5"};
  std::mt19937_64 random(54321);
  for (int i = 0; i < 20000; ++i) {
    std::string t = std::to_string(random() >> (random() % 64));
    t.insert(random() % (t.size() + 1), ".");
    texts.push_back((random() % 2 ? "-" : "") + (t.front() == '.' ? "0" + t : t));
  }
  int quick = 0;
  for (const std::string& t : texts) {
    double expected = 0, got = 0;
    auto [end, ec] = std::from_chars(t.data(), t.data() + t.size(), expected);
    if (parseShortDecimal(t, got)) {
      ++quick;
      ASSERT_TRUE(ec == std::errc() && end == t.data() + t.size()) << t;
      ASSERT_EQ(std::signbit(got), std::signbit(expected)) << t;
      ASSERT_EQ(got, expected) << t;
    }
  }
  EXPECT_GT(quick, 10000);  // most of them take the quick path
}

struct ParseCase {
  const char* name;
  const char* text;
  bool ok;
  double expected;  // integers, doubles, currency (scaled) and booleans as numbers
};

class ParseCurrencyTest : public testing::TestWithParam<ParseCase> {};
TEST_P(ParseCurrencyTest, Converts) {
  int64_t v = 0;
  ASSERT_EQ(parseCurrency(GetParam().text, v), GetParam().ok);
  if (GetParam().ok) {
    EXPECT_EQ(v, static_cast<int64_t>(GetParam().expected));
  }
}
INSTANTIATE_TEST_SUITE_P(Forms, ParseCurrencyTest,
                         testing::Values(ParseCase{"Fraction", "-1.5", true, -15000},
                                         ParseCase{"FourDecimals", "0.0001", true, 1},
                                         ParseCase{"RoundsFifth", "0.00005", true, 1},
                                         ParseCase{"Exponent", "1.5e2", true, 1500000},
                                         ParseCase{"Overflow", "922337203685478", false, 0},
                                         ParseCase{"BarePoint", ".", false, 0},
                                         ParseCase{"Text", "12 EUR", false, 0}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ParseCurrency, LimitsAreExact) {
  int64_t v = 0;
  ASSERT_TRUE(parseCurrency("922337203685477.5807", v));
  EXPECT_EQ(v, std::numeric_limits<int64_t>::max());
  ASSERT_TRUE(parseCurrency("-922337203685477.5807", v));
  EXPECT_EQ(v, -std::numeric_limits<int64_t>::max());
  EXPECT_FALSE(parseCurrency("922337203685477.5808", v));
}

struct DateCase {
  const char* name;
  const char* text;
  bool ok;
  const char* canonical;
};
class ParseDateTest : public testing::TestWithParam<DateCase> {};
TEST_P(ParseDateTest, Converts) {
  double v = 0;
  ASSERT_EQ(parseDate(GetParam().text, v), GetParam().ok);
  if (GetParam().ok) {
    EXPECT_EQ(toText(Value::fromDate(v)), GetParam().canonical);
  }
}
INSTANTIATE_TEST_SUITE_P(
    Forms, ParseDateTest,
    testing::Values(DateCase{"SpaceTime", "2023-07-04 08:09:10", true, "2023-07-04 08:09:10"},
                    DateCase{"IsoFractionZ", "2023-07-04T08:09:10.400Z", true,
                             "2023-07-04 08:09:10.400"},
                    DateCase{"NoSeconds", "2023-07-04 08:09", true, "2023-07-04 08:09:00"},
                    DateCase{"TimeOnly", "13:30:00", true, "1899-12-30 13:30:00"},
                    DateCase{"BeforeEpoch", "1850-01-01 12:00:00", true, "1850-01-01 12:00:00"},
                    DateCase{"Feb29NotLeap", "2023-02-29", false, ""},
                    DateCase{"Feb29Of2000", "2000-02-29", true, "2000-02-29"},
                    DateCase{"NoFeb29In1900", "1900-02-29", false, ""},
                    DateCase{"NoFeb29In2100", "2100-02-29", false, ""},
                    DateCase{"Month13", "2023-13-01", false, ""},
                    DateCase{"Hour24", "2023-01-01 24:00:00", false, ""},
                    DateCase{"Slashes", "04/07/2023", false, ""},
                    DateCase{"TrailingText", "2023-07-04x", false, ""}),
    [](const auto& info) { return std::string(info.param.name); });

struct ConvertCase {
  const char* name;
  Value in;
  int32_t type;
  int32_t size;
  bool ok;
  const char* text;  // the converted value as text
  ValueKind kind;
};
class ConvertValueTest : public testing::TestWithParam<ConvertCase> {};
TEST_P(ConvertValueTest, FollowsTheColumnType) {
  const auto& c = GetParam();
  ColumnInfo column{"Col", c.type, c.size, adColNullable};
  std::string scratch;
  Value out;
  ASSERT_EQ(convertValue(c.in, column, out, scratch), c.ok);
  if (!c.ok) return;
  EXPECT_EQ(out.kind, c.kind);
  EXPECT_EQ(toText(out), c.text);
}
INSTANTIATE_TEST_SUITE_P(
    Types, ConvertValueTest,
    testing::Values(
        ConvertCase{"TextToLong", Value::fromString(" 17 "), adInteger, 0, true, "17",
                    ValueKind::Integer},
        ConvertCase{"TwoSignsRefused", Value::fromString("+-2"), adInteger, 0, false, "",
                    ValueKind::Null},
        ConvertCase{"FractionRoundsHalfEven", Value::fromString("2.5"), adInteger, 0, true, "2",
                    ValueKind::Integer},
        ConvertCase{"ShortOverflow", Value::fromInt(40000), adSmallInt, 0, false, "",
                    ValueKind::Null},
        ConvertCase{"ByteNegative", Value::fromInt(-1), adUnsignedTinyInt, 0, false, "",
                    ValueKind::Null},
        ConvertCase{"TextNotNumber", Value::fromString("abc"), adDouble, 0, false, "",
                    ValueKind::Null},
        ConvertCase{"CurrencyTwoAndAHalfToLong", Value::fromCurrency(25000), adInteger, 0, true,
                    "2", ValueKind::Integer},
        ConvertCase{"CurrencyThreeAndAHalfToLong", Value::fromCurrency(35000), adInteger, 0, true,
                    "4", ValueKind::Integer},
        ConvertCase{"CurrencyMinusTwoAndAHalfToLong", Value::fromCurrency(-25000), adInteger, 0,
                    true, "-2", ValueKind::Integer},
        ConvertCase{"CurrencyMinusThreeAndAHalfToShort", Value::fromCurrency(-35000), adSmallInt, 0,
                    true, "-4", ValueKind::Integer},
        ConvertCase{"TextToCurrency", Value::fromString("19.99"), adCurrency, 0, true, "19.99",
                    ValueKind::Currency},
        ConvertCase{"TextToDecimalExact", Value::fromString("12345678901234567890.5"), adNumeric, 0,
                    true, "12345678901234567890.5", ValueKind::Decimal},
        ConvertCase{"TextToDate", Value::fromString("2020-01-02T03:04:05"), adDate, 0, true,
                    "2020-01-02 03:04:05", ValueKind::Date},
        ConvertCase{"BadDate", Value::fromString("2020-02-30"), adDate, 0, false, "",
                    ValueKind::Null},
        ConvertCase{"TrueWordToBit", Value::fromString("True"), adBoolean, 0, true, "1",
                    ValueKind::Boolean},
        ConvertCase{"GuidWithoutBraces", Value::fromString("6b29fc40-ca47-1067-b31d-00dd010662da"),
                    adGUID, 0, true, "{6B29FC40-CA47-1067-B31D-00DD010662DA}", ValueKind::Guid},
        ConvertCase{"NumberToText", Value::fromDouble(2.5), adVarWChar, 10, true, "2.5",
                    ValueKind::String},
        ConvertCase{"TextFitsInCodePoints", Value::fromString("\xc3\xa0\xc3\xa8\xc3\xac"),
                    adVarWChar, 3, true, "\xc3\xa0\xc3\xa8\xc3\xac", ValueKind::String},
        ConvertCase{"MemoHasNoLimit", Value::fromString("abcdef"), adLongVarWChar, 5, true,
                    "abcdef", ValueKind::String},
        ConvertCase{"NullStaysNull", Value::null(), adInteger, 0, true, "", ValueKind::Null},
        ConvertCase{"DateToBinaryRefused", Value::fromDate(1), adLongVarBinary, 0, false, "",
                    ValueKind::Null}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
