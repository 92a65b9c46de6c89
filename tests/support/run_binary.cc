#include "support/run_binary.h"

#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <sstream>
#include <stdexcept>

namespace simeq::testing {
namespace {

// An unlinked temporary file holding `content`, rewound to its start.
int TemporaryFileWith(const std::string& content) {
  char name[] = "/tmp/simeq-test-XXXXXX";
  const int fd = ::mkstemp(name);
  if (fd < 0) throw std::runtime_error("mkstemp failed");
  ::unlink(name);
  std::size_t done = 0;
  while (done < content.size()) {
    const ssize_t n = ::write(fd, content.data() + done, content.size() - done);
    if (n <= 0) throw std::runtime_error("write to temporary file failed");
    done += static_cast<std::size_t>(n);
  }
  ::lseek(fd, 0, SEEK_SET);
  return fd;
}

std::string ReadAll(int fd) {
  std::string data;
  ::lseek(fd, 0, SEEK_SET);
  char buffer[65536];
  ssize_t n;
  while ((n = ::read(fd, buffer, sizeof buffer)) > 0) {
    data.append(buffer, static_cast<std::size_t>(n));
  }
  return data;
}

}  // namespace

RunResult RunWithoutTerminal(const std::string& binary, const std::string& input,
                             int timeout_seconds) {
  const int in = TemporaryFileWith(input);
  const int out = TemporaryFileWith("");
  const int err = TemporaryFileWith("");
  const pid_t child = ::fork();
  if (child < 0) throw std::runtime_error("fork failed");
  if (child == 0) {
    ::setsid();  // no controlling terminal: the key wait returns at once
    ::dup2(in, STDIN_FILENO);
    ::dup2(out, STDOUT_FILENO);
    ::dup2(err, STDERR_FILENO);
    ::alarm(static_cast<unsigned>(timeout_seconds));  // survives exec: SIGALRM
    ::execl(binary.c_str(), binary.c_str(), static_cast<char*>(nullptr));
    ::_exit(127);
  }
  int wait_status = 0;
  while (::waitpid(child, &wait_status, 0) < 0) {
  }
  RunResult result;
  result.out = ReadAll(out);
  result.err = ReadAll(err);
  result.status = WIFEXITED(wait_status) ? WEXITSTATUS(wait_status) : 128 + WTERMSIG(wait_status);
  ::close(in);
  ::close(out);
  ::close(err);
  return result;
}

std::string ReadFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) throw std::runtime_error("cannot read " + path);
  std::ostringstream data;
  data << file.rdbuf();
  return data.str();
}

}  // namespace simeq::testing
