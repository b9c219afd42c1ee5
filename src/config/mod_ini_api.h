// The INI access layer: every read and write of a configuration file goes through these
// routines, which keep the rules of the platform profile functions (see config/ini_file.h).
// Also the routine that opens a file with its associated program, and the password
// scrambling used in configuration files.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace kpx::modINIApi {

// Sets `key` in `section` of `file` to `value`, creating the file, section and key as needed.
// A failed write is silent.
void WriteINIKey(const std::string& file, const std::string& section, const std::string& key,
                 const std::string& value);

// The value of `key` in `section`, trimmed and cut to at most 479 characters; `defaultValue`
// when the file, section or key is missing or the value is empty.
std::string ReadINIKey(const std::string& file, const std::string& section, const std::string& key,
                       const std::string& defaultValue);

// The key names of `section`, each followed by a NUL character; the list is cut at 998
// characters, as a 1000-character buffer holds it. "" for a missing file or section.
std::string ReadINISectionKeys(const std::string& file, const std::string& section);

// Removes `section` with its keys. A missing file shows the box "INI File Not Found".
void DeleteSection(const std::string& file, const std::string& section);

// Whether a line of `file` is exactly "[" + section + "]" (same case, no blanks around).
// A missing file shows the box "File Not Found" and gives false.
bool SectionExists(const std::string& file, const std::string& section);

// Starts the program associated with an existing file or folder and returns the platform's
// answer: above 32 when it was started, else one of the error answers (2 file not found,
// 3 path not found, 5 access denied, 8 out of memory, 31 no association, ...).
using ShellLauncher = std::function<int32_t(const std::string& path, int16_t showMode)>;
// Replaces the launcher (tests install one that starts nothing); nullptr restores xdg-open.
void setShellLauncher(ShellLauncher launcher);

// Opens `path` with its associated program. A missing path is answer 2 without launching
// anything; an answer of 32 or less is shown with the critical icon and the default title
// ("File not found.", "Access denied.", ...). `ownerWindow` is accepted for compatibility.
void OpenWithShell(intptr_t ownerWindow, const std::string& path, int16_t showMode);

// The text shown for a launcher answer of 32 or less.
std::string ShellErrorText(int32_t answer);

// The stored form of a password: plain text that can be written as an INI value.
// This is obfuscation against a casual glance at the file, not encryption: anyone with this
// code can read the password back.
std::string EncodePassword(std::string_view password);
// The inverse of EncodePassword; text that is not a stored form comes back unchanged.
std::string DecodePassword(std::string_view stored);

}  // namespace kpx::modINIApi
