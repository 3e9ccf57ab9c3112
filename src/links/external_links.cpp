#include "links/external_links.h"

#include "core/http/http.h"
#include "core/patterns/random.h"
#include "core/text/charset.h"
#include "core/text/files.h"

namespace tessaly::links {
namespace {

const char* const kFolder = "超级外链工具配置";

}  // namespace

std::string domain_file() { return program_path({kFolder, "域名.txt"}); }

std::string template_file() { return program_path({kFolder, "url.txt"}); }

std::string link_folder() { return program_path({kFolder}); }

bool ensure_link_files() { return ensure_empty_files(link_folder(), {"url.txt", "域名.txt"}); }

Text load_domain_text() { return to_text_bytes(read_file(domain_file())); }

TextList load_templates() { return split_lines(to_text_bytes(read_file(template_file()))); }

bool save_domain_text(std::string_view text) {
  const std::string folder = link_folder();
  if (!file_exists(folder)) make_dir(folder);
  return replace_file(domain_file(), text);
}

Text link_url(std::string_view url_template, std::string_view domain) {
  return replace_text(url_template, "{$url}", domain, 1, kAll, true);
}

Text pick_domain(const TextList& domains) {
  if (domains.empty()) return {};
  reseed_random();
  const int n = static_cast<int>(domains.size());
  constexpr int kRange = 32768;  // random_int draws at most this many values above its minimum
  if (n <= kRange) return domains[static_cast<size_t>(random_int(1, n) - 1)];
  // A longer list needs two draws, or the domains past the range would never be drawn.
  long long wide = static_cast<long long>(random_int(0, kRange - 1)) * kRange + random_int(0, kRange - 1);
  return domains[static_cast<size_t>(wide % n)];
}

bool link_succeeded(std::string_view page) { return find_text(page, "title") != kNotFound; }

LinkTotals& link_totals() {
  static LinkTotals totals;
  return totals;
}

Text totals_text(long long successes, long long failures) {
  return gbk("成功：") + to_text(successes) + gbk("个，失败：") + to_text(failures) + gbk("个");
}

LinkResult request_link(std::string_view url_template, const TextList& domains) {
  LinkResult result;
  HttpResponse response = winhttp_request(link_url(url_template, pick_domain(domains)));
  result.page = to_text_bytes(response.body);
  if (response.rate_limited) {
    result.outcome = ItemOutcome::RateLimited;
    return result;
  }
  const bool success = link_succeeded(result.page);
  result.outcome = success ? ItemOutcome::Result : ItemOutcome::Failed;
  ++(success ? link_totals().successes : link_totals().failures);
  return result;
}

}  // namespace tessaly::links
