#pragma once
// Makes writes fail part way, as a full disk does, whoever runs the test (root
// too): while it lives, this process may not grow a file beyond Bytes, and the
// signal for going over is ignored so that the write reports the failure.
#include <signal.h>
#include <sys/resource.h>

class TFileSizeLimit {
public:
  explicit TFileSizeLimit(rlim_t Bytes) {
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    sigaction(SIGXFSZ, &ignore, &FPreviousAction);
    getrlimit(RLIMIT_FSIZE, &FSaved);
    rlimit small = FSaved;
    small.rlim_cur = Bytes;
    setrlimit(RLIMIT_FSIZE, &small);
  }
  ~TFileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &FSaved);
    sigaction(SIGXFSZ, &FPreviousAction, nullptr);
  }
  TFileSizeLimit(const TFileSizeLimit&) = delete;
  TFileSizeLimit& operator=(const TFileSizeLimit&) = delete;

private:
  struct sigaction FPreviousAction {};
  rlimit FSaved{};
};
