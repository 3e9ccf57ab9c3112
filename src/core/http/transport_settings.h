#pragma once
// Settings of the request transport that only tests change: the program always runs with the
// defaults. They apply to requests started after the change.
#include <string>

namespace tessaly {

struct TransportSettings {
  // A PEM file of CA certificates trusted in addition to the system store ("" = none).
  std::string extra_ca_file;
  // session_request: resolve, connect, send and receive time-outs.
  int session_timeout_ms = 15'000;
  // http_request and http_request_bytes: time allowed to resolve and connect, and the longest
  // stretch without a byte moving once connected, after which the request fails.
  int http_connect_timeout_ms = 60'000;
  int http_stall_timeout_ms = 60'000;
  // Largest body read; a longer body fails the request (what was read is kept).
  long long max_body_bytes = 64LL * 1024 * 1024;
};

TransportSettings transport_settings();
void set_transport_settings(const TransportSettings& settings);
void reset_transport_settings();

// Shorthand.
void set_extra_ca_file(std::string path);

}  // namespace tessaly
