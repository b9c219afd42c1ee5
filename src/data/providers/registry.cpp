// Every provider the component offers, registered in code in one place.
#include <string_view>

#include "data/providers/excel/excel_source.h"
#include "data/providers/html/html_source.h"
#include "data/providers/jet/jet_provider.h"
#include "data/providers/memory/memory_provider.h"
#include "data/providers/provider.h"
#include "data/providers/sqlserver/sqlserver_provider.h"
#include "data/providers/text/text_provider.h"
#include "data/providers/text_compare.h"

namespace kpx::data {
namespace {

// The one list of providers. Readers that the Jet provider hands work to are wired here.
std::vector<std::unique_ptr<Provider>> makeProviders() {
  std::vector<std::unique_ptr<Provider>> providers;
  auto jet = std::make_unique<JetProvider>();
  jet->setExcelOpener(excel::openExcelWorkbook);
  jet->setHtmlOpener(openHtmlSource);
  providers.push_back(std::move(jet));
  providers.push_back(std::make_unique<MemoryProvider>());
  providers.push_back(std::make_unique<TextProvider>());
  providers.push_back(std::make_unique<SqlServerProvider>());
  return providers;
}

std::vector<std::unique_ptr<Provider>>& providers() {
  static std::vector<std::unique_ptr<Provider>> list = makeProviders();
  return list;
}

// "SQLOLEDB.1" names "SQLOLEDB": a trailing ".<digits>" is a version suffix.
bool hasVersionSuffix(std::string_view name, size_t base) {
  if (name.size() < base + 2 || name[base] != '.') return false;
  for (size_t i = base + 1; i < name.size(); ++i) {
    if (name[i] < '0' || name[i] > '9') return false;
  }
  return true;
}

}  // namespace

Provider* findProvider(const std::string& requested) {
  std::string_view name = requested;
  while (!name.empty() && name.front() == ' ') name.remove_prefix(1);
  while (!name.empty() && name.back() == ' ') name.remove_suffix(1);
  for (const auto& provider : providers()) {
    const std::string own = provider->name();
    if (equalsIgnoringCase(own, name)) return provider.get();
    if (hasVersionSuffix(name, own.size()) && equalsIgnoringCase(own, name.substr(0, own.size()))) {
      return provider.get();
    }
  }
  return nullptr;
}

std::vector<std::string> installedProviders() {
  std::vector<std::string> names;
  for (const auto& provider : providers()) names.push_back(provider->name());
  return names;
}

std::unique_ptr<DataSource> openDataSource(const ConnectionProperties& properties) {
  const std::string name = properties.value("Provider");
  Provider* provider = findProvider(name);
  if (!provider) {
    throw DataError(name.empty() ? "The connection names no provider"
                                 : "The provider '" + name + "' is not installed");
  }
  return provider->open(properties);
}

}  // namespace kpx::data
