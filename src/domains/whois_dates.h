#pragma once
// The dates of a whois record in a form machines read: the lookup page writes them in its own
// way ("2030年05月06日", "2030-05-06 10:20:30", "2030/5/6"); scripts want ISO 8601.
#include <string_view>

#include "core/text/text.h"

namespace tessaly {

// The first date in the text, as "YYYY-MM-DD": a four-digit year, a month and a day, in that
// order, separated by "年"/"月"(/"日"), "-", "/" or "."; anything may follow (a time, a zone).
// Empty when the text holds no such date or it is not a real day (2030-02-30).
Text iso_date(std::string_view text);

}  // namespace tessaly
