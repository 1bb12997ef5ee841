#include "net/TcpSocket.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>

#include <algorithm>
#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <utility>

#include "net/HostLookup.h"
#include "net/SocketCodes.h"
#include "net/SystemError.h"
#include "net/TlsSession.h"
#include "net/describeError.h"
#include "ui/qvUserInterface.h"
#include "ui/qvUserInterfaceCodes.h"

namespace {

constexpr const char* kNoError = "No error";

sockaddr_in socketAddress(const ResolvedAddress& peer) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = peer.address;
  address.sin_port = peer.port;
  return address;
}

bool onlyDigitsAndDots(std::string_view text) {
  return std::all_of(text.begin(), text.end(), [](char c) { return c == '.' || (c >= '0' && c <= '9'); });
}

// A port is 1 to 5 digits and at most 65535; anything else is refused
// rather than wrapped round to some other port.
std::optional<std::uint16_t> parsePort(std::string_view text) {
  if (text.empty() || text.size() > 5) return std::nullopt;
  unsigned value = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + static_cast<unsigned>(c - '0');
  }
  if (value > 65535) return std::nullopt;
  return static_cast<std::uint16_t>(value);
}

}  // namespace

TcpSocket::TcpSocket(std::string_view protocol, qvUserInterface& ui)
    : ui_(ui), wait_(ui), protocol_(protocol.substr(0, kProtocolLimit)) {
  if (protocol_ == "UDP") {
    datagram_ = true;
  } else if (protocol_ != "TCP") {
    fail(SocketCode::kBadProtocol, "Bad Protocol");
  }
}

TcpSocket::~TcpSocket() { dropConnection(); }

void TcpSocket::readTimeouts() {
  timeouts_.readWrite = std::max(ui_.getValue(qvValueIndex::kReadWriteTimeout), 0);
  timeouts_.lookup = std::max(ui_.getValue(qvValueIndex::kLookupTimeout), 0);
  timeouts_.connect = std::max(ui_.getValue(qvValueIndex::kConnectTimeout), 0);
}

void TcpSocket::clearResult() {
  errorCode_ = SocketCode::kOk;
  systemError_ = SystemError::kNone;
  message_ = kNoError;
  secureFailure_.clear();
  certificateRefused_ = false;
}

bool TcpSocket::fail(int code, std::string message) {
  errorCode_ = code;
  message_ = std::move(message);
  return false;
}

bool TcpSocket::failTransfer(const FailureTexts& texts) {
  if (!secureFailure_.empty()) return fail(SocketCode::kSecureConnectionFailed, "Secure connection failed: " + secureFailure_);
  if (systemError_ == SystemError::kInterrupted) {
    fail(SocketCode::kCancelled, texts.cancelled);
    ui_.showWarning(message_);
    return false;
  }
  if (systemError_ == SystemError::kTimedOut) return fail(SocketCode::kTimedOut, texts.timedOut);
  return fail(texts.otherCode, describeError(systemError_));
}

void TcpSocket::cancelled() {
  tls_.reset();
  handle_.close();
  systemError_ = SystemError::kInterrupted;
}

bool TcpSocket::awaitSocket(short events, int seconds, std::optional<SocketWait::Clock::time_point> latest) {
  if ((events & POLLIN) != 0 && readDeadline_ && (!latest || *readDeadline_ < *latest)) latest = readDeadline_;
  switch (wait_.forSocket(handle_.get(), events, seconds, latest)) {
    case SocketWait::Outcome::kReady:
      return true;
    case SocketWait::Outcome::kCancelled:
      cancelled();
      return false;
    case SocketWait::Outcome::kTimedOut:
      systemError_ = SystemError::kTimedOut;
      return false;
  }
  return false;
}

// ---- addresses ----

