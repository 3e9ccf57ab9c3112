#pragma once
// The Baidu-rank pages of a domain ("/baidu/<domain>/position/" for the first page,
// "/baidu/<domain>/<n>/position/" for page n) as the domain keyword mining reads them: UTF-8
// pages with keyword rows, search-volume links pointing at the keyword pages, and a pager block
// whose link count is one less than the domain's page count. A page beyond the last, and any
// page of an unknown domain, holds no rows.
#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "fakes/fake_server.h"

namespace tessaly::fakes {

struct RankSite {
  int pages = 1;        // pages the pager announces (links = pages - 1)
  int rows = 3;         // keyword rows on every page
  int volumes = -1;     // volume links on every page (-1: one per row)
  std::string extra{};  // raw bytes put into every page (control bytes, broken UTF-8...)
  int hang_page = 0;    // this page never answers (until the server releases it)
};

class FakeAizhanRank {
 public:
  // keyword_base: the address of the keyword pages that volume links point at ("http://host/").
  FakeAizhanRank(FakeServer& server, std::string keyword_base);

  void set_site(const std::string& domain, RankSite site);

  // What row i (from 1) of page p (1 = the first page, with or without its number) shows (UTF-8).
  static std::string keyword(const std::string& domain, int page, int i);
  static std::string url(const std::string& domain, int page, int i);
  static std::string volume(int page, int i);

 private:
  std::shared_ptr<std::mutex> mutex_ = std::make_shared<std::mutex>();
  std::shared_ptr<std::map<std::string, RankSite>> sites_ =
      std::make_shared<std::map<std::string, RankSite>>();
};

}  // namespace tessaly::fakes
