#include "fakes/dns_consoles.h"

#include <algorithm>
#include <cctype>
#include <sstream>

namespace tessaly::fakes {
namespace detail {

std::string lower(std::string s) {
  for (auto& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

bool iequal(const std::string& a, const std::string& b) { return lower(a) == lower(b); }

std::string get(const std::map<std::string, std::string>& m, const std::string& key) {
  auto it = m.find(key);
  return it == m.end() ? std::string() : it->second;
}

bool all_digits(const std::string& s) {
  return !s.empty() &&
         std::all_of(s.begin(), s.end(), [](char c) { return std::isdigit(static_cast<unsigned char>(c)); });
}

bool valid_record_name(const std::string& name) {
  if (name == "@" || name == "*") return true;
  std::string rest = name.rfind("*.", 0) == 0 ? name.substr(2) : name;
  if (rest.empty() || rest.front() == '.' || rest.back() == '.' || rest.find("..") != std::string::npos)
    return false;
  return std::all_of(rest.begin(), rest.end(), [](char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '.';
  });
}

std::string json_escape(const std::string& s) {
  std::string out;
  for (char c : s) {
    if (c == '"' || c == '\\') out += '\\';
    out += c;
  }
  return out;
}

std::string xml_escape(const std::string& s) {
  std::string out;
  for (char c : s) {
    switch (c) {
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '&':
        out += "&amp;";
        break;
      default:
        out += c;
    }
  }
  return out;
}

FakeResponse json(const std::string& body) {
  FakeResponse r;
  r.content_type = "application/json; charset=utf-8";
  r.body = body;
  return r;
}

FakeResponse html(const std::string& body) {
  FakeResponse r;
  r.body = body;
  return r;
}

}  // namespace detail

using namespace detail;

std::string form_decode(const std::string& text, bool plus_is_space) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c == '+' && plus_is_space) {
      out += ' ';
    } else if (c == '%' && i + 2 < text.size() && std::isxdigit(static_cast<unsigned char>(text[i + 1])) &&
               std::isxdigit(static_cast<unsigned char>(text[i + 2]))) {
      out += static_cast<char>(std::stoi(text.substr(i + 1, 2), nullptr, 16));
      i += 2;
    } else {
      out += c;
    }
  }
  return out;
}

std::map<std::string, std::string> parse_form(const std::string& text) {
  std::map<std::string, std::string> out;
  size_t start = 0;
  while (start <= text.size()) {
    size_t amp = text.find('&', start);
    std::string piece = text.substr(start, amp == std::string::npos ? std::string::npos : amp - start);
    if (!piece.empty()) {
      size_t eq = piece.find('=');
      std::string key = form_decode(piece.substr(0, eq), true);
      std::string value = eq == std::string::npos ? std::string() : form_decode(piece.substr(eq + 1), true);
      out.emplace(key, value);  // the first of a repeated field counts
    }
    if (amp == std::string::npos) break;
    start = amp + 1;
  }
  return out;
}

std::map<std::string, std::string> parse_cookies(const std::string& header) {
  std::map<std::string, std::string> out;
  std::stringstream in(header);
  std::string piece;
  while (std::getline(in, piece, ';')) {
    size_t b = piece.find_first_not_of(' ');
    if (b == std::string::npos) continue;
    piece = piece.substr(b);
    size_t eq = piece.find('=');
    std::string name = piece.substr(0, eq);
    while (!name.empty() && name.back() == ' ') name.pop_back();
    std::string value = eq == std::string::npos ? std::string() : piece.substr(eq + 1);
    out.emplace(name, value);
  }
  return out;
}

bool valid_domain_name(const std::string& name) {
  if (name.empty() || name.size() > 253 || name.find('.') == std::string::npos) return false;
  if (name.front() == '.' || name.back() == '.' || name.find("..") != std::string::npos) return false;
  return std::all_of(name.begin(), name.end(), [](char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '.';
  });
}

