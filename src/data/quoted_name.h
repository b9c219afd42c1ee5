// A table or column name made safe to stand in SQL text: wrapped in its quote characters,
// with the closing character doubled inside, so that whatever a name holds it stays a name.
#pragma once
#include <string>

namespace kpx {

// `open` + name + `close`, every `close` inside the name doubled ("a`b" → "`a``b`",
// "x]y" → "[x]]y]").
inline std::string QuoteName(const std::string& name, const char* open, const char* close) {
  const std::string closing = close;
  std::string out = open;
  size_t from = 0;
  for (size_t at; !closing.empty() && (at = name.find(closing, from)) != std::string::npos;
       from = at + closing.size()) {
    out.append(name, from, at - from);
    out += closing;
    out += closing;
  }
  out.append(name, from, std::string::npos);
  out += closing;
  return out;
}

}  // namespace kpx
