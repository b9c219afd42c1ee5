#include "data/providers/sqlserver/dblib_session.h"

#define MSDBLIB 1
#include <sybdb.h>
#include <sybfront.h>

#include <cstdlib>
#include <mutex>

#include "data/providers/provider.h"

namespace kpx::data {
namespace {

// What db-lib and the server said, per connection; `pending` catches what comes before a
// connection exists (a login the server refuses).
struct Messages {
  std::string errors;
};
thread_local Messages pending;

Messages& messagesOf(DBPROCESS* db) {
  if (db) {
    if (auto* own = reinterpret_cast<Messages*>(dbgetuserdata(db))) return *own;
  }
  return pending;
}

void note(Messages& m, const std::string& text) {
  if (!m.errors.empty()) m.errors += "; ";
  m.errors += text;
}

int onError(DBPROCESS* db, int, int number, int, char* text, char* osText) {
  // "Check messages from the SQL Server": the server's own message says more.
  if (number == SYBESMSG) return INT_CANCEL;
  std::string message = text ? text : "unknown db-lib error";
  if (osText && *osText) message += std::string(" (") + osText + ")";
  note(messagesOf(db), message);
  return INT_CANCEL;
}

int onMessage(DBPROCESS* db, DBINT number, int, int severity, char* text, char*, char*, int) {
  // Severity 10 and below are information (a changed database or language).
  if (severity > 10) {
    note(messagesOf(db), "Msg " + std::to_string(number) + ": " + (text ? text : ""));
  }
  return 0;
}

void initialise() {
  static std::once_flag once;
  std::call_once(once, [] {
    if (dbinit() == FAIL) throw DataError("The FreeTDS client library cannot start");
    dberrhandle(onError);
    dbmsghandle(onMessage);
    dbsetlogintime(10);
  });
}

}  // namespace

DbSession::DbSession(const SqlServerLogin& login)
    : m_where("'" + login.server + "', database '" + login.database + "'") {
  initialise();
  LOGINREC* rec = dblogin();
  if (!rec) throw DataError("Cannot prepare a login to SQL Server " + m_where);
  // No user and no password is what makes FreeTDS log in with the Kerberos ticket.
  if (!login.integrated) {
    DBSETLUSER(rec, login.user.c_str());
    DBSETLPWD(rec, login.password.c_str());
  }
  DBSETLAPP(rec, "kpxwizard");
  DBSETLCHARSET(rec, "UTF-8");
  DBSETLUTF16(rec, TRUE);
  DBSETLVERSION(rec, DBVERSION_74);
  if (!login.database.empty()) DBSETLDBNAME(rec, login.database.c_str());
  pending.errors.clear();
  m_db = dbopen(rec, login.server.c_str());
  dbloginfree(rec);
  if (!m_db) {
    const std::string reason = pending.errors.empty() ? "no answer" : pending.errors;
    pending.errors.clear();
    throw DataError("Cannot connect to SQL Server " + m_where + ": " + reason);
  }
  dbsetuserdata(m_db, reinterpret_cast<BYTE*>(new Messages));
}

DbSession::~DbSession() {
  if (!m_db) return;
  delete reinterpret_cast<Messages*>(dbgetuserdata(m_db));
  dbsetuserdata(m_db, nullptr);
  dbclose(m_db);
}

int DbSession::columnCount() const {
  return dbnumcols(m_db);
}

bool DbSession::dead() const {
  return DBDEAD(m_db);
}

std::string DbSession::lastError() const {
  return messagesOf(m_db).errors;
}

void DbSession::failIfError(const std::string& what) {
  std::string errors = lastError();
  if (errors.empty() && !dead()) return;
  if (dead())
    errors = "the connection to the server was lost" + (errors.empty() ? "" : ": " + errors);
  throw DataError(what + " on SQL Server " + m_where + " failed: " + errors);
}

void DbSession::send(const std::string& sql, const std::vector<SqlParameter>& parameters) {
  messagesOf(m_db).errors.clear();
  if (dead()) failIfError("Sending a statement");
  if (m_unread) dbcancel(m_db);  // what an earlier statement left unread
  m_unread = true;
  RETCODE rc;
  if (parameters.empty()) {
    rc = dbcmd(m_db, sql.c_str());
    if (rc != FAIL) rc = dbsqlexec(m_db);
  } else {
    std::string declarations;
    for (const auto& p : parameters) {
      if (!declarations.empty()) declarations += ", ";
      declarations += p.declaration;
    }
    auto text = [&](const char* name, const std::string& value) {
      return dbrpcparam(m_db, name, 0, SYBVARCHAR, -1, static_cast<DBINT>(value.size()),
                        reinterpret_cast<BYTE*>(const_cast<char*>(value.data())));
    };
    rc = dbrpcinit(m_db, "sp_executesql", 0);
    if (rc != FAIL) rc = text("@stmt", sql);
    if (rc != FAIL) rc = text("@params", declarations);
    for (size_t i = 0; rc != FAIL && i < parameters.size(); ++i) {
      const SqlParameter& p = parameters[i];
      const std::string name = p.declaration.substr(0, p.declaration.find(' '));
      const bool fixed = p.type != SYBVARCHAR && p.type != SYBVARBINARY;
      const DBINT length = p.null ? 0 : fixed ? -1 : static_cast<DBINT>(p.bytes.size());
      rc =
          dbrpcparam(m_db, name.c_str(), 0, p.type, -1, length,
                     p.null ? nullptr : reinterpret_cast<BYTE*>(const_cast<char*>(p.bytes.data())));
    }
    if (rc != FAIL) rc = dbrpcsend(m_db);
    if (rc != FAIL) rc = dbsqlok(m_db);
  }
  if (rc == FAIL && lastError().empty() && !dead()) {
    messagesOf(m_db).errors = "the statement was refused";
  }
  failIfError("Running '" + sql.substr(0, 200) + "'");
}

bool DbSession::nextResult() {
  const RETCODE rc = dbresults(m_db);
  if (rc == NO_MORE_RESULTS) {
    m_unread = false;
    return false;
  }
  failIfError("Reading a result");
  return rc != FAIL;
}

bool DbSession::nextRow() {
  const STATUS rc = dbnextrow(m_db);
  if (rc == NO_MORE_ROWS) return false;
  if (rc == FAIL) {
    if (lastError().empty()) messagesOf(m_db).errors = "a row could not be read";
    failIfError("Reading a row");
  }
  return true;
}

void DbSession::run(const std::string& sql, const std::vector<SqlParameter>& parameters) {
  send(sql, parameters);
  while (nextResult()) {
    while (nextRow()) {
    }
  }
  failIfError("Running '" + sql.substr(0, 200) + "'");
}

}  // namespace kpx::data
