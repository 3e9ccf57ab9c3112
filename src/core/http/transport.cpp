#include "core/http/transport.h"

#include <signal.h>

#include <array>
#include <atomic>
#include <chrono>
#include <csignal>
#include <functional>
#include <memory>

#include "core/http/cookie_store.h"
#include "core/http/transport_settings.h"
#include "core/jobs/job.h"
#include "core/text/files.h"

namespace tessaly {

// --- settings ---------------------------------------------------------------------------------

namespace {

std::mutex settings_mutex;
TransportSettings settings;
// The CA bundle handed to libcurl while an extra CA file is trusted: the system bundle followed
// by the extra file, made once per file name.
std::string ca_blob_file;
std::shared_ptr<const std::string> ca_blob;

std::shared_ptr<const std::string> make_ca_blob(const std::string& extra_file) {
  std::string blob;
  const curl_version_info_data* info = curl_version_info(CURLVERSION_NOW);
  for (const char* candidate :
       {info && info->cainfo ? info->cainfo : "", "/etc/ssl/certs/ca-certificates.crt",
        "/etc/pki/tls/certs/ca-bundle.crt", "/etc/ssl/cert.pem"}) {
    if (!*candidate) continue;
    blob = read_file(candidate);
    if (!blob.empty()) break;
  }
  blob += "\n";
  blob += read_file(extra_file);
  return std::make_shared<const std::string>(std::move(blob));
}

struct SettingsSnapshot {
  TransportSettings values;
  std::shared_ptr<const std::string> ca_blob;
};

SettingsSnapshot current_settings() {
  std::lock_guard lock(settings_mutex);
  SettingsSnapshot s{settings, nullptr};
  if (!settings.extra_ca_file.empty()) {
    if (!ca_blob || ca_blob_file != settings.extra_ca_file) {
      ca_blob = make_ca_blob(settings.extra_ca_file);
      ca_blob_file = settings.extra_ca_file;
    }
    s.ca_blob = ca_blob;
  }
  return s;
}

}  // namespace

TransportSettings transport_settings() {
  std::lock_guard lock(settings_mutex);
  return settings;
}

void set_transport_settings(const TransportSettings& values) {
  std::lock_guard lock(settings_mutex);
  settings = values;
}

void reset_transport_settings() { set_transport_settings(TransportSettings{}); }

void set_extra_ca_file(std::string path) {
  std::lock_guard lock(settings_mutex);
  settings.extra_ca_file = std::move(path);
  ca_blob.reset();  // read again: the file may have been replaced
}

namespace transport {
namespace {

using Clock = std::chrono::steady_clock;

void ensure_global_init() {
  static std::once_flag once;
  std::call_once(once, [] {
    curl_global_init(CURL_GLOBAL_DEFAULT);
#ifdef SIGPIPE
    // Transfers run with CURLOPT_NOSIGNAL (many threads): a peer closing a TLS connection must
    // give an error, not end the process.
    struct sigaction current {};
    if (sigaction(SIGPIPE, nullptr, &current) == 0 && current.sa_handler == SIG_DFL)
      std::signal(SIGPIPE, SIG_IGN);
#endif
  });
}

// --- the shared cookie store ---

std::array<std::recursive_mutex, CURL_LOCK_DATA_LAST> share_locks;

void share_lock(CURL*, curl_lock_data data, curl_lock_access, void*) { share_locks[data].lock(); }
void share_unlock(CURL*, curl_lock_data data, void*) { share_locks[data].unlock(); }

// --- one transfer ---

// A wind-down lets the started items finish, but a service gone silent must not hold it: while
// the job winds down, this long without a byte ends the request.
constexpr auto kWindDownStall = std::chrono::milliseconds(500);

bool current_job_winding_down() {
  Job* job = Job::current();
  return job && job->winding_down();
}

// A server that trickles a few bytes now and then keeps the stall time-out from ever running
// out: once connected, a second that moves fewer than this many bytes counts as silent.
constexpr long long kTrickleBytesPerSecond = 16;

struct State {
  Result* result;
  long long max_body;
  bool too_big = false;
  bool connected = false;
  Clock::time_point last_activity = Clock::now();
  curl_off_t uploaded = 0, downloaded = 0;
  // Bytes moved (head, body, upload), and the trickle check: the current one-second span and
  // the end of the last span that moved enough.
  long long moved = 0, moved_at_span = 0;
  Clock::time_point span_start = Clock::now(), last_lively = Clock::now();

