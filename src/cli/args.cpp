#include "cli/args.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>

namespace tessaly::cli {
namespace {

const Option* find_option(const std::vector<Option>& known, std::string_view name) {
  for (const Option& o : known)
    if (name == o.name) return &o;
  return nullptr;
}

}  // namespace

bool Args::has(std::string_view name) const {
  return std::any_of(options_.begin(), options_.end(), [name](const auto& o) { return o.first == name; });
}

std::string Args::value(std::string_view name, std::string_view fallback) const {
  for (auto it = options_.rbegin(); it != options_.rend(); ++it)
    if (it->first == name) return it->second;
  return std::string(fallback);
}

std::vector<std::string> Args::values(std::string_view name) const {
  std::vector<std::string> out;
  for (const auto& o : options_)
    if (o.first == name) out.push_back(o.second);
  return out;
}

long long Args::number(std::string_view name, long long fallback, long long min, long long max) const {
  if (!has(name)) return fallback;
  std::string text = value(name);
  errno = 0;
  char* end = nullptr;
  long long n = std::strtoll(text.c_str(), &end, 10);
  if (text.empty() || *end != '\0' || errno == ERANGE || n < min || n > max)
    throw UsageError("--" + std::string(name) + " takes a whole number from " + std::to_string(min) + " to " +
                     std::to_string(max) + ", not \"" + text + "\"");
  return n;
}

double Args::decimal(std::string_view name, double fallback) const {
  if (!has(name)) return fallback;
  std::string text = value(name);
  char* end = nullptr;
  double d = std::strtod(text.c_str(), &end);
  if (text.empty() || *end != '\0' || !(d >= 0) || d > 1e6)
    throw UsageError("--" + std::string(name) + " takes a number of 0 or more, not \"" + text + "\"");
  return d;
}

std::string Args::choice(std::string_view name, std::string_view fallback,
                         const std::vector<std::string>& choices) const {
  std::string v = value(name, fallback);
  if (std::find(choices.begin(), choices.end(), v) != choices.end()) return v;
  std::string list;
  for (const auto& c : choices) list += (list.empty() ? "" : ", ") + c;
  throw UsageError("--" + std::string(name) + " takes one of " + list + ", not \"" + v + "\"");
}

Args parse_args(const std::vector<std::string>& words, const std::vector<Option>& known) {
  Args args;
  bool options_end = false;
  for (size_t i = 0; i < words.size(); ++i) {
    const std::string& w = words[i];
    if (options_end || w == "-" || w.size() < 2 || w[0] != '-') {
      args.inputs_.push_back(w);
      continue;
    }
    if (w == "--") {
      options_end = true;
      continue;
    }
    if (w.rfind("--", 0) != 0) throw UsageError("unknown option " + w + " (options are spelled --name)");
    std::string name = w.substr(2), value;
    bool inline_value = false;
    if (size_t eq = name.find('='); eq != std::string::npos) {
      value = name.substr(eq + 1);
      name.erase(eq);
      inline_value = true;
    }
    const Option* option = find_option(known, name);
    if (!option) throw UsageError("unknown option --" + name);
    if (option->value_name) {
      if (!inline_value) {
        if (i + 1 >= words.size())
          throw UsageError("--" + name + " needs a value (" + option->value_name + ")");
        value = words[++i];
      }
    } else if (inline_value) {
      throw UsageError("--" + name + " takes no value");
    }
    args.options_.emplace_back(std::move(name), std::move(value));
  }
  return args;
}

}  // namespace tessaly::cli
