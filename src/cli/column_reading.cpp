#include "cli/column_reading.h"

#include "cli/column_pairing.h"
#include "cli/program_text.h"
#include "component/configuration_file.h"
#include "data/mod_database.h"
#include "data/mod_main.h"

namespace kpx::cli {

void readColumns(Session& session) {
  clsConnection& source = *session.wizard().Source();
  clsConnection& destination = *session.wizard().Destination();
  cKPXWizard& wizard = session.wizard();
  const auto fail = [&](const std::string& what) {
    const std::string reason = session.reasonShown();
    throw CliError(what + (reason.empty() ? "" : ": " + reason));
  };
  modDatabase::ClearColumns(source);
  if (source.TableType() == kpxTypeQuery) modMain::ExtractNameFields(source.TableName());
  if (!modDatabase::OpenDatabase(source))
    fail(said(Said::ColumnsOfSource, source.Database().c_str()));
  if (source.ConType() != CONN_TEXTFILE && !modDatabase::CreateSetColumn(source))
    fail(said(Said::ColumnsOfSource, source.Database().c_str()));
  if (destination.ConType() == CONN_TEXTFILE) {
    copySourceColumnsToDestination(wizard);
    return;
  }
  modDatabase::ClearColumns(destination);
  if (destination.CreatedDestinationTable()) {
    if (wizard.BuildColumns(wizard.Source(), wizard.Destination()) != 1 ||
        destination.Columns()->Count() == 0)
      fail(said(Said::ColumnsOfNewTable, destination.TableName().c_str(),
                destination.Database().c_str()));
    return;
  }
  if (!modDatabase::OpenDatabase(destination) || !modDatabase::CreateSetColumn(destination))
    fail(said(Said::ColumnsOfTable, destination.TableName().c_str(),
              destination.Database().c_str()));
}

int32_t restoreTransformations(Session& session, const std::string& config) {
  cKPXWizard& wizard = session.wizard();
  readColumns(session);
  wizard.Transformations()->Reset();
  if (!config::loadTransformations(wizard, config)) {
    const std::string reason = session.reasonShown();
    throw CliError(
        said(Said::TransformationColumnMissing, config, reason.empty() ? "" : " (" + reason + ")"));
  }
  return wizard.Transformations()->Count();
}

}  // namespace kpx::cli
