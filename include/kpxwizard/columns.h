// Column descriptions and their keyed collection.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "kpxwizard/export.h"
#include "kpxwizard/keyed_collection.h"

namespace kpx {

// One column: name, ADO type code, declared size and nullability. Not creatable by a host.
class KPX_API clsColumn : public std::enable_shared_from_this<clsColumn> {
 public:
  bool Nullable() const { return m_nullable; }
  void setNullable(bool v) { m_nullable = v; }
  const std::string& Name() const { return m_name; }
  void setName(std::string v) { m_name = std::move(v); }
  int32_t Size() const { return m_size; }
  void setSize(int32_t v) { m_size = v; }
  int32_t DataType() const { return m_dataType; }
  void setDataType(int32_t v) { m_dataType = v; }
  // The object itself.
  std::shared_ptr<clsColumn> Column() { return shared_from_this(); }

 private:
  int32_t m_size = 0;
  std::string m_name;
  int32_t m_dataType = 0;
  bool m_nullable = false;
};

// The columns of a table, query or transformation, keyed by name.
class KPX_API clsColumns {
 public:
  const std::string& Name() const { return m_name; }
  void setName(std::string v) { m_name = std::move(v); }

  // Appends `column` under its Name as read now; a duplicate key raises error 457.
  void AddColumn(std::shared_ptr<clsColumn> column);
  // Creates a column named `strParCode`, appends it under that key and returns it.
  std::shared_ptr<clsColumn> Add(std::string_view strParCode);
  std::shared_ptr<clsColumn> Item(int32_t index) const { return m_items.Item(index); }
  std::shared_ptr<clsColumn> Item(std::string_view key) const { return m_items.Item(key); }
  bool ExistItem(std::string_view strKey) const { return m_items.ExistItem(strKey); }
  int32_t Count() const { return m_items.Count(); }
  void Remove(int32_t index) { m_items.Remove(index); }
  void Remove(std::string_view key) { m_items.Remove(key); }

  auto begin() const { return m_items.begin(); }
  auto end() const { return m_items.end(); }

 private:
  std::string m_name;
  KeyedCollection<clsColumn> m_items{"clsColumns"};
};

}  // namespace kpx
