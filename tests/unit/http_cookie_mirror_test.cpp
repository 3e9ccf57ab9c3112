// The mirror between the process cookie store and the browser's: every change crosses once, and
// no echo or stale notification bounces back into the side it came from.
#include <gtest/gtest.h>

#include "core/http/cookie_mirror.h"

using namespace tessaly;

namespace {

StoredCookie cookie(std::string name, std::string value, std::string domain = "site.test") {
  StoredCookie c;
  c.domain = std::move(domain);
  c.name = std::move(name);
  c.value = std::move(value);
  return c;
}

std::vector<std::string> values(const std::vector<StoredCookie>& cookies) {
  std::vector<std::string> out;
  for (const auto& c : cookies) out.push_back(c.name + "=" + c.value);
  return out;
}

using V = std::vector<std::string>;

TEST(CookieMirror, StoreChangesReachTheBrowserOnceAndTheirEchoesStayThere) {
  CookieMirror m;
  auto first = m.store_changed({cookie("a", "1"), cookie("b", "2")});
  EXPECT_EQ(values(first.set), (V{"a=1", "b=2"}));
  EXPECT_TRUE(first.remove.empty());
  // The browser reports what it was given: nothing goes back to the store.
  EXPECT_FALSE(m.browser_added(cookie("a", "1")));
  EXPECT_FALSE(m.browser_added(cookie("b", "2")));
  // The same store again asks nothing of the browser.
  auto again = m.store_changed({cookie("a", "1"), cookie("b", "2")});
  EXPECT_TRUE(again.set.empty() && again.remove.empty());

  // A logout clears the site: the browser loses the cookie, and its removal echo stays there.
  auto cleared = m.store_changed({cookie("b", "2")});
  EXPECT_EQ(values(cleared.remove), (V{"a=1"}));
  EXPECT_FALSE(m.browser_removed(cookie("a", "1")));
  // A later login in the browser with the same value is news again.
  EXPECT_TRUE(m.browser_added(cookie("a", "1")));
}

TEST(CookieMirror, QuickStoreChangesDoNotBounceStaleValuesBack) {
  CookieMirror m;
  m.store_changed({cookie("s", "old")});
  auto next = m.store_changed({cookie("s", "new")});
  EXPECT_EQ(values(next.set), (V{"s=new"}));
  // The browser works through both: the echo of "old", the overwrite reported as removal of
  // "old", then "new". None of it is news for the store.
  EXPECT_FALSE(m.browser_added(cookie("s", "old")));
  EXPECT_FALSE(m.browser_removed(cookie("s", "old")));
  EXPECT_FALSE(m.browser_added(cookie("s", "new")));
  auto settled = m.store_changed({cookie("s", "new")});
  EXPECT_TRUE(settled.set.empty() && settled.remove.empty());
}

TEST(CookieMirror, BrowserChangesReachTheStoreOnce) {
  CookieMirror m;
  EXPECT_TRUE(m.browser_added(cookie("login", "x")));
  // The store took it and reports itself changed: the browser already has it.
  auto echo = m.store_changed({cookie("login", "x")});
  EXPECT_TRUE(echo.set.empty() && echo.remove.empty());
  // A site overwriting its cookie: old removed, new added; both go to the store.
  EXPECT_TRUE(m.browser_removed(cookie("login", "x")));
  EXPECT_TRUE(m.browser_added(cookie("login", "y")));
  EXPECT_TRUE(m.store_changed({cookie("login", "y")}).set.empty());
  // The site logs out: the store drops it; the store's report asks nothing more.
  EXPECT_TRUE(m.browser_removed(cookie("login", "y")));
  auto after = m.store_changed({});
  EXPECT_TRUE(after.set.empty() && after.remove.empty());
  // A removal of something never seen is not news.
  EXPECT_FALSE(m.browser_removed(cookie("ghost", "1")));
}

TEST(CookieMirror, DomainPathAndFlagsTellCookiesApart) {
  CookieMirror m;
  StoredCookie host = cookie("id", "1", "www.site.test");
  StoredCookie domain = host;
  domain.domain = "site.test";
  domain.include_subdomains = true;
  StoredCookie deeper = host;
  deeper.path = "/admin";
  auto changes = m.store_changed({host, domain, deeper});
  EXPECT_EQ(changes.set.size(), 3u);
  // The browser writes domains with a leading dot and upper case at times: the same cookie.
  StoredCookie dotted = domain;
  dotted.domain = ".Site.Test";
  EXPECT_FALSE(m.browser_added(dotted));
  // HttpOnly and expiry are part of what changes.
  StoredCookie http_only = host;
  http_only.http_only = true;
  EXPECT_TRUE(m.browser_added(http_only));
  auto flagged = m.store_changed({http_only, domain, deeper});
  EXPECT_TRUE(flagged.set.empty());
}

}  // namespace
