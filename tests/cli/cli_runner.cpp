#include "cli/cli_runner.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <stdexcept>
#include <thread>

#include "support/test_support.h"

extern char** environ;

namespace tessaly::test {

std::vector<std::string> CliResult::lines() const {
  std::vector<std::string> out_lines;
  size_t start = 0;
  while (start < out.size()) {
    size_t end = out.find('\n', start);
    if (end == std::string::npos) end = out.size();
    out_lines.push_back(out.substr(start, end - start));
    start = end + 1;
  }
  return out_lines;
}

CliResult run_cli(const std::vector<std::string>& args, const CliOptions& options) {
  // A program that ends before reading all its input must not end the test with SIGPIPE.
  static const bool ignore_sigpipe = (std::signal(SIGPIPE, SIG_IGN), true);
  (void)ignore_sigpipe;
  TempFolder folder;
  std::string program_folder = options.program_folder.empty() ? folder.path() : options.program_folder;
  int in[2], out[2], err[2];
  if (::pipe(in) || ::pipe(out) || ::pipe(err)) throw std::runtime_error("pipe");
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, in[0], 0);
  posix_spawn_file_actions_adddup2(&actions, out[1], 1);
  posix_spawn_file_actions_adddup2(&actions, err[1], 2);
  for (int fd : {in[0], in[1], out[0], out[1], err[0], err[1]})
    posix_spawn_file_actions_addclose(&actions, fd);

  std::vector<std::string> argv_text = {TESSALY_CLI};
  argv_text.insert(argv_text.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (auto& a : argv_text) argv.push_back(a.data());
  argv.push_back(nullptr);
  // The test's environment, with the program folder of this run, no pacing file and none of the
  // program's other variables but those the options name.
  std::vector<std::string> env_text;
  for (char** e = environ; *e; ++e) {
    std::string entry = *e;
    if (entry.rfind("TESSALY_", 0) != 0) env_text.push_back(entry);
  }
  env_text.push_back("TESSALY_PROGRAM_FOLDER=" + program_folder);
  env_text.insert(env_text.end(), options.environment.begin(), options.environment.end());
  std::vector<char*> envp;
  for (auto& e : env_text) envp.push_back(e.data());
  envp.push_back(nullptr);

  pid_t pid = 0;
  int spawned = posix_spawn(&pid, TESSALY_CLI, &actions, nullptr, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  ::close(in[0]);
  ::close(out[1]);
  ::close(err[1]);
  if (spawned != 0) throw std::runtime_error("cannot start " TESSALY_CLI);

  // Standard input on its own thread, so a program that writes before it reads never blocks.
  std::thread feeder([fd = in[1], input = options.input] {
    size_t done = 0;
    while (done < input.size()) {
      ssize_t n = ::write(fd, input.data() + done, input.size() - done);
      if (n <= 0) break;
      done += static_cast<size_t>(n);
    }
    ::close(fd);
  });
  std::thread signaller;
  if (options.while_running) signaller = std::thread([&] { options.while_running(pid); });

  CliResult result;
  pollfd fds[2] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}};
  std::string* sinks[2] = {&result.out, &result.err};
  int open = 2;
  while (open > 0) {
    if (::poll(fds, 2, -1) < 0) break;
    for (int i = 0; i < 2; ++i) {
      if (fds[i].fd < 0 || !(fds[i].revents & (POLLIN | POLLHUP | POLLERR))) continue;
      char buf[65536];
      ssize_t n = ::read(fds[i].fd, buf, sizeof(buf));
      if (n > 0) {
        sinks[i]->append(buf, static_cast<size_t>(n));
      } else {
        ::close(fds[i].fd);
        fds[i].fd = -1;
        --open;
      }
    }
  }
  int wstatus = 0;
  ::waitpid(pid, &wstatus, 0);
  feeder.join();
  if (signaller.joinable()) signaller.join();
  result.status = WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : 128 + WTERMSIG(wstatus);
  return result;
}

CliOptions with_input(std::string bytes) {
  CliOptions options;
  options.input = std::move(bytes);
  return options;
}

CliOptions in_folder(std::string folder) {
  CliOptions options;
  options.program_folder = std::move(folder);
  return options;
}

EndpointsFile::EndpointsFile(const std::vector<std::pair<const char*, const fakes::FakeServer*>>& keys) {
  char name[] = "/tmp/tessaly-endpoints-XXXXXX";
  int fd = ::mkstemp(name);
  if (fd < 0) throw std::runtime_error("mkstemp");
  ::close(fd);
  path_ = name;
  std::ofstream file(path_);
  for (const auto& [key, server] : keys) file << key << " = " << server->base_url() << "\n";
}

EndpointsFile::~EndpointsFile() { std::remove(path_.c_str()); }

}  // namespace tessaly::test
