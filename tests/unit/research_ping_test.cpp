// The ping pass over a scripted browser: which addresses are submitted, in which order, what a
// pause or stop pressed during an address does, and what continue and start do afterwards.
#include <gtest/gtest.h>

#include <functional>
#include <map>

#include "core/http/endpoints.h"
#include "research/ping.h"
#include "support/test_support.h"

using namespace tessaly;
using namespace tessaly::research;
using tessaly::test::g;

namespace {

// Confirms every address except those listed; `during` runs while an address is submitted (the
// moment a button press reaches the real pass).
class ScriptedBrowser : public PingDriver {
 public:
  std::vector<std::string> log;
  std::vector<Text> statuses;
  std::vector<ItemOutcome> outcomes;
  bool no_form = false;     // the form page never shows the form
  PingLoadProblem problem;  // what load_problem() tells then
  std::map<Text, bool> unconfirmed;
  std::function<void(const Text& address)> during;
  // Called in each wait for the form with the number of that wait (1-based); the form shows
  // unless the pass gives up on it meanwhile.
  std::function<void(int wait)> before_form;

  void navigate(const std::string& url) override { log.push_back("navigate " + url); }
  bool wait_for_page_text(const Text& text, const std::function<bool()>& give_up) override {
    if (text == g("博客地址")) {
      if (before_form) before_form(++form_waits_);
      return !no_form && !give_up();
    }
    if (during) during(filled_);
    return !unconfirmed.count(filled_) && !give_up();
  }
  void fill_text_input(const Text& identifier, const Text& value) override {
    log.push_back("fill " + identifier + " " + value);
    filled_ = value.substr(7);  // without "http://"
  }
  void click_button_input(const Text& identifier) override { log.push_back("click " + identifier); }
  PingLoadProblem load_problem() override { return problem; }
  void address_done(const Text&, ItemOutcome outcome, const Text& line) override {
    outcomes.push_back(outcome);
    statuses.push_back(line);
  }
  bool aborted() override { return false; }

  std::vector<Text> filled() const {
    std::vector<Text> out;
    for (const auto& entry : log)
      if (entry.rfind("fill 1 ", 0) == 0) out.push_back(entry.substr(7));
    return out;
  }

