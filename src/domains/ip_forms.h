#pragma once
// Equivalent URLs of dotted IPv4 addresses spelled in the other numeric notations address
// parsers accept: two or three parts (the last part carrying the remaining bytes as one number),
// parts in octal (leading "0") or hexadecimal (leading "0x"), with 1 to N extra leading zeros.
#include <optional>
#include <string>
#include <string_view>

#include "core/text/line_output.h"
#include "core/text/text.h"

namespace tessaly {

struct IpFormsOptions {
  TextList addresses;
  int zeros = 6;  // N: the largest number of extra zeros
  bool two_part = true;
  bool three_part = true;
  bool lower_case = true;
};

struct IpParts {
  long long p = 0, q = 0, r = 0, s = 0;
};

// The four numbers of a dotted address; none unless the line has exactly four parts of digits
// (half- or full-width; spaces around the line are ignored). No range check.
std::optional<IpParts> parse_ip_parts(std::string_view line);

// Per address: the N x (2 + 2N) two-part lines, then the N x N x (4 + 4N) three-part lines,
// each "http://" + host + "/". Lines that are not four numbers are skipped.
void generate_ip_forms(const IpFormsOptions& options, LineOutput& out);

// Lines written for one address.
long long ip_forms_per_address(int zeros, bool two_part, bool three_part);

}  // namespace tessaly
