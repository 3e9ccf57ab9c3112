// Search-engine research on the command line: inclusion counts, the banned-word check, the
// keywords a domain ranks for, keyword mining from the suggestion services, and the active URL
// push.
#include <algorithm>
#include <cstdlib>
#include <map>
#include <mutex>
#include <optional>

#include "cli/command.h"
#include "core/jobs/pool.h"
#include "core/text/charset.h"
#include "research/banned_filter.h"
#include "research/domain_mining.h"
#include "research/inclusion.h"
#include "research/keyword_miner.h"
#include "research/url_push.h"

namespace tessaly::cli {
namespace {

// --- inclusion ---------------------------------------------------------------------------------

class InclusionLines : public InclusionSink {
 public:
  InclusionLines(Context& c, Progress& progress) : c_(c), progress_(progress) {}

  void row_started(int, const Text& domain) override {
    row_ = {domain, {}, {}, {}, {}};
    outcome_ = ItemOutcome::Empty;
  }
  void count_found(int position, int column, const Text& count, ItemOutcome outcome) override {
    Text* cells[] = {&row_.total, &row_.day, &row_.week, &row_.links};
    *cells[column - 2] = count;
    outcome_ = combined_outcome(outcome_, outcome);
    if (column != 5) return;
    // The row is whole with its last count.
    c_.out.row(inclusion_export_line(position, row_), {to_text(position), row_.domain, row_.total, row_.day,
                                                       row_.week, row_.links, status_word(outcome_)});
    c_.out.flush();
    progress_.step();
  }
  void request_problem(int position, int, RequestOutcome outcome, const std::string& why) override {
    c_.problems.add(position, row_.domain, outcome, why);
  }

 private:
  Context& c_;
  Progress& progress_;
  InclusionRow row_;
  ItemOutcome outcome_ = ItemOutcome::Empty;  // of the row's queries so far
};

void run_inclusion(Context& c) {
  InclusionOptions options;
  options.domains = read_input_lines(c.args);
  options.domain_wait_ms = static_cast<int>(c.args.number("delay", 500, 0, 3'600'000));
  c.items = static_cast<long long>(options.domains.size());
  c.out.set_columns({"id", "domain", "total", "day", "week", "links", "status"});
  Progress progress("domains", c.items);
  InclusionLines sink(c, progress);
  run_inclusion_query(options, sink);
}

// --- banned-word check -------------------------------------------------------------------------

void run_banned(Context& c) {
  const TextList keywords = read_input_lines(c.args);
  const int threads = static_cast<int>(c.args.number("threads", 10, 1, 1000));
  const bool normal_only = c.args.has("normal-only");
  c.items = static_cast<long long>(keywords.size());
  c.out.set_columns({"id", "keyword", "censored", "status"});
  Progress progress("keywords", c.items);

  // The checks end in any order; rows go out in list order as soon as the rows before them are
  // done.
  std::vector<std::optional<BannedCheck>> results(keywords.size());
  std::mutex mutex;
  size_t next_out = 0;
  auto emit_ready = [&] {
    for (; next_out < results.size() && results[next_out]; ++next_out) {
      const BannedCheck& check = *results[next_out];
      const Text& keyword = keywords[next_out];
      const int position = static_cast<int>(next_out) + 1;
      const bool normal = check.status == banned_status_normal();
      const bool censored = check.status == banned_status_censored();
      if (normal_only && c.out.format() == Format::Text && !normal) continue;
      c.out.row(normal_only ? keyword : to_text(position) + "---" + keyword + "---" + check.status,
                {to_text(position), keyword,
                 normal     ? "no"
                 : censored ? "yes"
                            : "",
                 status_word(check.outcome)});
    }
    c.out.flush();
  };
  PoolPlan plan{.rows = static_cast<int>(keywords.size()), .limit = [threads] { return threads; }};
  PoolWork work{.announce = {},
                .work =
                    [&](int row, int) {
                      const Text& keyword = keywords[static_cast<size_t>(row)];
                      BannedCheck check = check_keyword_banned(keyword);
                      if (check.outcome != ItemOutcome::Result)
                        c.problems.add(row + 1, keyword, check.outcome, check.problem);
                      {
                        std::lock_guard lock(mutex);
                        results[static_cast<size_t>(row)] = std::move(check);
                        emit_ready();
                      }
                      progress.step();
                    },
                .progress = {}};
  run_pooled(c.job, plan, work);
  progress.clear();
  TextList statuses;
  for (const auto& r : results) statuses.push_back(r ? r->status : Text());
  note(utf8(banned_filter_label(filter_normal_keywords(keywords, statuses))));
}

// --- domain keyword mining ---------------------------------------------------------------------

class RankLines : public DomainMiningSink {
 public:
  RankLines(Context& c, Progress& progress) : c_(c), progress_(progress) {}

