#include "data/providers/excel/excel_source.h"

#include <sqlite3.h>
#include <sys/stat.h>

#include <cmath>
#include <map>
#include <optional>

#include "data/providers/excel/number_format.h"
#include "data/providers/excel/row_spool.h"
#include "data/providers/excel/shape_cache.h"
#include "data/providers/excel/sheet_table.h"
#include "data/providers/excel/workbook_file.h"
#include "data/providers/file_replacement.h"
#include "data/providers/sqlite/single_statement.h"
#include "data/providers/statement_excerpt.h"
#include "data/providers/text_compare.h"
#include "data/query/query_engine.h"

namespace kpx::data::excel {
namespace {

constexpr size_t kMaxCellText = 32767;

std::string upper(std::string s) {
  for (char& c : s) c = char(std::toupper(uint8_t(c)));
  return s;
}

// "`Sheet1$`", "[Sheet1]", "'My sheet$'" → the sheet's own name.
std::string sheetNameOf(std::string table) {
  if (table.size() >= 2 && ((table.front() == '`' && table.back() == '`') ||
                            (table.front() == '[' && table.back() == ']') ||
                            (table.front() == '\'' && table.back() == '\'') ||
                            (table.front() == '"' && table.back() == '"')))
    table = table.substr(1, table.size() - 2);
  if (!table.empty() && table.back() == '$') table.pop_back();
  return table;
}

struct CreateTable {
  std::string name;
  std::vector<std::string> columns;
};

// Lets SQLite read the statement on a scratch in-memory database, so that every quoting and
// type-name form it accepts is understood, and takes the table's name and columns back.
CreateTable parseCreateTable(const std::string& sql) {
  sqlite3* db = nullptr;
  if (sqlite3_open(":memory:", &db) != SQLITE_OK) {
    sqlite3_close(db);
    throw DataError("CREATE TABLE cannot be checked: SQLite could not open a scratch database");
  }
  std::unique_ptr<sqlite3, decltype(&sqlite3_close)> guard(db, sqlite3_close);
  try {
    runSingleStatement(db, sql, "a new sheet");
  } catch (const DataError& e) {
    throw DataError(std::string("Syntax error in CREATE TABLE statement (") + e.what() + ")");
  }
  CreateTable result;
  int tables = 0;
  sqlite3_exec(
      db, "SELECT name FROM sqlite_master WHERE type = 'table'",
      [](void* out, int, char** values, char**) {
        static_cast<CreateTable*>(out)->name = values[0] ? values[0] : "";
        return 0;
      },
      &result, nullptr);
  sqlite3_stmt* count = nullptr;
  sqlite3_prepare_v2(db, "SELECT count(*) FROM sqlite_master", -1, &count, nullptr);
  if (count && sqlite3_step(count) == SQLITE_ROW) tables = sqlite3_column_int(count, 0);
  sqlite3_finalize(count);
  if (tables != 1 || result.name.empty())
    throw DataError("Expected exactly one CREATE TABLE statement: " + statementExcerpt(sql));
  sqlite3_stmt* info = nullptr;
  sqlite3_prepare_v2(db, "SELECT name FROM pragma_table_info(?1)", -1, &info, nullptr);
  sqlite3_bind_text(info, 1, result.name.c_str(), -1, SQLITE_TRANSIENT);
  while (info && sqlite3_step(info) == SQLITE_ROW)
    result.columns.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(info, 0)));
  sqlite3_finalize(info);
  return result;
}

// The table named after DELETE FROM, for the refusal message.
std::string deleteTarget(const std::string& sql) {
  std::string u = upper(sql);
  size_t from = u.find("FROM");
  if (from == std::string::npos) return {};
  size_t start = sql.find_first_not_of(" \t\r\n", from + 4);
  if (start == std::string::npos) return {};
  size_t end = start + 1;
  char open = sql[start];
  char close = open == '`' ? '`' : open == '[' ? ']' : open == '"' ? '"' : open == '\'' ? '\'' : 0;
  if (close) {
    end = sql.find(close, start + 1);
    end = end == std::string::npos ? sql.size() : end + 1;
  } else {
    end = sql.find_first_of(" \t\r\n;", start);
    if (end == std::string::npos) end = sql.size();
  }
  return sheetNameOf(sql.substr(start, end - start));
}

// A sheet added by CREATE TABLE: its name and its header row.
struct NewSheet {
  std::string name;
  SheetRow header;
};

