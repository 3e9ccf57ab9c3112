#pragma once
// How one item of a tool ended, whichever tool and face shows it (windows, the command line, the
// results store); the four never look alike:
// - Result: the service answered and the tool's markers were found;
// - Empty: the service answered that there is nothing (an unregistered domain, no address, no
//   rows), shown as the tool's own empty answer;
// - Failed: no answer, an error status, or a page whose markers are missing or unreadable, shown
//   as query_failed_text() where the result would stand (never a 0, an empty cell or a success);
// - RateLimited: the service kept refusing, shown as rate_limited_text(), never as a result.
// The helpers around it are in core/http/http.h.
namespace tessaly {

enum class ItemOutcome { Result, Empty, Failed, RateLimited };

}  // namespace tessaly