  void note(long long bytes) {
    moved += bytes;
    last_activity = Clock::now();
  }
  // Closes the current span when a second has passed.
  void close_span(Clock::time_point now) {
    if (now - span_start < std::chrono::seconds(1)) return;
    if (moved - moved_at_span >= kTrickleBytesPerSecond) last_lively = now;
    span_start = now;
    moved_at_span = moved;
  }
};

bool starts_with_nocase(std::string_view text, std::string_view prefix) {
  if (text.size() < prefix.size()) return false;
  for (size_t i = 0; i < prefix.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(text[i])) !=
        std::tolower(static_cast<unsigned char>(prefix[i])))
      return false;
  return true;
}

size_t on_body(char* data, size_t size, size_t count, void* user) {
  auto* s = static_cast<State*>(user);
  size_t n = size * count;
  s->note(static_cast<long long>(n));
  if (static_cast<long long>(s->result->body.size() + n) > s->max_body) {
    s->too_big = true;
    return 0;  // ends the transfer with a write error
  }
  s->result->body.append(data, n);
  return n;
}

size_t on_header(char* data, size_t size, size_t count, void* user) {
  auto* s = static_cast<State*>(user);
  size_t n = size * count;
  s->note(static_cast<long long>(n));
  std::string_view line(data, n);
  while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) line.remove_suffix(1);
  if (starts_with_nocase(line, "HTTP/")) {
    // A new response (after a redirect or an interim 100): only the last one is reported.
    s->result->headers.clear();
    s->result->body.clear();
  }
  if (starts_with_nocase(line, "set-cookie:")) s->result->set_cookie_seen = true;
  s->result->headers.append(line);
  s->result->headers.append("\r\n");
  return n;
}

int on_progress(void* user, curl_off_t, curl_off_t dlnow, curl_off_t, curl_off_t ulnow) {
  auto* s = static_cast<State*>(user);
  if (dlnow != s->downloaded || ulnow != s->uploaded) {
    if (ulnow > s->uploaded) s->moved += ulnow - s->uploaded;
    s->downloaded = dlnow;
    s->uploaded = ulnow;
    s->last_activity = Clock::now();
  }
  return current_job_stopped() ? 1 : 0;
}

// A new connection is being made: libcurl's connect time-out governs until the request goes out.
int on_socket(void* user, curl_socket_t, curlsocktype) {
  static_cast<State*>(user)->connected = false;
  return CURL_SOCKOPT_OK;
}

// Connected (or a connection reused): from here on the stall time-out applies.
int on_connected(void* user, char*, char*, int, int) {
  auto* s = static_cast<State*>(user);
  s->connected = true;
  s->last_activity = s->span_start = s->last_lively = Clock::now();
  s->moved_at_span = s->moved;
  return CURL_PREREQFUNC_OK;
}

// The calling thread's multi handle, made on its first transfer and kept until the thread
// ends: a pool worker making thousands of requests sets up its wake-up pipe once, not once per
// request, and keeps its connections to servers that allow it.
CURLM* thread_multi() {
  struct Multi {
    CURLM* handle = curl_multi_init();
    ~Multi() {
      if (handle) curl_multi_cleanup(handle);
    }
  };
  thread_local Multi multi;
  return multi.handle;
}

}  // namespace

