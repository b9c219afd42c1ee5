// How destination columns are filled: a copy of a source column or a constant.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "kpxwizard/columns.h"
#include "kpxwizard/enums.h"
#include "kpxwizard/export.h"

namespace kpx {

class KPX_API clsTransformation {
 public:
  const std::string& ConstantValue() const { return m_constantValue; }
  void setConstantValue(std::string v) { m_constantValue = std::move(v); }
  int32_t TransformationType() const { return m_type; }
  void setTransformationType(int32_t v) { m_type = v; }
  const std::string& TransformationScript() const { return m_script; }
  void setTransformationScript(std::string v) { m_script = std::move(v); }
  const std::string& Name() const { return m_name; }
  void setName(std::string v) { m_name = std::move(v); }
  // The put-by-reference setters replace the collection object itself.
  std::shared_ptr<clsColumns> SourceFields() const { return m_sourceFields; }
  void setSourceFields(std::shared_ptr<clsColumns> v) { m_sourceFields = std::move(v); }
  std::shared_ptr<clsColumns> DestinationFields() const { return m_destinationFields; }
  void setDestinationFields(std::shared_ptr<clsColumns> v) { m_destinationFields = std::move(v); }

 private:
  std::string m_constantValue;
  int32_t m_type = kpxCopyColumn;
  std::string m_script;
  std::string m_name;
  std::shared_ptr<clsColumns> m_sourceFields = std::make_shared<clsColumns>();
  std::shared_ptr<clsColumns> m_destinationFields = std::make_shared<clsColumns>();
};

class KPX_API clsTransformations {
 public:
  const std::string& Name() const { return m_name; }
  void setName(std::string v) { m_name = std::move(v); }

  // Creates a transformation named `strParCode`, stores it under that key and returns it.
  std::shared_ptr<clsTransformation> Add(std::string_view strParCode);
  std::shared_ptr<clsTransformation> Item(int32_t index) const { return m_items.Item(index); }
  std::shared_ptr<clsTransformation> Item(std::string_view key) const { return m_items.Item(key); }
  int32_t Count() const { return m_items.Count(); }
  void Remove(int32_t index) { m_items.Remove(index); }
  void Remove(std::string_view key) { m_items.Remove(key); }
  bool ExistItem(std::string_view strKey) const { return m_items.ExistItem(strKey); }
  // Discards every member; objects a caller still holds stay usable.
  void Reset() { m_items.clear(); }
  // A deep copy of the current wizard's Transformations; nullptr after the standard error
  // report when copying fails.
  std::shared_ptr<clsTransformations> Clone() const;

  auto begin() const { return m_items.begin(); }
  auto end() const { return m_items.end(); }

 private:
  std::string m_name;
  KeyedCollection<clsTransformation> m_items{"clsTransformations"};
};

}  // namespace kpx
