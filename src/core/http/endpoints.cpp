#include "core/http/endpoints.h"

#include <cstdlib>
#include <map>
#include <mutex>
#include <optional>

#include "core/text/files.h"
#include "core/text/text.h"

namespace tessaly {
namespace {

std::mutex overrides_mutex;
std::optional<std::map<std::string, RemoteEndpoint, std::less<>>> overrides;

std::map<std::string, RemoteEndpoint, std::less<>> parse(std::string_view lines) {
  std::map<std::string, RemoteEndpoint, std::less<>> out;
  std::string text(lines);
  for (auto& c : text)
    if (c == '\r') c = '\n';
  for (const auto& raw : split_text(text, "\n")) {
    std::string line = raw.substr(0, raw.find('#'));
    size_t eq = line.find('=');
    if (eq == std::string::npos) continue;
    std::string key = trim_both(line.substr(0, eq));
    std::string value = trim_both(line.substr(eq + 1));
    size_t sep = value.find("://");
    if (key.empty() || sep == std::string::npos) continue;
    std::string scheme = to_lower(value.substr(0, sep));
    std::string host = value.substr(sep + 3);
    while (!host.empty() && host.back() == '/') host.pop_back();
    // The request functions speak http and https only; any other line is ignored.
    if ((scheme != "http" && scheme != "https") || host.empty()) continue;
    out[key] = RemoteEndpoint{key, scheme, host};
  }
  return out;
}

const std::map<std::string, RemoteEndpoint, std::less<>>& current_overrides() {
  if (!overrides) {
    std::string path;
    if (const char* env = std::getenv("TESSALY_ENDPOINTS"); env && *env)
      path = env;
    else
      path = join_path(program_folder(), "endpoints.conf");
    overrides = parse(read_file(path));
  }
  return *overrides;
}

}  // namespace

const std::vector<RemoteEndpoint>& default_endpoints() {
  static const std::vector<RemoteEndpoint> table = {
      {"DNSPOD_WEB", "https", "www.dnspod.cn"},
      {"DNS51_WEB", "https", "www.51dns.com"},
      {"BAIDU_WEB_SEARCH", "http", "www.baidu.com"},
      {"BAIDU_HOME", "http", "www.baidu.com"},
      {"BAIDU_SUGGEST", "http", "suggestion.baidu.com"},
      {"BAIDU_PING", "http", "ping.baidu.com"},
      {"BAIDU_PUSH_API", "http", "data.zz.baidu.com"},
      {"BAIDU_TRANSLATE", "http", "fanyi.baidu.com"},
      {"WORDLIB_HOME", "http", "www.ciku5.com"},
      {"WORDLIB_SEARCH", "http", "www.ciku5.com"},
      {"WORDLIB_DATA", "http", "www.ciku5.com"},
      {"AIZHAN_LOGIN", "http", "www.aizhan.com"},
      {"AIZHAN_KEYWORDS", "http", "ci.aizhan.com"},
      {"AIZHAN_BAIDURANK", "http", "baidurank.aizhan.com"},
      {"KANDIANBAO_WAJUE", "http", "www.kandianbao.com"},
      {"TAOBAO_SUGGEST", "http", "suggest.taobao.com"},
      {"SOGOU_INDEX_SEARCH", "http", "index.sogou.com"},
      {"SOGOU_INDEX_HINT", "http", "index.sogou.com"},
      {"BING_HOME", "http", "cn.bing.com"},
      {"BING_SUGGEST", "http", "api.bing.com"},
      {"SO360_SUGGEST", "http", "sug.so.360.cn"},
      {"CHINAZ_WHOIS", "http", "whois.chinaz.com"},
      {"CHINAZ_IP", "http", "ip.tool.chinaz.com"},
      {"IP138_LOOKUP", "http", "www.ip138.com"},
      {"PRODUCT_HOME", "http", "www.tessaly.cn"},
      {"PRODUCT_HOME_ALT", "http", "www.tessaly.com.cn"},
      {"MINER_HELP", "http", "www.tessaly.cn"},
  };
  return table;
}

RemoteEndpoint endpoint(std::string_view key) {
  {
    std::lock_guard lock(overrides_mutex);
    const auto& o = current_overrides();
    if (auto it = o.find(key); it != o.end()) return it->second;
  }
  for (const auto& e : default_endpoints())
    if (e.key == key) return e;
  return RemoteEndpoint{std::string(key), "http", ""};
}

std::string endpoint_base(std::string_view key) {
  RemoteEndpoint e = endpoint(key);
  return e.scheme + "://" + e.host;
}

void set_endpoint_overrides(std::string_view lines) {
  std::lock_guard lock(overrides_mutex);
  overrides = parse(lines);
}

void reload_endpoint_overrides() {
  std::lock_guard lock(overrides_mutex);
  overrides.reset();
}

}  // namespace tessaly
