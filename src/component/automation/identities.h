// The component's fixed identities: type library, classes with their default interfaces,
// the wizard's event interface, and the programmatic identifiers hosts create objects by.
#pragma once
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "kpxwizard/kpxautomation.h"

namespace kpx::automation {

inline constexpr std::string_view kTypeLibraryName = "KPXWizardIO";
inline constexpr std::string_view kTypeLibraryId = "880B0C9D-B749-42FC-83C5-A051BC99FAA5";
inline constexpr std::string_view kTypeLibraryVersion = "1.0";
inline constexpr std::string_view kTypeLibraryLocale = "409";
inline constexpr std::string_view kEventInterfaceName = "__cKPXWizard";
inline constexpr std::string_view kEventInterfaceId = "ADA381A9-95B7-468A-B441-56F70CE30FE0";

enum class ClassKind { Wizard, Connection, Transformations, Transformation, Columns, Column };

struct ClassIdentity {
  ClassKind kind;
  std::string_view name;           // e.g. "cKPXWizard"
  std::string_view clsid;          // without braces, upper case
  std::string_view interfaceName;  // e.g. "_cKPXWizard"
  std::string_view iid;
  bool creatable;
};

// The six classes: the four creatable ones first.
std::span<const ClassIdentity> classIdentities();
const ClassIdentity& identityOf(ClassKind kind);
// "KPXWizardIO." + the class name.
std::string progIdOf(const ClassIdentity& identity);
// The class named by a ProgID or by "{CLSID}" (both without regard to case); also finds the
// non-creatable classes, so that the caller can tell "not creatable" from "unknown".
const ClassIdentity* findClass(std::string_view progIdOrClsid);
const ClassIdentity* findClass(const KPX_GUID& clsid);

// Parses "XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX", with or without braces.
std::optional<KPX_GUID> parseGuid(std::string_view text);
// "{XXXXXXXX-…}" in upper case.
std::string formatGuid(const KPX_GUID& guid);
bool operator==(const KPX_GUID& a, const KPX_GUID& b);

}  // namespace kpx::automation
