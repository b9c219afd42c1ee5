#include "data/text/date_order.h"

#include <cctype>

#include "data/providers/value.h"

namespace kpx::data {
namespace {

int number(std::string_view text, size_t& at, size_t minDigits, size_t maxDigits) {
  int n = 0;
  size_t digits = 0;
  while (at < text.size() && digits < maxDigits &&
         std::isdigit(static_cast<unsigned char>(text[at]))) {
    n = n * 10 + (text[at++] - '0');
    ++digits;
  }
  return digits >= minDigits ? n : -1;
}

// " HH:MM" or " HH:MM:SS" after a date, or nothing.
bool timeOfDayOrNothing(std::string_view text, size_t at, int& h, int& m, int& s) {
  h = m = s = 0;
  if (at == text.size()) return true;
  if (text[at] != ' ') return false;
  ++at;
  h = number(text, at, 1, 2);
  if (h < 0 || h > 23 || at >= text.size() || text[at++] != ':') return false;
  m = number(text, at, 2, 2);
  if (m < 0 || m > 59) return false;
  if (at < text.size() && text[at] == ':') {
    ++at;
    s = number(text, at, 2, 2);
    if (s < 0 || s > 59) return false;
  }
  return at == text.size();
}

}  // namespace

bool parseDateInOrder(std::string_view text, DateOrder order, double& oleDate) {
  if (order == DateOrder::Iso) return false;
  size_t at = 0;
  const int a = number(text, at, 1, 2);
  if (a < 0 || at >= text.size()) return false;
  const char separator = text[at++];
  if (separator != '/' && separator != '.' && separator != '-') return false;
  const int b = number(text, at, 1, 2);
  if (b < 0 || at >= text.size() || text[at++] != separator) return false;
  const int year = number(text, at, 4, 4);
  int h = 0, m = 0, s = 0;
  if (year < 0 || !timeOfDayOrNothing(text, at, h, m, s)) return false;
  const int day = order == DateOrder::DayFirst ? a : b;
  const int month = order == DateOrder::DayFirst ? b : a;
  if (!isValidDay(year, month, day)) return false;
  oleDate = oleDateFromParts(year, month, day, h, m, s);
  return true;
}

std::map<std::string, std::map<std::string, DateOrder>>& textColumnDateOrders() {
  static std::map<std::string, std::map<std::string, DateOrder>> orders;
  return orders;
}

}  // namespace kpx::data
