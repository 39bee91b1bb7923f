#include "platform/ui/open_url.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace glimmer {

bool LaunchDetached(const std::vector<std::string>& argv, std::string* error) {
  if (argv.empty() || argv[0].empty()) {
    if (error) *error = "no program to start";
    return false;
  }
  // Everything the children need is prepared before fork: after it only
  // async-signal-safe calls are made.
  std::vector<char*> args;
  for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
  args.push_back(nullptr);

  // The grandchild reports a failed exec through this pipe; a successful exec
  // closes it (close-on-exec) with nothing written.
  int report[2];
  if (pipe2(report, O_CLOEXEC) != 0) {
    if (error) *error = std::string("pipe: ") + std::strerror(errno);
    return false;
  }
  const pid_t child = fork();
  if (child < 0) {
    const int e = errno;
    close(report[0]);
    close(report[1]);
    if (error) *error = std::string("fork: ") + std::strerror(e);
    return false;
  }
  if (child == 0) {
    // The intermediate child exits at once, so the program is adopted by
    // init and never becomes our zombie.
    close(report[0]);
    setsid();
    const pid_t grandchild = fork();
    if (grandchild == 0) {
      execvp(args[0], args.data());
      const int e = errno;
      ssize_t ignored = write(report[1], &e, sizeof e);
      (void)ignored;
      _exit(127);
    }
    if (grandchild < 0) {
      const int e = errno;
      ssize_t ignored = write(report[1], &e, sizeof e);
      (void)ignored;
    }
    _exit(0);
  }
  close(report[1]);
  int status = 0;
  while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  int childErrno = 0;
  ssize_t got;
  do {
    got = read(report[0], &childErrno, sizeof childErrno);
  } while (got < 0 && errno == EINTR);
  close(report[0]);
  if (got == ssize_t(sizeof childErrno)) {
    if (error) *error = "cannot start " + argv[0] + ": " + std::strerror(childErrno);
    return false;
  }
  return true;
}

bool OpenInBrowser(const std::string& address, std::string* error) {
  return LaunchDetached({"xdg-open", address}, error);
}

}  // namespace glimmer
