// Waiting for a database another program has locked: a bounded wait, retried in small steps,
// during which whoever drives the run is told what it waits for and may stop waiting.
#pragma once
#include <sqlite3.h>

#include <functional>
#include <memory>
#include <string>

namespace kpx::data {

// One moment of a wait, as reported to the waiting callback.
struct BusyWait {
  std::string database;  // the file that is locked
  long holder = 0;       // the process that holds the lock, 0 when it cannot be told
  double waitedSeconds = 0;
  double limitSeconds = 0;
};

struct BusyWaitSettings {
  int timeoutMilliseconds = 10000;
  // Called after half a second of waiting, then about once a second; returning false gives
  // up at once.
  std::function<bool(const BusyWait&)> onWait;
};
// Module-wide: read by every database opened afterwards.
BusyWaitSettings& busyWaitSettings();

// Installs the bounded wait on `db`; the returned object must live as long as the connection.
std::shared_ptr<void> installBusyWait(sqlite3* db, const std::string& path);

// Whether the last failure on `db` was a lock that did not go away; then `text` is a message
// naming the database, else "".
std::string lockedDatabaseMessage(sqlite3* db);

}  // namespace kpx::data