 private:
  Text filled_;
  int form_waits_ = 0;
};

Text status(const Text& address) {
  return g("恭喜你的域名-") + address + g("提交成功,百度将尽快会收录你的网站！\r\n");
}

TEST(ResearchPing, EachAddressIsLoadedFilledClickedAndConfirmed) {
  set_endpoint_overrides("BAIDU_PING = http://ping.test:8080");
  ScriptedBrowser browser;
  browser.unconfirmed[""] = true;  // "http://" alone gets no confirmation
  PingRunState state;
  // A trailing CR LF adds no address; an empty line is submitted as "http://"; a typed prefix
  // is doubled.
  TextList addresses = split_lines("a.cn\r\n\r\nhttp://b.cn\r\n");
  ASSERT_EQ(addresses.size(), 3u);
  EXPECT_EQ(run_ping_pass(state, addresses, browser), PingPassEnd::Finished);
  const std::string page = "navigate http://ping.test:8080/ping.html?qq-pf-to=pcqq.c2c";
  EXPECT_EQ(browser.log,
            (std::vector<std::string>{page, "fill 1 http://a.cn", "click 1", page, "fill 1 http://",
                                      "click 1", page, "fill 1 http://http://b.cn", "click 1"}));
  EXPECT_EQ(browser.statuses, (std::vector<Text>{status("a.cn"), g("域名-提交失败：页面没有确认收到。\r\n"),
                                                 status("http://b.cn")}));
  EXPECT_EQ(browser.outcomes,
            (std::vector<ItemOutcome>{ItemOutcome::Result, ItemOutcome::Failed, ItemOutcome::Result}));
  set_endpoint_overrides("");
}

// A form page that never shows its form sends nothing and says so, with what the load told;
// one the service refused says that instead.
TEST(ResearchPing, AnAddressWhoseFormPageFailsIsReportedNotSkipped) {
  struct Case {
    PingLoadProblem problem;
    ItemOutcome outcome;
    const char* line;
  } cases[] = {
      {{}, ItemOutcome::Failed, "域名-a.cn提交失败：ping页面没有打开。\r\n"},
      {{g("服务器回答HTTP 503"), false},
       ItemOutcome::Failed,
       "域名-a.cn提交失败：ping页面没有打开（服务器回答HTTP 503）。\r\n"},
      {{g("服务器回答HTTP 429"), true}, ItemOutcome::RateLimited, "域名-a.cn频率受限，没有提交。\r\n"},
  };
  for (const Case& c : cases) {
    ScriptedBrowser browser;
    browser.no_form = true;
    browser.problem = c.problem;
    PingRunState state;
    EXPECT_EQ(run_ping_pass(state, {"a.cn", "b.cn"}, browser), PingPassEnd::Finished);
    EXPECT_TRUE(browser.filled().empty());
    EXPECT_EQ(browser.statuses.size(), 2u);
    EXPECT_EQ(browser.statuses.front(), g(c.line));
    EXPECT_EQ(browser.outcomes.front(), c.outcome);
  }
}

TEST(ResearchPing, PauseFinishesTheCurrentAddressAndContinueGoesOnWithTheNext) {
  ScriptedBrowser browser;
  PingRunState state;
  TextList addresses = {"1.cn", "2.cn", "3.cn", "4.cn"};
  browser.during = [&](const Text& a) {
    if (a == "3.cn") state.pause = true;
  };
  EXPECT_EQ(run_ping_pass(state, addresses, browser), PingPassEnd::Paused);
  EXPECT_EQ(browser.filled(), (std::vector<Text>{"http://1.cn", "http://2.cn", "http://3.cn"}));
  EXPECT_EQ(state.resume_position, 4);
  EXPECT_EQ(browser.statuses.size(), 3u);

  // Continue: the pause flag cleared, the pass goes on from the fourth address.
  browser.during = nullptr;
  state.pause = false;
  EXPECT_EQ(run_ping_pass(state, addresses, browser), PingPassEnd::Finished);
  EXPECT_EQ(browser.filled().size(), 4u);
  EXPECT_EQ(browser.filled().back(), "http://4.cn");
}

TEST(ResearchPing, AfterAStopContinueEndsAtOnceUntilStartClearsTheFlags) {
  ScriptedBrowser browser;
  PingRunState state;
  TextList addresses = {"1.cn", "2.cn", "3.cn"};
  browser.during = [&](const Text& a) {
    if (a == "1.cn") state.stop = true;
  };
  EXPECT_EQ(run_ping_pass(state, addresses, browser), PingPassEnd::Stopped);
  EXPECT_EQ(browser.filled(), (std::vector<Text>{"http://1.cn"}));
  browser.during = nullptr;

  state.pause = false;  // continue
  EXPECT_EQ(run_ping_pass(state, addresses, browser), PingPassEnd::Stopped);
  EXPECT_EQ(browser.filled().size(), 1u);

  state = PingRunState{};  // start
  EXPECT_EQ(run_ping_pass(state, addresses, browser), PingPassEnd::Finished);
  EXPECT_EQ(browser.filled(),
            (std::vector<Text>{"http://1.cn", "http://1.cn", "http://2.cn", "http://3.cn"}));
}

// A pause or stop that comes while the form is awaited leaves that address unsent; the pass
// continues with it. Once submitted, an address is waited for whatever the flags say.
TEST(ResearchPing, PauseOrStopBeforeTheFormLeavesTheAddressUnsent) {
  for (bool stop : {false, true}) {
    ScriptedBrowser browser;
    PingRunState state;
    TextList addresses = {"1.cn", "2.cn", "3.cn"};
    browser.before_form = [&](int wait) {
      if (wait == 2) (stop ? state.stop : state.pause) = true;
    };
    EXPECT_EQ(run_ping_pass(state, addresses, browser), stop ? PingPassEnd::Stopped : PingPassEnd::Paused);
    EXPECT_EQ(browser.filled(), (std::vector<Text>{"http://1.cn"})) << stop;
    EXPECT_EQ(browser.statuses.size(), 1u) << stop;
    if (stop) continue;
    EXPECT_EQ(state.resume_position, 2);
    state.pause = false;  // continue
    EXPECT_EQ(run_ping_pass(state, addresses, browser), PingPassEnd::Finished);
    EXPECT_EQ(browser.filled(), (std::vector<Text>{"http://1.cn", "http://2.cn", "http://3.cn"}));
    EXPECT_EQ(browser.statuses.size(), 3u);
  }
}

TEST(ResearchPing, ScriptsCarryIdentifierAndValueAsStringLiterals) {
  // Quotes, backslashes and line breaks are escaped; a GBK character whose trail byte is a
  // backslash (0x5C) stays whole.
  const Text value = "http://a\"b\\c\r\n" + g("誠");
  ASSERT_EQ(g("誠").back(), '\\');
  Text script = fill_text_input_script("1", value);
  EXPECT_NE(script.find("(\"1\", \"http://a\\\"b\\\\c\\x0d\\x0a" + g("誠") + "\")"), std::string::npos);
  EXPECT_NE(click_button_input_script("1").find("})(\"1\")"), std::string::npos);
}

}  // namespace
