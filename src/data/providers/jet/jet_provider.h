// "Microsoft.Jet.OLEDB.4.0": opens what a Jet connection names. "Extended Properties" of
// "Excel x.0" or "HTML Import" go to the Excel and HTML readers; any other file is told
// apart by its first bytes: a SQLite database (read and write) or a Microsoft Access
// .mdb/.accdb file (read through mdbtools).
#pragma once
#include <functional>
#include <memory>
#include <string>

#include "data/providers/provider.h"

namespace kpx::data {

class JetProvider : public Provider {
 public:
  using Opener = std::function<std::unique_ptr<DataSource>(const ConnectionProperties&)>;
  static constexpr const char* kName = "Microsoft.Jet.OLEDB.4.0";

  std::string name() const override { return kName; }
  // "Mode" 1 opens read-only; other modes (or none) read and write where the file allows.
  std::unique_ptr<DataSource> open(const ConnectionProperties& properties) override;

  // The readers of Excel workbooks and HTML files, installed by the registry.
  void setExcelOpener(Opener opener) { m_excel = std::move(opener); }
  void setHtmlOpener(Opener opener) { m_html = std::move(opener); }

 private:
  Opener m_excel;
  Opener m_html;
};

// Creates a new, empty database at `path` that this provider opens for reading and
// writing (a SQLite database); DataError when the file exists already or cannot be made.
void createJetDatabase(const std::string& path);

}  // namespace kpx::data
