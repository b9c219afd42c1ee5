#include "package/dts/dts_list.h"

#include "data/providers/text_compare.h"

namespace kpx::dts {

bool sameName(std::string_view a, std::string_view b) {
  return data::equalsIgnoringCase(a, b);
}

std::string propertyText(const PropertyValue& value) {
  if (const auto* text = std::get_if<std::string>(&value)) return *text;
  if (const auto* number = std::get_if<int32_t>(&value)) return std::to_string(*number);
  return std::get<bool>(value) ? "True" : "False";
}

void PropertySet::Set(std::string_view name, PropertyValue value) {
  for (auto& property : m_items) {
    if (sameName(property.Name, name)) {
      property.Value = std::move(value);
      return;
    }
  }
  m_items.push_back({std::string(name), std::move(value)});
}

const Property* PropertySet::Find(std::string_view name) const {
  for (const auto& property : m_items) {
    if (sameName(property.Name, name)) return &property;
  }
  return nullptr;
}

std::string PropertySet::Text(std::string_view name) const {
  const Property* property = Find(name);
  return property ? propertyText(property->Value) : std::string();
}

bool PropertySet::Remove(std::string_view name) {
  for (auto it = m_items.begin(); it != m_items.end(); ++it) {
    if (sameName(it->Name, name)) {
      m_items.erase(it);
      return true;
    }
  }
  return false;
}

}  // namespace kpx::dts
