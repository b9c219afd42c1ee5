#include "cli/inferred_types.h"

#include <filesystem>
#include <ostream>

#include "cli/arguments.h"
#include "cli/program_text.h"
#include "data/new_table_types.h"
#include "data/providers/provider.h"
#include "package/cls_task.h"

namespace kpx::cli {
namespace {

// The flat-file provider's properties for the text file as the transfer would read it.
data::ConnectionProperties flatFileProperties(const clsConnection& source) {
  data::ConnectionProperties p;
  p.set("Provider", "DTSFlatFile.1");
  p.set("Data Source", source.Database());
  p.set("Skip Rows", std::to_string(source.SkipRows()));
  p.set("Column Delimiter", source.ColumnDelimiter());
  p.set("Row Delimiter", clsTask::GetRowDelimiterComboIndex(source.RowDelimiter()));
  p.set("Column Lengths", source.ColumnLengths());
  p.set("First Row Column Name", clsTask::DescrFirstRow(source.FirstRow()));
  p.set("File Format", std::to_string(source.FormatFile()));
  p.set("Text Qualifier", source.TextQualifier());
  p.set("Mode", "1");
  p.set("Column Names", source.ColumnNames());
  return p;
}

}  // namespace

std::vector<InferredColumnType> inferTextColumnTypes(const clsConnection& source) {
  const std::string path = source.Database();
  try {
    auto data = data::openDataSource(flatFileProperties(source));
    auto reader = data->openTable(std::filesystem::path(path).filename().string());
    const size_t count = reader->columns().size();
    std::vector<data::ColumnTypeInference> inference(count);
    std::string text;
    for (int64_t row = 1;; ++row) {
      try {
        if (!reader->next()) break;
      } catch (const data::RowError&) {
        continue;
      }
      for (size_t i = 0; i < count; ++i) {
        text.clear();
        data::appendText(reader->field(i), text);
        inference[i].add(row, text);
      }
    }
    std::vector<InferredColumnType> columns;
    for (size_t i = 0; i < count; ++i)
      columns.push_back({reader->columns()[i].name, inference[i].result()});
    return columns;
  } catch (const std::exception& e) {
    throw CliError(said(Said::CannotInferTypes, path, e.what()));
  }
}

void printInferredTypes(std::ostream& out, const std::vector<InferredColumnType>& columns) {
  for (const auto& c : columns)
    out << c.name << ": " << data::inferredTypeName(c.inferred) << " \u2014 " << c.inferred.reason
        << "\n";
  out.flush();
}

InferredNewTableTypes::InferredNewTableTypes(const clsConnection& source, std::ostream& out,
                                             bool datesInOrder) {
  const auto columns = inferTextColumnTypes(source);
  printInferredTypes(out, columns);
  auto& chosen = modDatabase::chosenTextColumnTypes();
  chosen.clear();
  auto& orders = data::textColumnDateOrders();
  orders.clear();
  for (const auto& c : columns) {
    chosen[c.name] = modDatabase::chosenTypeFor(c.inferred);
    if (c.inferred.type != data::InferredType::Datetime || c.inferred.order == data::DateOrder::Iso)
      continue;
    if (datesInOrder)
      orders[source.Database()][c.name] = c.inferred.order;
    else
      chosen[c.name] = {data::adVarWChar, c.inferred.size};
  }
}

InferredNewTableTypes::~InferredNewTableTypes() {
  modDatabase::chosenTextColumnTypes().clear();
  data::textColumnDateOrders().clear();
}

}  // namespace kpx::cli
