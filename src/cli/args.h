#pragma once
// The command line's arguments: "--name value", "--name=value" and flags, then input files ("-"
// for standard input). Each subcommand declares the options it takes; anything else is a usage
// error with a message that says what is wrong.
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace tessaly::cli {

// Bad usage: the message says what is wrong (UTF-8); the command ends with status 2.
struct UsageError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

struct Option {
  const char* name;        // without the leading "--"
  const char* value_name;  // null for a flag
  const char* help;        // one line (UTF-8)
};

class Args {
 public:
  bool has(std::string_view name) const;
  // The option's last value, or `fallback` when it is not given.
  std::string value(std::string_view name, std::string_view fallback = {}) const;
  // Every value the option was given, in order.
  std::vector<std::string> values(std::string_view name) const;
  // The option read as a whole number within [min, max] (a usage error otherwise).
  long long number(std::string_view name, long long fallback, long long min, long long max) const;
  // The option read as a decimal number >= 0.
  double decimal(std::string_view name, double fallback) const;
  // The option as one of `choices` (a usage error otherwise).
  std::string choice(std::string_view name, std::string_view fallback,
                     const std::vector<std::string>& choices) const;
  const std::vector<std::string>& inputs() const { return inputs_; }

 private:
  friend Args parse_args(const std::vector<std::string>& words, const std::vector<Option>& known);
  std::vector<std::pair<std::string, std::string>> options_;
  std::vector<std::string> inputs_;
};

// Parses the words after the subcommand's name against the options it takes.
Args parse_args(const std::vector<std::string>& words, const std::vector<Option>& known);

}  // namespace tessaly::cli
