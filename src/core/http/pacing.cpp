#include "core/http/pacing.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <mutex>

#include "core/http/http.h"
#include "core/http/transport.h"
#include "core/jobs/job.h"
#include "core/text/files.h"
#include "core/text/text.h"

namespace tessaly {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// When each host may get its next request.
std::mutex schedule_mutex;
std::map<std::string, Clock::time_point> next_slot;

// Bounds the schedule on runs over many hosts: slots already past carry no information.
void forget_past_slots(Clock::time_point now) {
  if (next_slot.size() < 4096) return;
  std::erase_if(next_slot, [now](const auto& entry) { return entry.second <= now; });
}

// Reserves the host's next slot (spaced 1/per_second after the one before) and returns how long
// the caller must wait for it.
milliseconds reserve_slot(const std::string& host, double per_second) {
  std::lock_guard lock(schedule_mutex);
  Clock::time_point now = Clock::now();
  forget_past_slots(now);
  Clock::time_point& next = next_slot[host];
  Clock::time_point slot = std::max(now, next);
  if (per_second > 0)
    next =
        slot + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(1.0 / per_second));
  else
    next = slot;
  return std::chrono::ceil<milliseconds>(slot - now);
}

// Nothing goes to the host before `wait` from now.
void hold_host(const std::string& host, milliseconds wait) {
  std::lock_guard lock(schedule_mutex);
  Clock::time_point until = Clock::now() + wait;
  Clock::time_point& next = next_slot[host];
  next = std::max(next, until);
}

// host[:port], lower-cased: the key of the schedule.
std::string host_key(const std::string& url) { return to_lower(url_host(url, false, true)); }

bool refused(const transport::Result& r) {
  return r.outcome == transport::Outcome::Done && (r.status == 429 || r.status == 503);
}

long long parse_http_date(std::string_view value, std::time_t now) {
  // IMF-fixdate: "Sun, 06 Nov 1994 08:49:37 GMT" (read without the locale's month names).
  static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                        "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  std::string text(value);
  char month[4] = {};
  int day = 0, year = 0, hour = 0, minute = 0, second = 0;
  if (std::sscanf(text.c_str(), "%*3s, %d %3s %d %d:%d:%d", &day, month, &year, &hour, &minute, &second) != 6)
    return -1;
  int m = -1;
  for (int i = 0; i < 12; ++i)
    if (std::string_view(month) == kMonths[i]) m = i;
  if (m < 0 || day < 1 || day > 31 || year < 1970 || hour > 23 || minute > 59 || second > 60) return -1;
  std::tm tm{};
  tm.tm_year = year - 1900;
  tm.tm_mon = m;
  tm.tm_mday = day;
  tm.tm_hour = hour;
  tm.tm_min = minute;
  tm.tm_sec = second;
  std::time_t at = timegm(&tm);
  if (at == static_cast<std::time_t>(-1)) return -1;
  return at <= now ? 0 : static_cast<long long>(at - now) * 1000;
}

}  // namespace

long long retry_after_ms(std::string_view head, std::time_t now) {
  for (const auto& line : split_text(head, "\r\n")) {
    if (to_lower(header_name(line)) != "retry-after") continue;
    std::string value = header_value(line);
    if (value.empty()) return -1;
    if (std::all_of(value.begin(), value.end(), [](char c) { return c >= '0' && c <= '9'; })) {
      if (value.size() > 9) return -1;  // beyond any wait worth honouring
      return std::stoll(value) * 1000;
    }
    return parse_http_date(value, now);
  }
  return -1;
}

RequestPacing parse_pacing(std::string_view text, RequestPacing base) {
  for (std::string line : split_text(text, "\n")) {
    if (size_t hash = line.find('#'); hash != std::string::npos) line.erase(hash);
    size_t eq = line.find('=');
    if (eq == std::string::npos) continue;
    std::string name = to_lower(trim_both(std::string_view(line).substr(0, eq)));
    std::string value = trim_both(std::string_view(line).substr(eq + 1));
    while (!value.empty() && (value.back() == '\r' || value.back() == '\t')) value.pop_back();
    char* end = nullptr;
    double number = std::strtod(value.c_str(), &end);
    if (value.empty() || end == value.c_str() || *end != '\0' || !(number >= 0) || number > 1e6) continue;
    if (name == "rate")
      base.per_second = number;
    else if (name == "retries")
      base.retries = static_cast<int>(number);
    else if (name == "max_wait")
      base.max_wait_ms = static_cast<int>(number * 1000);
  }
  return base;
}

RequestPacing configured_pacing(RequestPacing base) {
  const char* env = std::getenv("TESSALY_REQUESTS");
  std::string path = env && *env ? std::string(env) : program_path({"requests.conf"});
  return parse_pacing(read_file(path), base);
}

void reset_host_schedule() {
  std::lock_guard lock(schedule_mutex);
  next_slot.clear();
}

namespace transport {

Result perform_paced(const Transfer& transfer) {
  const Job* job = Job::current();
  const RequestPacing pacing = job ? job->pacing() : RequestPacing{};
  if (!pacing.active()) {
    // Unpaced, nothing is tried again; still, a 429 says "too many requests" and nothing else,
    // so the item is rate limited. A 503 alone may just be a service that is down: a failure.
    Result r = perform(transfer);
    r.rate_limited = r.outcome == Outcome::Done && r.status == 429;
    return r;
  }
  const std::string host = host_key(transfer.url);
  for (int attempt = 0;; ++attempt) {
    sleep_ms(static_cast<int>(reserve_slot(host, pacing.per_second).count()));
    Result r = perform(transfer);
    if (!refused(r)) return r;
    long long asked = retry_after_ms(r.headers, std::time(nullptr));
    long long wait = asked >= 0 ? asked : static_cast<long long>(pacing.backoff_ms) << std::min(attempt, 20);
    if (attempt >= pacing.retries || wait > pacing.max_wait_ms) {
      // Still, nothing more goes to the host before the time it asked for (within reason).
      hold_host(host, milliseconds(std::min<long long>(wait, pacing.max_wait_ms)));
      r.rate_limited = true;
      return r;
    }
    hold_host(host, milliseconds(wait));
  }
}

}  // namespace transport
}  // namespace tessaly
