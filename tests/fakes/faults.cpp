#include "fakes/faults.h"

#include <cstdlib>

namespace tessaly::fakes {
namespace {

std::string bad_bytes() {
  // Lone continuation bytes, overlong forms, GBK lead bytes followed by bytes no GBK trail has,
  // and NULs between them.
  std::string bytes;
  for (int i = 0; i < 64; ++i)
    bytes += std::string("\x80\xff\x00\xc0\x81\xfe\x7f\x00\xa1\x0a\x81\x20\xf8\x88\x00", 15);
  return bytes;
}

// The head at once, then the body a byte a second: never silent long enough for a stall.
void trickle(RawConnection& c) {
  if (!c.send("HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nContent-Length: 4000\r\n\r\n")) return;
  while (c.send("x") && c.pause(1000)) {
  }
}

void reset_midway(RawConnection& c) {
  c.send("HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nContent-Length: 5000\r\n\r\n<html><title>half");
  c.reset();
}

void huge_body(RawConnection& c) {
  // No length and no end but the close: the reader has to bound it itself.
  if (!c.send(
          "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nConnection: close\r\n\r\n<html><title>big</title>"))
    return;
  const std::string chunk(1 << 16, 'a');
  for (long long sent = 0; sent < huge_body_bytes(); sent += static_cast<long long>(chunk.size()))
    if (!c.send(chunk)) return;
}

}  // namespace

const std::vector<Fault>& all_faults() {
  static const std::vector<Fault> all = {Fault::Hang,
                                         Fault::Trickle,
                                         Fault::Reset,
                                         Fault::RedirectLoop,
                                         Fault::HugeBody,
                                         Fault::BadBytes,
                                         Fault::TooManyRequests,
                                         Fault::Unavailable,
                                         Fault::UntrustedCertificate};
  return all;
}

const char* fault_name(Fault fault) {
  switch (fault) {
    case Fault::Hang:
      return "hang";
    case Fault::Trickle:
      return "trickle";
    case Fault::Reset:
      return "reset";
    case Fault::RedirectLoop:
      return "redirect loop";
    case Fault::HugeBody:
      return "huge body";
    case Fault::BadBytes:
      return "bad bytes";
    case Fault::TooManyRequests:
      return "429";
    case Fault::Unavailable:
      return "503";
    case Fault::UntrustedCertificate:
      return "untrusted certificate";
  }
  return "?";
}

FakeServer::Scheme fault_scheme(Fault fault) {
  return fault == Fault::UntrustedCertificate ? FakeServer::Scheme::Https : FakeServer::Scheme::Http;
}

Handler fault_handler(Fault fault) {
  return [fault](const RecordedRequest& request, Reply& reply) {
    switch (fault) {
      case Fault::Hang:
        reply.hang = true;
        break;
      case Fault::Trickle:
        reply.takeover = trickle;
        break;
      case Fault::Reset:
        reply.takeover = reset_midway;
        break;
      case Fault::RedirectLoop:
        reply.redirect(request.target);
        break;
      case Fault::HugeBody:
        reply.takeover = huge_body;
        break;
      case Fault::BadBytes:
        reply.content_type = "text/html; charset=utf-8";
        reply.body = bad_bytes();
        break;
      case Fault::TooManyRequests:
      case Fault::Unavailable:
        reply.status = fault == Fault::TooManyRequests ? 429 : 503;
        reply.header("Retry-After", "1");
        reply.content_type = "text/plain";
        reply.body = fault == Fault::TooManyRequests ? "Too Many Requests" : "Service Unavailable";
        break;
      case Fault::UntrustedCertificate:
        reply.body = "<html><title>unverified</title></html>";
        break;
    }
  };
}

void answer_with_fault(FakeServer& server, Fault fault) { server.set_fallback(fault_handler(fault)); }

long long huge_body_bytes() {
  const char* mb = std::getenv("TESSALY_FAULT_BODY_MB");
  long long n = mb ? std::atoll(mb) : 0;
  return (n > 0 ? n : 3) * 1024 * 1024;
}

bool huge_body_from_environment() { return std::getenv("TESSALY_FAULT_BODY_MB") != nullptr; }

}  // namespace tessaly::fakes
