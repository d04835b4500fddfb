#include "tls_test_server.h"

#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <stdexcept>

#include "loopback.h"

namespace verrimo::test {
namespace {

template <auto Free>
struct Freer {
    template <typename T>
    void operator()(T* p) const {
        Free(p);
    }
};
using Key = std::unique_ptr<EVP_PKEY, Freer<EVP_PKEY_free>>;
using Certificate = std::unique_ptr<X509, Freer<X509_free>>;
using Context = std::unique_ptr<SSL_CTX, Freer<SSL_CTX_free>>;
using Session = std::unique_ptr<SSL, Freer<SSL_free>>;

void check(bool ok, const char* what) {
    if (!ok) throw std::runtime_error(std::string(what) + " failed");
}

Certificate selfSigned(EVP_PKEY* key) {
    Certificate cert(X509_new());
    check(cert != nullptr, "X509_new");
    X509_set_version(cert.get(), 2);
    ASN1_INTEGER_set(X509_get_serialNumber(cert.get()), 1);
    X509_gmtime_adj(X509_getm_notBefore(cert.get()), -3600);
    X509_gmtime_adj(X509_getm_notAfter(cert.get()), 24 * 3600);
    X509_set_pubkey(cert.get(), key);
    X509_NAME* name = X509_get_subject_name(cert.get());
    X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC,
                               reinterpret_cast<const unsigned char*>("127.0.0.1"), -1, -1, 0);
    X509_set_issuer_name(cert.get(), name);
    // Right for the address, so that only the missing trust can make a client refuse it.
    X509_EXTENSION* altName =
        X509V3_EXT_conf_nid(nullptr, nullptr, NID_subject_alt_name, "IP:127.0.0.1");
    check(altName != nullptr, "subjectAltName");
    X509_add_ext(cert.get(), altName, -1);
    X509_EXTENSION_free(altName);
    check(X509_sign(cert.get(), key, EVP_sha256()) > 0, "X509_sign");
    return cert;
}

// Reads the request head, so that the answer does not race the client's sending.
void readHead(SSL* ssl) {
    std::string head;
    char buffer[4096];
    while (head.find("\r\n\r\n") == std::string::npos && head.size() < 64 * 1024) {
        const int got = SSL_read(ssl, buffer, sizeof buffer);
        if (got <= 0) return;
        head.append(buffer, static_cast<std::size_t>(got));
    }
}

}  // namespace

struct TlsTestServer::Tls {
    Key key;
    Certificate certificate;
    Context context;
};

TlsTestServer::TlsTestServer(std::string page) : page_(std::move(page)), tls_(new Tls) {
    tls_->key.reset(EVP_EC_gen("P-256"));
    check(tls_->key != nullptr, "EVP_EC_gen");
    tls_->certificate = selfSigned(tls_->key.get());
    tls_->context.reset(SSL_CTX_new(TLS_server_method()));
    check(tls_->context != nullptr, "SSL_CTX_new");
    check(SSL_CTX_use_certificate(tls_->context.get(), tls_->certificate.get()) == 1 &&
              SSL_CTX_use_PrivateKey(tls_->context.get(), tls_->key.get()) == 1,
          "SSL_CTX_use_certificate");
    listenFd_ = loopbackListener(port_);
    acceptor_ = std::thread([this] {
        for (int fd; (fd = acceptUnlessStopped(listenFd_, stop_, false)) >= 0;) serve(fd);
    });
}

TlsTestServer::~TlsTestServer() {
    stop_.raise();
    acceptor_.join();
    close(listenFd_);
}

std::string TlsTestServer::url() const {
    return "https://127.0.0.1:" + std::to_string(port_) + "/";
}

void TlsTestServer::serve(int fd) {
    // Blocking reads and writes, each bounded.
    const timeval limit{10, 0};
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
    setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit);
    const Session ssl(SSL_new(tls_->context.get()));
    if (ssl && SSL_set_fd(ssl.get(), fd) == 1 && SSL_accept(ssl.get()) == 1) {
        ++handshakes_;
        readHead(ssl.get());
        const std::string answer =
            "HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(page_.size()) +
            "\r\nConnection: close\r\n\r\n" + page_;
        SSL_write(ssl.get(), answer.data(), static_cast<int>(answer.size()));
        SSL_shutdown(ssl.get());
    }
    ERR_clear_error();
    close(fd);
}

}  // namespace verrimo::test