std::vector<std::string> header_lines(std::string_view header_text) {
  std::vector<std::string> lines;
  size_t pos = 0;
  while (pos <= header_text.size()) {
    size_t end = header_text.find_first_of("\r\n", pos);
    if (end == std::string_view::npos) end = header_text.size();
    std::string_view line = header_text.substr(pos, end - pos);
    pos = end + 1;
    size_t colon = line.find(':');
    if (colon == std::string_view::npos) continue;
    std::string_view name = line.substr(0, colon);
    while (!name.empty() && (name.front() == ' ' || name.front() == '\t')) name.remove_prefix(1);
    while (!name.empty() && (name.back() == ' ' || name.back() == '\t')) name.remove_suffix(1);
    if (name.empty()) continue;
    std::string_view value = line.substr(colon + 1);
    while (!value.empty() && (value.front() == ' ' || value.front() == '\t')) value.remove_prefix(1);
    while (!value.empty() && (value.back() == ' ' || value.back() == '\t')) value.remove_suffix(1);
    // libcurl reads "Name:" as "drop this header" and "Name;" as "send it empty".
    lines.push_back(value.empty() ? std::string(name) + ";" : std::string(name) + ": " + std::string(value));
  }
  return lines;
}

namespace {
std::atomic<bool> share_made{false};
}  // namespace

bool cookie_store_made() { return share_made.load(std::memory_order_acquire); }

CURLSH* cookie_share() {
  static CURLSH* share = [] {
    ensure_global_init();
    CURLSH* sh = curl_share_init();
    curl_share_setopt(sh, CURLSHOPT_LOCKFUNC, share_lock);
    curl_share_setopt(sh, CURLSHOPT_UNLOCKFUNC, share_unlock);
    curl_share_setopt(sh, CURLSHOPT_SHARE, CURL_LOCK_DATA_COOKIE);
    share_made.store(true, std::memory_order_release);
    return sh;
  }();
  return share;
}

std::unique_lock<std::recursive_mutex> lock_cookie_store() {
  cookie_share();
  return std::unique_lock(share_locks[CURL_LOCK_DATA_COOKIE]);
}

CURL* cookie_store_handle() {
  CURLSH* share = cookie_share();
  CURL* h = curl_easy_init();
  if (h) curl_easy_setopt(h, CURLOPT_SHARE, share);
  return h;
}

