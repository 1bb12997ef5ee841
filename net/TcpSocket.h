#pragma once
// A blocking-looking TCP stream (or, made for "UDP", a datagram endpoint)
// whose every wait stays responsive: each connect, send, receive and
// host-name lookup runs against a time-out from the user's settings and ends
// early when the user skips the transfer or stops the run (see SocketWait).
//
// Nothing is thrown. Every operation first clears the result, then records
// its outcome: errorCode() is 0 or one of SocketCode's values, message() its
// text ("No error" on success), systemError() the system's reason in Winsock
// numbering. A cancel is also shown to the user with showWarning.
//
// A cancelled read or write closes the socket; the object still counts as
// connected until its owner calls disconnect(), which every failure path of
// the owner does.

#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "net/SocketHandle.h"
#include "net/SocketWait.h"

class TlsContext;
class TlsSession;
class qvUserInterface;

// An IPv4 address and port, both in network byte order.
struct ResolvedAddress {
  std::uint32_t address = 0;
  std::uint16_t port = 0;
};

// Time-outs in seconds; a wait's budget is ten ticks per second.
struct SocketTimeouts {
  int readWrite = 30;
  int lookup = 30;
  int connect = 20;
};

class TcpSocket {
 public:
  static constexpr int kLineBufferSize = 1024;
  static constexpr int kAddressLength = 16;  // sizeof(sockaddr_in)
  static constexpr std::size_t kProtocolLimit = 32;
  static constexpr std::size_t kAddressTextLimit = 255;

  // `protocol` is "TCP" or "UDP"; anything else leaves error -255.
  TcpSocket(std::string_view protocol, qvUserInterface& ui);
  ~TcpSocket();
  TcpSocket(const TcpSocket&) = delete;
  TcpSocket& operator=(const TcpSocket&) = delete;

  // Reads the three time-outs from the user's settings (getValue 10, 11, 15).
  // Until the first call they are 30, 30 and 20 seconds.
  void readTimeouts();
  const SocketTimeouts& timeouts() const { return timeouts_; }

  // Parses "host[:port]": a dotted IPv4 address is converted directly, any
  // other host is looked up. Without a port, the port is 0.
  std::optional<ResolvedAddress> resolve(std::string_view addressText);
  // Remembers `peer` as the remote end and connects to it.
  bool connectTo(const ResolvedAddress& peer);
  // Connects to the remote end, closing any earlier connection first.
  bool connect();
  bool isConnected() const { return connected_ && handle_.isOpen(); }
  // Turns the connection into a TLS one for `host` (a name or a dotted
  // address, checked against the certificate): the handshake runs within
  // the connect time-out, with the connect's cancel and time-out texts. A
  // refused certificate fails with -241 "Certificate not trusted: " and the
  // reason, anything else with -243 "Secure connection failed: " and the
  // reason; the connection is closed then. Reads and writes then go
  // through TLS until the connection is dropped.
  bool startTls(const std::string& host);
  bool isSecure() const { return tls_ != nullptr; }

  bool write(const void* bytes, std::size_t length);
  bool write(std::string_view text) { return write(text.data(), text.size()); }
  // Formats as printf does and writes the result, however long.
  bool writeFormatted(const char* format, ...) __attribute__((format(printf, 2, 3)));

  // Reads one line, its line feed included, into `buffer` (zero-terminated,
  // at most size - 1 characters; a longer line comes in pieces). Returns the
  // number stored, 0 at the end of the stream, -1 on failure. Bytes received
  // are added to `*progress`, when given, and reported as status numbers.
  int readln(char* buffer, int size, long* progress = nullptr);
  // Reads up to `length` bytes, serving what readln left buffered first.
  // Returns the number stored, 0 at the end of the stream, -1 on failure.
  int read(char* buffer, int length);
  bool disconnect();

  // From the first byte the stream delivers after this call, reads must be
  // done within `span`: a peer that keeps a read alive with a byte now and
  // then still times out (-233). Lifted by unlimitReads() and by a new
  // connection.
  void limitReadsFromFirstByte(std::chrono::seconds span);
  void unlimitReads();

  int errorCode() const { return errorCode_; }
  const std::string& message() const { return message_; }
  int systemError() const { return systemError_; }
  const std::string& protocol() const { return protocol_; }
  // The peer, and this end's own address once connected (network order).
  ResolvedAddress remote() const { return remote_; }
  ResolvedAddress local() const { return local_; }

 private:
  // Texts of one kind of transfer for its three ways of failing.
  struct FailureTexts {
    int otherCode;
    const char* cancelled;
    const char* timedOut;
  };
  enum class Step { kDone, kAgain, kFailed };

  void clearResult();
  // Closes the descriptor and forgets the connection and any bytes read
  // ahead, so a new connection never sees the last one's line buffer.
  void dropConnection();
  bool fail(int code, std::string message);
  // Records a failed transfer from systemError_: cancel, time-out or other.
  bool failTransfer(const FailureTexts& texts);
  void cancelled();
  bool openStream();
  bool finishConnect();
  // One wait for `events`, ending by `latest` when given; false (system
  // error set) on cancel or time-out.
  bool awaitSocket(short events, int seconds, std::optional<SocketWait::Clock::time_point> latest = std::nullopt);
  // Runs the handshake to its end: false with systemError_ (cancel,
  // time-out) or secureFailure_ set.
  bool handshake();
  // As receive() and a send, through TLS; -1 with systemError_ or
  // secureFailure_ set.
  long receiveSecure(char* into, std::size_t capacity);
  long sendSecure(const char* bytes, std::size_t length);
  long sendPlain(const char* bytes, std::size_t length);
  // Waits for what the TLS session asked for; false as awaitSocket.
  bool awaitSession(int seconds, std::optional<SocketWait::Clock::time_point> latest = std::nullopt);
  // Receives into `into` through the wait loop: the count, 0 at the end of
  // the stream, -1 with systemError_ set.
  long receive(char* into, std::size_t capacity);
  bool writeDatagram(const void* bytes, std::size_t length);
  int readDatagram(char* buffer, int length);
  bool ensureDatagramSocket();
  std::optional<std::uint32_t> lookUp(const std::string& host);

  qvUserInterface& ui_;
  SocketWait wait_;
  SocketTimeouts timeouts_;
  std::string protocol_;
  SocketHandle handle_;
  bool datagram_ = false;
  bool connected_ = false;
  int errorCode_ = 0;
  int systemError_ = 0;
  std::string message_ = "No error";
  std::array<char, kLineBufferSize> lineBuffer_{};
  std::size_t readPosition_ = 0;
  std::size_t buffered_ = 0;
  ResolvedAddress remote_;
  ResolvedAddress local_;
  std::optional<std::chrono::seconds> readSpan_;
  std::optional<SocketWait::Clock::time_point> readDeadline_;
  std::unique_ptr<TlsContext> tlsContext_;  // made at the first startTls
  std::unique_ptr<TlsSession> tls_;
  // The text of a failed TLS step; empty otherwise.
  std::string secureFailure_;
  bool certificateRefused_ = false;
};
