// Put in front of the program with LD_PRELOAD, this makes poll() behave as
// on systems whose poll() does not serve terminal devices: any terminal in
// the set is answered at once with POLLNVAL. Other sets go to the real poll().
// When SIMEQ_PRELOAD_MARK names a file, loading creates it, so a test can
// tell that the library really was put in front.

// Fortified headers define poll() inline; this file defines the real one.
#undef _FORTIFY_SOURCE

#include <dlfcn.h>
#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <unistd.h>

namespace {

__attribute__((constructor)) void MarkLoaded() {
  if (const char* mark = ::getenv("SIMEQ_PRELOAD_MARK")) {
    ::close(::open(mark, O_WRONLY | O_CREAT | O_CLOEXEC, 0600));
  }
}

}  // namespace

extern "C" int poll(pollfd* fds, nfds_t count, int timeout) {
  int refused = 0;
  for (nfds_t i = 0; i < count; ++i) {
    fds[i].revents = fds[i].fd >= 0 && ::isatty(fds[i].fd) ? POLLNVAL : 0;
    if (fds[i].revents != 0) ++refused;
  }
  if (refused > 0) return refused;
  using Poll = int (*)(pollfd*, nfds_t, int);
  static const auto real_poll = reinterpret_cast<Poll>(::dlsym(RTLD_NEXT, "poll"));
  return real_poll(fds, count, timeout);
}

// The name a program built with _FORTIFY_SOURCE calls poll() by.
extern "C" int __poll_chk(pollfd* fds, nfds_t count, int timeout, size_t) {
  return poll(fds, count, timeout);
}