Result perform(const Transfer& t) {
  ensure_global_init();
  Result result;
  SettingsSnapshot config = current_settings();
  CURL* h = curl_easy_init();
  CURLM* m = h ? thread_multi() : nullptr;
  if (!h || !m) {
    if (h) curl_easy_cleanup(h);
    return result;
  }
  State state{&result, config.values.max_body_bytes};

  curl_slist* headers = nullptr;
  for (const auto& line : t.headers) headers = curl_slist_append(headers, line.c_str());
  // No "Expect: 100-continue" round trip for large bodies: the header block stays as given.
  headers = curl_slist_append(headers, "Expect:");

  curl_easy_setopt(h, CURLOPT_URL, t.url.c_str());
  curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(h, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(h, CURLOPT_PROXY, "");  // direct access, whatever the environment says
  curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(h, CURLOPT_QUICK_EXIT, 1L);  // never wait for a resolver thread on stop
  curl_easy_setopt(h, CURLOPT_HTTP_VERSION,
                   static_cast<long>(t.http_1_0 ? CURL_HTTP_VERSION_1_0 : CURL_HTTP_VERSION_1_1));
  curl_easy_setopt(h, CURLOPT_PATH_AS_IS, 1L);
  curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, t.follow_redirects ? 1L : 0L);
  curl_easy_setopt(h, CURLOPT_MAXREDIRS, 20L);
  curl_easy_setopt(h, CURLOPT_HTTPHEADER, headers);
  if (!t.user_agent.empty()) curl_easy_setopt(h, CURLOPT_USERAGENT, t.user_agent.c_str());
  if (t.post || (t.get_body && !t.body.empty())) {
    curl_easy_setopt(h, CURLOPT_POST, 1L);
    curl_easy_setopt(h, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(t.body.size()));
    curl_easy_setopt(h, CURLOPT_POSTFIELDS, t.body.data());
    if (!t.post) curl_easy_setopt(h, CURLOPT_CUSTOMREQUEST, "GET");
  } else {
    curl_easy_setopt(h, CURLOPT_HTTPGET, 1L);
  }
  if (t.cookie_store) {
    curl_easy_setopt(h, CURLOPT_SHARE, cookie_share());
    curl_easy_setopt(h, CURLOPT_COOKIEFILE, "");
  }
  curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(t.connect_timeout_ms));
  curl_easy_setopt(h, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(config.values.max_body_bytes));
  if (config.ca_blob) {
    curl_blob blob{const_cast<char*>(config.ca_blob->data()), config.ca_blob->size(), CURL_BLOB_NOCOPY};
    curl_easy_setopt(h, CURLOPT_CAINFO_BLOB, &blob);
  }
  curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, on_body);
  curl_easy_setopt(h, CURLOPT_WRITEDATA, &state);
  curl_easy_setopt(h, CURLOPT_HEADERFUNCTION, on_header);
  curl_easy_setopt(h, CURLOPT_HEADERDATA, &state);
  curl_easy_setopt(h, CURLOPT_NOPROGRESS, 0L);
  curl_easy_setopt(h, CURLOPT_XFERINFOFUNCTION, on_progress);
  curl_easy_setopt(h, CURLOPT_XFERINFODATA, &state);
  curl_easy_setopt(h, CURLOPT_SOCKOPTFUNCTION, on_socket);
  curl_easy_setopt(h, CURLOPT_SOCKOPTDATA, &state);
  curl_easy_setopt(h, CURLOPT_PREREQFUNCTION, on_connected);
  curl_easy_setopt(h, CURLOPT_PREREQDATA, &state);

  // The multi interface lets this thread look at its job between short waits, so a stop ends
  // the transfer within a few milliseconds whatever phase it is in.
  curl_multi_add_handle(m, h);
  bool stopped = false, stalled = false, trickled = false, quiet_wind_down = false;
  CURLcode code = CURLE_OK;
  while (true) {
    int running = 0;
    if (curl_multi_perform(m, &running) != CURLM_OK) {
      code = CURLE_FAILED_INIT;
      break;
    }
    if (running == 0) {
      int left = 0;
      while (CURLMsg* msg = curl_multi_info_read(m, &left))
        if (msg->msg == CURLMSG_DONE) code = msg->data.result;
      break;
    }
    if (current_job_stopped()) {
      stopped = true;
      break;
    }
    if (current_job_winding_down() && Clock::now() - state.last_activity > kWindDownStall) {
      stalled = quiet_wind_down = true;
      break;
    }
    if (state.connected && t.stall_timeout_ms > 0) {
      const auto now = Clock::now();
      const auto stall = std::chrono::milliseconds(t.stall_timeout_ms);
      state.close_span(now);
      stalled = now - state.last_activity > stall;
      trickled = !stalled && now - state.last_lively > stall + std::chrono::seconds(1);
      if (stalled || trickled) break;
    }
    curl_multi_poll(m, nullptr, 0, 20, nullptr);
  }
  if (code == CURLE_ABORTED_BY_CALLBACK && current_job_stopped()) stopped = true;
  long status = 0;
  curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, &status);
  result.status = static_cast<int>(status);
  if (char* effective = nullptr;
      curl_easy_getinfo(h, CURLINFO_EFFECTIVE_URL, &effective) == CURLE_OK && effective)
    result.final_url = effective;
  curl_multi_remove_handle(m, h);
  curl_easy_cleanup(h);
  curl_slist_free_all(headers);

  if (stopped) {
    result = Result{};
    result.outcome = Outcome::Stopped;
  } else {
    result.outcome =
        (stalled || trickled || code != CURLE_OK || state.too_big) ? Outcome::Failed : Outcome::Done;
    if (state.too_big || code == CURLE_FILESIZE_EXCEEDED)
      result.error = "body over the size limit";
    else if (quiet_wind_down)
      result.error = "no data while stopping";
    else if (stalled)
      result.error = "no data for " + std::to_string(t.stall_timeout_ms) + " ms";
    else if (trickled)
      result.error = "under " + std::to_string(kTrickleBytesPerSecond) + " bytes a second for " +
                     std::to_string(t.stall_timeout_ms) + " ms";
    else if (code != CURLE_OK)
      result.error = curl_easy_strerror(code);
  }
  if (t.cookie_store && result.set_cookie_seen) notify_cookie_store_changed();
  return result;
}

}  // namespace transport
}  // namespace tessaly
