// tessaly-cli: the workbench's tools without a window, for scheduled runs. One subcommand per
// tool; each runs the tool's plain part as one job (Ctrl-C stops it at its next checkpoint).
// Exit status: 0 done, 1 some items failed (standard error says which), 2 bad usage, 130
// stopped by Ctrl-C or SIGTERM.
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "cli/command.h"
#include "core/http/endpoints.h"
#include "core/http/pacing.h"
#include "core/text/charset.h"
#include "core/text/files.h"
#include "core/version.h"

using namespace tessaly;
using namespace tessaly::cli;

namespace {

constexpr int kDone = 0, kItemsFailed = 1, kUsage = 2, kStopped = 130;

const std::vector<Option> kCommonOptions = {
    {"format", "text|csv|jsonl", "output: the tool's own lines (default), or CSV / JSON lines in UTF-8"},
    {"encoding", "utf8|gbk", "text output: UTF-8 with LF (default), or GBK with CR LF (the program's files)"},
    {"program-folder", "DIR", "the working folder (default: ~/.local/share/Tessaly when installed)"},
    {"help", nullptr, "this help"},
};
const std::vector<Option> kNetworkOptions = {
    {"endpoints", "FILE", "lines KEY = scheme://host[:port] pointing services elsewhere"},
    {"rate", "N", "at most N requests a second to any one host (default: no limit)"},
    {"retries", "N", "retries after HTTP 429 or 503, honouring Retry-After (default 3)"},
};

std::vector<Command> all_commands() {
  std::vector<Command> commands;
  add_research_commands(commands);
  add_domain_commands(commands);
  add_content_commands(commands);
  return commands;
}

void print_options(const std::vector<Option>& options) {
  for (const Option& o : options) {
    std::string left = std::string("  --") + o.name + (o.value_name ? std::string(" ") + o.value_name : "");
    std::printf("%-28s %s\n", left.c_str(), o.help);
  }
}

void print_usage(const std::vector<Command>& commands) {
  std::printf(
      "Usage: tessaly-cli COMMAND [OPTIONS] [FILE...]\n"
      "The workbench's tools without a window. Input lines come from the files (\"-\" is standard\n"
      "input) or from standard input, GBK or UTF-8.\n");
  std::string group;
  for (const Command& c : commands) {
    if (group != c.group) {
      group = c.group;
      std::printf("\n%s:\n", c.group);
    }
    std::printf("  %-16s %s\n", c.name, c.summary);
  }
  std::printf(
      "\n'tessaly-cli COMMAND --help' lists a command's options.\n"
      "Exit status: 0 done, 1 some items failed (listed on standard error), 2 bad usage,\n"
      "130 stopped (Ctrl-C).\n");
}

void print_command_help(const Command& c) {
  std::printf("Usage: tessaly-cli %s [OPTIONS]%s\n%s\n\nOptions:\n", c.name,
              c.reads_input ? " [FILE...]" : "", c.summary);
  print_options(c.options);
  if (c.network) print_options(kNetworkOptions);
  print_options(kCommonOptions);
}

int usage_error(const std::string& command, const std::string& message) {
  std::fprintf(stderr, "tessaly-cli%s%s: %s\nTry 'tessaly-cli %s--help'.\n", command.empty() ? "" : " ",
               command.c_str(), message.c_str(), command.empty() ? "" : (command + " ").c_str());
  return kUsage;
}

// Turns SIGINT and SIGTERM into a stop request of the job; a second one ends the program at once.
class StopOnSignal {
 public:
  explicit StopOnSignal(Job& job) : job_(job) {
    sigemptyset(&set_);
    sigaddset(&set_, SIGINT);
    sigaddset(&set_, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &set_, nullptr);  // every thread started from here on inherits it
    watcher_ = std::thread([this] { watch(); });
  }
  ~StopOnSignal() {
    done_ = true;
    watcher_.join();
  }
  bool signalled() const { return signals_ > 0; }

