#pragma once
// Fake DNSPod and 51dns consoles for the tests. Each keeps real state (accounts, sessions,
// domains, records, ids), answers with the markers the clients look for, refuses requests
// without a valid session, refuses duplicates and malformed values, and can be told to fail or
// hold a given request. The consoles see requests as plain values (FakeRequest) so that their
// logic does not depend on the transport; mount_* registers them on the fake-services server.
// Texts inside the consoles are UTF-8 (what a real console stores); form values are decoded as
// a web server decodes them ("+" is a space).
#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "fakes/fake_server.h"

namespace tessaly::fakes {

struct FakeRequest {
  std::string method;  // "GET" or "POST"
  std::string path;
  std::string query;  // raw, without "?"
  std::string body;   // raw
  std::string cookie_header;
  std::chrono::steady_clock::time_point at{};  // when the console received it
};

struct FakeResponse {
  int status = 200;
  std::string content_type = "text/html; charset=utf-8";
  std::string body;
  std::vector<std::string> set_cookies;  // "name=value; path=/"
  std::string location;                  // a redirect when not empty
};

// Decoded "a=1&b=2" (percent sequences and "+" as a web server reads them).
std::map<std::string, std::string> parse_form(const std::string& text);
// Cookie header "a=1; b=2" as a map; the first value of a repeated name counts.
std::map<std::string, std::string> parse_cookies(const std::string& header);
std::string form_decode(const std::string& text, bool plus_is_space);

// What the consoles have in common: the request log, failure injection and holding requests.
class FakeConsole {
 public:
  enum class FailMode { ErrorAnswer, EmptyAnswer };

  virtual ~FakeConsole() = default;

  // Answers one request (thread-safe).
  FakeResponse handle(const FakeRequest& request);

  // The next `times` requests to `path` whose query or body contains `contains` (raw text) fail.
  void fail(const std::string& path, const std::string& contains = {}, int times = 1,
            FailMode mode = FailMode::ErrorAnswer);
  // Requests to `path` containing `contains` wait in the console until release() (or 20 s).
  void hold(const std::string& path, const std::string& contains = {});
  void release();
  // Requests being held now (tests wait for it with an event-processing wait, since the window
  // thread may have to answer the worker before its request goes out).
  int held() const;

  std::vector<FakeRequest> requests() const;
  // Requests to `path`, in order.
  std::vector<FakeRequest> requests_to(const std::string& path) const;
  void clear_log();

 protected:
  virtual FakeResponse answer(const FakeRequest& request) = 0;
  virtual FakeResponse failure_answer(const FakeRequest& request) = 0;
  std::string next_token();

  mutable std::mutex mutex_;

 private:
  struct FailRule {
    std::string path, contains;
    int times;
    FailMode mode;
  };
  std::vector<FailRule> fail_rules_;
  std::string hold_path_, hold_contains_;
  bool holding_ = false;
  int held_now_ = 0;
  std::condition_variable held_changed_;
  std::vector<FakeRequest> log_;
  unsigned long token_counter_ = 0;
};

// --- DNSPod: "/Login", "/Auth/Login", "/Api/Domain.Create", "/Api/Record.Create",
//     "/Api/Domain.List" (XML), "/Api/Domain.Remove".
class DnspodConsole : public FakeConsole {
 public:
  struct Record {
    std::string id, name, type, line, value;
  };
  struct Domain {
    std::string id, name, owner;
    std::string ext_status;  // "" or "dnserror"
    std::string remark;      // a remark keeps the item out of the client's listing pattern
    std::vector<Record> records;
  };

  void add_account(const std::string& email, const std::string& password);
  // Seeds a domain into an account; returns its ID.
  std::string add_domain(const std::string& email, const std::string& name,
                         const std::string& ext_status = {}, const std::string& remark = {},
                         int extra_records = 0);
  std::vector<Domain> domains(const std::string& email) const;
  // The domain of that name in any account, or an empty Domain.
  Domain domain(const std::string& name) const;
  // Answer the login with "/Domain" instead of "\/Domain".
  void set_plain_slash_marker(bool on);
  // Leave out the _xsrf cookie of the login page.
  void set_send_xsrf(bool on);
  // The _xsrf and session cookie names.
  static constexpr const char* kXsrfCookie = "_xsrf";
  static constexpr const char* kSessionCookie = "dnspod_sid";

 protected:
  FakeResponse answer(const FakeRequest& request) override;
  FakeResponse failure_answer(const FakeRequest& request) override;

