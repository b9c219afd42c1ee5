#include "cli/column_pairing.h"

#include <tuple>

#include "cli/program_text.h"
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

namespace {

// The names of `all` that no transformation's `fields` name, joined with ", ".
std::string unusedNames(const clsColumns& all, const clsTransformations& transformations,
                        std::shared_ptr<clsColumns> (clsTransformation::*fields)() const) {
  std::string list;
  for (const auto& column : all) {
    bool used = false;
    for (const auto& t : transformations)
      for (const auto& field : *((*t).*fields)())
        used = used || foldCase(field->Name()) == foldCase(column->Name());
    if (!used) list += (list.empty() ? "" : ", ") + column->Name();
  }
  return list;
}

}  // namespace

std::string unpairedColumnsNote(cKPXWizard& wizard) {
  const clsTransformations& transformations = *wizard.Transformations();
  std::string note;
  for (const auto& [said, columns, fields] :
       {std::tuple{Said::SourceColumnsLeftOut, wizard.Source()->Columns(),
                   &clsTransformation::SourceFields},
        std::tuple{Said::DestinationColumnsLeftEmpty, wizard.Destination()->Columns(),
                   &clsTransformation::DestinationFields}}) {
    const std::string names = unusedNames(*columns, transformations, fields);
    if (!names.empty()) note += std::string(kpx::cli::said(said)) + names + "\n";
  }
  return note;
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
