// URL, header, cookie-text and percent-encoding helpers shared by the request functions and the
// tools. All work on GBK texts.
#include <algorithm>

#include "core/http/http.h"
#include "core/text/charset.h"
#include "core/text/text.h"

namespace tessaly {
namespace {

// The name of one cookie piece: the part before the first "=", trimmed (the whole piece when it
// has no "=").
std::string cookie_name(std::string_view piece) {
  size_t eq = piece.find('=');
  return trim_both(piece.substr(0, eq));
}

bool ends_with(std::string_view text, std::string_view tail) {
  return text.size() >= tail.size() && text.substr(text.size() - tail.size()) == tail;
}

// Cookie pieces of a text, spaces removed; empty pieces carry no cookie and are skipped.
TextList cookie_pieces(std::string_view text) {
  TextList out;
  for (auto& piece : split_text(remove_spaces(text), ";"))
    if (!piece.empty()) out.push_back(std::move(piece));
  return out;
}

int hex_digit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

void merge_cookies(std::string& jar, std::string_view new_cookies) {
  TextList fresh = cookie_pieces(new_cookies);
  TextList old = cookie_pieces(jar);
  std::vector<std::string> fresh_names;
  for (const auto& piece : fresh) fresh_names.push_back(cookie_name(piece));
  TextList merged = fresh;
  for (const auto& piece : old)
    if (std::find(fresh_names.begin(), fresh_names.end(), cookie_name(piece)) == fresh_names.end())
      merged.push_back(piece);
  TextList kept;
  for (const auto& piece : merged) {
    if (ends_with(piece, "=deleted")) continue;
    if (std::find(kept.begin(), kept.end(), piece) != kept.end()) continue;
    kept.push_back(piece);
  }
  jar = join_text(kept, "; ");
}

std::string url_host(std::string_view url, bool root_only, bool keep_port) {
  std::string u = to_lower(url);
  if (u.empty() || u.back() != '/') u += '/';
  std::string host;
  auto after = [&](std::string_view marker) {
    int p = find_text(u, marker);
    size_t from = static_cast<size_t>(p - 1) + marker.size();
    size_t slash = u.find('/', from);
    return u.substr(from, slash - from);
  };
  if (u.rfind("https://", 0) == 0) {
    host = after("https://");
  } else {
    if (find_text(u, "http://") == kNotFound) u = "http://" + u;
    host = after("http://");
  }
  if (root_only) {
    TextList labels = split_text(host, ".");
    if (labels.size() >= 2) host = labels[labels.size() - 2] + "." + labels.back();
  }
  if (!keep_port) host = host.substr(0, host.find(':'));
  return host;
}

int url_port(std::string_view url) {
  std::string host = url_host(url, false, true);
  size_t colon = host.rfind(':');
  if (colon == std::string::npos) return to_lower(left(url, 5)) == "https" ? 443 : 80;
  return to_int(host.substr(colon + 1));
}

std::string url_path(std::string_view url) {
  std::string host = url_host(url);
  int p = host.empty() ? kNotFound : find_text(url, host, 1, true);
  if (p == kNotFound) p = 1;
  size_t slash = url.find('/', static_cast<size_t>(p - 1));
  if (slash == std::string_view::npos) return "/";
  return std::string(url.substr(slash));
}

std::string header_name(std::string_view line) {
  size_t colon = line.find(':');
  if (colon == std::string_view::npos) return {};
  return trim_both(line.substr(0, colon));
}

std::string header_value(std::string_view line) {
  size_t colon = line.find(':');
  if (colon == std::string_view::npos) return {};
  return trim_both(line.substr(colon + 1));
}

std::string url_encode(std::string_view text, UrlEncoding encoding) {
  if (text.empty()) return {};
  std::string bytes = encoding.utf8 ? convert_charset(text, "GBK", "UTF-8") : std::string(text);
  static const char* const kHex = "0123456789ABCDEF";
  std::string out;
  out.reserve(bytes.size() * 3);
  for (unsigned char c : bytes) {
    bool safe =
        (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '.';
    if (encoding.keep_safe && safe) {
      out.push_back(static_cast<char>(c));
    } else {
      out.push_back('%');
      out.push_back(kHex[c >> 4]);
      out.push_back(kHex[c & 15]);
    }
  }
  return out;
}

std::string url_decode(std::string_view text, bool utf8) {
  std::string bytes;
  bytes.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 2 < text.size() && hex_digit(text[i + 1]) >= 0 && hex_digit(text[i + 2]) >= 0) {
      bytes.push_back(static_cast<char>(hex_digit(text[i + 1]) * 16 + hex_digit(text[i + 2])));
      i += 2;
    } else {
      bytes.push_back(text[i]);
    }
  }
  return utf8 ? convert_charset(bytes, "UTF-8", "GBK") : bytes;
}

}  // namespace tessaly
