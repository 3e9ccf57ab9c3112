// The site tools over loopback and their page parser.
//   net_bench_domains [benchmark flags]   Google Benchmark: the whois page parser over 10,000
//                                         recorded pages, beside a plain find-based extraction
//                                         of the same fields after the same decoding
//   net_bench_domains --access N [RUNS]   the access test of N sites on the fake server (one
//                                         worker, as the tool runs it), beside a sequential
//                                         curl loop over the same URLs and one curl process
//                                         fetching them all; medians of RUNS runs
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/jobs/job.h"
#include "core/patterns/pattern_matcher.h"
#include "core/text/charset.h"
#include "core/text/files.h"
#include "domains/access_test.h"
#include "domains/domain_info.h"
#include "fakes/chinaz.h"
#include "fakes/fake_server.h"

namespace {

using namespace tessaly;
using Clock = std::chrono::steady_clock;

// ---- whois pages -------------------------------------------------------------------------------

// Page chrome around the whois block, as large as a real lookup page's navigation and scripts.
std::string chrome(int i) {
  std::string out = "<div class=\"nav\">";
  for (int k = 0; k < 60; ++k)
    out += "<a href=\"/tool/" + std::to_string((i * 7 + k) % 97) + ".html\">工具" + std::to_string(k) +
           "</a>\r\n";
  out +=
      "</div><script>var config = {site: 'whois', id: " + std::to_string(i) + ", ads: [1,2,3]};</script>\r\n";
  return out;
}

const std::vector<std::string>& recorded_pages() {
  static const std::vector<std::string> pages = [] {
    std::vector<std::string> out;
    out.reserve(10000);
    for (int i = 0; i < 10000; ++i) {
      fakes::WhoisRecord r{.registered = i % 10 != 0,
                           .registrar = "注册商" + std::to_string(i % 37) + " Network Co., Ltd",
                           .name_servers = "ns" + std::to_string(i % 5) + ".dns" + std::to_string(i) + ".com",
                           .dns_servers = "dns" + std::to_string(i % 3) + ".hichina.com",
                           .updated = "2024年0" + std::to_string(1 + i % 9) + "月12日",
                           .created = "2009年11月0" + std::to_string(1 + i % 9) + "日",
                           .expires = "2031年11月30日"};
      std::string page = i % 20 == 7 ? "<html><body><div class=\"loading\">正在查询</div></body></html>"
                                     : fakes::chinaz_whois_page(r);
      size_t body = page.find("<body>") + 6;
      page.insert(body, chrome(i));
      page += chrome(i + 1);
      out.push_back(std::move(page));
    }
    return out;
  }();
  return pages;
}

void BM_WhoisParse(benchmark::State& state) {
  const auto& pages = recorded_pages();
  size_t bytes = 0;
  for (const auto& p : pages) bytes += p.size();
  PatternMatcher matcher;
  for (auto _ : state) {
    int registered = 0;
    for (const auto& p : pages) {
      Text text = info_page_text(p);
      if (!has_whois_marker(text)) continue;
      WhoisResult r = read_whois(matcher, info_decoded_text(text));
      registered += !r.fields[0].empty();
    }
    benchmark::DoNotOptimize(registered);
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(pages.size()));
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(bytes));
}
BENCHMARK(BM_WhoisParse)->Unit(benchmark::kMillisecond);

// The peer: the same decoding, then each field found with plain text searches.
void BM_WhoisFindPeer(benchmark::State& state) {
  const auto& pages = recorded_pages();
  static const std::string labels[] = {gbk("注册商："),   gbk("域名服务器："), gbk("DNS服务器："),
                                       gbk("更新时间："), gbk("创建时间："),   gbk("过期时间：")};
  for (auto _ : state) {
    int registered = 0;
    for (const auto& p : pages) {
      Text text = info_page_text(p);
      if (text.find("<div class=\"div_whois\">") == std::string::npos) continue;
      Text decoded = info_decoded_text(text);
      size_t at = decoded.find("<div id=\"whoisinfo\" class=\"div_whois\">");
      if (at == std::string::npos) continue;
      std::string fields[6];
      for (int j = 0; j < 6; ++j) {
        size_t from = decoded.find(labels[j], at);
        if (from == std::string::npos) break;
        from += labels[j].size();
        size_t end = decoded.find("<br/>", from);
        fields[j] = decoded.substr(from, end - from);
        at = end;
      }
      registered += !fields[0].empty();
    }
    benchmark::DoNotOptimize(registered);
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(pages.size()));
}
BENCHMARK(BM_WhoisFindPeer)->Unit(benchmark::kMillisecond);

// ---- access test -------------------------------------------------------------------------------

double seconds_since(Clock::time_point t0) {
  return std::chrono::duration<double>(Clock::now() - t0).count();
}

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

int access_mode(int sites, int runs) {
  fakes::FakeServer server;
  server.handle_prefix("GET", "/site/", [](const fakes::RecordedRequest& req, fakes::Reply& reply) {
    reply.content_type = "text/html; charset=utf-8";
    reply.body = "<!DOCTYPE html><html><head><title>站点" + req.path.substr(6) +
                 "的首页</title></head><body>" + std::string(2000, 'x') + "</body></html>";
  });
  TextList urls;
  std::string url_file_text, curl_config;
  for (int i = 1; i <= sites; ++i) {
    urls.push_back(server.base_url() + "/site/" + std::to_string(i));
    url_file_text += urls.back() + "\n";
    curl_config += "url = \"" + urls.back() + "\"\noutput = \"/dev/null\"\n";
  }
  char folder[] = "/tmp/tessaly-bench-XXXXXX";
  if (!mkdtemp(folder)) return 1;
  const std::string url_file = std::string(folder) + "/urls.txt";
  const std::string config_file = std::string(folder) + "/curl.cfg";
  write_file(url_file, url_file_text);
  write_file(config_file, curl_config);

  struct Count : AccessSink {
    int ok = 0;
    void result_line(const Text& line) override { ok += line.find("OK") != std::string::npos; }
  };
  std::vector<double> ours, loop, single;
  int ok = 0;
  for (int r = 0; r < runs; ++r) {
    Count sink;
    Job job;
    auto t0 = Clock::now();
    run_job(job, [&] { run_access_test(urls, sink); });
    ours.push_back(seconds_since(t0));
    ok = sink.ok;

    t0 = Clock::now();
    std::string cmd = "while read -r u; do curl -s -o /dev/null \"$u\"; done < " + url_file;
    if (std::system(cmd.c_str()) != 0) std::fprintf(stderr, "curl loop failed\n");
    loop.push_back(seconds_since(t0));

    t0 = Clock::now();
    cmd = "curl -s -K " + config_file;
    if (std::system(cmd.c_str()) != 0) std::fprintf(stderr, "curl failed\n");
    single.push_back(seconds_since(t0));
  }
  std::remove(url_file.c_str());
  std::remove(config_file.c_str());
  rmdir(folder);

  const double a = median(ours), b = median(loop), c = median(single);
  std::printf("access test of %d sites on the loopback fake (median of %d runs, %d titles read):\n", sites,
              runs, ok);
  std::printf("  ours (one worker)            %7.3f s  %8.0f sites/s\n", a, sites / a);
  std::printf("  curl loop (one process each) %7.3f s  %8.0f sites/s\n", b, sites / b);
  std::printf("  curl, one process for all    %7.3f s  %8.0f sites/s\n", c, sites / c);
  return ok == sites ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 3 && std::string(argv[1]) == "--access")
    return access_mode(std::atoi(argv[2]), argc >= 4 ? std::max(1, std::atoi(argv[3])) : 3);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
