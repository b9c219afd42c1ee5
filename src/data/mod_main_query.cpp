// Query text analysis: table name and select list of a SELECT text, and the text the package
// runs for it.
#include <algorithm>

#include "data/mod_main.h"
#include "kpxwizard/enums.h"
#include "kpxwizard/messages.h"
#include "model/vb_strings.h"

namespace kpx::modMain {
namespace {

constexpr std::string_view kModule = "modMain";

// Upper-cases the select list, splits it at "," and stores the pieces sorted by character code.
// The sort comes before the brackets are removed, so "[B]" sorts after "C".
void buildSelectedFields(std::string_view selectList) {
  std::vector<std::string> pieces = vb::Split(vb::UCase(selectList), ",");
  for (std::string& piece : pieces) piece = vb::LTrim(piece);
  std::stable_sort(pieces.begin(), pieces.end(), [](const std::string& a, const std::string& b) {
    return vb::StrCompBinary(a, b) < 0;
  });
  std::vector<std::string> fields;
  fields.reserve(pieces.size());
  for (const std::string& piece : pieces)
    fields.push_back(RemoveBrackets(vb::UCase(vb::Trim(piece))));
  state().colSelectedFields = std::move(fields);
}

// 1-based position of the earliest clause keyword in `tableText`, 0 when there is none.
int64_t firstClausePosition(std::string_view tableText) {
  int64_t first = 0;
  for (std::string_view keyword : {"GROUP BY", "WHERE", "ORDER BY"}) {
    int64_t p = vb::InStr(tableText, keyword);
    if (p > 0 && (first == 0 || p < first)) first = p;
  }
  return first;
}

// The upper-cased text after the first "FROM" (a plain substring search), trimmed.
std::string textAfterFirstFrom(std::string_view query) {
  std::string upper = vb::UCase(query);
  int64_t p = vb::InStr(upper, "FROM");
  if (p == 0) return {};
  return vb::Trim(vb::Mid(upper, p + 4));
}

// Four words: SELECT list FROM table.
std::string analyseShortForm(const std::string& q, const std::vector<std::string>& words) {
  if (words.size() != 4) return {};
  if (vb::UCase(words[0]) != "SELECT" || vb::UCase(words[2]) != "FROM") return {};
  std::string rest = vb::Trim(vb::Mid(q, 8));
  int64_t blank = vb::InStr(rest, " ");
  buildSelectedFields(blank > 0 ? vb::Left(rest, blank - 1) : rest);
  state().bQueryHasClauses = false;
  return vb::UCase(vb::Trim(RemoveBrackets(words[3])));
}

// Five words or more: the list between the last SELECT and the last FROM, the table after the
// first FROM substring up to the earliest clause keyword.
std::string analyseLongForm(const std::string& q, const std::vector<std::string>& words) {
  std::ptrdiff_t selectAt = -1;
  std::ptrdiff_t fromAt = -1;
  for (size_t i = 0; i < words.size(); ++i) {
    std::string word = vb::UCase(words[i]);
    if (word == "SELECT") selectAt = static_cast<std::ptrdiff_t>(i);
    if (word == "FROM") fromAt = static_cast<std::ptrdiff_t>(i);
  }
  if (selectAt < 0 || fromAt < 0) return {};
  std::string list;
  for (std::ptrdiff_t i = selectAt + 1; i < fromAt; ++i)
    list += words[static_cast<size_t>(i)] + " ";
  list = vb::Trim(list);
  if (list.empty()) return {};
  buildSelectedFields(list);

  std::string tableText = textAfterFirstFrom(q);
  int64_t clause = firstClausePosition(tableText);
  if (clause == 0) return RemoveBrackets(tableText);
  state().bQueryHasClauses = true;
  return RemoveBrackets(vb::Trim(vb::Left(tableText, clause - 1)));
}

}  // namespace

State& state() {
  static State instance;
  return instance;
}

void resetState() {
  state() = State{};
}

SelectQuery AnalyseSelect(std::string_view query) {
  std::string table = ExtractNameFields(query);
  return {std::move(table), state().colSelectedFields, state().bQueryHasClauses};
}

std::string ExtractNameFields(std::string_view query) {
  try {
    std::string q = vb::Trim(query);
    std::vector<std::string> words = vb::Split(q, " ");
    return words.size() < 5 ? analyseShortForm(q, words) : analyseLongForm(q, words);
  } catch (...) {
    ShowProcedureError(kModule, "ExtractNameFields");
    return {};
  }
}

std::string ExtractTableName(std::string_view query) {
  std::string text = textAfterFirstFrom(query);
  for (std::string_view keyword : {"GROUP BY", "ORDER BY", "WHERE"}) {
    int64_t p = vb::InStr(text, keyword);
    if (p > 0) text = vb::Trim(vb::Left(text, p - 1));
  }
  return RemoveBrackets(text);
}

std::string RemoveBrackets(std::string_view text) {
  if (!text.empty() && text.front() == '[' && text.back() == ']')
    return std::string(text.substr(1, text.size() - 2));  // a lone "[" fails the second test
  return std::string(text);
}

void BuildQuerySpace(std::string_view query, std::string_view table, int32_t kind) {
  try {
    switch (kind) {
      case CONN_EXCEL:
      case CONN_EXCEL3:
      case CONN_EXCEL4:
      case CONN_EXCEL5: {
        std::string t = vb::UCase(vb::Replace(vb::Replace(query, "[", "`"), "]", "`"));
        // The character before the table name: Mid raises error 5 when the name is missing
        // (position 0) or starts the text (position 1).
        if (vb::Mid(t, vb::InStr(t, table) - 1, 1) != "`")
          t = vb::Replace(t, table, "`" + std::string(table) + "`");
        state().strQuerySpace = std::move(t);
        break;
      }
      case CONN_ACCESS:
      case CONN_SQLServer:
      case CONN_HTML_SOURCE:
        state().strQuerySpace = std::string(query);
        break;
      default:
        break;
    }
  } catch (...) {
    ShowProcedureError(kModule, "BuildQuerySpace");
  }
}

}  // namespace kpx::modMain
