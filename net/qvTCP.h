#pragma once
// The engine's network object: the one HTTP/1.0 client of the process and
// the counters the window shows. The crawl, the robots check and the picture
// loader fetch through it, one URL at a time, on the conversion thread.
//
// Redirects are not followed here: a 3xx comes back as a failure whose
// statusCode() is the status, and headerValue("Location:") gives the target.
// Every failure leaves statusCode() (0, a negative code of the socket or the
// client, or an HTTP status) and errorText(); nothing is thrown.
//
// Bodies are written to "url.dat" in the work directory given at
// construction; a failed body leaves no such file behind.

#include <memory>
#include <optional>
#include <string>
#include <string_view>

class HttpClient;
class qvUserInterface;

class qvTCP {
 public:
  // `ui` gives the settings (time-outs, retries, proxy) and receives the
  // status line, warnings and boxes; it must outlive the object.
  qvTCP(qvUserInterface& ui, std::string workDirectory);
  ~qvTCP();
  qvTCP(const qvTCP&) = delete;
  qvTCP& operator=(const qvTCP&) = delete;

  // Start-up: creates the client and reads the time-outs and retries.
  // False (with a box shown) when the network cannot be used at all.
  bool init(std::string_view version);

  // A whole GET; the path of the file holding the body, or none.
  std::optional<std::string> fetch(std::string_view url, std::optional<std::string_view> referrer);
  // A GET that stops after the headers and keeps the connection for
  // bodyFile(). The value of header `name` (for instance "Content-Type:"),
  // or none when the request failed or the header is absent.
  std::optional<std::string> get(std::string_view url, std::optional<std::string_view> referrer,
                                 std::string_view name);
  // Reads the body of the response whose headers get() fetched.
  std::optional<std::string> bodyFile();
  // A header of the last response (its name with the colon, any letter
  // case), or none.
  std::optional<std::string> headerValue(std::string_view name) const;
  int statusCode() const;
  const std::string& errorText() const;
  void disconnect();
  // Re-reads the time-outs, retries and proxy settings; false (with a box
  // shown) when the proxy named cannot be resolved.
  bool readProxySettings();

  // Cache hooks: without a disk cache nothing is cached and nothing kept.
  bool isCached(std::string_view url) const;
  bool recordAlias(std::string_view url, std::string_view target);
  bool cleanupTempFiles();

  // Whether the last body had every byte its Content-Length announced.
  bool lastBodyComplete() const;

  // Bytes received since the last reset.
  long bytesReceived() const { return bytesReceived_; }
  // Start of a run: closes any connection and zeroes the byte counter.
  void reset();

 private:
  qvUserInterface& ui_;
  std::string workDirectory_;
  // Declared before the client, which adds every block it reads to it.
  long bytesReceived_ = 0;
  std::unique_ptr<HttpClient> client_;
};
