#include "cli/column_pairing.h"

#include "kpxwizard/keyed_collection.h"

namespace kpx::cli {

int32_t pairColumns(cKPXWizard& wizard, bool byName, const std::vector<int>& fixedWidths) {
  auto source = wizard.Source();
  auto destination = wizard.Destination();
  auto transformations = wizard.Transformations();
  transformations->Reset();
  std::string names;
  std::string widths;
  int32_t pairs = 0;
  const int32_t sourceCount = source->Columns()->Count();
  for (int32_t i = 1; i <= sourceCount; ++i) {
    auto sc = source->Columns()->Item(i);
    std::shared_ptr<clsColumn> dc;
    if (byName) {
      const std::string wanted = foldCase(sc->Name());
      for (const auto& candidate : *destination->Columns())
        if (foldCase(candidate->Name()) == wanted) dc = candidate;
    } else if (i <= destination->Columns()->Count()) {
      dc = destination->Columns()->Item(i);
    }
    if (!dc) continue;
    ++pairs;
    auto t = transformations->Add("tra" + std::to_string(pairs) + sc->Name());
    t->SourceFields()->AddColumn(sc);
    t->DestinationFields()->AddColumn(dc);
    t->setTransformationType(kpxCopyColumn);
    if (!sc->Name().empty()) {
      names += sc->Name() + ",";
      const size_t slot = static_cast<size_t>(pairs - 1);
      widths += std::to_string(slot < fixedWidths.size() ? fixedWidths[slot] : sc->Size()) + ",";
    }
  }
  if (destination->ConType() == CONN_TEXTFILE && !names.empty()) {
    destination->setNumberColumns(transformations->Count());
    destination->setColumnNames(names.substr(0, names.size() - 1));
    destination->setColumnLengths(widths.substr(0, widths.size() - 1));
  }
  return pairs;
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
