#pragma once
// One TLS client connection over a connected, non-blocking socket. It never
// waits: every step says whether it finished, failed, or must be tried again
// once the socket is readable or writable, so the caller keeps its own
// time-outs and cancel polling around it.
//
// The peer is checked without exception: the chain against the system's
// trusted certificates (OpenSSL's default paths, so SSL_CERT_FILE and
// SSL_CERT_DIR are honoured), the certificate against the host name or
// address asked for, TLS 1.2 at least.

#include <openssl/ssl.h>

#include <cstddef>
#include <memory>
#include <string>

// The settings every connection shares: protocol floor and trust store.
class TlsContext {
 public:
  // Check isReady() afterwards; error() says why not.
  TlsContext();
  bool isReady() const { return context_ != nullptr; }
  const std::string& error() const { return error_; }
  SSL_CTX* get() const { return context_.get(); }

 private:
  struct Free {
    void operator()(SSL_CTX* context) const { SSL_CTX_free(context); }
  };
  std::unique_ptr<SSL_CTX, Free> context_;
  std::string error_;
};

class TlsSession {
 public:
  // What a step that has not finished waits for.
  enum class Want { kNothing, kRead, kWrite };
  // How a step ended: done (with a count for reads and writes), again once
  // `want` holds, the end of the stream, or failed with a reason.
  enum class Result { kDone, kAgain, kEnd, kFailed, kSystemError };

  // A session for `fd` that will ask for and check `host` (a name or a
  // dotted address). ready() is false when it could not be set up.
  TlsSession(const TlsContext& context, int fd, const std::string& host);
  TlsSession(const TlsSession&) = delete;
  TlsSession& operator=(const TlsSession&) = delete;

  bool ready() const { return ssl_ != nullptr; }
  Result handshake();
  // Reads or writes up to `length` bytes; `count` is what was moved on kDone.
  Result read(char* into, std::size_t length, std::size_t& count);
  Result write(const char* bytes, std::size_t length, std::size_t& count);

  Want want() const { return want_; }
  // After kFailed: whether the peer's certificate was refused, and the
  // reason in words ("certificate has expired", "hostname mismatch", ...).
  bool certificateRefused() const { return certificateRefused_; }
  const std::string& reason() const { return reason_; }
  // After kSystemError: the errno of the failed socket call (0 for a peer
  // that closed in the middle of the handshake).
  int systemError() const { return systemError_; }

 private:
  struct Free {
    void operator()(SSL* ssl) const { SSL_free(ssl); }
  };
  Result settle(int returned);

  std::unique_ptr<SSL, Free> ssl_;
  Want want_ = Want::kNothing;
  bool certificateRefused_ = false;
  std::string reason_;
  int systemError_ = 0;
};
