#include "fakes/test_certificates.h"

#include <openssl/bn.h>
#include <openssl/pem.h>
#include <openssl/rand.h>
#include <openssl/x509v3.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <stdexcept>

namespace tessaly::fakes {
namespace {

EVP_PKEY* make_key() {
  EVP_PKEY* key = EVP_EC_gen("P-256");
  if (!key) throw std::runtime_error("test certificates: key generation failed");
  return key;
}

void add_extension(X509* cert, X509V3_CTX* ctx, int nid, const char* value) {
  X509_EXTENSION* ext = X509V3_EXT_conf_nid(nullptr, ctx, nid, value);
  if (!ext || X509_add_ext(cert, ext, -1) != 1)
    throw std::runtime_error("test certificates: extension failed");
  X509_EXTENSION_free(ext);
}

// A certificate for `key` named `common_name`, signed by issuer (self-signed when null).
X509* make_certificate(EVP_PKEY* key, const char* common_name, X509* issuer, EVP_PKEY* issuer_key, bool ca) {
  X509* cert = X509_new();
  X509_set_version(cert, 2);
  // Random serials: a client never confuses certificates of two test runs.
  unsigned char serial[16];
  RAND_bytes(serial, sizeof(serial));
  serial[0] &= 0x7F;
  BIGNUM* bn = BN_bin2bn(serial, sizeof(serial), nullptr);
  BN_to_ASN1_INTEGER(bn, X509_get_serialNumber(cert));
  BN_free(bn);
  X509_gmtime_adj(X509_getm_notBefore(cert), -3600);
  X509_gmtime_adj(X509_getm_notAfter(cert), 30L * 24 * 3600);
  X509_set_pubkey(cert, key);
  X509_NAME* name = X509_get_subject_name(cert);
  X509_NAME_add_entry_by_txt(name, "O", MBSTRING_ASC, reinterpret_cast<const unsigned char*>("Tessaly tests"),
                             -1, -1, 0);
  X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC, reinterpret_cast<const unsigned char*>(common_name),
                             -1, -1, 0);
  X509_set_issuer_name(cert, issuer ? X509_get_subject_name(issuer) : name);

  X509V3_CTX ctx;
  X509V3_set_ctx_nodb(&ctx);
  X509V3_set_ctx(&ctx, issuer ? issuer : cert, cert, nullptr, nullptr, 0);
  add_extension(cert, &ctx, NID_subject_key_identifier, "hash");
  if (ca) {
    add_extension(cert, &ctx, NID_basic_constraints, "critical,CA:TRUE");
    add_extension(cert, &ctx, NID_key_usage, "critical,keyCertSign,cRLSign");
  } else {
    add_extension(cert, &ctx, NID_authority_key_identifier, "keyid:always");
    add_extension(cert, &ctx, NID_basic_constraints, "critical,CA:FALSE");
    add_extension(cert, &ctx, NID_key_usage, "critical,digitalSignature");
    add_extension(cert, &ctx, NID_ext_key_usage, "serverAuth");
    add_extension(cert, &ctx, NID_subject_alt_name, "DNS:localhost,IP:127.0.0.1");
  }
  if (X509_sign(cert, issuer_key ? issuer_key : key, EVP_sha256()) <= 0)
    throw std::runtime_error("test certificates: signing failed");
  return cert;
}

}  // namespace

const TestCertificates& TestCertificates::get() {
  static const TestCertificates certificates;
  return certificates;
}

TestCertificates::TestCertificates() {
  ca_key_ = make_key();
  ca_cert_ = make_certificate(ca_key_, "Tessaly test CA", nullptr, nullptr, true);
  server_key_ = make_key();
  server_cert_ = make_certificate(server_key_, "localhost", ca_cert_, ca_key_, false);

  const char* tmp = std::getenv("TMPDIR");
  std::string folder = std::string(tmp && *tmp ? tmp : "/tmp") + "/tessaly-ca-XXXXXX";
  if (!::mkdtemp(folder.data())) throw std::runtime_error("test certificates: no temporary folder");
  ca_folder_ = folder;
  ca_file_ = folder + "/test-ca.pem";
  std::FILE* f = std::fopen(ca_file_.c_str(), "wb");
  if (!f || PEM_write_X509(f, ca_cert_) != 1)
    throw std::runtime_error("test certificates: cannot write the CA file");
  std::fclose(f);
}

TestCertificates::~TestCertificates() {
  std::remove(ca_file_.c_str());
  ::rmdir(ca_folder_.c_str());
  X509_free(server_cert_);
  EVP_PKEY_free(server_key_);
  X509_free(ca_cert_);
  EVP_PKEY_free(ca_key_);
}

}  // namespace tessaly::fakes
