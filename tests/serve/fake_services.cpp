// The fake search service as a program of its own, for trying an installed tessaly-cli by hand
// or in a fresh system (scripts/test-package.sh): it listens on 127.0.0.1, writes an endpoints
// file that points the search key at itself, and answers until its standard input closes or it
// gets SIGINT / SIGTERM. Inclusion counts: a.com, b.com and c.net; every other domain has none.
//
//   fake_services /tmp/endpoints.conf < /dev/null &   # or: sleep 600 | fake_services FILE
//   tessaly-cli inclusion --endpoints /tmp/endpoints.conf --format jsonl <<< a.com
#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <thread>

#include "fakes/baidu_search.h"
#include "fakes/fake_server.h"

using namespace tessaly::fakes;

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: fake_services ENDPOINTS_FILE\n");
    return 2;
  }
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, SIGINT);
  sigaddset(&set, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &set, nullptr);  // the server's threads too: only sigwait sees them

  FakeServer server;
  FakeBaiduSearch baidu(server);
  baidu.set_site("a.com", {"1,234", "5", "12", "890"});
  baidu.set_site("b.com", {"7", "0", "1", "3"});
  baidu.set_site("c.net", {"100,000,000", "2,000", "9,999", "45"});
  {
    std::ofstream file(argv[1]);
    file << "BAIDU_WEB_SEARCH = " << server.base_url() << "\n";
    if (!file) {
      std::fprintf(stderr, "fake_services: cannot write %s\n", argv[1]);
      return 1;
    }
  }
  std::printf("fake_services: listening on %s (endpoints in %s)\n", server.base_url().c_str(), argv[1]);
  std::fflush(stdout);

  // Standard input closing ends the program like a signal does.
  std::thread reader([] {
    char buf[256];
    while (::read(STDIN_FILENO, buf, sizeof(buf)) > 0) {
    }
    ::kill(::getpid(), SIGTERM);
  });
  reader.detach();
  int signal = 0;
  sigwait(&set, &signal);
  std::printf("fake_services: %zu requests answered\n", server.requests().size());
  return 0;
}
