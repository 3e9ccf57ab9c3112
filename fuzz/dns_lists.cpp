// The DNS consoles' answers and the batch pages' input as a lying or broken server and a careless
// paste give them: domain lists, record tables, totals, IDs, cookie jars and the domain/IP pairing.
// Every value read comes from the answer itself, list rows are numbered as promised, and nothing
// reads outside the input.
#include <string>
#include <string_view>

#include "core/text/text.h"
#include "dns/dns51_client.h"
#include "dns/dns_common.h"
#include "dns/dnspod_client.h"
#include "fuzz_support.h"

using namespace tessaly;

namespace {

bool inside(std::string_view haystack, std::string_view piece) {
  return haystack.find(piece) != std::string_view::npos;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // Parameters: the list page number, flags. Texts: the answer, a domain (or a second box, or a
  // cookie name).
  fuzz::Input in(data, size, 2);
  const std::string_view answer = in.text(0), other = in.text(1);
  const int page = 1 + in.param(0) % 50;

  const auto pod_rows = parse_dnspod_domain_list(answer);
  const size_t pieces = split_text(answer, "<item>").size();
  for (const auto& row : pod_rows) {
    FUZZ_CHECK(inside(answer, row.id) && inside(answer, row.name));
    FUZZ_CHECK(row.position >= 0 && static_cast<size_t>(row.position) < pieces);
  }
  FUZZ_CHECK(inside(answer, dnspod_domain_id(answer)));
  (void)dnspod_succeeded(answer);
  (void)dnspod_removed(answer);

  FUZZ_CHECK(inside(answer, dns51_added_domain_id(answer)));
  FUZZ_CHECK(inside(answer, dns51_found_domain_id(answer)));
  (void)dns51_domain_added(answer);
  const Dns51RecordIds ids = parse_51dns_record_ids(answer, other);
  for (const Text* id : {&ids.www, &ids.at, &ids.star}) FUZZ_CHECK(id->size() <= answer.size());
  const int total = parse_51dns_total(answer);
  FUZZ_CHECK(dns51_page_count(total) >= 1 || total < 0);
  const auto rows = parse_51dns_page(answer, page);
  for (size_t j = 0; j < rows.size(); ++j) {
    FUZZ_EQ(rows[j].number, (page - 1) * 100 + static_cast<int>(j) + 1);
    FUZZ_CHECK(inside(answer, rows[j].id) && inside(answer, rows[j].name));
  }

  // The import pairs line i with line i, or refuses when the counts differ.
  const auto pairs = import_domain_ip_pairs(answer, other);
  const TextList domains = split_lines(answer), ips = split_lines(other);
  FUZZ_EQ(pairs.has_value(), domains.size() == ips.size());
  if (pairs)
    for (size_t i = 0; i < pairs->size(); ++i) {
      FUZZ_EQ((*pairs)[i].domain, domains[i]);
      FUZZ_EQ((*pairs)[i].ip, ips[i]);
    }

  // A cookie jar as pasted: a value found is a piece of the jar, and adding a pair keeps it.
  std::string jar(answer);
  const Text value = cookie_value(jar, other, in.flag(1, 0));
  FUZZ_CHECK(inside(jar, value) || !in.flag(1, 0));
  add_cookie(jar, other);
  if (!other.empty()) FUZZ_CHECK(jar.ends_with(other));
  return 0;
}
