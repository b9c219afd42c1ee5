#include "data/providers/connection_properties.h"

#include "data/providers/text_compare.h"

namespace kpx::data {
namespace {

constexpr std::string_view kProvider = "Provider=";

bool isBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

std::string_view trimmed(std::string_view s) {
  while (!s.empty() && isBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && isBlank(s.back())) s.remove_suffix(1);
  return s;
}

size_t skipBlanks(std::string_view s, size_t pos) {
  while (pos < s.size() && isBlank(s[pos])) ++pos;
  return pos;
}

bool startsWithProvider(std::string_view s, size_t pos) {
  return s.size() - pos >= kProvider.size() &&
         equalsIgnoringCase(s.substr(pos, kProvider.size()), kProvider);
}

// The last case-insensitive "Provider=" inside `s`, or npos.
size_t findLastProvider(std::string_view s) {
  if (s.size() < kProvider.size()) return std::string_view::npos;
  for (size_t i = s.size() - kProvider.size() + 1; i-- > 0;) {
    if (startsWithProvider(s, i)) return i;
  }
  return std::string_view::npos;
}

// True when nothing but blanks and ';' follow `pos`: the segment ending there is the last.
bool onlySeparatorsAfter(std::string_view s, size_t pos) {
  for (; pos < s.size(); ++pos) {
    if (!isBlank(s[pos]) && s[pos] != ';') return false;
  }
  return true;
}

// The closing quote of a value opened at `open`: the first matching quote followed (after
// blanks) by ';', the end, or a glued "Provider=". Quotes inside the value before such a
// point belong to the value (a column delimiter that is itself a quote).
size_t findClosingQuote(std::string_view s, size_t open) {
  const char quote = s[open];
  for (size_t p = open + 1; p < s.size(); ++p) {
    if (s[p] != quote) continue;
    size_t after = skipBlanks(s, p + 1);
    if (after == s.size() || s[after] == ';' || startsWithProvider(s, after)) return p;
  }
  return std::string_view::npos;
}

}  // namespace

ConnectionProperties ConnectionProperties::parse(std::string_view text) {
  ConnectionProperties props;
  size_t pos = 0;
  while (pos < text.size()) {
    while (pos < text.size() && (isBlank(text[pos]) || text[pos] == ';')) ++pos;
    if (pos >= text.size()) break;
    const size_t eq = text.find('=', pos);
    const size_t semi = text.find(';', pos);
    if (eq == std::string_view::npos || (semi != std::string_view::npos && semi < eq)) {
      // A segment without "=" names nothing; skip it.
      if (semi == std::string_view::npos) break;
      pos = semi + 1;
      continue;
    }
    const std::string_view name = trimmed(text.substr(pos, eq - pos));
    size_t start = eq + 1;
    while (start < text.size() && (text[start] == ' ' || text[start] == '\t')) ++start;

    if (start < text.size() && (text[start] == '\'' || text[start] == '"')) {
      const size_t close = findClosingQuote(text, start);
      if (close != std::string_view::npos) {
        props.set(name, std::string(text.substr(start + 1, close - start - 1)));
        pos = skipBlanks(text, close + 1);
        if (pos < text.size() && text[pos] == ';') ++pos;
        continue;  // a glued "Provider=" is read as the next property
      }
    }

    size_t end = text.find(';', start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view value = text.substr(start, end - start);
    const size_t glued = findLastProvider(value);
    if (glued != std::string_view::npos && onlySeparatorsAfter(text, end)) {
      props.set(name, std::string(trimmed(value.substr(0, glued))));
      props.set("Provider", std::string(trimmed(value.substr(glued + kProvider.size()))));
    } else {
      props.set(name, std::string(trimmed(value)));
    }
    pos = end;
  }
  return props;
}

std::optional<std::string> ConnectionProperties::get(std::string_view name) const {
  name = trimmed(name);
  for (const auto& [key, value] : m_items) {
    if (equalsIgnoringCase(key, name)) return value;
  }
  return std::nullopt;
}

std::string ConnectionProperties::value(std::string_view name, std::string_view fallback) const {
  auto v = get(name);
  return v ? *v : std::string(fallback);
}

void ConnectionProperties::set(std::string_view name, std::string value) {
  name = trimmed(name);
  for (auto& [key, current] : m_items) {
    if (equalsIgnoringCase(key, name)) {
      current = std::move(value);
      return;
    }
  }
  m_items.emplace_back(std::string(name), std::move(value));
}

}  // namespace kpx::data
