// Opening a file with its associated program: xdg-open stands in for the platform's "Open"
// verb, and its outcome is mapped onto the answers that verb gives.
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>

#include "config/mod_ini_api.h"
#include "kpxwizard/enums.h"
#include "kpxwizard/messages.h"

extern char** environ;

namespace kpx::modINIApi {
namespace {

constexpr int32_t kStarted = 33;  // any answer above 32 means the program was started
constexpr int32_t kFileNotFound = 2;
constexpr int32_t kAccessDenied = 5;
constexpr int32_t kOutOfMemory = 8;
constexpr int32_t kNoAssociation = 31;
constexpr int32_t kUnknown = 0;

// Runs xdg-open in the background and waits at most three seconds for its verdict: a desktop
// that opens the file in a blocking program is taken as a success, and the shell that waits is
// the only child of ours, so nothing is left behind when it returns.
constexpr const char* kOpenScript =
    "xdg-open \"$1\" </dev/null >/dev/null 2>&1 & p=$!\n"
    "i=0\n"
    "while kill -0 \"$p\" 2>/dev/null; do\n"
    "  [ \"$i\" -ge 30 ] && exit 0\n"
    "  sleep 0.1; i=$((i+1))\n"
    "done\n"
    "wait \"$p\"\n";

// xdg-open's exit status: 0 done, 1 bad arguments, 2 file missing, 3 no tool to open it,
// 4 the open failed; 127 when xdg-open itself is missing.
int32_t answerOfExitStatus(int status) {
  switch (status) {
    case 0:
      return kStarted;
    case 2:
      return kFileNotFound;
    case 3:
    case 4:
    case 127:
      return kNoAssociation;
    default:
      return kUnknown;
  }
}

int32_t launchWithXdgOpen(const std::string& path, int16_t /*showMode*/) {
  const char* argv[] = {"sh", "-c", kOpenScript, "kpxwizard-open", path.c_str(), nullptr};
  pid_t pid = 0;
  int rc = posix_spawn(&pid, "/bin/sh", nullptr, nullptr, const_cast<char* const*>(argv), environ);
  if (rc != 0) return rc == ENOMEM ? kOutOfMemory : kUnknown;
  int status = 0;
  while (waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) return kUnknown;
  }
  return WIFEXITED(status) ? answerOfExitStatus(WEXITSTATUS(status)) : kUnknown;
}

ShellLauncher& launcherSlot() {
  static ShellLauncher launcher = launchWithXdgOpen;
  return launcher;
}

}  // namespace

void setShellLauncher(ShellLauncher launcher) {
  launcherSlot() = launcher ? std::move(launcher) : ShellLauncher(launchWithXdgOpen);
}

std::string ShellErrorText(int32_t answer) {
  switch (answer) {
    case 2:
      return "File not found.";
    case 3:
      return "Path not found.";
    case 5:
      return "Access denied.";
    case 8:
      return "Out of memory.";
    case 11:
      return "Invalid EXE file or error in EXE image.";
    case 26:
      return "A sharing violation occurred.";
    case 27:
      return "Incomplete or invalid file association.";
    case 28:
      return "DDE Time out.";
    case 29:
      return "DDE transaction failed.";
    case 30:
      return "DDE busy.";
    case 31:
      return "No association for file extension.";
    case 32:
      return "DLL not found.";
    default:
      return "Unknown error.";
  }
}

void OpenWithShell(intptr_t /*ownerWindow*/, const std::string& path, int16_t showMode) {
  std::error_code ec;
  int32_t answer = kFileNotFound;
  if (!path.empty() && std::filesystem::exists(path, ec))
    answer = access(path.c_str(), R_OK) == 0 ? launcherSlot()(path, showMode) : kAccessDenied;
  if (answer <= 32) ShowMessage(ShellErrorText(answer), vbCritical);
}

}  // namespace kpx::modINIApi
