// One open db-lib connection to a SQL Server: login, statements sent as batches or as
// sp_executesql calls with bound parameters, and the server's messages kept for errors.
#pragma once
#include <memory>
#include <string>
#include <vector>

struct tds_dblib_dbprocess;

namespace kpx::data {

struct SqlServerLogin {
  std::string server;  // as FreeTDS opens it: "host", "host\instance", "host:port"
  std::string database;
  std::string user;
  std::string password;
  bool integrated = false;  // Kerberos login in place of a user and password
};

// A parameter sent with a statement: its declaration ("@P1 int"), its db-lib type and
// value bytes (none for NULL).
struct SqlParameter {
  std::string declaration;
  int type = 0;
  std::string bytes;
  bool null = true;
};

class DbSession {
 public:
  // Logs in; DataError naming the server and database with the server's reason.
  explicit DbSession(const SqlServerLogin& login);
  ~DbSession();
  DbSession(const DbSession&) = delete;
  DbSession& operator=(const DbSession&) = delete;

  // Sends one statement; with parameters it is run through sp_executesql. Results are then
  // read with nextResult / nextRow. DataError with the server's message when it fails.
  void send(const std::string& sql, const std::vector<SqlParameter>& parameters = {});
  // Moves to the next result set of the statement sent; false when there is none.
  bool nextResult();
  // Moves to the next row of the current result set; false at its end.
  bool nextRow();
  // Sends one statement and reads every result it gives.
  void run(const std::string& sql, const std::vector<SqlParameter>& parameters = {});

  tds_dblib_dbprocess* handle() const { return m_db; }
  // Columns of the current result set.
  int columnCount() const;
  // Whether the connection to the server is gone.
  bool dead() const;
  // "'S', database 'D'", for messages after "SQL Server".
  const std::string& where() const { return m_where; }
  // The server's error messages since the last send, or db-lib's own.
  std::string lastError() const;

 private:
  void failIfError(const std::string& what);

  tds_dblib_dbprocess* m_db = nullptr;
  bool m_unread = false;  // a statement sent whose results were not all read
  std::string m_where;
};

}  // namespace kpx::data
