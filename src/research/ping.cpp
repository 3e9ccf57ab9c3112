#include "research/ping.h"

#include <algorithm>
#include <cstdio>

#include "core/http/endpoints.h"
#include "core/text/charset.h"

namespace tessaly::research {
namespace {

// A JavaScript string literal holding the text as it is. Double-byte characters pass through
// whole (a trail byte may look like a backslash); the script is converted as a whole when it
// crosses into the browser.
Text js_literal(const Text& text) {
  Text out = "\"";
  for (size_t i = 0; i < text.size();) {
    int size = char_size(text, i);
    if (size > 1) {
      out.append(text, i, static_cast<size_t>(size));
      i += static_cast<size_t>(size);
      continue;
    }
    unsigned char c = static_cast<unsigned char>(text[i++]);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c < 0x20 || c == 0x7F) {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\x%02x", c);
      out += buf;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out + "\"";
}

// Picks from `list` the element whose name, id or title equals id, or else the one at the
// 1-based position id names.
constexpr const char* kPick =
    "function pick(list, id) {"
    "  for (var i = 0; i < list.length; i++) {"
    "    var e = list[i];"
    "    if (e.getAttribute('name') === id || e.id === id || e.title === id) return e;"
    "  }"
    "  var n = parseInt(id, 10);"
    "  return n >= 1 && n <= list.length ? list[n - 1] : null;"
    "}"
    "function inputs(types) {"
    "  var all = document.getElementsByTagName('input'), out = [];"
    "  for (var i = 0; i < all.length; i++)"
    "    if (types.indexOf((all[i].type || 'text').toLowerCase()) >= 0) out.push(all[i]);"
    "  return out;"
    "}";

}  // namespace

std::string ping_page_url() { return endpoint_base("BAIDU_PING") + "/ping.html?qq-pf-to=pcqq.c2c"; }

PingAddressEnd ping_one_url(const Text& address, const PingRunState& state, PingDriver& driver) {
  static const Text form_ready = gbk("博客地址");
  static const Text confirmed = gbk("恭喜您，您的博客地址或RSS地址已经成功提交。");
  static const Text status_head = gbk("恭喜你的域名-");
  static const Text status_tail = gbk("提交成功,百度将尽快会收录你的网站！\r\n");
  static const Text domain = gbk("域名-"), failed = gbk("提交失败：");
  const auto leaving = [&state] { return state.stop || state.pause; };
  driver.navigate(ping_page_url());
  if (!driver.wait_for_page_text(form_ready, leaving)) {
    if (leaving()) return PingAddressEnd::Left;
    PingLoadProblem problem = driver.load_problem();
    if (problem.refused) {
      driver.address_done(address, ItemOutcome::RateLimited,
                          domain + address + rate_limited_text() + gbk("，没有提交。\r\n"));
      return PingAddressEnd::Refused;
    }
    Text why = problem.why.empty() ? Text() : gbk("（") + problem.why + gbk("）");
    driver.address_done(address, ItemOutcome::Failed,
                        domain + address + failed + gbk("ping页面没有打开") + why + gbk("。\r\n"));
    return PingAddressEnd::NoForm;
  }
  // The prefix is always added, also to an address typed with its own.
  driver.fill_text_input("1", "http://" + address);
  driver.click_button_input("1");
  if (!driver.wait_for_page_text(confirmed, [] { return false; })) {
    driver.address_done(address, ItemOutcome::Failed,
                        domain + address + failed + gbk("页面没有确认收到。\r\n"));
    return PingAddressEnd::Unconfirmed;
  }
  driver.address_done(address, ItemOutcome::Result, status_head + address + status_tail);
  return PingAddressEnd::Confirmed;
}

PingPassEnd run_ping_pass(PingRunState& state, const TextList& addresses, PingDriver& driver) {
  const int n = static_cast<int>(addresses.size());
  for (int i = std::max(1, state.resume_position); i <= n;) {
    if (driver.aborted()) return PingPassEnd::Aborted;
    if (state.pause) {
      state.resume_position = i;
      return PingPassEnd::Paused;
    }
    if (state.stop) return PingPassEnd::Stopped;
    // A left address stays the current one: the checks above end the pass on it.
    if (ping_one_url(addresses[static_cast<size_t>(i - 1)], state, driver) != PingAddressEnd::Left) ++i;
  }
  return driver.aborted() ? PingPassEnd::Aborted : PingPassEnd::Finished;
}

Text fill_text_input_script(const Text& identifier, const Text& value) {
  return Text("(function (id, value) {") + kPick +
         "  var e = pick(inputs(['text', 'password', 'file']), id);"
         "  if (!e) return false;"
         "  try { e.value = value; } catch (err) { return false; }"
         "  return true;"
         "})(" +
         js_literal(identifier) + ", " + js_literal(value) + ")";
}

Text click_button_input_script(const Text& identifier) {
  return Text("(function (id) {") + kPick +
         "  var e = pick(inputs(['button', 'submit', 'reset']), id);"
         "  if (!e) e = pick(document.getElementsByTagName('button'), id);"
         "  if (!e) return false;"
         "  e.click();"
         "  return true;"
         "})(" +
         js_literal(identifier) + ")";
}

}  // namespace tessaly::research
