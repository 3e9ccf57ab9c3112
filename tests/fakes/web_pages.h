#pragma once
// Plain UTF-8 web pages for the embedded browsers' fakes: a title and a body, sent uncached so
// that every load reaches the server (and its log).
#include <string>

#include "fakes/fake_server.h"

namespace tessaly::fakes {

// A whole HTML document (UTF-8, charset declared) with the title and body markup.
std::string html_page(const std::string& title, const std::string& body);
// Makes `reply` that page.
void reply_page(Reply& reply, const std::string& title, const std::string& body);
// Serves the page at `path` for GET.
void serve_page(FakeServer& server, const std::string& path, const std::string& title,
                const std::string& body);

}  // namespace tessaly::fakes
