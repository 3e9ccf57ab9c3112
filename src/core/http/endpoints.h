#pragma once
// The table of remote services. Each key has a scheme and a default host (build-time
// configuration); paths, queries and form fields belong to the tools. Any key can be pointed
// elsewhere without a rebuild: a file named by TESSALY_ENDPOINTS, or "endpoints.conf" in the
// program folder, holds lines "KEY = scheme://host[:port]" ('#' starts a comment; the scheme is
// http or https; a path after the host becomes a prefix of every path of that key).
#include <string>
#include <string_view>
#include <vector>

namespace tessaly {

struct RemoteEndpoint {
  std::string key;
  std::string scheme;  // "http" or "https"
  std::string host;    // host[:port]
};

// The endpoint of a key (the override when one is in force). Unknown keys give an empty host.
RemoteEndpoint endpoint(std::string_view key);
// scheme + "://" + host, without a trailing slash: endpoint_base("BAIDU_WEB_SEARCH") + "/s?wd=..."
std::string endpoint_base(std::string_view key);
// Every key of the table with its built-in default.
const std::vector<RemoteEndpoint>& default_endpoints();

// Replaces the overrides for this process (tests); each line as in the override file.
void set_endpoint_overrides(std::string_view lines);
// Drops the process overrides and reads the override file again on next use.
void reload_endpoint_overrides();

}  // namespace tessaly
