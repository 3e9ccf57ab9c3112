#pragma once
// Runs the real tessaly-cli program: arguments, bytes on its standard input, and what it wrote
// to standard output and standard error with its exit status. The fake services run in the
// test's own process; an endpoints file points the program at them.
#include <chrono>
#include <functional>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "fakes/fake_server.h"

namespace tessaly::test {

struct CliResult {
  int status = -1;  // exit status (128 + signal when killed)
  std::string out, err;
  // The standard output's lines (UTF-8 text, LF).
  std::vector<std::string> lines() const;
};

struct CliOptions {
  std::string input;                     // bytes on standard input
  std::string program_folder;            // TESSALY_PROGRAM_FOLDER ("" = a fresh empty folder)
  std::vector<std::string> environment;  // further "NAME=value" entries of its environment
  // Called once the program runs (to signal it); returns when it has done its part.
  std::function<void(int pid)> while_running;
};

// Options with only the input, or only the program folder, set.
CliOptions with_input(std::string bytes);
CliOptions in_folder(std::string folder);

CliResult run_cli(const std::vector<std::string>& args, const CliOptions& options = {});

// An endpoints file that points each key at its server ("KEY = http://127.0.0.1:port" lines),
// removed with the object.
class EndpointsFile {
 public:
  EndpointsFile(std::initializer_list<std::pair<const char*, const fakes::FakeServer*>> keys)
      : EndpointsFile(std::vector<std::pair<const char*, const fakes::FakeServer*>>(keys)) {}
  explicit EndpointsFile(const std::vector<std::pair<const char*, const fakes::FakeServer*>>& keys);
  ~EndpointsFile();
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

}  // namespace tessaly::test
