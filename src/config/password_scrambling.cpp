// The stored form of connection passwords in configuration files.
//
// This is obfuscation, not encryption: it keeps a password from being read at a glance in a
// configuration file, but anyone who has this code can turn the stored form back into the
// password. Protect configuration files that hold passwords like the passwords themselves.
//
// Each byte of the UTF-8 password is mixed with a position-dependent key byte and written as
// two upper-case hexadecimal digits, so the stored form holds only 0-9 and A-F: no blank,
// "=", ";", "[", "§" or line break that an INI value could not carry.
#include <cstdint>

#include "config/mod_ini_api.h"

namespace kpx::modINIApi {
namespace {

constexpr std::string_view kHexDigits = "0123456789ABCDEF";

uint8_t keyByte(size_t position) {
  return static_cast<uint8_t>(0x5A ^ (position * 31 + 7));
}

int hexValue(char c) {
  size_t p = kHexDigits.find(c);
  return p == std::string_view::npos ? -1 : static_cast<int>(p);
}

}  // namespace

std::string EncodePassword(std::string_view password) {
  std::string stored;
  stored.reserve(password.size() * 2);
  for (size_t i = 0; i < password.size(); ++i) {
    uint8_t b = static_cast<uint8_t>(password[i]) ^ keyByte(i);
    stored += kHexDigits[b >> 4];
    stored += kHexDigits[b & 0x0F];
  }
  return stored;
}

std::string DecodePassword(std::string_view stored) {
  if (stored.size() % 2 != 0) return std::string(stored);
  std::string password;
  password.reserve(stored.size() / 2);
  for (size_t i = 0; i < stored.size(); i += 2) {
    int high = hexValue(stored[i]);
    int low = hexValue(stored[i + 1]);
    if (high < 0 || low < 0) return std::string(stored);
    password += static_cast<char>(static_cast<uint8_t>((high << 4) | low) ^ keyByte(i / 2));
  }
  return password;
}

}  // namespace kpx::modINIApi
