// The type chosen for a column of text values, and the reason given for it.
#include <gtest/gtest.h>

#include "data/text/column_type_inference.h"

namespace {

using kpx::data::ColumnTypeInference;

struct Column {
  const char* name;
  std::vector<const char*> values;  // one per row from row 1; "" is an empty field
  const char* type;
  const char* reason;  // the whole reason
};

TEST(ColumnTypeInference, ChoosesTheNarrowestTypeAndNamesTheFirstCounterExample) {
  const Column columns[] = {
      {"Flags", {"1", "0", "True", "", "false"}, "Bit", "4 values, all 0/1 or true/false"},
      {"Quantities", {"-3", "98211", "", "7"}, "Long", "3 values, all whole, from -3 to 98,211"},
      {"BeyondLong",
       {"1", "3000000000"},
       "BigInt",
       "2 values, all whole, from 1 to 3,000,000,000, beyond Long"},
      {"Prices",
       {"12.50", "-0.99", "1000.00"},
       "Currency",
       "3 values, all numbers with exactly two decimals"},
      {"Measures",
       {"12.50", "3", "2.125", "1e3"},
       "Double",
       "4 values, all numbers; 3 of 4 values are not whole: row 1 '12.50'"},
      {"IsoDates",
       {"2020-01-31", "2021-12-01 10:30:00", ""},
       "Datetime",
       "2 values, all ISO dates (year-month-day)"},
      {"DayFirst",
       {"01/02/2020", "25/12/2020", "3.4.2021"},
       "Datetime",
       "3 values, all day-first dates, as row 2 '25/12/2020' shows"},
      {"MonthFirst",
       {"01/02/2020", "12/25/2020 09:15:00"},
       "Datetime",
       "2 values, all month-first dates, as row 2 '12/25/2020 09:15:00' shows"},
      {"AmbiguousDates",
       {"01/02/2020", "03/04/2020"},
       "VarChar (10)",
       "2 values are dates, but none tells day from month (row 1 '01/02/2020'); write them "
       "year-month-day"},
      {"BadDay",
       {"25/12/2020", "31/02/2020", "01/01/2021", "x"},
       "VarChar (10)",
       "2 of 4 values are not dates: row 2 '31/02/2020'"},
      {"MostlyNumbers",
       {"1", "2", "n/a", "4"},
       "VarChar (3)",
       "1 of 4 values are not numbers: row 3 'n/a'"},
      {"LeadingZeros", {"007", "12"}, "VarChar (3)", "1 of 2 values are not numbers: row 1 '007'"},
      {"Words", {"Anna", "Zürich"}, "VarChar (6)", "2 values of text, the longest 6 characters"},
      {"Empty", {"", "  ", ""}, "VarChar (255)", "every field is empty, so the column stays text"},
  };
  for (const Column& c : columns) {
    SCOPED_TRACE(c.name);
    ColumnTypeInference inference;
    for (size_t i = 0; i < c.values.size(); ++i) inference.add(int64_t(i + 1), c.values[i]);
    const auto result = inference.result();
    EXPECT_EQ(kpx::data::inferredTypeName(result), c.type);
    EXPECT_EQ(result.reason, c.reason);
  }
  ColumnTypeInference longText;
  longText.add(1, std::string(300, 'x'));
  EXPECT_EQ(kpx::data::inferredTypeName(longText.result()), "LongText");
}

}  // namespace
