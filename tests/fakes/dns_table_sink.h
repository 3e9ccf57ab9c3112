#pragma once
// The batch page of the DNS clients as a plain table: the rows given, every status recorded in
// order, the record ticks and delay as the test sets them.
#include <initializer_list>
#include <string>
#include <vector>

#include "core/text/charset.h"
#include "dns/dns_console.h"

namespace tessaly::fakes {

class TableSink : public DnsBatchSink {
  std::vector<DomainIpPair> rows_;

 public:
  TableSink(std::initializer_list<DomainIpPair> rows) : rows_(rows), status(rows.size()), time(rows.size()) {}

  int row_count() override { return static_cast<int>(rows_.size()); }
  DomainIpPair row(int r) override { return rows_[static_cast<size_t>(r)]; }
  void set_status(int r, const Text& s) override {
    status[static_cast<size_t>(r)] = s;
    history.push_back(utf8(s));
  }
  void set_time(int r, const Text& t) override { time[static_cast<size_t>(r)] = t; }
  void show_row(int r) override { shown.push_back(r); }
  void row_done(int, ItemOutcome outcome) override { outcomes.push_back(outcome); }
  RecordTicks ticks() override { return ticks_value; }
  int delay_seconds() override { return 0; }

  RecordTicks ticks_value;
  std::vector<Text> status, time;
  std::vector<std::string> history;  // every status, UTF-8
  std::vector<int> shown;
  std::vector<ItemOutcome> outcomes;  // of each row, in order
};

}  // namespace tessaly::fakes