std::optional<ResolvedAddress> TcpSocket::resolve(std::string_view addressText) {
  clearResult();
  const std::string_view text = addressText.substr(0, kAddressTextLimit);
  const std::size_t colon = text.find(':');
  std::uint16_t port = 0;
  if (colon != std::string_view::npos) {
    const std::optional<std::uint16_t> parsed = parsePort(text.substr(colon + 1));
    if (!parsed) {
      fail(SocketCode::kBadPort, "Bad port number in address string");
      return std::nullopt;
    }
    port = *parsed;
  }
  const std::string host(text.substr(0, colon));
  std::uint32_t address = INADDR_NONE;
  if (onlyDigitsAndDots(host)) {
    address = ::inet_addr(host.c_str());
  } else {
    const std::optional<std::uint32_t> found = lookUp(host);
    if (!found) return std::nullopt;
    address = *found;
  }
  if (address == INADDR_NONE) {
    fail(SocketCode::kBadAddress, "Bad address or hostname in address string");
    return std::nullopt;
  }
  return ResolvedAddress{address, htons(port)};
}

std::optional<std::uint32_t> TcpSocket::lookUp(const std::string& host) {
  if (wait_.cancelRequested()) {
    systemError_ = SystemError::kInterrupted;
  } else {
    HostLookup lookup(host);
    const SocketWait::Outcome outcome =
        wait_.until([&lookup](std::chrono::milliseconds slice) { return lookup.waitFor(slice); },
                    timeouts_.lookup);
    if (outcome == SocketWait::Outcome::kReady) {
      if (std::optional<std::uint32_t> address = lookup.address()) return address;
      systemError_ = SystemError::kHostNotFound;
    } else {
      systemError_ = outcome == SocketWait::Outcome::kCancelled ? SystemError::kInterrupted
                                                                 : SystemError::kTimedOut;
    }
  }
  if (systemError_ == SystemError::kInterrupted) {
    fail(SocketCode::kCancelled, "User cancelled hostname lookup");
    ui_.showWarning(message_);
  } else {
    fail(SocketCode::kCannotResolve, "Cannot resolve hostname in address string");
  }
  return std::nullopt;
}

// ---- connecting ----

bool TcpSocket::connectTo(const ResolvedAddress& peer) {
  remote_ = peer;
  return connect();
}

bool TcpSocket::connect() {
  clearResult();
  if (datagram_) return fail(SocketCode::kDatagramUnsupported, "UDP socket connections not implemented");
  dropConnection();
  if (!openStream()) return false;
  if (!finishConnect()) {
    handle_.close();
    if (systemError_ == SystemError::kInterrupted) {
      fail(SocketCode::kCancelled, "Connect cancelled by user");
      ui_.showWarning(message_);
      return false;
    }
    if (systemError_ == SystemError::kTimedOut) return fail(SocketCode::kTimedOut, "Connect timed out");
    return fail(SocketCode::kCannotConnect, "Cannot connect");
  }
  sockaddr_in own{};
  socklen_t ownLength = sizeof own;
  if (::getsockname(handle_.get(), reinterpret_cast<sockaddr*>(&own), &ownLength) == 0) {
    local_ = ResolvedAddress{own.sin_addr.s_addr, own.sin_port};
  }
  connected_ = true;
  return true;
}

