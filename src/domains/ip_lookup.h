#pragma once
// Batch IP lookup: the address and hosting region of many domains, read from a public lookup
// page one domain after another.
#include <string>

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
  virtual void result(int row, const IpLookupResult& found) = 0;
};

// The lookup worker: every line of the list in order, without pauses.
void run_ip_lookup(const TextList& domains, IpLookupSink& sink);

}  // namespace tessaly::domains