  void domain_started(int position, const Text& domain) override {
    if (position > 1) progress_.step();
    domain_ = domain;
  }
  void rows_found(const std::vector<std::pair<long long, RankRow>>& rows) override {
    for (const auto& [id, row] : rows)
      c_.out.row(to_text(id) + "---" + row.keyword + "---" + row.url + "---" + row.volume,
                 {to_text(id), domain_, row.keyword, row.url, row.volume});
    c_.out.flush();
  }
  void request_problem(int position, RequestOutcome outcome, const std::string& why) override {
    c_.problems.add(position, domain_, outcome, why);
  }

 private:
  Context& c_;
  Progress& progress_;
  Text domain_;
};

void run_rank(Context& c) {
  DomainMiningOptions options;
  options.domains = read_input_lines(c.args);
  options.all_pages = c.args.has("all-pages");
  const int pages = static_cast<int>(c.args.number("pages", 3, 0, 10'000));
  const int delay = static_cast<int>(c.args.number("delay", 1000, 0, 3'600'000));
  options.page_count = [pages] { return pages; };
  options.delay_ms = [delay] { return delay; };
  c.items = static_cast<long long>(options.domains.size());
  c.out.set_columns({"id", "domain", "keyword", "url", "volume"});
  Progress progress("domains", c.items);
  RankLines sink(c, progress);
  mine_domain_keywords(options, sink);
}

// --- keyword miner -----------------------------------------------------------------------------

const std::map<std::string, MinerSource> kSourceNames = {
    {"baidu", MinerSource::WordLibrary}, {"taobao", MinerSource::Taobao}, {"sogou", MinerSource::Sogou},
    {"bing", MinerSource::Bing},         {"zhidao", MinerSource::Zhidao}, {"360", MinerSource::So360},
};

std::vector<MinerSource> miner_sources(const std::string& list) {
  std::vector<MinerSource> sources;
  for (const Text& name : split_text(list, ",")) {
    auto it = kSourceNames.find(trim_both(name));
    if (it == kSourceNames.end())
      throw UsageError("--sources takes baidu, taobao, sogou, bing, zhidao and 360, not \"" + name + "\"");
    // In the order the page starts them, each once.
    if (std::find(sources.begin(), sources.end(), it->second) == sources.end()) sources.push_back(it->second);
  }
  if (sources.empty()) throw UsageError("--sources names no source");
  std::sort(sources.begin(), sources.end());
  return sources;
}

void run_miner(Context& c) {
  TextList seeds;
  for (const std::string& seed : c.args.values("seed")) seeds.push_back(decode_input(seed));
  if (seeds.empty())
    for (Text& line : read_input_lines(c.args))
      if (!trim_both(line).empty()) seeds.push_back(std::move(line));
  const std::vector<MinerSource> sources =
      miner_sources(c.args.value("sources", "baidu,taobao,sogou,bing,zhidao,360"));
  c.items = static_cast<long long>(seeds.size());
  c.out.set_columns({"seed", "keyword"});
  Progress progress("seeds", c.items);

  for (size_t k = 0; k < seeds.size(); ++k) {
    const Text& seed = seeds[k];
    MinerLive live;
    live.set_seed_box(seed);
    live.set_must_contain(c.args.has("must-contain"));
    for (MinerSource s : sources) live.set_ticked(s, true);
    std::mutex write_mutex;
    KeywordAdmission* admission_ptr = nullptr;
    // Admitted keywords go out in admission order, as they come.
    auto write_pending = [&] {
      std::lock_guard lock(write_mutex);
      for (const Text& keyword : admission_ptr->take_pending()) c.out.row(keyword, {seed, keyword});
      c.out.flush();
    };
    KeywordAdmission admission(live, [&] { write_pending(); });
    admission_ptr = &admission;
    MinerRunOptions options;
    options.seed = seed;
    options.sources = sources;
    MinerRunResult result = run_keyword_miner(c.job, options, live, admission, {});
    write_pending();
    if (result.outcome == ItemOutcome::Failed || result.outcome == ItemOutcome::RateLimited) {
      bool limited = result.outcome == ItemOutcome::RateLimited;
      long long n = limited ? result.rate_limited_requests : result.failed_requests;
      c.problems.add(static_cast<int>(k) + 1, seed, result.outcome,
                     std::to_string(n) + " of " + std::to_string(result.requests) + " requests " +
                         (limited ? "refused" : "unanswered"));
    }
    progress.step();
  }
}

// --- active URL push ---------------------------------------------------------------------------

// The token from the file --token-file names, else from TESSALY_PUSH_TOKEN; never from an
// argument (other users can read a process's arguments). No message ever shows it.
std::string push_token_of(const Args& args) {
  std::string raw, from;
  if (args.has("token-file")) {
    from = "the token file " + args.value("token-file");
    raw = read_text_file(args.value("token-file"));
  } else if (const char* env = std::getenv("TESSALY_PUSH_TOKEN"); env && *env) {
    from = "TESSALY_PUSH_TOKEN";
    raw = env;
  } else {
    throw UsageError("no token: name a file that holds it with --token-file FILE, or set TESSALY_PUSH_TOKEN");
  }
  std::string token = push_token(raw);
  if (token.empty())
    throw UsageError(from + (raw.find_first_not_of(" \t\r\n") == std::string::npos
                                 ? " holds no token"
                                 : " holds more than a token (letters, digits, - and _ only)"));
  return token;
}

class PushLines : public PushSink {
 public:
  PushLines(Context& c, const PushList& list, Progress& progress) : c_(c), list_(list), progress_(progress) {}

  void url_done(const PushedUrl& url) override {
    // The input's line number identifies a URL here, as it does every item of the command line.
    const int line = list_.lines[static_cast<size_t>(url.position - 1)];
    // Every URL not pushed is listed, also one the service refused as not of the site.
    if (url.status != PushStatus::Pushed)
      c_.problems.add(
          line, url.url,
          url.outcome == ItemOutcome::RateLimited ? ItemOutcome::RateLimited : ItemOutcome::Failed, url.why);
    c_.out.row(push_result_line(line, url.url, push_status_cell(url)),
               {to_text(line), url.url, push_status_key(url.status), url.message, status_word(url.outcome)});
    progress_.step();
  }
  void batch_done(const PushTotals&) override { c_.out.flush(); }

 private:
  Context& c_;
  const PushList& list_;
  Progress& progress_;
};

void run_push(Context& c) {
  if (!c.args.has("site"))
    throw UsageError("no site: --site SITE, as registered (www.example.com or https://www.example.com)");
  PushOptions options;
  options.site = push_site(c.args.value("site"));
  if (options.site.empty())
    throw UsageError(
        "--site takes the site as registered (www.example.com or https://www.example.com), not \"" +
        c.args.value("site") + "\"");
  options.token = push_token_of(c.args);
  options.list = clean_push_urls(read_input_lines(c.args));
  // Lines that are not URLs were not pushed: they are listed with the failures.
  for (const auto& [line, text] : options.list.rejected)
    c.problems.add(line, text, ItemOutcome::Failed, "not an http(s) URL, left out");
  c.items = static_cast<long long>(options.list.urls.size() + options.list.rejected.size());
  c.out.set_columns({"id", "url", "result", "message", "status"});
  Progress progress("URLs", static_cast<long long>(options.list.urls.size()));
  PushLines sink(c, options.list, progress);
  const PushResult result = run_url_push(c.job, options, sink);
  progress.clear();
  note(utf8(push_end_message(result)));
}

}  // namespace

void add_research_commands(std::vector<Command>& commands) {
  const char* group = "Search-engine research";
  commands.push_back({"inclusion",
                      group,
                      "Baidu inclusion counts of domains (total, 24 hours, week, back links)",
                      {{"delay", "MS", "wait after each domain (default 500)"}},
                      run_inclusion,
                      true});
  commands.push_back(
      {"banned",
       group,
       "which keywords Baidu censors (banned-word check)",
       {kThreadsOption, {"normal-only", nullptr, "text output: only the normal keywords (the filter)"}},
       run_banned,
       true});
  commands.push_back({"rank",
                      group,
                      "keywords domains rank for in Baidu (Aizhan rank pages)",
                      {{"pages", "N", "rank pages per domain (default 3)"},
                       {"all-pages", nullptr, "every page the first page's pager shows"},
                       {"delay", "MS", "wait after each page (default 1000)"}},
                      run_rank,
                      true});
  commands.push_back({"miner",
                      group,
                      "related keywords of seed keywords from six suggestion services",
                      {{"seed", "WORD", "a seed keyword (again for more); else the input's lines"},
                       {"sources", "LIST", "baidu,taobao,sogou,bing,zhidao,360 (default all)"},
                       {"must-contain", nullptr, "keep only keywords that contain the seed"}},
                      run_miner,
                      true});
  commands.push_back(
      {"push",
       group,
       "push a site's URLs to Baidu's URL-submission API (active push, 2,000 a request)",
       {{"site", "SITE", "the site as registered: www.example.com or https://www.example.com"},
        {"token-file", "FILE", "a file holding the token (else TESSALY_PUSH_TOKEN; never an argument)"}},
       run_push,
       true});
}

}  // namespace tessaly::cli