struct State {
  std::string path;
  WorkbookFormat format;
  bool header = true;
  std::shared_ptr<WorkbookStreams> book;  // null while the file does not exist
  std::string identity;                   // of the file `book` reads (shape_cache.h)
  std::map<size_t, SheetShape> shapes;    // of the sheets of `book` read so far

  // The shape of sheet `index`, read once for every use until the workbook is written. With
  // `keepRows` its pass keeps the rows it reads for the reader that usually follows, so that a
  // copy parses the sheet once.
  const SheetShape& shape(size_t index, bool keepRows) {
    auto it = shapes.find(index);
    if (it != shapes.end()) return it->second;
    std::optional<SheetShape> known = knownShape(identity, index, header);
    if (!known) {
      std::unique_ptr<RowSpool> spool;
      try {
        if (keepRows) spool = std::make_unique<RowSpool>();
      } catch (const DataError&) {
        // no room for the copy: the reader parses the sheet again
      }
      auto in = book->openSheet(index);
      SpoolingStream rows(*in, spool);
      known = sheetShape(rows, header, *book);
      rememberShape(identity, index, header, *known, std::move(spool));
    }
    return shapes.emplace(index, std::move(*known)).first->second;
  }
  // The rows of sheet `index`: those its shape's pass kept, else parsed anew.
  std::unique_ptr<SheetRowStream> rows(size_t index) {
    if (auto kept = takeRows(identity, index, header)) {
      try {
        return spooledRows(std::move(kept));
      } catch (const DataError&) {
        // the copy could not be completed on disk: parse the sheet again
      }
    }
    return book->openSheet(index);
  }

  void open() {
    identity = fileIdentity(path);
    book = openWorkbookFile(path);
    shapes.clear();
  }

  const std::vector<std::string>& sheetNames() const {
    static const std::vector<std::string> none;
    return book ? book->sheetNames() : none;
  }
  std::optional<size_t> find(const std::string& name) const {
    const auto& names = sheetNames();
    for (size_t i = 0; i < names.size(); ++i)
      if (equalsIgnoringCase(names[i], name)) return i;
    return std::nullopt;
  }
  size_t sheet(const std::string& table) const {
    if (!book) throw DataError("Excel workbook '" + path + "' does not exist.");
    if (auto i = find(sheetNameOf(table))) return *i;
    throw DataError("The Microsoft Jet database engine could not find the object '" + table +
                    "' in workbook '" + path +
                    "'. Make sure the object exists and that you spell its name and the path "
                    "name correctly.");
  }

  // Writes a new workbook beside the old one and renames it into place: every sheet is copied
  // row by row, the rows of `spool` go after the last row of sheet `target`, and `added`
  // becomes the last sheet. A failure leaves the old file as it was.
  void rewrite(std::optional<size_t> target, RowSpool* spool, const NewSheet* added) {
    try {
      FileReplacement file(path, "Excel workbook");
      file.closeFile();  // the writers open the file by name
      auto out = createWorkbookWriter(file.temporaryPath(), format);
      SheetRow row;
      for (size_t i = 0; i < sheetNames().size(); ++i) {
        out->beginSheet(sheetNames()[i]);
        auto in = book->openSheet(i);
        int64_t last = -1;
        while (in->next(row)) {
          out->writeRow(row);
          last = row.index;
        }
        if (target == i && spool) appendSpooled(*out, *spool, last);
      }
      if (added) {
        out->beginSheet(added->name);
        out->writeRow(added->header);
      }
      out->finish();
      out.reset();
      file.commit();
    } catch (const DataError&) {
      throw;
    } catch (const std::exception& e) {
      throw DataError("Excel workbook '" + path + "' cannot be written: " + e.what() +
                      "; the file is left as it was");
    }
    open();
  }

 private:
  // The spooled rows were numbered after the sheet's last row when the writer opened; should
  // the sheet have grown since, they move down below it.
  static void appendSpooled(WorkbookStreamWriter& out, RowSpool& spool, int64_t last) {
    spool.rewind();
    SheetRow row;
    int64_t shift = -1;
    while (spool.next(row)) {
      if (shift < 0) shift = std::max<int64_t>(0, last + 1 - int64_t(row.index));
      row.index += uint32_t(shift);
      if (!row.cells.empty()) out.writeRow(row);
    }
  }
};

