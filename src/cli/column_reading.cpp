#include "cli/column_reading.h"

#include <algorithm>

#include "cli/column_pairing.h"
#include "config/mod_ini_api.h"
#include "data/mod_database.h"
#include "data/mod_main.h"
#include "model/vb_strings.h"

namespace kpx::cli {

void readColumns(Session& session) {
  clsConnection& source = *session.wizard().Source();
  clsConnection& destination = *session.wizard().Destination();
  cKPXWizard& wizard = session.wizard();
  const auto fail = [&](const std::string& what) {
    const std::string reason = session.reasonShown();
    throw CliError("kpxwizard: cannot read the columns of " + what + (reason.empty() ? "" : ": " + reason));
  };
  modDatabase::ClearColumns(source);
  if (source.TableType() == kpxTypeQuery) modMain::ExtractNameFields(source.TableName());
  if (!modDatabase::OpenDatabase(source)) fail("the source '" + source.Database() + "'");
  if (source.ConType() != CONN_TEXTFILE && !modDatabase::CreateSetColumn(source))
    fail("the source '" + source.Database() + "'");
  if (destination.ConType() == CONN_TEXTFILE) {
    copySourceColumnsToDestination(wizard);
    return;
  }
  modDatabase::ClearColumns(destination);
  if (destination.CreatedDestinationTable()) {
    if (wizard.BuildColumns(wizard.Source(), wizard.Destination()) != 1 || destination.Columns()->Count() == 0)
      fail("the new table '" + destination.TableName() + "' in '" + destination.Database() + "'");
    return;
  }
  if (!modDatabase::OpenDatabase(destination) || !modDatabase::CreateSetColumn(destination))
    fail("the table '" + destination.TableName() + "' in '" + destination.Database() + "'");
}


int32_t restoreTransformations(Session& session, const std::string& config) {
  cKPXWizard& wizard = session.wizard();
  readColumns(session);
  auto source = wizard.Source()->Columns();
  auto destination = wizard.Destination()->Columns();
  auto transformations = wizard.Transformations();
  transformations->Reset();
  const std::string keys = modINIApi::ReadINISectionKeys(config, "TRANSFORMATIONS");
  const auto keyCount = std::count(keys.begin(), keys.end(), '\0');
  for (int i = 1; i <= keyCount; ++i) {
    const std::string key = "TRANSFORMATION" + std::to_string(i);
    const std::vector<std::string> fields = vb::Split(modINIApi::ReadINIKey(config, "TRANSFORMATIONS", key, ""), "\xC2\xA7");
    if (fields.size() != 6) continue;
    const auto missing = [&](const std::string& column, const char* side) {
      return CliError("kpxwizard run: the " + std::string(side) + " column '" + column + "' named by " + key + " in '" +
                      config + "' does not exist; save the transfer again or correct the file");
    };
    if (!destination->ExistItem(fields[5])) throw missing(fields[5], "destination");
    const bool constant = fields[3] == "1";
    if (!constant && !source->ExistItem(fields[4])) throw missing(fields[4], "source");
    auto t = transformations->Add(fields[1]);
    t->setTransformationType(constant ? kpxConstantColumn : kpxCopyColumn);
    if (constant) t->setConstantValue(fields[2]);
    else t->SourceFields()->AddColumn(source->Item(fields[4]));
    t->DestinationFields()->AddColumn(destination->Item(fields[5]));
  }
  return transformations->Count();
}

}  // namespace kpx::cli
