// The OLE DB properties of one connection ("Data Source", "Mode", "Extended Properties",
// "User ID", "Password", "Initial Catalog", "Jet OLEDB:Database Password", "Skip Rows",
// "Column Delimiter", "Row Delimiter", "Text Qualifier", "First Row Column Name",
// "File Format", "Column Lengths", "Column Names", "Number of Column", "Provider"), built
// from a connection string or from a DTS connection's property set.
#pragma once
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kpx::data {

class ConnectionProperties {
 public:
  // Parses "Name=value;Name='quoted;value';…". Values quoted with ' or " keep what is
  // between the quotes verbatim (delimiters, line breaks); unquoted values are trimmed.
  // A "Provider=…" glued directly onto the last value (as OpenDatabase builds its text) is
  // split off into its own property.
  static ConnectionProperties parse(std::string_view connectionString);

  // The value of a property, names compared without regard to case and surrounding blanks.
  std::optional<std::string> get(std::string_view name) const;
  std::string value(std::string_view name, std::string_view fallback = {}) const;
  bool has(std::string_view name) const { return get(name).has_value(); }
  // Sets or replaces a property, keeping the first spelling and position of its name.
  void set(std::string_view name, std::string value);
  // Every property in the order first set.
  const std::vector<std::pair<std::string, std::string>>& items() const { return m_items; }

 private:
  std::vector<std::pair<std::string, std::string>> m_items;
};

}  // namespace kpx::data
