#pragma once
// Pacing of requests for jobs that ask for it (RequestPacing in core/jobs/job.h): a process-wide
// schedule per host that spaces the requests of every paced job to that host, and retries of
// answers 429 ("too many requests") and 503 ("unavailable") after the wait the service names in
// Retry-After. A refusal pushes the host's schedule back, so every worker of every paced job holds
// back from that host, not only the one that was refused. Both request faces go through here;
// a job that paces nothing (the default) sends each request at once, exactly once.
#include <ctime>
#include <string>
#include <string_view>

#include "core/jobs/job.h"

namespace tessaly {

// The wait a response head's Retry-After asks for, in milliseconds: delta seconds, or an HTTP
// date counted from `now`; 0 for a date already past, -1 when the head names no usable wait.
long long retry_after_ms(std::string_view head, std::time_t now);

// The pacing the windows' pooled tools use, from "requests.conf" in the program folder (or the
// file named by TESSALY_REQUESTS), read again for every run. Lines "name = value", '#' starts a
// comment: "rate" requests per second to one host (0: no limit), "retries" after 429 and 503,
// "max_wait" the longest Retry-After honoured, in seconds. No file: `base` (nothing is paced).
RequestPacing configured_pacing(RequestPacing base = {});
// The settings of such a text over `base` (unknown names and unreadable values are ignored).
RequestPacing parse_pacing(std::string_view text, RequestPacing base = {});

// Forgets every host's schedule (tests).
void reset_host_schedule();

}  // namespace tessaly
