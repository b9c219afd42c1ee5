// Drops a SQL Server table that a command created when the command does not finish its
// transfer: a server has no file to remove, so a failed or stopped run would otherwise leave a
// new, empty table behind.
#pragma once
#include <memory>

#include "kpxwizard/connection.h"

namespace kpx::cli {

class CreatedTableGuard {
 public:
  // `destination` is a SQL Server connection whose table this command has just created, or
  // null when there is nothing to guard.
  explicit CreatedTableGuard(std::shared_ptr<clsConnection> destination);
  ~CreatedTableGuard();
  CreatedTableGuard(const CreatedTableGuard&) = delete;
  CreatedTableGuard& operator=(const CreatedTableGuard&) = delete;
  // The transfer finished: the table stays.
  void keep() const { m_kept = true; }

 private:
  std::shared_ptr<clsConnection> m_destination;
  mutable bool m_kept = false;
};

}  // namespace kpx::cli
