// The members of the columns and transformations, and of their collections, as a host calls
// them. Both collections share Item (the default member), Remove, Count, ExistItem, Name and
// the enumerator.
#include "component/automation/dispatch_table.h"

namespace kpx::automation {
namespace {

constexpr uint16_t kGetOrCall = KPX_DISPATCH_METHOD | KPX_DISPATCH_PROPERTYGET;

template <typename Collection>
void addCollectionMembers(DispatchTable<Collection>& t, int32_t removeId, int32_t existItemId) {
  using Co = Collection;
  addProperty(t, "Name", 0x68030001, &Co::Name, &Co::setName);
  addGet(t, "Count", 0x68030000, &Co::Count);
  addMethod<Co>(
      t, "Item", 0, 1,
      [](Co& self, Call& c) {
        std::visit([&](const auto& at) { c.result(self.Item(at)); }, c.arg<IndexOrKey>(0));
      },
      kGetOrCall);
  addMethod<Co>(t, "Remove", removeId, 1, [](Co& self, Call& c) {
    std::visit([&](const auto& at) { self.Remove(at); }, c.arg<IndexOrKey>(0));
  });
  addMethod<Co>(t, "ExistItem", existItemId, 1,
                [](Co& self, Call& c) { c.result(self.ExistItem(c.arg<std::string>(0))); });
  addMethod<Co>(
      t, "NewEnum", DISPID_NEWENUM, 0,
      [](Co& self, Call& c) {
        auto walker = std::make_shared<Enumerator>();
        for (const auto& item : self) walker->items.emplace_back(item);
        c.result(AsUnknown{walker});
      },
      kGetOrCall);
}

}  // namespace

const DispatchTable<clsColumn>& columnMembers() {
  static const DispatchTable<clsColumn> table = [] {
    using K = clsColumn;
    DispatchTable<K> t;
    addProperty(t, "Nullable", 0x68030004, &K::Nullable, &K::setNullable);
    addProperty(t, "Name", 0x68030003, &K::Name, &K::setName);
    addProperty(t, "Size", 0x68030002, &K::Size, &K::setSize);
    addProperty(t, "DataType", 0x68030001, &K::DataType, &K::setDataType);
    addGet(t, "Column", 0x68030000, &K::Column);
    return t;
  }();
  return table;
}

const DispatchTable<clsColumns>& columnsMembers() {
  static const DispatchTable<clsColumns> table = [] {
    using Co = clsColumns;
    DispatchTable<Co> t;
    addCollectionMembers(t, 0x60030007, 0x60030006);
    addMethod<Co>(t, "AddColumn", 0x60030004, 1,
                  [](Co& self, Call& c) { self.AddColumn(c.arg<std::shared_ptr<clsColumn>>(0)); });
    addMethod<Co>(t, "Add", 0x60030005, 1,
                  [](Co& self, Call& c) { c.result(self.Add(c.arg<std::string>(0))); });
    return t;
  }();
  return table;
}

const DispatchTable<clsTransformation>& transformationMembers() {
  static const DispatchTable<clsTransformation> table = [] {
    using T = clsTransformation;
    DispatchTable<T> t;
    addProperty(t, "ConstantValue", 0x68030005, &T::ConstantValue, &T::setConstantValue);
    addProperty(t, "TransformationType", 0x68030004, &T::TransformationType,
                &T::setTransformationType);
    addProperty(t, "TransformationScript", 0x68030003, &T::TransformationScript,
                &T::setTransformationScript);
    addProperty(t, "Name", 0x68030002, &T::Name, &T::setName);
    addProperty(t, "SourceFields", 0x68030001, &T::SourceFields, &T::setSourceFields,
                KPX_DISPATCH_PROPERTYPUTREF);
    addProperty(t, "DestinationFields", 0x68030000, &T::DestinationFields, &T::setDestinationFields,
                KPX_DISPATCH_PROPERTYPUTREF);
    return t;
  }();
  return table;
}

const DispatchTable<clsTransformations>& transformationsMembers() {
  static const DispatchTable<clsTransformations> table = [] {
    using Ts = clsTransformations;
    DispatchTable<Ts> t;
    addCollectionMembers(t, 0x60030005, 0x60030006);
    addMethod<Ts>(t, "Add", 0x60030004, 1,
                  [](Ts& self, Call& c) { c.result(self.Add(c.arg<std::string>(0))); });
    addMethod<Ts>(t, "Reset", 0x60030007, 0, [](Ts& self, Call&) { self.Reset(); });
    addMethod<Ts>(t, "Clone", 0x60030008, 0, [](Ts& self, Call& c) { c.result(self.Clone()); });
    return t;
  }();
  return table;
}

const DispatchTable<Enumerator>& enumeratorMembers() {
  static const DispatchTable<Enumerator> table;
  return table;
}

}  // namespace kpx::automation
