#include "data/providers/sqlite/busy_wait.h"

#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <thread>

namespace kpx::data {
namespace {

using Clock = std::chrono::steady_clock;

// Where SQLite takes its locks in the database file (the pending, reserved and shared bytes).
constexpr off_t kLockBytesStart = 0x40000000;
constexpr off_t kLockBytesLength = 512;

struct WaitState {
  std::string path;
  Clock::time_point started;
  Clock::time_point lastReport;
};

// The process holding a lock that conflicts with a write lock on SQLite's lock bytes.
long lockHolder(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return 0;
  struct flock probe {};
  probe.l_type = F_WRLCK;
  probe.l_whence = SEEK_SET;
  probe.l_start = kLockBytesStart;
  probe.l_len = kLockBytesLength;
  long pid = 0;
  if (::fcntl(fd, F_GETLK, &probe) == 0 && probe.l_type != F_UNLCK) pid = probe.l_pid;
  ::close(fd);
  return pid;
}

int waitStep(void* context, int count) {
  auto& state = *static_cast<WaitState*>(context);
  const BusyWaitSettings& settings = busyWaitSettings();
  const auto now = Clock::now();
  if (count == 0) {
    // Locks held for a moment are common and not worth a line: the first report comes after
    // half a second of waiting, then one a second.
    state.started = now;
    state.lastReport = now - std::chrono::milliseconds(500);
  }
  const double waited = std::chrono::duration<double>(now - state.started).count();
  const double limit = settings.timeoutMilliseconds / 1000.0;
  if (waited >= limit) return 0;
  if (settings.onWait && now - state.lastReport >= std::chrono::seconds(1)) {
    state.lastReport = now;
    if (!settings.onWait(BusyWait{state.path, lockHolder(state.path), waited, limit})) return 0;
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  return 1;
}

}  // namespace

BusyWaitSettings& busyWaitSettings() {
  static BusyWaitSettings settings;
  return settings;
}

std::shared_ptr<void> installBusyWait(sqlite3* db, const std::string& path) {
  auto state = std::make_shared<WaitState>();
  state->path = path;
  sqlite3_busy_handler(db, waitStep, state.get());
  return state;
}

std::string lockedDatabaseMessage(sqlite3* db) {
  if ((sqlite3_errcode(db) & 0xff) != SQLITE_BUSY) return {};
  const char* file = sqlite3_db_filename(db, "main");
  return "the database '" + std::string(file ? file : "") +
         "' stayed locked by another program for longer than " +
         std::to_string(busyWaitSettings().timeoutMilliseconds / 1000) +
         " s, and nothing was written";
}

}  // namespace kpx::data
