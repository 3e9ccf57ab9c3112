#pragma once
// Batch IP lookup: the address and hosting region of many domains, read from a public lookup
// page one domain after another.
#include <string>

#include "core/http/http.h"
#include "core/text/text.h"

namespace tessaly::domains {

std::string ip_lookup_url(const Text& domain);

struct IpLookupResult {
  Text ip;      // "" when the page shows none
  Text region;  // "" when the page shows none
};
IpLookupResult read_ip_lookup(const Text& page);

class IpLookupSink {
 public:
  virtual ~IpLookupSink() = default;
  // A new row for the domain on line `position` (from 1); returns a handle for result().
  virtual int row_added(int position, const Text& domain) = 0;
  // The lookup's result. Result: the page named an address; Empty: the page named none (both
  // columns empty); Failed: no answer, an error status or a reply without markup (the IP
  // query_failed_text(), no region); RateLimited: the service kept refusing (the IP
  // rate_limited_text(), no region).
  virtual void result(int row, const IpLookupResult& found, ItemOutcome outcome) = 0;
  // The lookup for the domain on line `position` brought no answer, or was rate limited; told
  // just before its result, `why` in English.
  virtual void request_problem(int /*position*/, RequestOutcome /*outcome*/, const std::string& /*why*/) {}
};

// The lookup worker: every line of the list in order, without pauses.
void run_ip_lookup(const TextList& domains, IpLookupSink& sink);

}  // namespace tessaly::domains
