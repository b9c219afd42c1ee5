// The ordered, keyed container behind clsColumns and clsTransformations: insertion order,
// 1-based positions, unique keys compared without regard to letter case, items held by
// reference.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "kpxwizard/automation_error.h"
#include "kpxwizard/export.h"

namespace kpx {

// Upper-cases for comparison: ASCII and the accented Latin letters, Greek and Cyrillic.
KPX_API std::string foldCase(std::string_view text);

// Error numbers the container raises for its own failures, as a keyed collection does.
inline constexpr int32_t kErrInvalidArgument = 5;  // Remove of a missing member
inline constexpr int32_t kErrDuplicateKey = 457;   // Add with a key already present

template <typename T>
class KeyedCollection {
  struct Entry {
    std::string foldedKey;
    std::shared_ptr<T> item;
  };

 public:
  explicit KeyedCollection(std::string ownerClass) : m_ownerClass(std::move(ownerClass)) {}

  int32_t Count() const { return static_cast<int32_t>(m_items.size()); }

  // The member at 1-based `index`; the "Item <n> not found !" automation error otherwise.
  std::shared_ptr<T> Item(int32_t index) const {
    if (index < 1 || index > Count()) throw notFound(std::to_string(index));
    return m_items[index - 1].item;
  }
  std::shared_ptr<T> Item(std::string_view key) const {
    auto pos = find(key);
    if (pos < 0) throw notFound(trimBlanks(key));
    return m_items[pos].item;
  }

  // Appends under `key`; a duplicate key raises error 457 and leaves the collection as it was.
  void insert(std::string_view key, std::shared_ptr<T> item) {
    if (find(key) >= 0)
      throw AutomationError(kErrDuplicateKey, m_ownerClass,
                            "This key is already associated with an element of this collection");
    m_items.push_back({foldCase(key), std::move(item)});
  }

  void Remove(int32_t index) {
    if (index < 1 || index > Count()) throw invalidArgument();
    m_items.erase(m_items.begin() + (index - 1));
  }
  void Remove(std::string_view key) {
    auto pos = find(key);
    if (pos < 0) throw invalidArgument();
    m_items.erase(m_items.begin() + pos);
  }

  // True when a member is stored under `key` (not empty) and that member's Name is not empty.
  bool ExistItem(std::string_view key) const {
    if (key.empty()) return false;
    auto pos = find(key);
    return pos >= 0 && !m_items[pos].item->Name().empty();
  }

  void clear() { m_items.clear(); }

  // Range-for over the members in collection order.
  class iterator {
   public:
    using inner = typename std::vector<Entry>::const_iterator;
    explicit iterator(inner it) : m_it(it) {}
    const std::shared_ptr<T>& operator*() const { return m_it->item; }
    iterator& operator++() {
      ++m_it;
      return *this;
    }
    bool operator!=(const iterator& o) const { return m_it != o.m_it; }
    bool operator==(const iterator& o) const { return m_it == o.m_it; }

   private:
    inner m_it;
  };
  iterator begin() const { return iterator(m_items.begin()); }
  iterator end() const { return iterator(m_items.end()); }

 private:
  int64_t find(std::string_view key) const {
    std::string folded = foldCase(key);
    for (size_t i = 0; i < m_items.size(); ++i)
      if (m_items[i].foldedKey == folded) return static_cast<int64_t>(i);
    return -1;
  }
  static std::string trimBlanks(std::string_view s) {
    size_t b = s.find_first_not_of(' ');
    if (b == std::string_view::npos) return {};
    size_t e = s.find_last_not_of(' ');
    return std::string(s.substr(b, e - b + 1));
  }
  AutomationError notFound(const std::string& keyText) const {
    return AutomationError(kErrItemNotFound, m_ownerClass, "Item <" + keyText + "> not found !");
  }
  AutomationError invalidArgument() const {
    return AutomationError(kErrInvalidArgument, m_ownerClass, "Invalid procedure call or argument");
  }

  std::string m_ownerClass;
  std::vector<Entry> m_items;
};

}  // namespace kpx
