#pragma once
// A subcommand of tessaly-cli: its name, what it does, the options it takes and its body. The
// body runs as the work of one job (core/jobs/job.h): Ctrl-C asks the job to stop, and the tool
// ends at its next checkpoint, keeping the lines it has written.
#include <functional>
#include <string>
#include <vector>

#include "cli/args.h"
#include "cli/io.h"
#include "core/jobs/job.h"

namespace tessaly::cli {

// What a body works with.
struct Context {
  const Args& args;
  Job& job;
  Output& out;
  Problems& problems;
  // Items the command worked on (for the failure report's "N of M").
  long long items = 0;
};

struct Command {
  const char* name;
  const char* group;    // the heading it is listed under
  const char* summary;  // one line (UTF-8)
  std::vector<Option> options;
  std::function<void(Context&)> run;
  bool network = false;  // takes --endpoints, --rate and --retries
  bool reads_input = true;
};

// The commands of each group (one file each).
void add_research_commands(std::vector<Command>& commands);
void add_domain_commands(std::vector<Command>& commands);
void add_content_commands(std::vector<Command>& commands);

// Shared option texts.
inline const Option kThreadsOption{"threads", "N", "worker threads at once (default 10)"};

}  // namespace tessaly::cli
