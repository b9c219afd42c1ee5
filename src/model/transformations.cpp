#include "kpxwizard/transformations.h"

#include "kpxwizard/messages.h"
#include "kpxwizard/wizard.h"

namespace kpx {

std::shared_ptr<clsTransformation> clsTransformations::Add(std::string_view strParCode) {
  auto item = std::make_shared<clsTransformation>();
  item->setName(std::string(strParCode));
  m_items.insert(strParCode, item);
  return item;
}

namespace {
void copyColumns(const clsColumns& from, clsColumns& to) {
  for (const auto& column : from) {
    auto copy = to.Add(column->Name());
    copy->setSize(column->Size());
    copy->setDataType(column->DataType());
    copy->setNullable(column->Nullable());
  }
}
}  // namespace

std::shared_ptr<clsTransformations> clsTransformations::Clone() const {
  try {
    auto wizard = oWizard();
    if (!wizard) throw AutomationError(91, "clsTransformations", "Object variable not set");
    const clsTransformations& source = *wizard->Transformations();
    auto copy = std::make_shared<clsTransformations>();
    copy->setName(source.Name());
    for (const auto& t : source) {
      auto c = copy->Add(t->Name());
      c->setConstantValue(t->ConstantValue());
      c->setName(t->Name());
      c->setTransformationScript(t->TransformationScript());
      c->setTransformationType(t->TransformationType());
      // Each member is looked up again by Name, so one whose key differs cannot be cloned.
      auto original = source.Item(t->Name());
      copyColumns(*original->DestinationFields(), *c->DestinationFields());
      copyColumns(*original->SourceFields(), *c->SourceFields());
    }
    return copy;
  } catch (...) {
    ShowProcedureError("clsTransformations", "Clone");
    return nullptr;
  }
}

}  // namespace kpx
