#include "model/text_table.h"

#include <string_view>
#include <unordered_map>

namespace kpx::resources {
extern const char textsTsv[];
}

namespace kpx {
namespace {

// In the table a line feed inside a text is written as the two characters \n.
std::string unescape(std::string_view field) {
  std::string out;
  out.reserve(field.size());
  for (size_t i = 0; i < field.size(); ++i) {
    if (field[i] == '\\' && i + 1 < field.size() && field[i + 1] == 'n') {
      out += '\n';
      ++i;
    } else {
      out += field[i];
    }
  }
  return out;
}

std::unordered_map<int32_t, std::string> loadTable() {
  std::unordered_map<int32_t, std::string> table;
  std::string_view all(resources::textsTsv);
  while (!all.empty()) {
    size_t eol = all.find('\n');
    std::string_view line = all.substr(0, eol);
    all = eol == std::string_view::npos ? std::string_view() : all.substr(eol + 1);
    size_t tab1 = line.find('\t');
    size_t tab2 = tab1 == std::string_view::npos ? tab1 : line.find('\t', tab1 + 1);
    if (tab2 == std::string_view::npos) continue;
    int32_t n = std::stoi(std::string(line.substr(0, tab1)));
    table[1000 + n] = unescape(line.substr(tab1 + 1, tab2 - tab1 - 1));
    table[2000 + n] = unescape(line.substr(tab2 + 1));
  }
  return table;
}

}  // namespace

const std::string* findStoredText(int32_t id) {
  static const std::unordered_map<int32_t, std::string> table = loadTable();
  auto it = table.find(id);
  return it == table.end() ? nullptr : &it->second;
}

}  // namespace kpx
