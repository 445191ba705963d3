#pragma once

#include <openssl/evp.h>
#include <openssl/x509.h>

namespace testsupport {

// A fresh key and a self-signed certificate for 127.0.0.1, valid for an hour. No client trusts
// it, which is the point: a client that verifies certificates must refuse the connection.
class SelfSignedCertificate {
public:
    SelfSignedCertificate();
    ~SelfSignedCertificate();
    SelfSignedCertificate(const SelfSignedCertificate&) = delete;
    SelfSignedCertificate& operator=(const SelfSignedCertificate&) = delete;

    X509* certificate() const { return certificate_; }
    EVP_PKEY* key() const { return key_; }

private:
    EVP_PKEY* key_ = nullptr;
    X509* certificate_ = nullptr;
};

}  // namespace testsupport
