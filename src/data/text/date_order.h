// Dates written day-first ("31/01/2020") or month-first ("01/31/2020"), with "/", "." or "-"
// between the parts and an optional " HH:MM" or " HH:MM:SS" after them, read in the order a
// text column was found to use them.
#pragma once
#include <map>
#include <string>
#include <string_view>

namespace kpx::data {

// How the dates of a Datetime column are written; day-first and month-first only when the
// values tell them apart.
enum class DateOrder { Iso, DayFirst, MonthFirst };

// Reads `text` as a day-first or month-first date of a real day into an OLE Automation date;
// false for any other text, and always for DateOrder::Iso (parseDate reads those).
bool parseDateInOrder(std::string_view text, DateOrder order, double& oleDate);

// The day-first and month-first columns of text files, by file path and then column name:
// set by a host that has found them, so that the file's reader hands their values on as
// dates. Empty (as it starts), every text value stays text.
std::map<std::string, std::map<std::string, DateOrder>>& textColumnDateOrders();

}  // namespace kpx::data
