// The ordered lists of the package engine (connections, steps, tasks, transformations,
// columns) and the named property sets (OLE DB properties, transformation server
// properties). Items are shared objects; names compare without regard to case; positions
// count from 1.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "package/dts/dts_error.h"

namespace kpx::dts {

// True when two item names are equal without regard to case.
bool sameName(std::string_view a, std::string_view b);

// A list of shared items that each have a `Name` field.
template <class T>
class DtsList {
 public:
  using Item_t = std::shared_ptr<T>;

  // Appends an item (duplicates by name are allowed, as two connections on one database).
  void Add(Item_t item) { m_items.push_back(std::move(item)); }
  int32_t Count() const { return static_cast<int32_t>(m_items.size()); }
  // The item at a 1-based position; DtsError kErrNotFound when out of range.
  const Item_t& Item(int32_t position) const {
    if (position < 1 || position > Count()) notFound("position " + std::to_string(position));
    return m_items[static_cast<size_t>(position - 1)];
  }
  // The first item of that name; DtsError kErrNotFound when there is none.
  const Item_t& Item(std::string_view name) const {
    for (const auto& item : m_items) {
      if (sameName(item->Name, name)) return item;
    }
    notFound("'" + std::string(name) + "'");
  }
  // The first item of that name, or nullptr: a failed look-up yields nothing.
  Item_t Find(std::string_view name) const {
    for (const auto& item : m_items) {
      if (sameName(item->Name, name)) return item;
    }
    return nullptr;
  }
  // Removes the first item of that name; DtsError kErrNotFound when there is none.
  void Remove(std::string_view name) {
    for (auto it = m_items.begin(); it != m_items.end(); ++it) {
      if (sameName((*it)->Name, name)) {
        m_items.erase(it);
        return;
      }
    }
    notFound("'" + std::string(name) + "'");
  }
  // Removes the item at a 1-based position; DtsError kErrNotFound when out of range.
  void Remove(int32_t position) {
    Item(position);
    m_items.erase(m_items.begin() + (position - 1));
  }
  void Clear() { m_items.clear(); }

  // Walking the list in order.
  auto begin() const { return m_items.begin(); }
  auto end() const { return m_items.end(); }

 private:
  [[noreturn]] static void notFound(const std::string& what) {
    throw DtsError(kErrNotFound, kSourcePackage, "The list holds no item at " + what);
  }
  std::vector<Item_t> m_items;
};

// The value of a property: text, a 16- or 32-bit integer (held as 32 bits) or a boolean.
using PropertyValue = std::variant<std::string, int32_t, bool>;

// The value as text: integers in decimal, booleans "True"/"False".
std::string propertyText(const PropertyValue& value);

struct Property {
  std::string Name;
  PropertyValue Value;
};

// An ordered set of named properties ("Data Source", "Text", …).
class PropertySet {
 public:
  // Sets a property, replacing the value of one of the same name (keeping its position).
  void Set(std::string_view name, PropertyValue value);
  // The property of that name, or nullptr.
  const Property* Find(std::string_view name) const;
  // The value of that name as text; empty when absent.
  std::string Text(std::string_view name) const;
  // Removes the property of that name; false when there was none.
  bool Remove(std::string_view name);
  int32_t Count() const { return static_cast<int32_t>(m_items.size()); }
  auto begin() const { return m_items.begin(); }
  auto end() const { return m_items.end(); }

 private:
  std::vector<Property> m_items;
};

}  // namespace kpx::dts
