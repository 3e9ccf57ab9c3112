#include "research/url_push.h"

#include <algorithm>
#include <unordered_set>

#include "core/http/endpoints.h"
#include "core/text/charset.h"

namespace tessaly {
namespace {

constexpr std::string_view kMask = "******";

bool is_ascii_blank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

// Spaces (ASCII and full-width), tabs and line breaks around the text dropped.
Text trim_blank(std::string_view text) {
  Text t(text);
  while (true) {
    size_t a = 0, b = t.size();
    while (a < b && is_ascii_blank(t[a])) ++a;
    while (b > a && is_ascii_blank(t[b - 1])) --b;
    Text trimmed = trim_both(std::string_view(t).substr(a, b - a));
    if (trimmed.size() == t.size()) return t;
    t = std::move(trimmed);
  }
}

bool starts_with_lower(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && to_lower(text.substr(0, prefix.size())) == prefix;
}

bool is_ascii_alnum(unsigned char c) {
  return (c >= '0' && c <= '9') || ((c | 0x20) >= 'a' && (c | 0x20) <= 'z');
}

// ":" and 1 to 5 digits, or nothing.
bool is_port_part(std::string_view port) {
  if (port.empty()) return true;
  if (port[0] != ':' || port.size() < 2 || port.size() > 6) return false;
  return std::all_of(port.begin() + 1, port.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// --- the JSON of the service's answers ---

// Reads one JSON object: numbers, strings and arrays of strings by key; any other value is
// skipped whole. Strings come out as UTF-8.
class JsonReader {
 public:
  explicit JsonReader(std::string_view text) : s_(text) {}

  bool read(PushAnswer& answer) {
    blank();
    if (!take('{')) return false;
    blank();
    if (take('}')) return true;
    while (true) {
      std::string key;
      blank();
      if (!string(key)) return false;
      blank();
      if (!take(':')) return false;
      blank();
      if (!field(key, answer)) return false;
      blank();
      if (take('}')) return true;
      if (!take(',')) return false;
    }
  }

 private:
  static constexpr int kMaxDepth = 64;

  bool field(const std::string& key, PushAnswer& answer) {
    if (key == "remain") return number(answer.remain);
    if (key == "success") return number(answer.success);
    if (key == "error") return number(answer.error);
    if (key == "message" && peek() == '"') {
      std::string message;
      if (!string(message)) return false;
      answer.message = gbk(message);
      return true;
    }
    if ((key == "not_same_site" || key == "not_valid") && peek() == '[')
      return strings(key == "not_valid" ? answer.not_valid : answer.not_same_site);
    return skip(0);
  }

  char peek() const { return i_ < s_.size() ? s_[i_] : '\0'; }
  bool take(char c) {
    if (peek() != c || i_ >= s_.size()) return false;
    ++i_;
    return true;
  }
  void blank() {
    while (i_ < s_.size() && (s_[i_] == ' ' || s_[i_] == '\t' || s_[i_] == '\r' || s_[i_] == '\n')) ++i_;
  }

  // An integer; a fraction or exponent after it is read and dropped. Anything else (null, a
  // string) is skipped and leaves `out` as it was.
  bool number(long long& out) {
    if (peek() != '-' && (peek() < '0' || peek() > '9')) return skip(0);
    bool negative = take('-');
    long long value = 0;
    int digits = 0;
    while (peek() >= '0' && peek() <= '9') {
      if (++digits > 18) return false;
      value = value * 10 + (s_[i_++] - '0');
    }
    if (digits == 0) return false;
    if (take('.'))
      while (peek() >= '0' && peek() <= '9') ++i_;
    if (peek() == 'e' || peek() == 'E') {
      ++i_;
      if (peek() == '+' || peek() == '-') ++i_;
      while (peek() >= '0' && peek() <= '9') ++i_;
    }
    out = negative ? -value : value;
    return true;
  }

  bool hex4(unsigned& out) {
    if (i_ + 4 > s_.size()) return false;
    out = 0;
    for (int k = 0; k < 4; ++k) {
      char c = s_[i_++];
      int d = c >= '0' && c <= '9'                     ? c - '0'
              : (c | 0x20) >= 'a' && (c | 0x20) <= 'f' ? (c | 0x20) - 'a' + 10
                                                       : -1;
      if (d < 0) return false;
      out = out * 16 + static_cast<unsigned>(d);
    }
    return true;
  }

  static void put_utf8(std::string& out, unsigned cp) {
    if (cp < 0x80) {
      out += static_cast<char>(cp);
    } else if (cp < 0x800) {
      out += static_cast<char>(0xC0 | (cp >> 6));
      out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
      out += static_cast<char>(0xE0 | (cp >> 12));
      out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (cp >> 18));
      out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (cp & 0x3F));
    }
  }

  bool string(std::string& out) {
    if (!take('"')) return false;
    while (i_ < s_.size()) {
      char c = s_[i_++];
      if (c == '"') return true;
      if (c != '\\') {
        out += c;
        continue;
      }
      if (i_ >= s_.size()) return false;
      char e = s_[i_++];
      switch (e) {
        case '"':
        case '\\':
        case '/':
          out += e;
          break;
        case 'b':
          out += '\b';
          break;
        case 'f':
          out += '\f';
          break;
        case 'n':
          out += '\n';
          break;
        case 'r':
          out += '\r';
          break;
        case 't':
          out += '\t';
          break;
        case 'u': {
          unsigned cp;
          if (!hex4(cp)) return false;
          if (cp >= 0xD800 && cp < 0xDC00 && s_.substr(i_, 2) == "\\u") {
            size_t back = i_;
            i_ += 2;
            unsigned low;
            if (hex4(low) && low >= 0xDC00 && low < 0xE000)
              cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
            else
              i_ = back;
          }
          // A lone surrogate is no character.
          put_utf8(out, cp >= 0xD800 && cp < 0xE000 ? 0xFFFD : cp);
          break;
        }
        default:
          return false;
      }
    }
    return false;
  }

  // An array's strings; other elements are skipped.
  bool strings(TextList& out) {
    take('[');
    blank();
    if (take(']')) return true;
    while (true) {
      blank();
      if (peek() == '"') {
        std::string item;
        if (!string(item)) return false;
        out.push_back(gbk(item));
      } else if (!skip(1)) {
        return false;
      }
      blank();
      if (take(']')) return true;
      if (!take(',')) return false;
    }
  }

  // Any value, nested arrays and objects included (to a bounded depth).
  bool skip(int depth) {
    if (depth > kMaxDepth) return false;
    blank();
    char c = peek();
    if (c == '"') {
      std::string ignored;
      return string(ignored);
    }
    if (c == '{' || c == '[') {
      const char close = c == '{' ? '}' : ']';
      ++i_;
      blank();
      if (take(close)) return true;
      while (true) {
        blank();
        if (close == '}') {
          std::string key;
          if (!string(key)) return false;
          blank();
          if (!take(':')) return false;
        }
        if (!skip(depth + 1)) return false;
        blank();
        if (take(close)) return true;
        if (!take(',')) return false;
      }
    }
    if (c == '-' || (c >= '0' && c <= '9')) {
      long long ignored;
      return number(ignored);
    }
    for (std::string_view word : {"true", "false", "null"}) {
      if (s_.substr(i_, word.size()) == word) {
        i_ += word.size();
        return true;
      }
    }
    return false;
  }

  std::string_view s_;
  size_t i_ = 0;
};

// What makes two URLs the same: scheme and host without case, the rest as it is.
Text url_key(const Text& url) {
  const size_t host_start = url.find("://") + 3;
  const size_t host_end = url.find_first_of("/?#", host_start);
  const size_t cut = host_end == std::string::npos ? url.size() : host_end;
  return to_lower(std::string_view(url).substr(0, cut)) + url.substr(cut);
}

bool is_quota_message(const Text& message) { return find_text(message, "over quota", 1, true) != kNotFound; }

}  // namespace

std::string push_site(std::string_view typed) {
  Text site = trim_blank(typed);
  if (!site.empty() && site.back() == '/') site.pop_back();
  std::string scheme;
  if (starts_with_lower(site, "http://"))
    scheme = "http://";
  else if (starts_with_lower(site, "https://"))
    scheme = "https://";
  std::string_view host = std::string_view(site).substr(scheme.size());
  const size_t colon = host.find(':');
  std::string_view name = host.substr(0, colon);
  if (name.empty() || name.front() == '.' || name.front() == '-' ||
      !std::all_of(name.begin(), name.end(), [](char c) {
        return is_ascii_alnum(static_cast<unsigned char>(c)) || c == '-' || c == '.';
      }))
    return {};
  if (colon != std::string_view::npos && !is_port_part(host.substr(colon))) return {};
  return scheme + std::string(host);
}

std::string push_token(std::string_view typed) {
  Text token = trim_blank(typed);
  const bool ok = std::all_of(token.begin(), token.end(), [](char c) {
    return is_ascii_alnum(static_cast<unsigned char>(c)) || c == '-' || c == '_';
  });
  return ok ? token : std::string();
}

bool is_push_url(std::string_view line) {
  size_t skip = starts_with_lower(line, "http://") ? 7 : starts_with_lower(line, "https://") ? 8 : 0;
  if (skip == 0) return false;
  // Trail bytes of GBK characters are 0x40 and above, never 0x7F: this test sees no false spaces.
  for (unsigned char c : line)
    if (c <= 0x20 || c == 0x7F) return false;
  std::string_view rest = line.substr(skip);
  std::string_view host = rest.substr(0, rest.find_first_of("/?#"));
  size_t i = 0;
  while (i < host.size() && host[i] != ':') {
    const unsigned char c = static_cast<unsigned char>(host[i]);
    if (c >= 0x80) {
      i += static_cast<size_t>(char_size(host, i));
      continue;
    }
    if (!is_ascii_alnum(c) && c != '-' && c != '_' && c != '.') return false;
    ++i;
  }
  return i > 0 && is_port_part(host.substr(i));
}

PushList clean_push_urls(const TextList& lines) {
  PushList list;
  std::unordered_set<Text> seen;
  seen.reserve(lines.size());
  for (size_t k = 0; k < lines.size(); ++k) {
    Text line = trim_blank(lines[k]);
    if (line.empty()) {
      ++list.blank;
    } else if (!is_push_url(line)) {
      ++list.not_url;
      list.rejected.emplace_back(static_cast<int>(k) + 1, std::move(line));
    } else if (!seen.insert(url_key(line)).second) {
      ++list.duplicate;
    } else {
      list.urls.push_back(std::move(line));
      list.lines.push_back(static_cast<int>(k) + 1);
    }
  }
  return list;
}

std::string push_request_url(std::string_view site, std::string_view token) {
  return endpoint_base("BAIDU_PUSH_API") + "/urls?site=" + std::string(site) + "&token=" + std::string(token);
}

PushAnswer read_push_answer(std::string_view body) {
  PushAnswer answer;
  JsonReader reader(body);
  if (!reader.read(answer)) return PushAnswer{};
  answer.object = true;
  return answer;
}

std::string mask_secret(std::string_view text, std::string_view secret) {
  std::string out(text);
  if (secret.empty()) return out;
  for (size_t at = out.find(secret); at != std::string::npos; at = out.find(secret, at + kMask.size()))
    out.replace(at, secret.size(), kMask);
  return out;
}

const Text& push_status_text(PushStatus status) {
  static const Text pushed = gbk("推送成功"), other_site = gbk("非本站链接"), not_valid = gbk("链接不合法"),
                    quota = gbk("配额已用完");
  switch (status) {
    case PushStatus::Pushed:
      return pushed;
    case PushStatus::NotSameSite:
      return other_site;
    case PushStatus::NotValid:
      return not_valid;
    case PushStatus::Failed:
      return query_failed_text();
    case PushStatus::RateLimited:
      return rate_limited_text();
    case PushStatus::QuotaUsedUp:
      return quota;
  }
  return query_failed_text();
}

const char* push_status_key(PushStatus status) {
  switch (status) {
    case PushStatus::Pushed:
      return "pushed";
    case PushStatus::NotSameSite:
      return "not same site";
    case PushStatus::NotValid:
      return "not valid";
    case PushStatus::Failed:
      return "failed";
    case PushStatus::RateLimited:
      return "rate limited";
    case PushStatus::QuotaUsedUp:
      return "quota used up";
  }
  return "failed";
}

Text push_status_cell(const PushedUrl& url) {
  if (url.status == PushStatus::Failed && !url.message.empty())
    return push_status_text(url.status) + gbk("：") + url.message;
  return push_status_text(url.status);
}

Text push_result_line(int position, const Text& url, const Text& status_cell) {
  return to_text(position) + "---" + url + "---" + status_cell;
}

Text push_summary_text(const PushTotals& totals) {
  Text text = gbk("成功") + to_text(totals.pushed) + gbk("条，今日剩余") +
              (totals.remain >= 0 ? to_text(totals.remain) + gbk("条") : gbk("未知"));
  const int left_out = totals.blank + totals.duplicate + totals.not_url;
  if (left_out > 0)
    text += gbk("，已剔除") + to_text(left_out) + gbk("行（空行") + to_text(totals.blank) + gbk("，重复") +
            to_text(totals.duplicate) + gbk("，非网址") + to_text(totals.not_url) + gbk("）");
  return text;
}

PushResult run_url_push(Job& job, const PushOptions& options, PushSink& sink) {
  PushResult result;
  result.totals.blank = options.list.blank;
  result.totals.duplicate = options.list.duplicate;
  result.totals.not_url = options.list.not_url;
  const TextList& urls = options.list.urls;
  const size_t count = urls.size();
  const size_t batch = static_cast<size_t>(std::clamp(options.batch_size, 1, kPushBatchLimit));
  const std::string request_url = push_request_url(options.site, options.token);
  auto masked = [&](std::string_view text) { return mask_secret(text, options.token); };

  auto tell = [&](size_t index, PushStatus status, ItemOutcome outcome, const Text& message,
                  std::string why) {
    if (status == PushStatus::QuotaUsedUp || (status == PushStatus::Failed && result.end == PushEnd::Refused))
      ++result.unsent;
    if (status == PushStatus::NotSameSite || status == PushStatus::NotValid) ++result.not_accepted;
    result.counts.add(outcome);
    sink.url_done(
        PushedUrl{static_cast<int>(index) + 1, urls[index], status, outcome, message, std::move(why)});
  };
  auto tell_range = [&](size_t from, size_t to, PushStatus status, ItemOutcome outcome, const Text& message,
                        const std::string& why) {
    for (size_t i = from; i < to; ++i) tell(i, status, outcome, message, why);
  };
  const std::string quota_why = "the day's quota is used up";

  for (size_t next = 0; next < count;) {
    job.checkpoint();
    const size_t end = std::min(count, next + batch);
    std::string body;
    for (size_t i = next; i < end; ++i) {
      if (i > next) body += '\n';
      body += utf8(urls[i]);
    }
    // An empty jar of its own: the browsers' cookies are no business of this service.
    std::string jar;
    HttpOptions http{.method = HttpMethod::Post,
                     .post_bytes = std::move(body),
                     .headers = "Content-Type: text/plain",
                     .cookie_jar = &jar};
    const HttpResponse response = http_request_bytes(request_url, http);
    const RequestOutcome outcome = request_outcome(response);
    const PushAnswer answer = read_push_answer(response.body);
    const Text message = masked(answer.message);
    const long long code = answer.object && answer.error != 0 ? answer.error : response.status;
    const std::string problem =
        masked(response.ok() ? "HTTP " + std::to_string(code) + (message.empty() ? "" : ": " + utf8(message))
                             : request_problem(response));

    if (outcome == RequestOutcome::RateLimited) {
      tell_range(next, end, PushStatus::RateLimited, ItemOutcome::RateLimited, {}, problem);
    } else if (outcome == RequestOutcome::Answered && answer.accepted()) {
      std::unordered_set<Text> other_site(answer.not_same_site.begin(), answer.not_same_site.end());
      std::unordered_set<Text> not_valid(answer.not_valid.begin(), answer.not_valid.end());
      long long taken = answer.success;
      for (size_t i = next; i < end; ++i) {
        if (other_site.count(urls[i])) {
          tell(i, PushStatus::NotSameSite, ItemOutcome::Result, {}, "not of the site");
        } else if (not_valid.count(urls[i])) {
          tell(i, PushStatus::NotValid, ItemOutcome::Result, {}, "not a valid URL");
        } else if (taken > 0) {
          // The service takes a request's URLs in their order until its quota runs out.
          --taken;
          ++result.totals.pushed;
          tell(i, PushStatus::Pushed, ItemOutcome::Result, {}, {});
        } else if (answer.remain == 0) {
          tell(i, PushStatus::QuotaUsedUp, ItemOutcome::Failed, {}, quota_why);
        } else {
          tell(i, PushStatus::Failed, ItemOutcome::Failed, {}, "not counted as pushed by the service");
        }
      }
      if (answer.remain >= 0) result.totals.remain = answer.remain;
      if (answer.remain == 0 && (end < count || result.unsent > 0)) {
        result.end = PushEnd::QuotaUsedUp;
        tell_range(end, count, PushStatus::QuotaUsedUp, ItemOutcome::Failed, {}, quota_why);
      }
    } else if (response.ok() && is_quota_message(message)) {
      result.end = PushEnd::QuotaUsedUp;
      result.totals.remain = 0;
      result.message = message;
      tell_range(next, count, PushStatus::QuotaUsedUp, ItemOutcome::Failed, {}, quota_why);
    } else if (response.ok() && code >= 400 && code < 500 && code != 429) {
      // The site or the token was refused: every further request would be refused alike.
      result.end = PushEnd::Refused;
      result.message = message.empty() ? Text("HTTP " + std::to_string(code)) : message;
      tell_range(next, count, PushStatus::Failed, ItemOutcome::Failed, message, problem);
    } else {
      // No answer, a server error, or an answer that says nothing readable: this batch failed.
      const bool unreadable = response.ok() && code < 400;
      tell_range(next, end, PushStatus::Failed, ItemOutcome::Failed, message,
                 unreadable ? "unreadable answer (HTTP " + std::to_string(response.status) + ")" : problem);
    }
    sink.batch_done(result.totals);
    if (result.end != PushEnd::Done) break;  // the rest stays unsent
    next = end;
  }
  return result;
}

Text push_end_message(const PushResult& result) {
  switch (result.end) {
    case PushEnd::Done:
      return gbk("推送完毕：") + push_summary_text(result.totals) + failures_tail(result.counts) +
             (result.not_accepted > 0
                  ? gbk("，另有") + to_text(result.not_accepted) + gbk("条未被接受（非本站链接或链接不合法）")
                  : Text());
    case PushEnd::QuotaUsedUp:
      return gbk("今日推送配额已用完，还有") + to_text(result.unsent) +
             gbk("条网址未推送（状态为“配额已用完”），请明天再推送。");
    case PushEnd::Refused:
      return gbk("推送被拒绝（") + result.message + gbk("），请检查站点和准入密钥。还有") +
             to_text(result.unsent) + gbk("条网址未推送。");
  }
  return {};
}

}  // namespace tessaly
