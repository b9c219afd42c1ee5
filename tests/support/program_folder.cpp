#include "support/program_folder.h"

#include "support/command_output.h"

namespace kpx::test {

ProgramFolder::ProgramFolder() {
  std::filesystem::create_directories(dir / "logs");
  scratch.write("people.csv",
                "Id,Name,City\r\n1,Anna,Milano\r\n2,\"Bruno, Jr\",Zürich\r\n3,Carla,\r\n");
}

ProgramRun ProgramFolder::copy(std::string arguments, const std::string& prefix) const {
  if (arguments.find("--log-dir") == std::string::npos) arguments += " --log-dir logs";
  return kpxwizard("copy " + arguments, prefix);
}

std::string ProgramFolder::sql(const std::string& name, const std::string& statement) const {
  return sqliteOutput(path(name), statement);
}

std::string ProgramFolder::csvRows(const std::string& name, const std::string& delimiter) const {
  return pythonCsvRows(path(name), delimiter);
}

}  // namespace kpx::test
