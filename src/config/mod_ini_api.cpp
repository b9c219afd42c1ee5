#include "config/mod_ini_api.h"

#include <filesystem>

#include "config/ini_file.h"
#include "kpxwizard/enums.h"
#include "kpxwizard/messages.h"
#include "model/vb_strings.h"

namespace kpx::modINIApi {
namespace {

// The reader's buffer holds 480 characters: the value and its terminating NUL.
constexpr int64_t kValueLimit = 479;
// The key list fills a 1000-character buffer less the two closing NULs.
constexpr int64_t kKeyListLimit = 998;

bool fileExists(const std::string& file) {
  std::error_code ec;
  return !file.empty() && std::filesystem::is_regular_file(file, ec);
}

}  // namespace

void WriteINIKey(const std::string& file, const std::string& section, const std::string& key,
                 const std::string& value) {
  IniFile ini = IniFile::load(file);
  ini.setValue(section, key, value);
  ini.save(file);
}

std::string ReadINIKey(const std::string& file, const std::string& section, const std::string& key,
                       const std::string& defaultValue) {
  // The platform copies the value (or the default, without its trailing blanks) and a NUL
  // into the buffer; the caller trims the buffer and drops the NUL.
  std::optional<std::string> stored = IniFile::load(file).value(section, key);
  std::string copied = stored ? *stored : vb::RTrim(defaultValue);
  std::string buffer = vb::Trim(vb::Left(copied, kValueLimit) + '\0');
  if (vb::Len(buffer) < 2) return defaultValue;
  return buffer.substr(0, buffer.size() - 1);
}

std::string ReadINISectionKeys(const std::string& file, const std::string& section) {
  std::string list;
  for (const std::string& key : IniFile::load(file).keys(section)) list += key + '\0';
  return vb::Len(list) > kKeyListLimit ? vb::Left(list, kKeyListLimit) : list;
}

void DeleteSection(const std::string& file, const std::string& section) {
  if (!fileExists(file)) {
    // Shown directly, with its fixed English title, whatever the wizard's language.
    currentMessageSink()->show(
        "File Not Found: " + file + "\r\nPlease refer To code in Function 'DeleteSection'",
        vbExclamation, "INI File Not Found");
    return;
  }
  IniFile ini = IniFile::load(file);
  if (!ini.hasSection(section)) return;
  ini.removeSection(section);
  ini.save(file);
}

bool SectionExists(const std::string& file, const std::string& section) {
  if (!fileExists(file)) {
    currentMessageSink()->show(file + " not found.", vbCritical, "File Not Found");
    return false;
  }
  const std::string header = "[" + section + "]";
  const IniFile ini = IniFile::load(file);
  for (const std::string& line : ini.lines())
    if (line == header) return true;
  return false;
}

}  // namespace kpx::modINIApi
