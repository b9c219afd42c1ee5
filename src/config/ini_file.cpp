#include "config/ini_file.h"

#include <fstream>
#include <iterator>
#include <system_error>

#include "data/text/text_decoding.h"
#include "kpxwizard/keyed_collection.h"

namespace kpx {
namespace {

constexpr std::string_view kBlanks = " \t";

std::string_view trimBlanks(std::string_view s) {
  size_t b = s.find_first_not_of(kBlanks);
  if (b == std::string_view::npos) return {};
  return s.substr(b, s.find_last_not_of(kBlanks) - b + 1);
}

// The section name when `line` is a header "[name]" (the last "]" closes it).
std::optional<std::string_view> headerName(std::string_view line) {
  std::string_view t = trimBlanks(line);
  if (t.empty() || t.front() != '[') return std::nullopt;
  size_t close = t.rfind(']');
  if (close == std::string_view::npos || close == 0) return std::nullopt;
  return trimBlanks(t.substr(1, close - 1));
}

struct Entry {
  std::string_view key;
  std::optional<std::string_view> value;
};

// The key and value of a line inside a section; nullopt for comments and blank lines.
std::optional<Entry> entryOf(std::string_view line) {
  std::string_view t = trimBlanks(line);
  if (t.empty() || t.front() == ';') return std::nullopt;
  size_t eq = t.find('=');
  if (eq == std::string_view::npos) return Entry{t, std::nullopt};
  return Entry{trimBlanks(t.substr(0, eq)), trimBlanks(t.substr(eq + 1))};
}

bool sameName(std::string_view a, std::string_view b) {
  return foldCase(a) == foldCase(b);
}

// The whole file as UTF-8, whatever of the known encodings it is in.
std::string decodeWhole(std::string_view bytes) {
  data::TextEncoding encoding = data::detectTextEncoding(bytes);
  data::TextDecoder decoder(encoding);
  std::string text;
  decoder.decode(bytes.substr(data::byteOrderMarkLength(encoding)), text);
  decoder.finish(text);
  return text;
}

std::string_view firstLine(std::string_view text) {
  return text.substr(0, text.find_first_of("\r\n"));
}

}  // namespace

IniFile IniFile::parse(std::string_view text) {
  IniFile file;
  if (text.substr(0, 3) == "\xEF\xBB\xBF") {
    file.m_byteOrderMark = true;
    text.remove_prefix(3);
  }
  size_t firstBreak = text.find_first_of("\r\n");
  if (firstBreak != std::string_view::npos && text.substr(firstBreak, 2) == "\r\n")
    file.m_lineEnd = "\r\n";
  size_t from = 0;
  while (from < text.size()) {
    size_t brk = text.find_first_of("\r\n", from);
    if (brk == std::string_view::npos) {
      file.m_lines.emplace_back(text.substr(from));
      file.m_finalLineEnd = false;
      break;
    }
    file.m_lines.emplace_back(text.substr(from, brk - from));
    from = brk + (text.substr(brk, 2) == "\r\n" ? 2 : 1);
  }
  return file;
}

IniFile IniFile::load(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return IniFile{};
  std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  bool hadUtf8Mark = bytes.compare(0, 3, "\xEF\xBB\xBF") == 0;
  IniFile file = parse(decodeWhole(bytes));
  file.m_byteOrderMark = hadUtf8Mark;
  return file;
}

std::optional<IniFile::Block> IniFile::findSection(std::string_view section) const {
  for (size_t i = 0; i < m_lines.size(); ++i) {
    std::optional<std::string_view> name = headerName(m_lines[i]);
    if (!name || !sameName(*name, trimBlanks(section))) continue;
    size_t end = i + 1;
    while (end < m_lines.size() && !headerName(m_lines[end])) ++end;
    return Block{i, end};
  }
  return std::nullopt;
}

std::optional<size_t> IniFile::findKey(const Block& block, std::string_view key) const {
  for (size_t i = block.header + 1; i < block.end; ++i) {
    std::optional<Entry> e = entryOf(m_lines[i]);
    if (e && e->value && sameName(e->key, trimBlanks(key))) return i;
  }
  return std::nullopt;
}

std::optional<std::string> IniFile::value(std::string_view section, std::string_view key) const {
  std::optional<Block> block = findSection(section);
  if (!block) return std::nullopt;
  std::optional<size_t> line = findKey(*block, key);
  if (!line) return std::nullopt;
  return std::string(*entryOf(m_lines[*line])->value);
}

std::vector<std::string> IniFile::keys(std::string_view section) const {
  std::vector<std::string> names;
  std::optional<Block> block = findSection(section);
  if (!block) return names;
  for (size_t i = block->header + 1; i < block->end; ++i) {
    std::optional<Entry> e = entryOf(m_lines[i]);
    if (e && e->value && !e->key.empty()) names.emplace_back(e->key);
  }
  return names;
}

bool IniFile::hasSection(std::string_view section) const {
  return findSection(section).has_value();
}

void IniFile::setValue(std::string_view section, std::string_view key, std::string_view value) {
  std::string line = std::string(trimBlanks(firstLine(key))) + "=" + std::string(firstLine(value));
  std::optional<Block> block = findSection(section);
  if (!block) {
    m_lines.push_back("[" + std::string(trimBlanks(firstLine(section))) + "]");
    m_lines.push_back(std::move(line));
    return;
  }
  if (std::optional<size_t> at = findKey(*block, key)) {
    // Keep the name as the file spells it.
    m_lines[*at] = std::string(entryOf(m_lines[*at])->key) + line.substr(line.find('='));
    return;
  }
  // A new key goes after the section's last entry, before the blank lines and comments that
  // lead into the next section.
  size_t insertAt = block->header + 1;
  for (size_t i = block->header + 1; i < block->end; ++i)
    if (entryOf(m_lines[i])) insertAt = i + 1;
  m_lines.insert(m_lines.begin() + static_cast<std::ptrdiff_t>(insertAt), std::move(line));
}

void IniFile::removeSection(std::string_view section) {
  while (std::optional<Block> block = findSection(section))
    m_lines.erase(m_lines.begin() + static_cast<std::ptrdiff_t>(block->header),
                  m_lines.begin() + static_cast<std::ptrdiff_t>(block->end));
}

std::string IniFile::text() const {
  std::string out = m_byteOrderMark ? "\xEF\xBB\xBF" : "";
  for (size_t i = 0; i < m_lines.size(); ++i) {
    out += m_lines[i];
    if (i + 1 < m_lines.size() || m_finalLineEnd) out += m_lineEnd;
  }
  return out;
}

bool IniFile::save(const std::filesystem::path& path) const {
  std::filesystem::path temporary = path;
  temporary += ".kpxtmp";
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    out << text();
    if (!out.flush()) {
      out.close();
      std::error_code ignored;
      std::filesystem::remove(temporary, ignored);
      return false;
    }
  }
  std::error_code ec;
  std::filesystem::rename(temporary, path, ec);
  if (!ec) return true;
  std::filesystem::remove(temporary, ec);
  return false;
}

}  // namespace kpx