 private:
  struct Account {
    std::string password;
  };
  std::string session_email(const FakeRequest& request,
                            const std::map<std::string, std::string>& query) const;
  FakeResponse create_domain(const std::string& email, const std::map<std::string, std::string>& form);
  FakeResponse create_record(const std::string& email, const std::map<std::string, std::string>& form);
  FakeResponse list_domains(const std::string& email) const;
  FakeResponse remove_domain(const std::string& email, const std::map<std::string, std::string>& form);

  std::map<std::string, Account> accounts_;
  std::map<std::string, std::string> sessions_;  // session token -> e-mail
  std::vector<std::string> xsrf_tokens_;
  std::vector<Domain> domains_;  // all accounts, in creation order
  long next_domain_id_ = 10001;
  long next_record_id_ = 500001;
  bool plain_slash_ = false;
  bool send_xsrf_ = true;
};

// --- 51dns: "/member/login", "/member/addDomain", "/member/domain", "/member/domain/detail/ID",
//     "/member/domain-P-100", "/" (delete).
class Dns51Console : public FakeConsole {
 public:
  struct Record {
    std::string id, name, type, value;
  };
  struct Domain {
    std::string id, name, owner;
    std::vector<Record> records;
  };

  void add_account(const std::string& email, const std::string& password);
  std::string add_domain(const std::string& email, const std::string& name);
  // Adds a record to a seeded domain; returns its ID.
  std::string add_record(const std::string& domain_name, const std::string& name, const std::string& type,
                         const std::string& value);
  std::vector<Domain> domains(const std::string& email) const;
  Domain domain(const std::string& name) const;
  // The login answer holds neither "failed" nor "successful".
  void set_login_silent(bool on);
  // The domain list's pager claims this many domains (0: the true number).
  void set_claimed_total(long total);

 protected:
  FakeResponse answer(const FakeRequest& request) override;
  FakeResponse failure_answer(const FakeRequest& request) override;

 private:
  std::string logged_in_email(const FakeRequest& request) const;
  FakeResponse login_page(const FakeRequest& request);
  FakeResponse login(const FakeRequest& request);
  FakeResponse add_domain_request(const std::string& email, const std::map<std::string, std::string>& form);
  FakeResponse find_domain(const std::string& email, const std::map<std::string, std::string>& query) const;
  FakeResponse detail(const std::string& email, const std::string& id) const;
  FakeResponse add_record_request(const std::string& email, const std::string& id,
                                  const std::map<std::string, std::string>& form);
  FakeResponse list_page(const std::string& email, int page) const;
  FakeResponse delete_domains(const std::string& email, const std::map<std::string, std::string>& form);
  Domain* find(const std::string& email, const std::string& id);

  std::map<std::string, std::string> accounts_;  // e-mail -> password
  std::map<std::string, std::string> sessions_;  // PHPSESSID -> e-mail ("" while logged out)
  std::vector<Domain> domains_;
  long next_domain_id_ = 5001;
  long next_record_id_ = 90001;
  bool login_silent_ = false;
  long claimed_total_ = 0;
};

// Makes the console answer every request the server receives.
void mount_console(FakeServer& server, FakeConsole& console);

// True for a well-formed host name (letters, digits, "-" and ".", two labels or more).
bool valid_domain_name(const std::string& name);
bool valid_ipv4(const std::string& text);

// A console on its own HTTPS server with its endpoint key pointed there and the test CA
// trusted: DnspodSite site; site.console.add_account(...). The console outlives the server.
struct DnspodSite {
  DnspodSite();
  ~DnspodSite();
  DnspodConsole console;
  FakeServer server{FakeServer::Scheme::Https};
};

struct Dns51Site {
  Dns51Site();
  ~Dns51Site();
  Dns51Console console;
  FakeServer server{FakeServer::Scheme::Https};
};

// Helpers of the two consoles' answers (dns_consoles*.cpp).
namespace detail {
std::string lower(std::string s);
bool iequal(const std::string& a, const std::string& b);
// The value of a form or cookie map, empty when absent.
std::string get(const std::map<std::string, std::string>& m, const std::string& key);
bool all_digits(const std::string& s);
// A record's host name: "@", "*", or dot-separated labels of letters, digits and "-" (a leading
// "*." is allowed).
bool valid_record_name(const std::string& name);
std::string json_escape(const std::string& s);
std::string xml_escape(const std::string& s);
FakeResponse json(const std::string& body);
FakeResponse html(const std::string& body);
}  // namespace detail

}  // namespace tessaly::fakes
