// Percent-encoding and the URL helpers: encoding then decoding gives the text back (bytes as
// they are, or GBK text through UTF-8), the encoded form holds only what a URL may, the form
// encoders and the DNS consoles' decoder agree with the shared ones, and the URL splitters
// never read outside their input.
#include <string>
#include <string_view>

#include "core/http/http.h"
#include "core/text/charset.h"
#include "dns/dns_common.h"
#include "fuzz_support.h"

using namespace tessaly;

namespace {

bool url_safe(std::string_view encoded, bool keep_safe) {
  for (size_t i = 0; i < encoded.size(); ++i) {
    unsigned char c = encoded[i];
    bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
    if (c == '%') {
      if (i + 2 >= encoded.size()) return false;
      for (int k = 1; k <= 2; ++k) {
        unsigned char h = encoded[i + k];
        if (!((h >= '0' && h <= '9') || (h >= 'A' && h <= 'F'))) return false;
      }
      i += 2;
    } else if (!keep_safe || !(letter || c == '-' || c == '.')) {
      return false;
    }
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::Input in(data, size, 1);
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const std::string_view text = in.text(0);
  const bool keep_safe = in.flag(0, 0);

  // Any bytes survive an encode/decode round trip.
  const std::string encoded = url_encode(bytes, {.keep_safe = keep_safe});
  FUZZ_CHECK(url_safe(encoded, keep_safe));
  if (!keep_safe) FUZZ_EQ(encoded.size(), bytes.size() * 3);
  FUZZ_EQ(url_decode(encoded), std::string(bytes));
  FUZZ_EQ(form_bytes(bytes), url_encode(bytes, {.keep_safe = true}));

  // GBK text that the code pages can carry (text once through UTF-8 and back) survives the
  // UTF-8 round trip.
  const std::string stable = gbk(utf8(text));
  const std::string encoded_utf8 = url_encode(stable, {.keep_safe = keep_safe, .utf8 = true});
  FUZZ_CHECK(url_safe(encoded_utf8, keep_safe));
  FUZZ_EQ(url_decode(encoded_utf8, true), stable);
  FUZZ_EQ(form_value(stable), url_encode(stable, {.keep_safe = true, .utf8 = true}));

  // Decoding any text never grows it.
  FUZZ_CHECK(url_decode(bytes).size() <= bytes.size());
  (void)url_decode(bytes, true);

  // The URL splitters: a host never holds a slash, a path starts with one.
  for (bool root_only : {false, true})
    for (bool keep_port : {false, true})
      FUZZ_CHECK(url_host(text, root_only, keep_port).find('/') == std::string::npos);
  (void)url_port(text);
  const std::string path = url_path(text);
  FUZZ_CHECK(!path.empty() && path[0] == '/');
  (void)header_name(text);
  (void)header_value(text);
  std::string jar(in.text(1));
  merge_cookies(jar, text);
  return 0;
}
