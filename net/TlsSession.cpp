#include "net/TlsSession.h"

#include <arpa/inet.h>
#include <openssl/err.h>
#include <openssl/x509v3.h>

#include <cerrno>

namespace {

// The reason OpenSSL queued last, in its words; the queue is emptied so the
// next connection starts clean.
std::string queuedReason(const char* otherwise) {
  unsigned long code = 0;
  unsigned long last = 0;
  while ((code = ERR_get_error()) != 0) last = code;
  if (last == 0) return otherwise;
  const char* reason = ERR_reason_error_string(last);
  return reason != nullptr ? reason : otherwise;
}

bool isAddress(const std::string& host) {
  in_addr address{};
  return ::inet_pton(AF_INET, host.c_str(), &address) == 1;
}

}  // namespace

TlsContext::TlsContext() : context_(SSL_CTX_new(TLS_client_method())) {
  if (!context_) {
    error_ = queuedReason("cannot set up TLS");
    return;
  }
  SSL_CTX_set_min_proto_version(context_.get(), TLS1_2_VERSION);
  SSL_CTX_set_verify(context_.get(), SSL_VERIFY_PEER, nullptr);
  // HTTP/1.0 bodies end at the close, and many servers close without a
  // close_notify; a body cut short is caught by its Content-Length.
  SSL_CTX_set_options(context_.get(), SSL_OP_IGNORE_UNEXPECTED_EOF);
  SSL_CTX_set_mode(context_.get(), SSL_MODE_ENABLE_PARTIAL_WRITE | SSL_MODE_ACCEPT_MOVING_WRITE_BUFFER);
  if (SSL_CTX_set_default_verify_paths(context_.get()) != 1) {
    error_ = queuedReason("cannot read the trusted certificates");
    context_.reset();
  }
}

TlsSession::TlsSession(const TlsContext& context, int fd, const std::string& host) {
  ERR_clear_error();
  if (!context.isReady()) {
    reason_ = context.error();
    return;
  }
  ssl_.reset(SSL_new(context.get()));
  if (!ssl_) {
    reason_ = queuedReason("cannot set up TLS");
    return;
  }
  bool named = SSL_set_fd(ssl_.get(), fd) == 1;
  if (isAddress(host)) {
    // An address is checked against the certificate's IP entries; SNI
    // carries names only.
    named = named && X509_VERIFY_PARAM_set1_ip_asc(SSL_get0_param(ssl_.get()), host.c_str()) == 1;
  } else {
    named = named && SSL_set_tlsext_host_name(ssl_.get(), host.c_str()) == 1 && SSL_set1_host(ssl_.get(), host.c_str()) == 1;
  }
  if (!named) {
    reason_ = queuedReason("cannot set up TLS");
    ssl_.reset();
  }
}

TlsSession::Result TlsSession::handshake() { return settle(SSL_connect(ssl_.get())); }

TlsSession::Result TlsSession::read(char* into, std::size_t length, std::size_t& count) {
  count = 0;
  return settle(SSL_read_ex(ssl_.get(), into, length, &count));
}

TlsSession::Result TlsSession::write(const char* bytes, std::size_t length, std::size_t& count) {
  count = 0;
  return settle(SSL_write_ex(ssl_.get(), bytes, length, &count));
}

TlsSession::Result TlsSession::settle(int returned) {
  want_ = Want::kNothing;
  if (returned == 1) return Result::kDone;
  const int error = SSL_get_error(ssl_.get(), returned);
  switch (error) {
    case SSL_ERROR_WANT_READ:
      want_ = Want::kRead;
      return Result::kAgain;
    case SSL_ERROR_WANT_WRITE:
      want_ = Want::kWrite;
      return Result::kAgain;
    case SSL_ERROR_ZERO_RETURN:
      return Result::kEnd;
    case SSL_ERROR_SYSCALL:
      systemError_ = errno;
      ERR_clear_error();
      // Without a queued error and errno the peer simply went away; a read
      // takes that as the end of the stream.
      if (systemError_ == 0 && SSL_is_init_finished(ssl_.get())) return Result::kEnd;
      return Result::kSystemError;
    default:
      break;
  }
  const long verified = SSL_get_verify_result(ssl_.get());
  if (verified != X509_V_OK) {
    certificateRefused_ = true;
    reason_ = X509_verify_cert_error_string(verified);
    ERR_clear_error();
    return Result::kFailed;
  }
  reason_ = queuedReason("protocol error");
  return Result::kFailed;
}
