// Describing a destination table to create from the source columns, and its CREATE TABLE text.
#include <string>

#include "data/mod_database.h"
#include "data/mod_main.h"
#include "data/new_table_types.h"
#include "data/providers/provider.h"
#include "data/quoted_name.h"
#include "kpxwizard/messages.h"
#include "kpxwizard/wizard.h"
#include "model/vb_conversions.h"

namespace kpx::modDatabase {
namespace {

constexpr const char* kModule = "modDatabase";
constexpr const char* kCrLf = "\r\n";

// The current wizard's Source or Destination; error 91 when there is none (no wizard, or a
// connection refused by its put).
std::shared_ptr<clsConnection> wizardConnection(int32_t role) {
  auto wizard = oWizard();
  auto connection = !wizard             ? nullptr
                    : role == kpxSource ? wizard->Source()
                                        : wizard->Destination();
  if (!connection)
    throw AutomationError(91, "kpxwizard",
                          std::string("Object variable not set: the wizard has no ") +
                              (role == kpxSource ? "Source" : "Destination") + " connection");
  return connection;
}

// How the statement is written for one kind of destination.
struct ScriptForm {
  const char* open;   // before a name
  const char* close;  // after a name
  bool nullClauses;   // whether columns carry NULL / NOT NULL
};

ScriptForm scriptFormOf(int32_t kind) {
  const std::string text = std::to_string(kind);
  if (text == "2") return {"[", "]", true};
  if (text == "3" || text == "8" || text == "9" || text == "10") return {"`", "`", false};
  return {"`", "`", true};
}

}  // namespace

void GenerateStructureArray(const clsConnection& dest) {
  auto& structure = state().arrDestinationStructure;
  try {
    auto columns = wizardConnection(kpxSource)->Columns();
    structure.assign(static_cast<size_t>(columns->Count()), StructureRow{});
    const bool sqlServer = dest.ConType() == CONN_SQLServer;
    size_t row = 0;
    for (const auto& column : *columns) {
      StructureRow& r = structure[row++];
      r[0] = column->Name();
      r[1] = sqlServer ? SqlServerTypeName(column->DataType()) : JetTypeName(column->DataType());
      r[2] = (r[1] == "text" || r[1] == "Bit" || r[1] == "ntext") ? "0"
                                                                  : std::to_string(column->Size());
      r[3] = NullClause(column->Nullable());
    }
  } catch (...) {
    ShowProcedureError(kModule, "GenerateStructureArray");
  }
}

StructureArray GenerateStructureArrayTextFile(const clsConnection& conn) {
  StructureArray structure(static_cast<size_t>(conn.Columns()->Count()));
  try {
    auto wizard = oWizard();
    const bool sqlServer =
        wizard && wizard->Destination() && wizard->Destination()->ConType() == CONN_SQLServer;
    size_t row = 0;
    for (const auto& column : *conn.Columns()) {
      StructureRow& r = structure[row++];
      r[0] = column->Name();
      // A text column whose scan met a value longer than 255 characters is long text, so the
      // table made from it holds that value.
      if (column->DataType() == data::adLongVarChar) {
        r[1] = sqlServer ? "ntext" : "LongText";
        r[2] = "0";
        r[3] = "NULL";
        continue;
      }
      r[1] = TextTypeName(column->DataType());
      // The width is a 16-bit value: a long text or binary column does not fit.
      int16_t size = vb::toInt16(column->Size(), "the size " + std::to_string(column->Size()) +
                                                     " of the text-file column " + column->Name());
      r[2] = std::to_string(TextTypeSize(column->DataType(), size));
      r[3] = "NULL";
    }
  } catch (...) {
    ShowProcedureError(kModule, "GenerateStructureArrayTextFile");
  }
  return structure;
}

int16_t FillTextDestinationColumns(const StructureArray& arr, clsConnection& conn) {
  try {
    ClearColumns(conn);
    if (conn.FormatFile() == kpxFixedFile)
      for (const auto& r : arr)
        if (r[2] == "0" || r[2].empty()) return 2;
    auto destination = wizardConnection(kpxDestination)->Columns();
    for (const auto& r : arr) {
      auto column = destination->Add(r[0]);
      column->setDataType(TypeCodeFromName(r[1]));
      // A delimited file needs no width: an empty cell is no width rather than an error.
      column->setSize(r[2].empty() ? 0 : vb::CLng(r[2]));
      column->setNullable(AttributesToNullable(r[3]));
    }
    return 1;
  } catch (...) {
    ShowProcedureError(kModule, "FillTextDestinationColumns");
    return 0;
  }
}

std::string GenerateScriptCreate(const StructureArray& arr) {
  std::string script;
  try {
    auto destination = wizardConnection(kpxDestination);
    const ScriptForm form = scriptFormOf(destination->ConType());
    script = std::string("CREATE TABLE ") +
             QuoteName(destination->TableName(), form.open, form.close) + " (" + kCrLf;
    for (size_t i = 0; i < arr.size(); ++i) {
      const StructureRow& r = arr[i];
      script += QuoteName(r[0], form.open, form.close) + " " + r[1] + SizeClause(r[2]);
      if (form.nullClauses) script += NullText(r[3]);
      script += i + 1 < arr.size() ? std::string(",") + kCrLf : std::string(kCrLf) + ")";
    }
  } catch (...) {
    ShowProcedureError(kModule, "GenerateScriptCreate");
  }
  return script;
}

}  // namespace kpx::modDatabase

namespace kpx::modMain {

PreparedTable ProcessCreate(clsConnection& src, clsConnection& dest) {
  try {
    auto wizard = oWizard();
    if (!wizard)
      throw AutomationError(91, "kpxwizard", "Object variable not set: no wizard object exists");
    auto& structure = modDatabase::state().arrDestinationStructure;
    if (src.ConType() == CONN_TEXTFILE) {
      structure = modDatabase::GenerateStructureArrayTextFile(src);
      modDatabase::applyChosenTextColumnTypes(structure, dest);
    } else {
      modDatabase::ClearSourceColumns();
      modDatabase::OpenDatabase(src);
      if (!modDatabase::CreateSetColumn(src)) return {};
      modDatabase::GenerateStructureArray(dest);
    }
    modDatabase::OpenDatabase(dest);

    std::string name = dest.TableName();
    if (name.empty()) {
      if (src.TableType() != kpxTypeTable)
        name = "Risultati";
      else if (wizard->Source() && wizard->Source()->ConType() == CONN_TEXTFILE)
        name = TakeNameTable(src.Database());
      else
        name = src.TableName();
    }
    const bool exists = modDatabase::TableExists(name) || modDatabase::TableExists(name + "$");
    dest.setTableName(name);
    dest.setTableType(kpxTypeTable);
    return {true, exists};
  } catch (...) {
    ShowProcedureError("modMain", "ProcessCreate");
    return {};
  }
}

}  // namespace kpx::modMain
