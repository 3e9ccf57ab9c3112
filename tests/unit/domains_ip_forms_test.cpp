#include <gtest/gtest.h>

#include "core/jobs/job.h"
#include "core/text/line_output.h"
#include "core/text/text.h"
#include "domains/ip_forms.h"
#include "support/test_support.h"

namespace tessaly {
namespace {

std::string forms(const IpFormsOptions& o) {
  TextOutput out;
  generate_ip_forms(o, out.out());
  return out.text();
}

IpFormsOptions one(std::string address, int n, bool lower = true) {
  IpFormsOptions o;
  o.addresses = {std::move(address)};
  o.zeros = n;
  o.lower_case = lower;
  return o;
}

std::string hosts(const std::vector<std::string>& list) {
  std::string out;
  for (const auto& h : list) out += "http://" + h + "/\r\n";
  return out;
}

TEST(IpForms, LoopbackWithOneZeroInOrder) {
  EXPECT_EQ(forms(one("127.0.0.1", 1)),
            hosts({"0177.1", "0x07f.1", "0x07f.0x01", "0177.0x01",  // two parts
                   "0177.0.1", "0x07f.0x00.1", "0177.0x00.1", "0x07f.0.1", "0x07f.0x00.0x01",
                   "0177.0x00.0x01", "0x07f.0.0x01", "0177.0.0x01"}));
}

TEST(IpForms, RemainderBytesAndCase) {
  // 168 x 65536 + 1 x 256 + 100 = 11010404 = 0xA80164; 1 x 256 + 100 = 356 = 0x164.
  IpFormsOptions o = one("10.168.1.100", 1, false);
  o.three_part = false;
  EXPECT_EQ(forms(o), hosts({"012.11010404", "0x0A.11010404", "0x0A.0x0A80164", "012.0x0A80164"}));
  o.lower_case = true;
  EXPECT_EQ(forms(o), hosts({"012.11010404", "0x0a.11010404", "0x0a.0x0a80164", "012.0x0a80164"}));
  o.two_part = false;
  o.three_part = true;
  o.lower_case = false;
  TextList lines = split_lines(forms(o));
  ASSERT_EQ(lines.size(), 8u);
  EXPECT_EQ(lines[0], "http://012.0250.356/");
  EXPECT_EQ(lines[1], "http://0x0A.0x0A8.356/");
  EXPECT_EQ(lines[4], "http://0x0A.0x0A8.0x0164/");
}

TEST(IpForms, LineCounts) {
  struct Case {
    int n;
    bool two, three;
    size_t lines_per_address;
  };
  const Case cases[] = {{6, true, true, 2184 / 2}, {6, true, false, 84}, {6, false, true, 1008},
                        {1, true, true, 12},       {0, true, true, 0},   {-3, true, true, 0},
                        {3, false, false, 0}};
  for (const auto& c : cases) {
    IpFormsOptions o;
    o.addresses = split_lines("127.0.0.1\r\n127.0.0.2");
    o.zeros = c.n;
    o.two_part = c.two;
    o.three_part = c.three;
    EXPECT_EQ(split_lines(forms(o)).size(), 2 * c.lines_per_address) << c.n << c.two << c.three;
    EXPECT_EQ(ip_forms_per_address(c.n, c.two, c.three), static_cast<long long>(c.lines_per_address));
  }
}

TEST(IpForms, EveryAddressStartsAgainWithOneZero) {
  IpFormsOptions o;
  o.addresses = {"1.0.0.1", "", "2.0.0.1"};
  o.zeros = 2;
  o.three_part = false;
  TextList lines = split_lines(forms(o));
  ASSERT_EQ(lines.size(), 24u);  // 2 x (2 + 4) per address; the empty line gives nothing
  EXPECT_EQ(lines[0], "http://01.1/");
  EXPECT_EQ(lines[6], "http://001.1/");  // j = 2
  EXPECT_EQ(lines[12], "http://02.1/");
}

TEST(IpForms, LinesWithoutFourNumbersAreSkipped) {
  const char* skipped[] = {"1.2.3", "1.2.3.4.5", "a.b.c.d", "1.2.3.4:80", "1..2.3", "localhost", "1.2.3.x"};
  for (const char* line : skipped) EXPECT_EQ(forms(one(line, 1)), "") << line;
  // Spaces around the line and full-width digits are read as the address.
  std::string loopback = forms(one("127.0.0.1", 1));
  EXPECT_EQ(forms(one(" 127.0.0.1 ", 1)), loopback);
  EXPECT_EQ(forms(one(gbk("１２７.0.0.１"), 1)), loopback);
  // No range check: 300 is 0454 in octal and 0x12C in hexadecimal.
  EXPECT_EQ(split_lines(forms(one("300.0.0.0", 1)))[0], "http://0454.0/");
}

TEST(LineOutput, StopEndsTheRunAtTheNextLine) {
  Job job;
  Job::Scope scope(&job);
  int blocks = 0;
  LineOutput out(
      [&](std::string_view) {
        ++blocks;
        job.request_stop();
      },
      40);
  IpFormsOptions o = one("127.0.0.1", 50);  // 250,000 lines unless stopped
  EXPECT_THROW(generate_ip_forms(o, out), JobStopped);
  EXPECT_EQ(blocks, 1);
  EXPECT_LT(out.lines(), 5);
}

}  // namespace
}  // namespace tessaly
