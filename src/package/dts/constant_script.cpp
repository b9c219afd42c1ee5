#include "package/dts/constant_script.h"

#include "data/providers/text_compare.h"

namespace kpx::dts {
namespace {

// One line of the script, read left to right.
class LineCursor {
 public:
  LineCursor(std::string_view line, int number) : m_line(line), m_number(number) {}

  void skipBlanks() {
    while (m_pos < m_line.size() && (m_line[m_pos] == ' ' || m_line[m_pos] == '\t')) ++m_pos;
  }
  // Whether only blanks or a ' comment remain.
  bool atEnd() {
    skipBlanks();
    return m_pos == m_line.size() || m_line[m_pos] == '\'';
  }
  // Consumes `word` (case ignored) when it comes next as a whole word.
  bool word(std::string_view word) {
    skipBlanks();
    if (m_line.size() - m_pos < word.size()) return false;
    if (!data::equalsIgnoringCase(m_line.substr(m_pos, word.size()), word)) return false;
    const size_t after = m_pos + word.size();
    if (after < m_line.size() && isNameChar(m_line[after])) return false;
    m_pos = after;
    return true;
  }
  bool symbol(char c) {
    skipBlanks();
    if (m_pos < m_line.size() && m_line[m_pos] == c) {
      ++m_pos;
      return true;
    }
    return false;
  }
  void expect(char c) {
    if (!symbol(c)) fail(std::string("expected '") + c + "'");
  }
  // A string literal: "…" with "" standing for one quote.
  std::string string() {
    skipBlanks();
    if (m_pos >= m_line.size() || m_line[m_pos] != '"')
      fail("expected a string between double quotes");
    std::string out;
    for (size_t i = m_pos + 1; i < m_line.size(); ++i) {
      if (m_line[i] != '"') {
        out.push_back(m_line[i]);
      } else if (i + 1 < m_line.size() && m_line[i + 1] == '"') {
        out.push_back('"');
        ++i;
      } else {
        m_pos = i + 1;
        return out;
      }
    }
    fail("the string " + std::string(m_line.substr(m_pos)) + " has no closing double quote");
  }
  // A literal value: a string, a number or Null.
  ScriptAssignment literal() {
    skipBlanks();
    ScriptAssignment value;
    if (m_pos < m_line.size() && m_line[m_pos] == '"') {
      value.value = string();
    } else if (word("Null")) {
      value.isNull = true;
    } else {
      const size_t start = m_pos;
      if (m_pos < m_line.size() && (m_line[m_pos] == '-' || m_line[m_pos] == '+')) ++m_pos;
      bool digits = false;
      while (m_pos < m_line.size() &&
             ((m_line[m_pos] >= '0' && m_line[m_pos] <= '9') || m_line[m_pos] == '.')) {
        digits = digits || m_line[m_pos] != '.';
        ++m_pos;
      }
      if (!digits) fail("expected a value: a string between double quotes, a number or Null");
      value.value = std::string(m_line.substr(start, m_pos - start));
    }
    return value;
  }
  // What is left of the line, for messages.
  std::string rest() {
    skipBlanks();
    return std::string(m_line.substr(m_pos));
  }
  [[noreturn]] void fail(const std::string& what) const {
    throw ScriptError("line " + std::to_string(m_number) + ": " + what +
                      " in: " + std::string(m_line));
  }

 private:
  static bool isNameChar(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
  }
  std::string_view m_line;
  int m_number;
  size_t m_pos = 0;
};

}  // namespace

std::vector<ScriptAssignment> parseConstantScript(std::string_view text,
                                                  std::string_view functionEntry) {
  enum class Place { Before, Body, After } place = Place::Before;
  bool returnsOk = false;
  std::vector<ScriptAssignment> assignments;
  int number = 0;
  while (!text.empty()) {
    const size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    LineCursor cursor(line, ++number);
    if (cursor.atEnd() || cursor.word("Rem")) continue;

    switch (place) {
      case Place::Before:
        if (!cursor.word("Function") || !cursor.word(functionEntry)) {
          cursor.fail("expected 'Function " + std::string(functionEntry) + "()'");
        }
        if (cursor.symbol('(')) cursor.expect(')');
        place = Place::Body;
        break;
      case Place::Body:
        if (cursor.word("End")) {
          if (!cursor.word("Function")) cursor.fail("expected 'End Function'");
          place = Place::After;
        } else if (cursor.word("DTSDestination")) {
          cursor.expect('(');
          const std::string column = cursor.string();
          cursor.expect(')');
          if (cursor.symbol('.') && !cursor.word("Value")) cursor.fail("expected '.Value'");
          cursor.expect('=');
          ScriptAssignment assignment = cursor.literal();
          assignment.column = column;
          assignments.push_back(std::move(assignment));
        } else if (cursor.word(functionEntry)) {
          cursor.expect('=');
          if (!cursor.word("DTSTransformStat_OK")) {
            cursor.fail("the function can only return DTSTransformStat_OK");
          }
          returnsOk = true;
        } else {
          cursor.fail("statement not understood");
        }
        break;
      case Place::After:
        cursor.fail("text after 'End Function'");
    }
    if (!cursor.atEnd())
      cursor.fail("unexpected text '" + cursor.rest() + "' at the end of the statement");
  }
  if (place == Place::Before)
    throw ScriptError("the script holds no 'Function " + std::string(functionEntry) + "()'");
  if (place == Place::Body) throw ScriptError("'End Function' is missing");
  if (!returnsOk) {
    throw ScriptError("the function does not set " + std::string(functionEntry) +
                      " = DTSTransformStat_OK");
  }
  return assignments;
}

}  // namespace kpx::dts
