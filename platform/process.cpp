// Detached program start: fork an intermediate child that starts the program with
// posix_spawnp in a new session and exits at once; the caller reaps only the intermediate,
// which reports the spawn result and the program's id through a pipe.
#include "process.h"

#include "window.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

extern char** environ;

namespace zunt::platform {

int start_program(const char* command_line, uint32_t, uint32_t* pid_out) noexcept {
  if (command_line == nullptr) return EINVAL;
  size_t len = std::strlen(command_line);
  if (len > 1023) return E2BIG;
  char buf[1024];
  std::memcpy(buf, command_line, len + 1);
  char* argv[16];
  int argc = 0;
  for (char* p = buf; *p != '\0';) {
    while (*p == ' ' || *p == '\t') *p++ = '\0';
    if (*p == '\0') break;
    if (argc == 15) return E2BIG;
    argv[argc++] = p;
    while (*p != '\0' && *p != ' ' && *p != '\t') ++p;
  }
  if (argc == 0) return EINVAL;
  argv[argc] = nullptr;

  int fds[2];
  if (pipe2(fds, O_CLOEXEC) != 0) return errno;
  pid_t mid = fork();
  if (mid < 0) {
    int e = errno;
    close(fds[0]);
    close(fds[1]);
    return e;
  }
  if (mid == 0) {
    // Intermediate child: only async-signal-safe work and posix_spawnp, then _exit.
    posix_spawn_file_actions_t fa;
    posix_spawnattr_t at;
    int32_t result[2] = {0, 0};
    if (posix_spawn_file_actions_init(&fa) != 0 || posix_spawnattr_init(&at) != 0) {
      result[0] = ENOMEM;
    } else {
      posix_spawn_file_actions_addopen(&fa, 0, "/dev/null", O_RDONLY, 0);
      posix_spawn_file_actions_addopen(&fa, 1, "/dev/null", O_WRONLY, 0);
      posix_spawn_file_actions_addopen(&fa, 2, "/dev/null", O_WRONLY, 0);
      posix_spawnattr_setflags(&at, POSIX_SPAWN_SETSID);
      pid_t child = 0;
      result[0] = posix_spawnp(&child, argv[0], &fa, &at, argv, environ);
      result[1] = static_cast<int32_t>(child);
    }
    ssize_t w = write(fds[1], result, sizeof result);
    _exit(w == static_cast<ssize_t>(sizeof result) ? 0 : 1);
  }
  close(fds[1]);
  int32_t result[2] = {EIO, 0};
  ssize_t n;
  do {
    n = read(fds[0], result, sizeof result);
  } while (n < 0 && errno == EINTR);
  close(fds[0]);
  int status = 0;
  while (waitpid(mid, &status, 0) < 0 && errno == EINTR) {
  }
  if (n != static_cast<ssize_t>(sizeof result)) return EIO;
  if (result[0] == 0 && pid_out != nullptr) *pid_out = static_cast<uint32_t>(result[1]);
  return result[0];
}

bool program_running(uint32_t pid) noexcept { return detail::process_start(pid) != 0; }

}  // namespace zunt::platform
