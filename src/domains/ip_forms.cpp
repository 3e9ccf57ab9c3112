#include "domains/ip_forms.h"

#include <algorithm>

#include "core/jobs/job.h"

namespace tessaly {
namespace {

// One number part: ASCII or full-width digits only.
bool is_number_part(std::string_view part) {
  if (part.empty()) return false;
  for (size_t i = 0; i < part.size();) {
    auto c = static_cast<unsigned char>(part[i]);
    if (c >= '0' && c <= '9') {
      ++i;
    } else if (c == 0xA3 && i + 1 < part.size() && static_cast<unsigned char>(part[i + 1]) >= 0xB0 &&
               static_cast<unsigned char>(part[i + 1]) <= 0xB9) {
      i += 2;  // full-width digit
    } else {
      return false;
    }
  }
  return true;
}

std::string octal(long long v) {
  std::string out;
  for (auto u = static_cast<unsigned long long>(v); u; u >>= 3)
    out.insert(out.begin(), static_cast<char>('0' + (u & 7)));
  return out;
}

std::string hexadecimal(long long v, bool lower) {
  std::string out = to_hex(v);
  return lower ? to_lower(out) : out;
}

// The spellings of one number: octal and hexadecimal digits (lower-case hexadecimal when asked)
// and decimal. The k extra zeros are a prefix of one shared run of zeros, so N can be large
// without N x N memory.
struct Number {
  std::string oct, hex, dec;
  Number(long long v, bool lower) : oct(octal(v)), hex(hexadecimal(v, lower)), dec(to_text(v)) {}
};

class Host {
 public:
  explicit Host(int n) : zeros_(static_cast<size_t>(n), '0') {}
  Host& start() {
    text_.assign("http://");
    return *this;
  }
  Host& oct(const Number& v, int k) {
    text_.append(zeros_, 0, static_cast<size_t>(k)).append(v.oct);
    return *this;
  }
  Host& hex(const Number& v, int k) {
    text_.append("0x").append(zeros_, 0, static_cast<size_t>(k)).append(v.hex);
    return *this;
  }
  Host& dec(const Number& v) {
    text_.append(v.dec);
    return *this;
  }
  Host& dot() {
    text_ += '.';
    return *this;
  }
  void write(LineOutput& out) {
    text_ += '/';
    out.line(text_);
  }

 private:
  std::string zeros_;
  std::string text_;
};

}  // namespace

std::optional<IpParts> parse_ip_parts(std::string_view line) {
  std::string text = trim_both(line);
  TextList parts = split_text(text, ".");
  if (parts.size() != 4) return std::nullopt;
  for (auto& part : parts)
    if (!is_number_part(part)) return std::nullopt;
  return IpParts{to_int(parts[0]), to_int(parts[1]), to_int(parts[2]), to_int(parts[3])};
}

long long ip_forms_per_address(int zeros, bool two_part, bool three_part) {
  long long n = std::max(zeros, 0);
  return (two_part ? n * (2 + 2 * n) : 0) + (three_part ? n * n * (4 + 4 * n) : 0);
}

void generate_ip_forms(const IpFormsOptions& o, LineOutput& out) {
  const int n = o.zeros;
  if (n <= 0 || (!o.two_part && !o.three_part)) return;
  const bool lower = o.lower_case;
  Host h(n);
  for (const auto& line : o.addresses) {
    checkpoint();
    std::optional<IpParts> ip = parse_ip_parts(line);
    if (!ip) continue;
    const Number p(ip->p, lower);
    if (o.two_part) {
      const Number r2(ip->q * 65536 + ip->r * 256 + ip->s, lower);
      for (int j = 1; j <= n; ++j) {
        h.start().oct(p, j).dot().dec(r2).write(out);
        h.start().hex(p, j).dot().dec(r2).write(out);
        for (int k = 1; k <= n; ++k) {
          h.start().hex(p, j).dot().hex(r2, k).write(out);
          h.start().oct(p, j).dot().hex(r2, k).write(out);
        }
      }
    }
    if (o.three_part) {
      const Number q(ip->q, lower);
      const Number r3(ip->r * 256 + ip->s, lower);
      for (int j = 1; j <= n; ++j) {
        for (int k = 1; k <= n; ++k) {
          h.start().oct(p, j).dot().oct(q, k).dot().dec(r3).write(out);
          h.start().hex(p, j).dot().hex(q, k).dot().dec(r3).write(out);
          h.start().oct(p, j).dot().hex(q, k).dot().dec(r3).write(out);
          h.start().hex(p, j).dot().oct(q, k).dot().dec(r3).write(out);
          for (int m = 1; m <= n; ++m) {
            h.start().hex(p, j).dot().hex(q, k).dot().hex(r3, m).write(out);
            h.start().oct(p, j).dot().hex(q, k).dot().hex(r3, m).write(out);
            h.start().hex(p, j).dot().oct(q, k).dot().hex(r3, m).write(out);
            h.start().oct(p, j).dot().oct(q, k).dot().hex(r3, m).write(out);
          }
        }
      }
    }
  }
}

}  // namespace tessaly