bool TcpSocket::openStream() {
  handle_.reset(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
  if (!handle_.isOpen()) {
    systemError_ = SystemError::fromErrno(errno);
    return fail(SocketCode::kCannotAllocate, "Cannot allocate socket");
  }
  const int flags = ::fcntl(handle_.get(), F_GETFL);
  if (flags < 0 || ::fcntl(handle_.get(), F_SETFL, flags | O_NONBLOCK) < 0) {
    systemError_ = SystemError::fromErrno(errno);
    handle_.close();
    return fail(SocketCode::kCannotSetAsync, "Cannot set AsynchSelect");
  }
  return true;
}

bool TcpSocket::finishConnect() {
  if (wait_.cancelRequested()) {
    cancelled();
    return false;
  }
  const sockaddr_in peer = socketAddress(remote_);
  if (::connect(handle_.get(), reinterpret_cast<const sockaddr*>(&peer), sizeof peer) == 0) return true;
  // An interrupted connect goes on in the background, as one in progress.
  if (errno != EINPROGRESS && errno != EINTR) {
    systemError_ = SystemError::fromErrno(errno);
    return false;
  }
  if (!awaitSocket(POLLOUT, timeouts_.connect)) return false;
  int error = 0;
  socklen_t length = sizeof error;
  if (::getsockopt(handle_.get(), SOL_SOCKET, SO_ERROR, &error, &length) != 0) error = errno;
  systemError_ = SystemError::fromErrno(error);
  return error == 0;
}

bool TcpSocket::disconnect() {
  clearResult();
  if (datagram_) return fail(SocketCode::kDatagramUnsupported, "Cannot disconnect a UDP socket");
  dropConnection();
  return true;
}

void TcpSocket::dropConnection() {
  // The session only borrows the descriptor: it goes first.
  tls_.reset();
  handle_.close();
  connected_ = false;
  buffered_ = 0;
  readPosition_ = 0;
  unlimitReads();
}

void TcpSocket::limitReadsFromFirstByte(std::chrono::seconds span) {
  readSpan_ = span;
  readDeadline_.reset();
}

void TcpSocket::unlimitReads() {
  readSpan_.reset();
  readDeadline_.reset();
}

// ---- TLS ----

namespace {

// What a TLS step that ended neither done nor again leaves for the socket
// to report: a reason in words, or the system's error.
struct SessionFailure {
  std::string reason;
  bool certificateRefused = false;
  int errnoValue = 0;
};

SessionFailure sessionFailure(const TlsSession& session, TlsSession::Result result) {
  if (result == TlsSession::Result::kFailed) return {session.reason(), session.certificateRefused(), 0};
  if (result == TlsSession::Result::kSystemError && session.systemError() != 0) return {"", false, session.systemError()};
  return {"connection closed by the server", false, 0};
}

// Records a failed read or write through TLS in the socket's result fields;
// always -1, the failed transfer's count.
long recordTransferFailure(const TlsSession& session, TlsSession::Result result, int& systemError,
                           std::string& secureFailure) {
  const SessionFailure failure = sessionFailure(session, result);
  if (failure.errnoValue != 0) {
    systemError = SystemError::fromErrno(failure.errnoValue);
  } else {
    secureFailure = failure.reason;
  }
  return -1;
}

}  // namespace

bool TcpSocket::startTls(const std::string& host) {
  clearResult();
  if (datagram_ || !isConnected()) return fail(SocketCode::kNotConnected, "Not connected");
  if (!tlsContext_) tlsContext_ = std::make_unique<TlsContext>();
  tls_ = std::make_unique<TlsSession>(*tlsContext_, handle_.get(), host);
  if (!tls_->ready()) {
    secureFailure_ = tls_->reason();
  } else if (handshake()) {
    return true;
  }
  dropConnection();
  if (!secureFailure_.empty()) {
    const std::string reason = secureFailure_;
    if (certificateRefused_) return fail(SocketCode::kCertificateRefused, "Certificate not trusted: " + reason);
    return fail(SocketCode::kSecureConnectionFailed, "Secure connection failed: " + reason);
  }
  if (systemError_ == SystemError::kInterrupted) {
    fail(SocketCode::kCancelled, "Connect cancelled by user");
    ui_.showWarning(message_);
    return false;
  }
  if (systemError_ == SystemError::kTimedOut) return fail(SocketCode::kTimedOut, "Connect timed out");
  return fail(SocketCode::kSecureConnectionFailed, "Secure connection failed: " + describeError(systemError_));
}

bool TcpSocket::handshake() {
  const auto latest = SocketWait::Clock::now() + std::chrono::seconds(timeouts_.connect);
  for (;;) {
    if (wait_.cancelRequested()) {
      cancelled();
      return false;
    }
    const TlsSession::Result result = tls_->handshake();
    if (result == TlsSession::Result::kDone) return true;
    if (result == TlsSession::Result::kAgain) {
      if (!awaitSession(timeouts_.connect, latest)) return false;
      continue;
    }
    const SessionFailure failure = sessionFailure(*tls_, result);
    if (failure.errnoValue != 0) {
      systemError_ = SystemError::fromErrno(failure.errnoValue);
      secureFailure_ = describeError(systemError_);
    } else {
      secureFailure_ = failure.reason;
    }
    certificateRefused_ = failure.certificateRefused;
    return false;
  }
}

bool TcpSocket::awaitSession(int seconds, std::optional<SocketWait::Clock::time_point> latest) {
  return awaitSocket(tls_->want() == TlsSession::Want::kWrite ? POLLOUT : POLLIN, seconds, latest);
}

long TcpSocket::receiveSecure(char* into, std::size_t capacity) {
  for (;;) {
    std::size_t count = 0;
    const TlsSession::Result result = tls_->read(into, capacity, count);
    if (result == TlsSession::Result::kDone) {
      if (readSpan_ && !readDeadline_) readDeadline_ = SocketWait::Clock::now() + *readSpan_;
      return static_cast<long>(count);
    }
    if (result == TlsSession::Result::kEnd) return 0;
    if (result == TlsSession::Result::kAgain) {
      if (!awaitSession(timeouts_.readWrite)) return -1;
      if (wait_.cancelRequested()) {
        cancelled();
        return -1;
      }
      continue;
    }
    return recordTransferFailure(*tls_, result, systemError_, secureFailure_);
  }
}

long TcpSocket::sendSecure(const char* bytes, std::size_t length) {
  for (;;) {
    std::size_t count = 0;
    const TlsSession::Result result = tls_->write(bytes, length, count);
    if (result == TlsSession::Result::kDone) return static_cast<long>(count);
    if (result == TlsSession::Result::kAgain) {
      if (!awaitSession(timeouts_.readWrite)) return -1;
      continue;
    }
    return recordTransferFailure(*tls_, result, systemError_, secureFailure_);
  }
}

// ---- writing ----

bool TcpSocket::write(const void* bytes, std::size_t length) {
  clearResult();
  if (datagram_) return writeDatagram(bytes, length);
  if (!isConnected()) return fail(SocketCode::kNotConnected, "Not connected");
  static constexpr FailureTexts kTexts{SocketCode::kWriteFailed, "Write cancelled by user", "Write timed out"};
  const char* next = static_cast<const char*>(bytes);
  std::size_t left = length;
  while (left > 0) {
    if (wait_.cancelRequested()) {
      cancelled();
      return failTransfer(kTexts);
    }
    const long sent = tls_ ? sendSecure(next, left) : sendPlain(next, left);
    if (sent < 0) return failTransfer(kTexts);
    next += sent;
    left -= static_cast<std::size_t>(sent);
  }
  return true;
}

long TcpSocket::sendPlain(const char* bytes, std::size_t length) {
  for (;;) {
    const ssize_t sent = ::send(handle_.get(), bytes, length, MSG_NOSIGNAL);
    if (sent >= 0) return sent;
    if (errno == EINTR) continue;
    if (errno != EAGAIN && errno != EWOULDBLOCK) {
      systemError_ = SystemError::fromErrno(errno);
      return -1;
    }
    if (!awaitSocket(POLLOUT, timeouts_.readWrite)) return -1;
  }
}

bool TcpSocket::writeFormatted(const char* format, ...) {
  va_list arguments;
  va_start(arguments, format);
  va_list again;
  va_copy(again, arguments);
  const int length = std::vsnprintf(nullptr, 0, format, arguments);
  va_end(arguments);
  std::string text(length > 0 ? static_cast<std::size_t>(length) : 0, '\0');
  if (length > 0) std::vsnprintf(text.data(), text.size() + 1, format, again);
  va_end(again);
  if (length < 0) {
    clearResult();
    return fail(SocketCode::kWriteFailed, "Write failed");
  }
  return write(text.data(), text.size());
}

// ---- reading ----

long TcpSocket::receive(char* into, std::size_t capacity) {
  for (;;) {
    if (wait_.cancelRequested()) {
      cancelled();
      return -1;
    }
    if (tls_) return receiveSecure(into, capacity);
    const ssize_t got = ::recv(handle_.get(), into, capacity, 0);
    if (got > 0 && readSpan_ && !readDeadline_) readDeadline_ = SocketWait::Clock::now() + *readSpan_;
    if (got >= 0) return got;
    if (errno == EINTR) continue;
    if (errno != EAGAIN && errno != EWOULDBLOCK) {
      systemError_ = SystemError::fromErrno(errno);
      return -1;
    }
    if (!awaitSocket(POLLIN, timeouts_.readWrite)) return -1;
  }
}

int TcpSocket::readln(char* buffer, int size, long* progress) {
  clearResult();
  if (datagram_) return fail(SocketCode::kDatagramUnsupported, "Cannot readln on a UDP socket"), -1;
  if (!isConnected()) return fail(SocketCode::kNotConnected, "Not connected"), -1;
  if (size <= 0) return 0;
  static constexpr FailureTexts kTexts{SocketCode::kReadFailed, "Read cancelled by user", "Read timed out"};
  const int capacity = size - 1;
  int count = 0;
  buffer[0] = '\0';
  while (count < capacity) {
    if (buffered_ == 0) {
      const long got = receive(lineBuffer_.data(), lineBuffer_.size());
      if (got < 0) return failTransfer(kTexts), -1;
      if (got == 0) return count;
      readPosition_ = 0;
      buffered_ = static_cast<std::size_t>(got);
      if (progress != nullptr) {
        *progress += got;
        ui_.setStatusNumbers(-1, -1, -1, *progress);
      }
    }
    const char c = lineBuffer_[readPosition_++];
    --buffered_;
    buffer[count++] = c;
    buffer[count] = '\0';
    if (c == '\n') break;
  }
  return count;
}

int TcpSocket::read(char* buffer, int length) {
  clearResult();
  if (datagram_) return readDatagram(buffer, length);
  if (!isConnected()) return fail(SocketCode::kNotConnected, "Not connected"), -1;
  if (length <= 0) return 0;
  const std::size_t wanted = static_cast<std::size_t>(length);
  if (buffered_ > 0) {
    const std::size_t served = std::min(wanted, buffered_);
    std::memcpy(buffer, lineBuffer_.data() + readPosition_, served);
    readPosition_ += served;
    buffered_ -= served;
    return static_cast<int>(served);
  }
  static constexpr FailureTexts kTexts{SocketCode::kReadFailed, "User cancelled read", "Read timed out"};
  const long got = receive(buffer, wanted);
  if (got < 0) return failTransfer(kTexts), -1;
  return static_cast<int>(got);
}

// ---- datagrams ----

bool TcpSocket::ensureDatagramSocket() {
  if (handle_.isOpen()) return true;
  handle_.reset(::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
  if (handle_.isOpen()) return true;
  systemError_ = SystemError::fromErrno(errno);
  return fail(SocketCode::kCannotAllocate, "Cannot allocate socket");
}

bool TcpSocket::writeDatagram(const void* bytes, std::size_t length) {
  if (!ensureDatagramSocket()) return false;
  const sockaddr_in peer = socketAddress(remote_);
  const ssize_t sent = ::sendto(handle_.get(), bytes, length, MSG_NOSIGNAL,
                                reinterpret_cast<const sockaddr*>(&peer), sizeof peer);
  if (sent == static_cast<ssize_t>(length)) return true;
  systemError_ = SystemError::fromErrno(sent < 0 ? errno : EMSGSIZE);
  return fail(SocketCode::kWriteFailed, "Write failed");
}

int TcpSocket::readDatagram(char* buffer, int length) {
  if (!ensureDatagramSocket()) return -1;
  for (;;) {
    sockaddr_in sender{};
    socklen_t senderLength = sizeof sender;
    const ssize_t got = ::recvfrom(handle_.get(), buffer, static_cast<std::size_t>(std::max(length, 0)), 0,
                                   reinterpret_cast<sockaddr*>(&sender), &senderLength);
    if (got >= 0) {
      remote_ = ResolvedAddress{sender.sin_addr.s_addr, sender.sin_port};
      return static_cast<int>(got);
    }
    if (errno == EINTR) continue;
    const bool wouldBlock = errno == EAGAIN || errno == EWOULDBLOCK;
    if (!wouldBlock) systemError_ = SystemError::fromErrno(errno);
    if (!wouldBlock || !awaitSocket(POLLIN, timeouts_.readWrite)) break;
  }
  return fail(SocketCode::kReadFailed, "Read failed"), -1;
}
