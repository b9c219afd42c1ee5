// An INI file held as its lines, read and edited with the rules of the Windows profile
// functions: section and key names compare without regard to case and without surrounding
// blanks, values are trimmed, writing creates the section and key as needed, and an edit
// changes only its own line, so every other line, comment and blank line stays as it was.
#pragma once
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kpx {

class IniFile {
 public:
  // An empty file.
  IniFile() = default;
  // The file at `path` decoded to UTF-8 (UTF-8 with or without BOM, UTF-16 with BOM, otherwise
  // Windows-1252); a missing or unreadable file gives an empty one.
  static IniFile load(const std::filesystem::path& path);
  // A file from its UTF-8 text; lines may end in CR LF, LF or CR.
  static IniFile parse(std::string_view text);

  // The trimmed value of `key` in `section` (the first of each when repeated); nullopt when
  // the section or key is absent. A key line without "=" has no value.
  std::optional<std::string> value(std::string_view section, std::string_view key) const;
  // The key names of `section` in file order; comments (";") and lines without "=" are no keys.
  std::vector<std::string> keys(std::string_view section) const;
  // Whether a header of `section` exists.
  bool hasSection(std::string_view section) const;

  // Sets `key` in `section` to `value`, creating both as needed. A value is stored up to its
  // first line break, as a reader of the file would see it.
  void setValue(std::string_view section, std::string_view key, std::string_view value);
  // Removes every header of `section` with the lines below it up to the next section.
  void removeSection(std::string_view section);

  // The lines as read (without their line ends).
  const std::vector<std::string>& lines() const { return m_lines; }
  // The whole text: the lines joined by the file's own line end (LF for a new file).
  std::string text() const;
  // Writes text() as UTF-8 to `path` through a temporary file; false when that fails.
  bool save(const std::filesystem::path& path) const;

 private:
  struct Block {
    size_t header;  // line index of the section header
    size_t end;     // one past its last line
  };
  std::optional<Block> findSection(std::string_view section) const;
  std::optional<size_t> findKey(const Block& block, std::string_view key) const;

  std::vector<std::string> m_lines;
  std::string m_lineEnd = "\n";
  bool m_byteOrderMark = false;
  bool m_finalLineEnd = true;
};

}  // namespace kpx
