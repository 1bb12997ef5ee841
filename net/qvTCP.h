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
//
// The disk cache lives in the directory given at construction ("Cache" in
// the engine's working directory unless a test names another). Its index is
// opened by init() when caching is on then, else by the first request made
// with caching on; without it every request goes to the network.

#include <memory>
#include <optional>
#include <string>
#include <string_view>

class CacheIndex;
class CachePolicy;
class CacheMaintenance;
class CacheMaintenanceThread;
class HttpClient;
class qvCacheMutex;
class qvUserInterface;

class qvTCP {
 public:
  // `ui` gives the settings (time-outs, retries, proxy) and receives the
  // status line, warnings and boxes; it must outlive the object.
  qvTCP(qvUserInterface& ui, std::string workDirectory, std::string cacheDirectory = "Cache");
  ~qvTCP();
  qvTCP(const qvTCP&) = delete;
  qvTCP& operator=(const qvTCP&) = delete;

  // Start-up: reads the time-outs and retries, takes the time-zone bias and
  // opens the disk cache. False (with a box shown) when the network cannot
  // be used at all, or the cache lock cannot be made.
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

  // Whether the offline crawl can take `url` from the cache.
  bool isCached(std::string_view url);
  // Records that `url` redirected to `target`, so that a later run follows
  // the redirect without asking the server.
  bool recordAlias(std::string_view url, std::string_view target);
  bool cleanupTempFiles();

  // Whether the last body had every byte its Content-Length announced.
  bool lastBodyComplete() const;

  int cacheHits() const;
  int cacheMisses() const;

  // Bytes received since the last reset.
  long bytesReceived() const { return bytesReceived_; }
  // Start of a run: closes any connection, zeroes the byte counter and lets
  // a failing cache folder be reported again.
  void reset();

 private:
  qvUserInterface& ui_;
  std::string workDirectory_;
  // Declared before the client, which adds every block it reads to it.
  long bytesReceived_ = 0;
  std::unique_ptr<HttpClient> client_;
  std::string cacheDirectory_;
  std::unique_ptr<qvCacheMutex> cacheMutex_;
  std::unique_ptr<CacheIndex> cacheIndex_;
  std::unique_ptr<CachePolicy> cachePolicy_;
  std::unique_ptr<CacheMaintenance> cacheMaintenance_;
  // Last, so that it stops before what it works on goes.
  std::unique_ptr<CacheMaintenanceThread> maintenanceThread_;
  bool cacheOpenTried_ = false;

  void takeTimeZoneBias();
  void startMaintenance();
  // Opens the index once, when caching is on.
  void openCacheWhenWanted();
};
