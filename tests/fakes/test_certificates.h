#pragma once
// A test CA and a server certificate for 127.0.0.1 and localhost, made once per process with the
// OpenSSL API. Nothing is stored in the repository; the CA's PEM file lives in the temporary
// folder until the process ends.
#include <openssl/evp.h>
#include <openssl/x509.h>

#include <string>

namespace tessaly::fakes {

class TestCertificates {
 public:
  static const TestCertificates& get();

  X509* server_certificate() const { return server_cert_; }
  EVP_PKEY* server_key() const { return server_key_; }
  const std::string& ca_file() const { return ca_file_; }

  ~TestCertificates();
  TestCertificates(const TestCertificates&) = delete;
  TestCertificates& operator=(const TestCertificates&) = delete;

 private:
  TestCertificates();

  EVP_PKEY* ca_key_ = nullptr;
  X509* ca_cert_ = nullptr;
  EVP_PKEY* server_key_ = nullptr;
  X509* server_cert_ = nullptr;
  std::string ca_file_;
  std::string ca_folder_;
};

}  // namespace tessaly::fakes
