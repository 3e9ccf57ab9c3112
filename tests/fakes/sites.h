#pragma once
// Home pages of small sites for the access test, one path each on one server: titles in UTF-8
// (declared in the header), GBK (declared nowhere), Big5 (declared in a meta tag), an empty
// title, a title across lines, upper-case tags, character references, no title at all, a
// redirect, and a page that never answers.
#include <string>
#include <vector>

#include "fakes/fake_server.h"

namespace tessaly::fakes {

struct SitePage {
  const char* path;
  const char* title;  // what the access test shows (UTF-8); "" for none
};

class FakeSites {
 public:
  explicit FakeSites(FakeServer& server);
  // Every page with a readable title, and every page without one ("/hang" excluded).
  static const std::vector<SitePage>& pages();
};

// A loopback port nothing listens on (a server's port after it has stopped).
int unused_port();

}  // namespace tessaly::fakes
