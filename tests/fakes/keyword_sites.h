#pragma once
// The two keyword-statistics sites of the keyword collection, each logged in through its own
// page in the embedded browser and answering more to a logged-in visitor.
//
// 词库网: "/" is the home page with a login form whose POST "/login" sets the session cookie
// "ciku_session" through Set-Cookie (HttpOnly, so only the cookie store can carry it on).
// "/s?wd=<seed>&citype=0[&p=<n>]" is a result page: it shows `pager_links` pager links to a
// logged-in visitor (none otherwise) and lists items "<seed>词<n>-<k>" through getdata(this,'...'),
// k = 1..3 logged in, 1 otherwise (n = 0 for the page without a page number).
//
// Aizhan: "/login.php" logs the visitor in by script (document.cookie "aizhan_session").
// "/<seed>/" and "/<seed>/<n>/" are result pages in the same way, with "&nbsp;<a href=...>"
// pager links and items "<seed>词<n>-<k>" whose seed is highlighted in red font.
//
// Seeds arrive percent-encoded UTF-8; the pages are UTF-8.
#include <string>

#include "fakes/fake_server.h"

namespace tessaly::fakes {

struct KeywordSiteOptions {
  int pager_links = 9;  // shown to a logged-in visitor
};

void add_wordlib_site(FakeServer& server, KeywordSiteOptions options = {});
void add_aizhan_site(FakeServer& server, KeywordSiteOptions options = {});

// The items a result page lists for the seed (UTF-8), as the collection reads them.
std::string keyword_item(const std::string& seed, int page, int k);

}  // namespace tessaly::fakes