bool valid_ipv4(const std::string& text) {
  int parts = 0;
  size_t start = 0;
  while (true) {
    size_t dot = text.find('.', start);
    std::string part = text.substr(start, dot == std::string::npos ? std::string::npos : dot - start);
    if (!all_digits(part) || part.size() > 3 || std::stoi(part) > 255) return false;
    ++parts;
    if (dot == std::string::npos) break;
    start = dot + 1;
  }
  return parts == 4;
}

// --- FakeConsole ---

FakeResponse FakeConsole::handle(const FakeRequest& request) {
  auto matches = [&](const std::string& path, const std::string& contains) {
    return request.path == path && (contains.empty() || request.query.find(contains) != std::string::npos ||
                                    request.body.find(contains) != std::string::npos);
  };
  {
    std::unique_lock lock(mutex_);
    log_.push_back(request);
    log_.back().at = std::chrono::steady_clock::now();
    if (holding_ && matches(hold_path_, hold_contains_)) {
      ++held_now_;
      held_changed_.notify_all();
      held_changed_.wait_for(lock, std::chrono::seconds(20), [this] { return !holding_; });
      --held_now_;
    }
    for (auto& rule : fail_rules_) {
      if (rule.times > 0 && matches(rule.path, rule.contains)) {
        --rule.times;
        if (rule.mode == FailMode::EmptyAnswer) {
          FakeResponse empty;
          empty.status = 500;
          return empty;
        }
        return failure_answer(request);
      }
    }
  }
  return answer(request);
}

void FakeConsole::fail(const std::string& path, const std::string& contains, int times, FailMode mode) {
  std::lock_guard lock(mutex_);
  fail_rules_.push_back({path, contains, times, mode});
}

void FakeConsole::hold(const std::string& path, const std::string& contains) {
  std::lock_guard lock(mutex_);
  hold_path_ = path;
  hold_contains_ = contains;
  holding_ = true;
}

void FakeConsole::release() {
  std::lock_guard lock(mutex_);
  holding_ = false;
  held_changed_.notify_all();
}

int FakeConsole::held() const {
  std::lock_guard lock(mutex_);
  return held_now_;
}

std::vector<FakeRequest> FakeConsole::requests() const {
  std::lock_guard lock(mutex_);
  return log_;
}

std::vector<FakeRequest> FakeConsole::requests_to(const std::string& path) const {
  std::lock_guard lock(mutex_);
  std::vector<FakeRequest> out;
  for (const auto& r : log_)
    if (r.path == path) out.push_back(r);
  return out;
}

void FakeConsole::clear_log() {
  std::lock_guard lock(mutex_);
  log_.clear();
}

std::string FakeConsole::next_token() {
  // Called with the lock held.
  static const char* hex = "0123456789abcdef";
  unsigned long v = ++token_counter_ * 2654435761UL + 977;
  std::string out = "t";
  for (int i = 0; i < 16; ++i) {
    out += hex[v & 15];
    v = v * 6364136223846793005ULL + 1442695040888963407ULL;
    v ^= v >> 29;
  }
  return out;
}

// --- mounting ---

void mount_console(FakeServer& server, FakeConsole& console) {
  server.set_fallback([&console](const RecordedRequest& recorded, Reply& reply) {
    FakeRequest request{recorded.method, recorded.path, recorded.query, recorded.body,
                        recorded.header("Cookie")};
    FakeResponse response = console.handle(request);
    reply.status = response.status;
    reply.content_type = response.content_type;
    reply.body = response.body;
    for (const auto& cookie : response.set_cookies) reply.set_cookie(cookie);
    if (!response.location.empty()) reply.redirect(response.location, response.status);
  });
}

DnspodSite::DnspodSite() {
  mount_console(server, console);
  point_endpoints({{"DNSPOD_WEB", &server}});
  trust_test_ca();
}

DnspodSite::~DnspodSite() {
  server.stop();
  reset_endpoints();
}

Dns51Site::Dns51Site() {
  mount_console(server, console);
  point_endpoints({{"DNS51_WEB", &server}});
  trust_test_ca();
}

Dns51Site::~Dns51Site() {
  server.stop();
  reset_endpoints();
}

}  // namespace tessaly::fakes