class ExcelWriter : public RowWriter {
 public:
  ExcelWriter(std::shared_ptr<State> state, size_t sheet, uint32_t usedRows,
              std::vector<uint32_t> positions, std::vector<std::string> names)
      : m_state(std::move(state)),
        m_sheet(sheet),
        m_sheetName(m_state->sheetNames()[sheet]),
        m_positions(std::move(positions)),
        m_names(std::move(names)),
        m_next(usedRows),
        m_limits(limitsOf(m_state->format)) {}
  ~ExcelWriter() override {
    if (!m_finished) rollback();
  }

  void writeRow(const Value* values, size_t count) override {
    if (m_finished)
      throw DataError("The writer on sheet '" + m_sheetName + "' is already finished");
    if (m_next >= m_limits.rows)
      throw RowError(
          "Row " + std::to_string(m_next + 1) + " does not fit in sheet '" + m_sheetName + "': " +
          (m_state->format == WorkbookFormat::Xls ? "an Excel 97-2003 sheet holds 65,536 rows"
                                                  : "an Excel sheet holds 1,048,576 rows"));
    m_row.cells.clear();
    for (size_t i = 0; i < count && i < m_positions.size(); ++i) {
      Cell cell = toCell(values[i], i);
      if (cell.empty()) continue;
      if (m_positions[i] >= m_row.cells.size()) m_row.cells.resize(size_t(m_positions[i]) + 1);
      m_row.cells[m_positions[i]] = std::move(cell);
    }
    m_row.index = m_next;
    m_spool.append(m_row);
    ++m_next;
  }

  void commit() override {
    if (m_finished) return;
    try {
      m_state->rewrite(m_sheet, &m_spool, nullptr);
    } catch (...) {
      rollback();
      throw;
    }
    m_finished = true;
  }

  void rollback() override { m_finished = true; }

 private:
  Cell toCell(const Value& v, size_t i) {
    const std::string& column = m_names[i];
    switch (v.kind) {
      case ValueKind::Null:
        return {};
      case ValueKind::Boolean:
        return Cell::ofBoolean(v.boolean);
      case ValueKind::Integer:
        if (std::llabs(v.integer) <= (int64_t(1) << 53)) return Cell::ofNumber(double(v.integer));
        return Cell::ofText(toText(v));  // a double would change it
      case ValueKind::Double:
        if (!std::isfinite(v.real))
          throw RowError("Column '" + column + "': a spreadsheet cell cannot hold " + toText(v),
                         column, toText(v));
        return Cell::ofNumber(v.real);
      case ValueKind::Currency:
        return Cell::ofCurrency(double(v.currency) / 10000);
      case ValueKind::Date:
        return Cell::ofDate(v.real);
      case ValueKind::Decimal: {
        double d;
        if (parseDouble(v.text, d) && toText(Value::fromDouble(d)) == toText(v))
          return Cell::ofNumber(d);
        return Cell::ofText(toText(v));
      }
      default: {
        std::string text = toText(v);
        if (codePoints(text) > kMaxCellText)
          throw RowError("Column '" + column +
                             "': a cell holds at most 32,767 characters, the value has " +
                             std::to_string(codePoints(text)),
                         column, text.substr(0, 50));
        return Cell::ofText(std::move(text));
      }
    }
  }

  std::shared_ptr<State> m_state;
  size_t m_sheet;
  std::string m_sheetName;
  std::vector<uint32_t> m_positions;
  std::vector<std::string> m_names;  // the columns as openWriter was given them
  uint32_t m_next;
  SheetLimits m_limits;
  RowSpool m_spool;
  SheetRow m_row;
  bool m_finished = false;
};

class ExcelSource : public DataSource {
 public:
  explicit ExcelSource(std::shared_ptr<State> state) : m_state(std::move(state)) {}

  std::vector<TableInfo> tables() override {
    std::vector<TableInfo> out;
    for (const std::string& name : m_state->sheetNames()) out.push_back({name + "$", "TABLE"});
    return out;
  }

  std::vector<ColumnInfo> catalogColumns(const std::string& table) override {
    const size_t sheet = m_state->sheet(table);
    return m_state->shape(sheet, true).columns;
  }

  std::unique_ptr<RowReader> openCatalogTable(const std::string& table) override {
    const size_t sheet = m_state->sheet(table);
    SheetShape shape = m_state->shape(sheet, true);
    return openSheetReader(m_state->rows(sheet), std::move(shape), m_state->header);
  }

