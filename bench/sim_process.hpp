#pragma once
// Runs the simulated marketplace in a child process, so that the benchmark's own CPU
// and memory figures hold only the client's work.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "bench_clock.hpp"
#include "sim_server.hpp"

namespace tessaly::bench {

class SimProcess {
 public:
  // Forks before the caller starts any thread; the child serves until destroyed.
  explicit SimProcess(const sim::SimOptions& options) {
    int fds[2];
    if (::pipe(fds) != 0) std::abort();
    child_ = ::fork();
    if (child_ == 0) {
      ::close(fds[0]);
      sigset_t set;
      sigemptyset(&set);
      sigaddset(&set, SIGTERM);
      pthread_sigmask(SIG_BLOCK, &set, nullptr);
      sim::SimServer server(options);
      const int port = server.start() ? server.port() : 0;
      if (::write(fds[1], &port, sizeof port) != sizeof port) std::_Exit(1);
      int signal = 0;
      sigwait(&set, &signal);
      server.stop();
      std::_Exit(0);
    }
    ::close(fds[1]);
    if (::read(fds[0], &port_, sizeof port_) != sizeof port_ || port_ == 0) {
      std::fprintf(stderr, "simulator did not start\n");
      std::exit(1);
    }
    ::close(fds[0]);
  }
  ~SimProcess() {
    ::kill(child_, SIGTERM);
    ::waitpid(child_, nullptr, 0);
  }
  int port() const { return port_; }
  std::string host(const std::string& name) const { return name + ".localhost:" + std::to_string(port_); }

 private:
  pid_t child_ = -1;
  int port_ = 0;
};

}  // namespace tessaly::bench
