// The results store as whole processes, for bench/store_vs_peers.sh.
//   store_tools --init ADDRESS                 makes the store's schema (before a timed import)
//   store_tools --record ADDRESS TOOL N        records N generated results of a run of TOOL
//                                              (inclusion or access) through a Recorder
//   store_tools --write-csv FILE TOOL N IDS    writes the same N results as CSV rows of the table:
//                                              with-ids (every column, for sqlite3 .import) or
//                                              no-ids (the store's own writes take the ids from
//                                              the table's sequence; so does psql \copy then)
//   store_tools --seed ADDRESS DOMAINS DAYS    one inclusion run a day over DOMAINS domains
//   store_tools --query ADDRESS ROUNDS         times the monitoring's two reads beside a textbook
//                                              SQL formulation of each, in turns, in process
// ADDRESS is what open_store() takes: an SQLite file or a PostgreSQL URL.
#include <libpq-fe.h>
#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "core/store/recorder.h"
#include "core/store/store.h"
#include "core/text/charset.h"
#include "core/text/files.h"
#include "monitor/monitor.h"

namespace {

using namespace tessaly;
using namespace tessaly::store;

constexpr std::int64_t kStart = 1'700'000'000;

// The i-th generated result of a run of the tool: inclusion counts (one in ten failed), or
// access-test titles (Chinese text to convert, one in ten sites unreachable).
ItemResult generated(Tool tool, int i) {
  ItemResult r;
  r.tool = tool;
  r.item = "site" + std::to_string(i) + ".example.com";
  r.at = kStart + i;
  r.run = 1;
  if (i % 10 == 3) {
    r.outcome = Outcome::Failed;
    r.detail = "HTTP 503";
  } else if (tool == Tool::Access) {
    r.reachable = i % 10 != 7;
    if (*r.reachable) r.title = gbk("站群示例网站第" + std::to_string(i % 977) + "页 - 首页");
  } else {
    r.total = i % 100'000;
    r.day = i % 97;
    r.week = i % 701;
    r.links = i % 5'003;
  }
  return r;
}

Tool tool_named(const std::string& name) { return name == "access" ? Tool::Access : Tool::Inclusion; }

std::string csv_field(const std::string& text) {
  if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
  std::string out = "\"";
  for (char c : text) out += c == '"' ? std::string("\"\"") : std::string(1, c);
  return out + "\"";
}

// The row as the table holds it (without the id when `with_id` is false): id, run_id, tool, item, at,
// outcome, detail, total, day, week, links, reachable, title, registrar, created, updated, expires, ip,
// censored, rank_rows, keywords (UTF-8; an empty field is NULL).
std::string csv_row(int id, bool with_id, const ItemResult& r) {
  auto number = [](const std::optional<std::int64_t>& n) { return n ? std::to_string(*n) : std::string(); };
  std::vector<std::string> fields = {std::to_string(id),
                                     std::to_string(r.run),
                                     std::string(tool_key(r.tool)),
                                     utf8(r.item),
                                     std::to_string(r.at),
                                     std::string(outcome_key(r.outcome)),
                                     r.detail,
                                     number(r.total),
                                     number(r.day),
                                     number(r.week),
                                     number(r.links),
                                     r.reachable ? (*r.reachable ? "1" : "0") : "",
                                     utf8(r.title),
                                     "",
                                     "",
                                     "",
                                     "",
                                     r.ip,
                                     "",
                                     "",
                                     ""};
  if (!with_id) fields.erase(fields.begin());
  std::string line;
  for (std::size_t i = 0; i < fields.size(); ++i) line += (i ? "," : "") + csv_field(fields[i]);
  return line + "\n";
}

std::unique_ptr<Store> open_or_die(const std::string& address) {
  auto store = open_store(address);
  if (!store.ok()) {
    std::fprintf(stderr, "store_tools: %s\n", store.error.c_str());
    std::exit(1);
  }
  return std::move(store.value);
}

int record(const std::string& address, Tool tool, int n) {
  auto store = open_or_die(address);
  Recorder recorder(*store, tool);
  for (int i = 0; i < n; ++i) recorder.record(generated(tool, i));
  StoreStatus done = recorder.finish(RunEnd::Done);
  if (!done.ok()) std::fprintf(stderr, "store_tools: %s\n", done.error.c_str());
  return done.ok() ? 0 : 1;
}

int write_csv(const std::string& path, Tool tool, int n, bool with_id) {
  std::string text;
  for (int i = 0; i < n; ++i) text += csv_row(i + 1, with_id, generated(tool, i));
  return write_file(path, text) ? 0 : 1;
}

int seed(const std::string& address, int domains, int days) {
  auto store = open_or_die(address);
  for (int d = 0; d < days; ++d) {
    const std::int64_t day = kStart + std::int64_t(d) * 86'400;
    auto run = store->begin_run(Tool::Inclusion, "seed", day);
    std::vector<ItemResult> batch;
    for (int k = 0; k < domains; ++k) {
      ItemResult r;
      r.tool = Tool::Inclusion;
      r.item = "domain" + std::to_string(k) + ".com";
      r.at = day + k;
      r.run = run.value;
      r.total = 1000 + (k * 7 + d * 13) % 500;
      r.day = (k + d) % 5 == 0 ? 0 : (k + d) % 40;
      r.week = (k * 3 + d) % 300;
      r.links = k % 1000;
      if ((k + d) % 50 == 0) {
        r.outcome = Outcome::Failed;
        r.detail = "HTTP 503";
      }
      batch.push_back(std::move(r));
    }
    StoreStatus written = store->write_results(batch);
    if (!written.ok() || !run.ok()) {
      std::fprintf(stderr, "store_tools: %s%s\n", run.error.c_str(), written.error.c_str());
      return 1;
    }
    store->end_run(run.value, RunEnd::Done, day + domains);
  }
  return 0;
}

// The textbook queries, run through the backend's own library.
class PeerQueries {
 public:
  explicit PeerQueries(const std::string& address) {
    if (address.starts_with("postgres")) {
      pg_ = PQconnectdb(address.c_str());
    } else {
      sqlite3_open(address.c_str(), &sqlite_);
    }
  }
  ~PeerQueries() {
    if (pg_) PQfinish(pg_);
    if (sqlite_) sqlite3_close(sqlite_);
  }
  // Every row of the query, each column read as text; the number of rows.
  std::size_t rows(const std::string& sql) {
    std::size_t n = 0;
    if (pg_) {
      PGresult* result = PQexec(pg_, sql.c_str());
      if (PQresultStatus(result) != PGRES_TUPLES_OK) std::fprintf(stderr, "%s", PQresultErrorMessage(result));
      n = static_cast<std::size_t>(PQntuples(result));
      PQclear(result);
      return n;
    }
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(sqlite_, sql.c_str(), -1, &stmt, nullptr) != SQLITE_OK)
      std::fprintf(stderr, "%s\n", sqlite3_errmsg(sqlite_));
    std::string sink;
    while (stmt && sqlite3_step(stmt) == SQLITE_ROW) {
      for (int c = 0; c < sqlite3_column_count(stmt); ++c)
        if (const unsigned char* text = sqlite3_column_text(stmt, c))
          sink += reinterpret_cast<const char*>(text);
      ++n;
    }
    sqlite3_finalize(stmt);
    return n;
  }

