#include "cli/column_pairing.h"

#include "kpxwizard/keyed_collection.h"
#include "model/column_pairing.h"

namespace kpx::cli {

int32_t pairColumns(cKPXWizard& wizard, bool byName, const std::vector<int>& fixedWidths) {
  auto transformations = wizard.Transformations();
  transformations->Reset();
  return addCopyTransformations(*transformations, *wizard.Source(), *wizard.Destination(),
                                byName ? PairColumnsBy::Name : PairColumnsBy::Position, fixedWidths)
      .pairs;
}

void copySourceColumnsToDestination(cKPXWizard& wizard) {
  auto into = wizard.Destination()->Columns();
  while (into->Count() > 0) into->Remove(1);
  for (const auto& sc : *wizard.Source()->Columns()) {
    auto dc = into->Add(sc->Name());
    dc->setName(sc->Name());
    dc->setDataType(sc->DataType());
    dc->setSize(sc->Size());
    dc->setNullable(true);
  }
}

}  // namespace kpx::cli
