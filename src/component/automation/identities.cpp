#include "component/automation/identities.h"

#include <array>
#include <cstdio>
#include <cstring>

#include "kpxwizard/keyed_collection.h"

namespace kpx::automation {
namespace {

constexpr std::array<ClassIdentity, 6> kClasses{{
    {ClassKind::Wizard, "cKPXWizard", "CA929CBC-52CF-4EE1-9C8F-7675E76F6D68", "_cKPXWizard",
     "BCADE514-062C-4D97-975F-42E3B69F9C68", true},
    {ClassKind::Connection, "clsConnection", "C8764D99-F2DD-4604-828B-7D2C40E527F7",
     "_clsConnection", "ECC0664F-8366-4E53-ACBB-34D4CDCF54F6", true},
    {ClassKind::Transformations, "clsTransformations", "C2AF6858-58B4-405E-B0D7-45E6DE33DAE2",
     "_clsTransformations", "BACEACC9-1BAE-493B-8E2D-D5B2D6AA776B", true},
    {ClassKind::Transformation, "clsTransformation", "01BB8BFA-0896-4444-A4CA-6E686C4D153E",
     "_clsTransformation", "D8653E9A-8226-4F39-A4DC-BB54C996C872", true},
    {ClassKind::Columns, "clsColumns", "BEA8FD19-F99E-44E4-9FB6-C6AC9E19B1FE", "_clsColumns",
     "347876C6-7568-4F4A-AEA5-1BF40E6E4188", false},
    {ClassKind::Column, "clsColumn", "8EF2F1C9-055E-4E95-B6A0-2E7FDD9D8DA9", "_clsColumn",
     "CA78C410-5E7B-445A-9B87-388D9A952F73", false},
}};

int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

std::span<const ClassIdentity> classIdentities() {
  return kClasses;
}

const ClassIdentity& identityOf(ClassKind kind) {
  for (const auto& identity : kClasses)
    if (identity.kind == kind) return identity;
  return kClasses.front();
}

std::string progIdOf(const ClassIdentity& identity) {
  return std::string(kTypeLibraryName) + "." + std::string(identity.name);
}

const ClassIdentity* findClass(std::string_view progIdOrClsid) {
  if (progIdOrClsid.starts_with('{')) {
    auto guid = parseGuid(progIdOrClsid);
    return guid ? findClass(*guid) : nullptr;
  }
  std::string wanted = foldCase(progIdOrClsid);
  for (const auto& identity : kClasses)
    if (foldCase(progIdOf(identity)) == wanted) return &identity;
  return nullptr;
}

const ClassIdentity* findClass(const KPX_GUID& clsid) {
  for (const auto& identity : kClasses) {
    auto known = parseGuid(identity.clsid);
    if (known && *known == clsid) return &identity;
  }
  return nullptr;
}

std::optional<KPX_GUID> parseGuid(std::string_view text) {
  if (text.size() == 38 && text.front() == '{' && text.back() == '}') text = text.substr(1, 36);
  if (text.size() != 36 || text[8] != '-' || text[13] != '-' || text[18] != '-' || text[23] != '-')
    return std::nullopt;
  uint8_t bytes[16];
  size_t n = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if (i == 8 || i == 13 || i == 18 || i == 23) continue;
    int hi = hexValue(text[i]);
    int lo = hexValue(text[i + 1]);
    if (hi < 0 || lo < 0) return std::nullopt;
    bytes[n++] = static_cast<uint8_t>(hi * 16 + lo);
    ++i;
  }
  KPX_GUID guid{};
  guid.Data1 = (uint32_t{bytes[0]} << 24) | (uint32_t{bytes[1]} << 16) | (uint32_t{bytes[2]} << 8) |
               bytes[3];
  guid.Data2 = static_cast<uint16_t>((bytes[4] << 8) | bytes[5]);
  guid.Data3 = static_cast<uint16_t>((bytes[6] << 8) | bytes[7]);
  std::memcpy(guid.Data4, bytes + 8, 8);
  return guid;
}

std::string formatGuid(const KPX_GUID& g) {
  char text[39];
  std::snprintf(text, sizeof text, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}", g.Data1,
                g.Data2, g.Data3, g.Data4[0], g.Data4[1], g.Data4[2], g.Data4[3], g.Data4[4],
                g.Data4[5], g.Data4[6], g.Data4[7]);
  return text;
}

bool operator==(const KPX_GUID& a, const KPX_GUID& b) {
  return a.Data1 == b.Data1 && a.Data2 == b.Data2 && a.Data3 == b.Data3 &&
         std::memcmp(a.Data4, b.Data4, 8) == 0;
}

}  // namespace kpx::automation
