#pragma once
// One HTTP/1.0 client: fetches a URL over a new connection, directly or
// through the user's proxy, and writes the body to a working file. Every
// operation returns false on failure and leaves errorCode() (a socket or
// client code, or the HTTP status) and message(); nothing is thrown.
//
// Redirects are not followed: a 3xx fails with its status, and the header
// list of that response stays readable for the Location.
//
// With a disk cache attached, a request may be answered from it (status
// 200, headers describing the stored copy, dataFile() naming its file), be
// asked conditionally, and a whole body received may move into it.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "net/HeaderList.h"
#include "net/HttpResponseHead.h"
#include "net/HttpUrl.h"
#include "net/ProxyExceptions.h"
#include "net/TcpSocket.h"

class BodyFile;
class CachePolicy;
class qvUserInterface;

class HttpClient {
 public:
  enum class Mode { kBody, kHeaders };

  static constexpr const char* kUserAgent = "Corvane/1.1";
  static constexpr int kLineBufferSize = 4096;
  static constexpr int kBlockSize = 4096;
  static constexpr std::size_t kSettingTextLimit = 4095;

  // `dataFile` is where bodies go; `byteCounter` receives the count of
  // every block read and must outlive the client.
  HttpClient(qvUserInterface& ui, std::string dataFile, long& byteCounter);
  ~HttpClient();
  HttpClient(const HttpClient&) = delete;
  HttpClient& operator=(const HttpClient&) = delete;

  // Attaches the disk cache (none: every request goes to the network). The
  // cache must outlive the client or be detached first.
  void setCache(CachePolicy* cache) { cache_ = cache; }

  // Start-up: time-outs and retries from the settings, no proxy known.
  void readStartupSettings();
  // Re-reads time-outs, retries and the proxy; false (with a box shown)
  // when the proxy host cannot be resolved.
  bool readProxySettings();

  // A GET of `url`. Mode kBody also reads the body into dataFile(); mode
  // kHeaders stops after the headers and keeps the connection for
  // readBody().
  bool request(std::string_view url, std::optional<std::string_view> referrer, Mode mode);
  // Reads the body of the response whose headers a kHeaders request read.
  bool readBody();
  void disconnect();

  int errorCode() const { return errorCode_; }
  const std::string& message() const { return message_; }
  // Status of the last response; -1 when it had none.
  int status() const { return head_.status(); }
  const std::string& statusText() const { return head_.statusText(); }
  const HeaderList& headers() const { return head_.headers(); }
  const std::string& dataFile() const { return dataFile_; }
  bool isConnected() const { return socket_.isConnected(); }
  // Whether the last body read had all the bytes its Content-Length named
  // (always, when it named none). Only a whole body may be kept.
  bool lastBodyComplete() const { return lastBodyComplete_; }
  // Whether the last request went through the proxy.
  bool lastRequestViaProxy() const { return viaProxy_; }
  int cacheHits() const { return cacheHits_; }
  int cacheMisses() const { return cacheMisses_; }

 private:
  bool fail(int code, std::string message);
  bool failFromSocket();
  bool failDisconnected(int code, std::string message);
  bool notModified(bool counted);
  std::optional<bool> answerFromCache(bool counted);
  bool serveFromCache();
  void offerToCache();
  void count(int& counter, bool counted) const;
  bool startRequest(std::string_view url);
  bool connectWithRetries();
  bool connectOnce();
  bool secureTheConnection();
  bool openTunnel();
  bool sendRequest(std::optional<std::string_view> referrer);
  bool readHead();
  bool checkStatus(bool counted);
  bool readBodyFromSocket();
  bool writeBlock(BodyFile& file, const char* bytes, std::size_t length);
  void countReceived(int length);

  qvUserInterface& ui_;
  TcpSocket socket_;
  const std::string bodyPath_;
  long& byteCounter_;

  HttpUrl url_;
  std::string urlText_;
  HttpResponseHead head_;
  std::string dataFile_;
  int errorCode_ = 0;
  std::string message_;
  bool responseOk_ = false;
  bool bodyFromCache_ = false;
  bool viaProxy_ = false;
  bool lastBodyComplete_ = false;
  long long lastBodyLength_ = 0;
  // The If-Modified-Since line sent with the current request, if any.
  std::string conditionalLine_;
  // Whether the current request was answered from the cache.
  bool served_ = false;
  CachePolicy* cache_ = nullptr;
  // Bytes readln received past the empty line: counted once already.
  long long countedAhead_ = 0;

  int retries_ = 1;
  bool proxyInUse_ = false;
  std::string proxyHost_;
  int proxyPort_ = 0;
  std::optional<ResolvedAddress> proxyAddress_;
  ProxyExceptions exceptions_;

  int cacheHits_ = 0;
  int cacheMisses_ = 0;
};