 private:
  PGconn* pg_ = nullptr;
  sqlite3* sqlite_ = nullptr;
};

struct Timings {
  std::vector<double> ms;
  void add(const std::function<void()>& work) {
    const auto t0 = std::chrono::steady_clock::now();
    work();
    ms.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count());
  }
  std::string text() {
    std::sort(ms.begin(), ms.end());
    char out[96];
    std::snprintf(out, sizeof out, "median %8.2f ms  (min %.2f, max %.2f)", ms[ms.size() / 2], ms.front(),
                  ms.back());
    return out;
  }
};

int query(const std::string& address, int rounds) {
  auto store = open_or_die(address);
  PeerQueries peer(address);
  Timings rows, rows_peer, history, history_peer;
  std::size_t domains = 0, points = 0, peer_rows = 0, peer_points = 0;
  const std::string textbook_latest =
      "SELECT * FROM (SELECT r.*, ROW_NUMBER() OVER (PARTITION BY item ORDER BY at DESC, id DESC) AS n"
      " FROM results r WHERE tool = 'inclusion' AND outcome IN ('result', 'empty')) t WHERE n <= 2";
  for (int i = 0; i < rounds; ++i) {
    const std::string domain = "domain" + std::to_string(i * 379 % 1000) + ".com";
    rows.add([&] { domains = monitor::domain_rows(*store).value.size(); });
    rows_peer.add([&] { peer_rows = peer.rows(textbook_latest); });
    history.add([&] { points = monitor::domain_history(*store, domain).value.inclusion.size(); });
    history_peer.add([&] {
      peer_points = peer.rows("SELECT * FROM results WHERE tool = 'inclusion' AND item = '" + domain +
                              "' ORDER BY at, id");
    });
  }
  std::printf("rows of every domain (%zu domains, newest and previous of 5 tools)\n", domains);
  std::printf("  ours: domain_rows()                 %s\n", rows.text().c_str());
  std::printf("  peer: ROW_NUMBER() OVER (...) <= 2  %s  (%zu rows)\n", rows_peer.text().c_str(), peer_rows);
  std::printf("one domain's chart data (%zu inclusion points)\n", points);
  std::printf("  ours: domain_history()              %s\n", history.text().c_str());
  std::printf("  peer: SELECT ... WHERE item = ...   %s  (%zu rows)\n", history_peer.text().c_str(),
              peer_points);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string mode = argc > 1 ? argv[1] : "";
  if (mode == "--init" && argc == 3) return open_or_die(argv[2]) ? 0 : 1;
  if (mode == "--record" && argc == 5) return record(argv[2], tool_named(argv[3]), std::atoi(argv[4]));
  if (mode == "--write-csv" && argc == 6)
    return write_csv(argv[2], tool_named(argv[3]), std::atoi(argv[4]), std::string(argv[5]) == "with-ids");
  if (mode == "--seed" && argc == 5) return seed(argv[2], std::atoi(argv[3]), std::atoi(argv[4]));
  if (mode == "--query" && argc == 4) return query(argv[2], std::atoi(argv[3]));
  std::fprintf(stderr,
               "usage: store_tools --init ADDRESS | --record ADDRESS TOOL N | --write-csv FILE TOOL N "
               "with-ids|no-ids |"
               " --seed ADDRESS DOMAINS DAYS | --query ADDRESS ROUNDS\n");
  return 2;
}
