#pragma once
// Faulty services: any fake server (or any of its paths) can be switched into answering every
// request with one fault, so that each network tool can be run against each way a remote
// service misbehaves. The certificate fault is a property of the server (an HTTPS server whose
// test CA is not trusted); its handler answers normally.
//
//   FakeServer server(fault_scheme(Fault::Reset));
//   answer_with_fault(server, Fault::Reset);          // every request
//   server.handle_prefix("*", "/s", fault_handler(Fault::Hang));   // or a part of it
#include <string>
#include <vector>

#include "fakes/fake_server.h"

namespace tessaly::fakes {

enum class Fault {
  Hang,             // accepts the request and never answers
  Trickle,          // the head, then the body a byte a second
  Reset,            // half a reply, then a TCP reset
  RedirectLoop,     // every page redirects to itself
  HugeBody,         // an endless-looking body without a length (huge_body_bytes() long)
  BadBytes,         // a body of bytes that are neither UTF-8 nor GBK, NULs among them
  TooManyRequests,  // 429 with Retry-After
  Unavailable,      // 503 with Retry-After
  UntrustedCertificate,
};

const std::vector<Fault>& all_faults();
const char* fault_name(Fault fault);
FakeServer::Scheme fault_scheme(Fault fault);

Handler fault_handler(Fault fault);
// Every request the server has no handler for gets the fault.
void answer_with_fault(FakeServer& server, Fault fault);

// Length of the huge body: TESSALY_FAULT_BODY_MB megabytes, 3 when that is not set.
long long huge_body_bytes();
// True when TESSALY_FAULT_BODY_MB is set (a run that wants the real body cap exercised).
bool huge_body_from_environment();

}  // namespace tessaly::fakes