 private:
  void watch() {
    timespec wait{0, 100'000'000};
    while (!done_) {
      if (sigtimedwait(&set_, nullptr, &wait) < 0) continue;
      if (++signals_ > 1) _exit(kStopped);
      job_.request_stop();
      static const char kStopping[] = "\ntessaly-cli: stopping (again to quit at once)\n";
      [[maybe_unused]] auto n = ::write(STDERR_FILENO, kStopping, sizeof(kStopping) - 1);
    }
  }
  Job& job_;
  sigset_t set_;
  std::atomic<bool> done_{false};
  std::atomic<int> signals_{0};
  std::thread watcher_;
};

// Points the services at the file's hosts; a usage error when it cannot be read.
void load_endpoints(const std::string& path) {
  if (!file_exists(path)) throw UsageError("cannot read the endpoints file " + path);
  set_endpoint_overrides(read_file(path));
}

int run(const Command& command, const std::vector<std::string>& words) {
  std::vector<Option> known = command.options;
  known.insert(known.end(), kCommonOptions.begin(), kCommonOptions.end());
  if (command.network) known.insert(known.end(), kNetworkOptions.begin(), kNetworkOptions.end());

  Job job;
  std::unique_ptr<Output> out;
  Args args;
  try {
    args = parse_args(words, known);
    if (args.has("help")) {
      print_command_help(command);
      return kDone;
    }
    if (!command.reads_input && !args.inputs().empty())
      throw UsageError("takes no input files (" + args.inputs().front() + ")");
    std::string format = args.choice("format", "text", {"text", "csv", "jsonl"});
    bool gbk_text = args.choice("encoding", "utf8", {"utf8", "gbk"}) == "gbk";
    if (args.has("program-folder")) set_program_folder(args.value("program-folder"));
    if (command.network) {
      if (args.has("endpoints")) load_endpoints(args.value("endpoints"));
      RequestPacing pacing = configured_pacing(RequestPacing{.retries = 3});
      pacing.per_second = args.decimal("rate", pacing.per_second);
      pacing.retries = static_cast<int>(args.number("retries", pacing.retries, 0, 100));
      job.set_pacing(pacing);
    }
    out = std::make_unique<Output>(format == "csv"     ? Format::Csv
                                   : format == "jsonl" ? Format::Jsonl
                                                       : Format::Text,
                                   gbk_text);
  } catch (const UsageError& e) {
    return usage_error(command.name, e.what());
  }

  Problems problems;
  Context context{args, job, *out, problems};
  std::string usage, write_error;
  out->on_write_error([&](const std::string& why) {
    write_error = why;
    job.request_stop();
  });
  JobOutcome outcome;
  {
    StopOnSignal stop_on_signal(job);
    outcome = run_job(job, [&] {
      try {
        command.run(context);
      } catch (const UsageError& e) {
        usage = e.what();
      }
    });
    out->flush();
  }
  if (!usage.empty()) return usage_error(command.name, usage);
  bool failed_items = problems.report(context.items);
  if (!write_error.empty()) {
    std::fprintf(stderr, "tessaly-cli: cannot write the output: %s\n", write_error.c_str());
    return kItemsFailed;
  }
  switch (outcome.end) {
    case JobEnd::Stopped:
      std::fputs("tessaly-cli: stopped\n", stderr);
      return kStopped;
    case JobEnd::Failed:
      std::fprintf(stderr, "tessaly-cli: %s\n", utf8(outcome.message).c_str());
      return kItemsFailed;
    case JobEnd::Done:
      break;
  }
  return failed_items ? kItemsFailed : kDone;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> words(argv + 1, argv + argc);
  const std::vector<Command> commands = all_commands();
  if (words.empty()) {
    print_usage(commands);
    return kUsage;
  }
  const std::string& name = words.front();
  if (name == "--help" || name == "-h" || name == "help") {
    print_usage(commands);
    return kDone;
  }
  if (name == "--version") {
    std::printf("tessaly-cli %s\n", kVersion);
    return kDone;
  }
  auto it = std::find_if(commands.begin(), commands.end(), [&](const Command& c) { return name == c.name; });
  if (it == commands.end()) return usage_error({}, "unknown command \"" + name + "\"");
  words.erase(words.begin());
  return run(*it, words);
}
