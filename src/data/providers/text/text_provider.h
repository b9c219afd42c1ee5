// The "DTSFlatFile" provider: one delimited or fixed-width text file, whose "Data Source" is
// its path. The file is the one table of the source, named by the file name ("data.csv",
// also "data#csv"), read with openTable or "SELECT * FROM [data.csv]"; other SQL runs in the
// SQL engine over this provider's rows, not here. Layout: see TextFormat; reading: see
// TextRowReader; writing: see TextRowWriter.
#pragma once
#include <memory>
#include <string>
#include <vector>

#include "data/providers/provider.h"
#include "data/providers/text/text_format.h"

namespace kpx::data {

class TextDataSource : public DataSource {
 public:
  explicit TextDataSource(TextFormat format) : m_format(std::move(format)) {}
  // The file's table when the file exists; none before a destination file is first written.
  std::vector<TableInfo> tables() override;
  // The reader's columns, except that a delimited column holding a value longer than its 255
  // characters is 201 (adLongVarChar), found by reading the whole file.
  std::vector<ColumnInfo> catalogColumns(const std::string& table) override;
  // The reader's columns from the first record alone, without the long-value scan.
  std::vector<ColumnInfo> headerColumns() const;
  std::unique_ptr<RowReader> openCatalogTable(const std::string& table) override;
  // Only "SELECT * FROM [table]" (brackets, back quotes or none; a trailing ";").
  std::unique_ptr<RowReader> openQuery(const std::string& sql) override;
  // Only "DELETE FROM [table]" (or with no table): rewrites the file with its header row alone.
  void execute(const std::string& sql) override;
  std::unique_ptr<RowWriter> openWriter(const std::string& table,
                                        const std::vector<std::string>& columns) override;
  const TextFormat& format() const { return m_format; }

 protected:
  // "data#csv" and the file's full path name the table data.csv too.
  std::string tableKey(const std::string& name) const override;
  std::string describe() const override;

 private:
  // Throws DataError unless `table` names this file.
  void checkTable(const std::string& table) const;
  bool fileExists() const;

  TextFormat m_format;
};

class TextProvider : public Provider {
 public:
  static constexpr const char* kName = "DTSFlatFile";
  std::string name() const override { return kName; }
  // A missing file is an error for a read-only connection (Mode 1) and fine otherwise: the
  // first commit of a writer creates it.
  std::unique_ptr<DataSource> open(const ConnectionProperties& properties) override;
};

}  // namespace kpx::data