  // "Sheet1", "Sheet1$", "[Sheet1$]" and "`Sheet1`" all name the sheet Sheet1.
  std::string tableKey(const std::string& name) const override { return sheetNameOf(name); }
  std::string describe() const override { return "workbook '" + m_state->path + "'"; }

  // Queries run over the sheets' rows in SQLite, `SHEET1$` and [Sheet1$] alike.
  std::unique_ptr<RowReader> openQuery(const std::string& sql) override {
    return runQueryOver(*this, sql);
  }

  void execute(const std::string& sql) override {
    size_t start = sql.find_first_not_of(" \t\r\n");
    std::string verb = upper(sql.substr(start == std::string::npos ? 0 : start, 6));
    if (verb == "DELETE")
      throw DataError("Deleting data in a linked table is not supported by this ISAM. (table '" +
                      deleteTarget(sql) + "' in Excel workbook '" + m_state->path + "')");
    if (verb != "CREATE")
      throw DataError("An Excel workbook runs only CREATE TABLE statements; '" + m_state->path +
                      "' cannot run: " + sql);
    createSheet(parseCreateTable(sql));
  }

  std::unique_ptr<RowWriter> openWriter(const std::string& table,
                                        const std::vector<std::string>& columns) override {
    const size_t sheet = m_state->sheet(table);
    const std::string& sheetName = m_state->sheetNames()[sheet];
    std::vector<uint32_t> positions;
    // The columns are named as the schema gives them, numbers and dates in the header too.
    const SheetShape& shape = m_state->shape(sheet, false);
    const std::vector<ColumnInfo>& head = shape.columns;
    for (const std::string& name : columns) {
      uint32_t found = UINT32_MAX;
      for (uint32_t c = 0; c < head.size() && found == UINT32_MAX; ++c)
        if (equalsIgnoringCase(head[c].name, name)) found = c;
      if (found == UINT32_MAX) {
        // A sheet without header names its columns F1, F2…
        if (name.size() > 1 && (name[0] == 'F' || name[0] == 'f') &&
            name.find_first_not_of("0123456789", 1) == std::string::npos) {
          unsigned long n = std::stoul(name.substr(1));
          if (n >= 1 && n <= limitsOf(m_state->format).columns) found = uint32_t(n - 1);
        }
      }
      if (found == UINT32_MAX)
        throw DataError("Column '" + name + "' does not exist in sheet '" + sheetName +
                        "' of workbook '" + m_state->path + "'");
      positions.push_back(found);
    }
    return std::make_unique<ExcelWriter>(m_state, sheet, shape.usedRows, std::move(positions),
                                         columns);
  }

 private:
  void createSheet(const CreateTable& def) {
    std::string name = sheetNameOf(def.name);
    if (name.empty() || codePoints(name) > 31 ||
        name.find_first_of("[]:*?/\\") != std::string::npos)
      throw DataError(
          "'" + name +
          "' cannot name a sheet: a sheet name has 1 to 31 characters and none of [ ] : * ? / \\");
    if (m_state->find(name)) throw DataError("Table '" + name + "' already exists.");
    SheetLimits limits = limitsOf(m_state->format);
    if (def.columns.size() > limits.columns)
      throw DataError("Table '" + name + "' has " + std::to_string(def.columns.size()) +
                      " columns; a sheet of '" + m_state->path + "' holds at most " +
                      std::to_string(limits.columns));
    NewSheet sheet{name, {}};
    for (const std::string& column : def.columns)
      sheet.header.cells.push_back(Cell::ofText(column));
    m_state->rewrite(std::nullopt, nullptr, &sheet);
  }

  std::shared_ptr<State> m_state;
};

}  // namespace

std::unique_ptr<DataSource> openExcelWorkbook(const ConnectionProperties& properties) {
  auto state = std::make_shared<State>();
  state->path = properties.value("Data Source");
  if (state->path.empty())
    throw DataError("The Excel connection names no workbook (\"Data Source\" is empty)");
  state->format = formatForName(state->path);
  std::string extended = upper(properties.value("Extended Properties"));
  std::string compact;
  for (char c : extended)
    if (c != ' ') compact += c;
  state->header = compact.find("HDR=NO") == std::string::npos;
  struct stat st {};
  if (::stat(state->path.c_str(), &st) == 0) {
    if (S_ISDIR(st.st_mode))
      throw DataError("'" + state->path + "' is a folder, not an Excel workbook");
    state->open();
  }
  return std::make_unique<ExcelSource>(std::move(state));
}

}  // namespace kpx::data::excel
