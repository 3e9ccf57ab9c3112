#pragma once
// External link tool: requests URL templates of other sites with one of the user's domains in
// place of "{$url}", so that those sites record the domain. A request whose page contains
// "title" counts as a success. The success and failure totals are program-wide: they count
// across runs and across re-openings of the window until the program ends.
#include <atomic>
#include <string>
#include <string_view>

#include "core/http/http.h"
#include "core/text/text.h"

namespace tessaly::links {

// The configuration files in the program folder: "超级外链工具配置/域名.txt" (the domain box as
// it was at the last start) and "超级外链工具配置/url.txt" (the templates, edited by the user).
std::string domain_file();
std::string template_file();
std::string link_folder();
// Makes the configuration folder and its two files (empty) where they are missing; what is
// there stays as it is. False when something could not be made.
bool ensure_link_files();

// The saved domain box (empty when there is no file).
Text load_domain_text();
// The templates, one per line (none when there is no file).
TextList load_templates();
// Saves the domain box whole, making the configuration folder when it is missing; false when
// the file could not be written (the old file is then kept).
bool save_domain_text(std::string_view text);

// The template with every "{$url}" replaced by the domain (case-sensitive); a template without
// the placeholder stays as it is.
Text link_url(std::string_view url_template, std::string_view domain);
// A domain at random: the program-wide generator reseeded, then position random_int(1, n)
// (two draws combined for lists longer than the 32,768 values one draw covers). Empty when
// there are none.
Text pick_domain(const TextList& domains);
// The success test: the page contains "title" (case-sensitive).
bool link_succeeded(std::string_view page);

struct LinkTotals {
  std::atomic<long long> successes{0};
  std::atomic<long long> failures{0};
};
// The program's totals.
LinkTotals& link_totals();
// "成功：S个，失败：F个".
Text totals_text(long long successes, long long failures);

struct LinkResult {
  Text page;  // the page as text (empty when the request failed)
  // Result: the page passed the success test; Failed: it did not (or no page came);
  // RateLimited: the service kept refusing (a paced run), neither success nor failure.
  ItemOutcome outcome = ItemOutcome::Failed;
};
// One request of a run: a random domain into the template, GET without cookies, the success
// test, and the result counted in the totals (a rate limited request is not counted).
LinkResult request_link(std::string_view url_template, const TextList& domains);

}  // namespace tessaly::links
