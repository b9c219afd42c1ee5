#include "component/configuration_file.h"

#include <filesystem>
#include <utility>
#include <vector>

#include "config/mod_ini_api.h"
#include "data/mod_database.h"
#include "kpxwizard/messages.h"
#include "model/vb_conversions.h"
#include "model/vb_strings.h"

namespace kpx::config {
namespace {

using modINIApi::ReadINIKey;
using modINIApi::ReadINISectionKeys;
using modINIApi::WriteINIKey;

constexpr const char* kTransformations = "TRANSFORMATIONS";
constexpr const char* kTransformationKey = "TRANSFORMATION";

std::string booleanText(bool value) {
  return value ? "True" : "False";
}

// The name of the first column of `columns`; a missing one is an error naming `what`.
std::string firstColumnName(const clsColumns& columns, const clsTransformation& t,
                            const char* what) {
  if (columns.Count() < 1)
    throw AutomationError(kErrItemNotFound, "kpxwizard",
                          "The transformation " + t.Name() + " has no " + what + " column to save");
  return columns.Item(1)->Name();
}

std::shared_ptr<clsConnection> required(std::shared_ptr<clsConnection> c, const char* role) {
  if (!c)
    throw AutomationError(
        91, "kpxwizard",
        std::string("Object variable not set: the wizard has no ") + role + " connection");
  return c;
}

// The keys of a connection section, in the order they are written.
std::vector<std::pair<std::string, std::string>> connectionKeys(const clsConnection& c,
                                                                const std::string& tableName,
                                                                const std::string& tableType,
                                                                const char* lockKey, bool lock) {
  return {
      {"TypeConnection", std::to_string(c.ConType())},
      {"Provider", c.ProviderString()},
      {"Database", c.Database()},
      {"Mode", std::to_string(c.Mode())},
      {"Id", std::to_string(c.id())},
      {"ModeText", std::to_string(c.ModeText())},
      {"TableName", tableName},
      {"TableType", tableType},
      {"CreatedDestinationTable", booleanText(c.CreatedDestinationTable())},
      {"User", c.User()},
      {"Server", c.Server()},
      {"Password", c.Password().empty() ? "" : modINIApi::EncodePassword(c.Password())},
      {"DelimiterColumn", c.ColumnDelimiter() == "\t" ? "TAB" : c.ColumnDelimiter()},
      {"DelimiterRow", std::to_string(c.RowDelimiter())},
      {"ColumnLengths", c.ColumnLengths()},
      {"ColumnNames", c.ColumnNames()},
      {"FirstRow", std::to_string(c.FirstRow())},
      {"TypeTextFile", std::to_string(c.FormatFile())},
      {"SkipRows", std::to_string(c.SkipRows())},
      {"TextQualifier", c.TextQualifier()},
      {lockKey, booleanText(lock)},
  };
}

void writeSection(const std::string& file, const char* section,
                  const std::vector<std::pair<std::string, std::string>>& keys) {
  for (const auto& [key, value] : keys) WriteINIKey(file, section, key, value);
}

// A text file's encoding is written only when one was named, so that other files keep the keys
// above alone; an encoding stored earlier is cleared rather than left to apply to another file.
void writeEncoding(const std::string& file, const char* section, const clsConnection& c) {
  if (!c.TextEncoding().empty() || !modINIApi::ReadINIKey(file, section, kEncoding, "").empty())
    WriteINIKey(file, section, kEncoding, c.TextEncoding());
}

// A destination table is kept in the file only when it exists or is to be created, so that a
// loaded configuration never names a table the destination lacks.
bool destinationTableKept(clsConnection& dest) {
  if (dest.ConType() == CONN_TEXTFILE || dest.Database().empty()) return true;
  modDatabase::OpenDatabase(dest);
  return modDatabase::TableExists(dest.TableName()) ||
         modDatabase::TableExists(dest.TableName() + "$") || dest.CreatedDestinationTable();
}

// The message that refuses to save `t`, or 0 when it can be saved.
int32_t separatorMessage(const clsTransformation& t) {
  auto holds = [](const std::string& text) {
    return text.find(kFieldSeparator) != std::string::npos;
  };
  if (t.TransformationType() == kpxCopyColumn) {
    if (holds(t.ConstantValue()) || holds(firstColumnName(*t.SourceFields(), t, "source")) ||
        holds(firstColumnName(*t.DestinationFields(), t, "destination")))
      return 544;
  } else if (t.TransformationType() == kpxConstantColumn) {
    if (holds(t.ConstantValue()) ||
        holds(firstColumnName(*t.DestinationFields(), t, "destination")))
      return 543;
  }
  return 0;
}

// The stored form of the transformation at `position`, or "" for a type that is not stored.
std::string transformationValue(int32_t position, const clsTransformation& t) {
  std::string sourceColumn;
  if (t.TransformationType() == kpxCopyColumn)
    sourceColumn = firstColumnName(*t.SourceFields(), t, "source");
  else if (t.TransformationType() != kpxConstantColumn)
    return {};
  return vb::Join({std::to_string(position), t.Name(), t.ConstantValue(),
                   std::to_string(t.TransformationType()), sourceColumn,
                   firstColumnName(*t.DestinationFields(), t, "destination")},
                  kFieldSeparator);
}

bool isFile(const std::string& path) {
  std::error_code ec;
  return std::filesystem::is_regular_file(path, ec);
}

// Loads one connection section and checks that its file is still there (message `missing`).
bool loadConnection(clsConnection& c, const char* section, const std::string& file,
                    int32_t missing) {
  std::string keys = ReadINISectionKeys(file, section);
  if (!keys.empty()) LetPropertyClass(c, section, keys, file);
  if (c.Database().empty()) return true;
  if (!isFile(c.Database()) && c.ConType() != CONN_SQLServer) {
    ShowMessage(GetResText(missing), vbExclamation);
    c.ResetConnection();
    return false;
  }
  c.CreateConnectionString();
  return true;
}

void clearColumnLists(clsConnection& src, clsConnection& dest) {
  if (src.Columns()->Count() > 0 && src.ConType() != CONN_TEXTFILE) modDatabase::ClearColumns(src);
  if (dest.Columns()->Count() > 0) modDatabase::ClearColumns(dest);
}

}  // namespace

bool saveConfiguration(cKPXWizard& wizard, const std::string& file) {
  auto src = required(wizard.Source(), "Source");
  auto dest = required(wizard.Destination(), "Destination");
  WriteINIKey(file, "LANGUAGE", "Language", std::to_string(wizard.Language()));
  WriteINIKey(file, "EXIT", "AskCloseConfirmation", booleanText(wizard.AskCloseConfirmation()));
  WriteINIKey(file, "EXIT", "AutoCloseWizard", booleanText(wizard.AutoCloseWizard()));
  writeSection(file, "SOURCE",
               connectionKeys(*src, src->TableName(), std::to_string(src->TableType()),
                              "LockSource", wizard.LockSource()));
  writeEncoding(file, "SOURCE", *src);
  const bool kept = destinationTableKept(*dest);
  writeSection(file, "DESTINATION",
               connectionKeys(*dest, kept ? dest->TableName() : "",
                              kept ? std::to_string(dest->TableType()) : "0", "LockDestination",
                              wizard.LockDestination()));
  writeEncoding(file, "DESTINATION", *dest);

  const clsTransformations& transformations = *wizard.Transformations();
  if (transformations.Count() == 0) {
    modINIApi::DeleteSection(file, kTransformations);
    return true;
  }
  for (const auto& t : transformations) {
    if (int32_t message = separatorMessage(*t)) {
      ShowMessage(GetResText(message), vbExclamation);
      return false;
    }
  }
  modINIApi::DeleteSection(file, kTransformations);
  int32_t position = 0;
  for (const auto& t : transformations) {
    ++position;
    std::string value = transformationValue(position, *t);
    if (!value.empty())
      WriteINIKey(file, kTransformations, kTransformationKey + std::to_string(position), value);
  }
  return true;
}

bool loadConfiguration(cKPXWizard& wizard, const std::string& file) {
  if (isFile(file)) {
    if (!ReadINISectionKeys(file, "LANGUAGE").empty())
      wizard.setLanguage(vb::CLng(ReadINIKey(file, "LANGUAGE", "Language", "")));
    if (!ReadINISectionKeys(file, "EXIT").empty()) {
      wizard.setAskCloseConfirmation(
          vb::CBool(ReadINIKey(file, "EXIT", "AskCloseConfirmation", "")));
      wizard.setAutoCloseWizard(vb::CBool(ReadINIKey(file, "EXIT", "AutoCloseWizard", "")));
    }
    if (!loadConnection(*required(wizard.Source(), "Source"), "SOURCE", file, 541)) return false;
    if (!loadConnection(*required(wizard.Destination(), "Destination"), "DESTINATION", file, 542))
      return false;
    for (const auto& c : {wizard.Source(), wizard.Destination()}) {
      if (!c->Database().empty() && !wizard.ControlConnectionInFileINI(*c)) {
        c->ResetConnection();
        c->CreateConnectionString();
      }
    }
  }

  auto src = required(wizard.Source(), "Source");
  auto dest = required(wizard.Destination(), "Destination");
  auto& transformations = *wizard.Transformations();
  if (!modINIApi::SectionExists(file, kTransformations)) {
    clearColumnLists(*src, *dest);
    transformations.Reset();
    return true;
  }
  if (src->Database().empty() || src->TableName().empty() || dest->Database().empty() ||
      dest->TableName().empty())
    return true;
  clearColumnLists(*src, *dest);
  if (wizard.BuildColumns(src, dest) == 1) {
    transformations.Reset();
    if (!ReadINISectionKeys(file, kTransformations).empty() && !loadTransformations(wizard, file))
      transformations.Reset();
  }
  return true;
}

bool loadTransformations(cKPXWizard& wizard, const std::string& file) {
  try {
    auto& transformations = *wizard.Transformations();
    auto sourceColumns = required(wizard.Source(), "Source")->Columns();
    auto destinationColumns = required(wizard.Destination(), "Destination")->Columns();
    const std::vector<std::string> names =
        vb::Split(ReadINISectionKeys(file, kTransformations), std::string(1, '\0'));
    // The list ends with a NUL, so its last piece is empty and is no name.
    const int32_t count = names.empty() ? 0 : static_cast<int32_t>(names.size()) - 1;
    for (int32_t i = 1; i <= count; ++i) {
      std::string value =
          ReadINIKey(file, kTransformations, kTransformationKey + std::to_string(i), "");
      std::vector<std::string> fields = vb::Split(value, kFieldSeparator);
      if (fields.size() != 6) continue;
      auto t = transformations.Add(fields[1]);
      t->setTransformationType(vb::CLng(fields[3]));
      if (t->TransformationType() == kpxConstantColumn) {
        t->setConstantValue(fields[2]);
        t->DestinationFields()->AddColumn(destinationColumns->Item(fields[5]));
      } else if (t->TransformationType() == kpxCopyColumn) {
        t->SourceFields()->AddColumn(sourceColumns->Item(fields[4]));
        t->DestinationFields()->AddColumn(destinationColumns->Item(fields[5]));
      }
    }
    return true;
  } catch (...) {
    ShowMessage(GetResText(547), vbExclamation);
    return false;
  }
}

}  // namespace kpx::config
