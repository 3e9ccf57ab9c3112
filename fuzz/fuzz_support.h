#pragma once
// What the fuzz targets share: the input cut into parameters and texts, and a property check
// that aborts with both sides printed (libFuzzer keeps the input; the replay test fails).
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

namespace tessaly::fuzz {

// The input as a few parameter bytes followed by texts separated by zero bytes (program texts
// hold no zero byte). Missing parameters read as 0, missing texts as empty.
class Input {
 public:
  Input(const uint8_t* data, size_t size, size_t param_bytes)
      : params_(reinterpret_cast<const char*>(data), size < param_bytes ? size : param_bytes) {
    std::string_view rest(reinterpret_cast<const char*>(data) + params_.size(), size - params_.size());
    while (true) {
      size_t zero = rest.find('\0');
      texts_.emplace_back(rest.substr(0, zero));
      if (zero == std::string_view::npos) break;
      rest.remove_prefix(zero + 1);
    }
  }
  uint8_t param(size_t k) const { return k < params_.size() ? static_cast<uint8_t>(params_[k]) : 0; }
  bool flag(size_t k, int bit) const { return (param(k) >> bit) & 1; }
  std::string_view text(size_t k) const { return k < texts_.size() ? texts_[k] : std::string_view(); }
  size_t text_count() const { return texts_.size(); }

 private:
  std::string_view params_;
  std::vector<std::string_view> texts_;
};

inline std::string printable(std::string_view s) {
  std::string out;
  for (unsigned char c : s) {
    if (c >= 0x20 && c < 0x7F && c != '\\') {
      out.push_back(static_cast<char>(c));
    } else {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02X", c);
      out += hex;
    }
  }
  return out;
}

[[noreturn]] inline void fail(const char* file, int line, const char* what, std::string_view got,
                              std::string_view want) {
  std::fprintf(stderr, "%s:%d: property failed: %s\n  got:  \"%s\"\n  want: \"%s\"\n", file, line, what,
               printable(got).c_str(), printable(want).c_str());
  std::abort();
}

template <class T>
std::string show(const T& v) {
  if constexpr (std::is_convertible_v<T, std::string_view>) {
    return std::string(std::string_view(v));
  } else if constexpr (requires { v.begin(); }) {
    std::string out = "[";
    for (const auto& item : v) out += "\"" + show(item) + "\" ";
    return out + "]";
  } else {
    return std::to_string(v);
  }
}

}  // namespace tessaly::fuzz

// A property that must hold for every input.
#define FUZZ_CHECK(cond)                                                   \
  do {                                                                     \
    if (!(cond)) ::tessaly::fuzz::fail(__FILE__, __LINE__, #cond, "", ""); \
  } while (0)
// Two values that must be equal (texts, numbers or lists of texts).
#define FUZZ_EQ(got, want)                                                                           \
  do {                                                                                               \
    const auto& fuzz_got_ = (got);                                                                   \
    const auto& fuzz_want_ = (want);                                                                 \
    if (!(fuzz_got_ == fuzz_want_))                                                                  \
      ::tessaly::fuzz::fail(__FILE__, __LINE__, #got " == " #want, ::tessaly::fuzz::show(fuzz_got_), \
                            ::tessaly::fuzz::show(fuzz_want_));                                      \
  } while (0)
