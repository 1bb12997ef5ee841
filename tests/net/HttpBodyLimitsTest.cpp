// Bodies at the edges of the machine: a disk that fills up (the user's
// Abort, Retry and Ignore) and a body far larger than memory should hold.

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "net/HttpCodes.h"
#include "net/qvTCP.h"
#include "platform/qvMessageBox.h"
#include "tests/net/HttpTestInterface.h"
#include "tests/support/ScriptedServer.h"
#include "tests/support/TempDirectory.h"

#if defined(__SANITIZE_ADDRESS__)
#define CORVANE_UNDER_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define CORVANE_UNDER_ASAN 1
#endif
#endif

namespace {

#if defined(CORVANE_UNDER_ASAN)
constexpr bool kUnderAddressSanitizer = true;
#else
constexpr bool kUnderAddressSanitizer = false;
#endif

// The file-size limit of the process stands in for a full disk: writes past
// it fail (with the signal it would raise ignored) as on a full disk.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    ::getrlimit(RLIMIT_FSIZE, &saved_);
    previousHandler_ = ::signal(SIGXFSZ, SIG_IGN);
    set(bytes);
  }
  ~FileSizeLimit() {
    ::setrlimit(RLIMIT_FSIZE, &saved_);
    ::signal(SIGXFSZ, previousHandler_);
  }
  FileSizeLimit(const FileSizeLimit&) = delete;
  FileSizeLimit& operator=(const FileSizeLimit&) = delete;
  void lift() { ::setrlimit(RLIMIT_FSIZE, &saved_); }

 private:
  void set(rlim_t bytes) {
    rlimit limit = saved_;
    limit.rlim_cur = bytes;
    ::setrlimit(RLIMIT_FSIZE, &limit);
  }
  rlimit saved_{};
  sighandler_t previousHandler_ = SIG_DFL;
};

FileSizeLimit* activeLimit = nullptr;
int boxAnswer = qvMessageBox::kAnswerAbort;
int boxes = 0;
std::string boxText;
std::string boxCaption;

int diskBox(const char* text, const char* caption, int kind) {
  EXPECT_EQ(kind & 0xF, qvMessageBox::kAbortRetryIgnore);
  boxText = text;
  boxCaption = caption;
  ++boxes;
  if (boxAnswer == qvMessageBox::kAnswerRetry && boxes >= 2) activeLimit->lift();
  return boxAnswer;
}

std::string fileText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

long kilobytesOf(const char* field) {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind(field, 0) == 0) return std::stol(line.substr(std::string(field).size()));
  }
  return -1;
}

}  // namespace

TEST(HttpBody, AsksTheUserWhenTheDiskIsFull) {
  std::string body(20000, 'b');
  for (std::size_t i = 0; i < body.size(); ++i) body[i] = static_cast<char>('a' + i % 26);
  const std::string response = "HTTP/1.0 200 OK\r\nContent-Length: 20000\r\n\r\n" + body;
  ScriptedServer server(ServerScript().await("\r\n\r\n", 2000).send(response).close());
  HttpTestInterface ui;
  TempDirectory dir;
  qvTCP tcp(ui, dir.path().string());
  ASSERT_TRUE(tcp.init("test"));
  qvMessageBox::bind(diskBox);
  const std::string url = "http://" + server.address() + "/big";
  const std::pair<int, std::pair<int, std::string>> refusals[] = {
      {qvMessageBox::kAnswerAbort, {HttpCode::kUserAbortedDiskError, "User aborted processing due to disk error"}},
      {qvMessageBox::kAnswerIgnore, {HttpCode::kDataFileError, "Error writing to intermediate data file"}},
  };
  for (const auto& [answer, result] : refusals) {
    FileSizeLimit limit(10000);
    activeLimit = &limit;
    boxAnswer = answer;
    boxes = 0;
    EXPECT_FALSE(tcp.fetch(url, std::nullopt));
    EXPECT_EQ(tcp.statusCode(), result.first);
    EXPECT_EQ(tcp.errorText(), result.second);
    EXPECT_EQ(boxes, 1);
    EXPECT_EQ(boxText, "I/O error writing to disk ... maybe it's full ?");
    EXPECT_EQ(boxCaption, "Corvane");
    EXPECT_FALSE(std::filesystem::exists(dir / "url.dat"));
  }
  {
    // Retry asks again while the disk stays full; once there is room the
    // block is written again and nothing is lost or doubled.
    FileSizeLimit limit(10000);
    activeLimit = &limit;
    boxAnswer = qvMessageBox::kAnswerRetry;
    boxes = 0;
    const std::optional<std::string> file = tcp.fetch(url, std::nullopt);
    ASSERT_TRUE(file) << tcp.errorText();
    EXPECT_EQ(boxes, 2);
    EXPECT_EQ(fileText(*file), body);
  }
  activeLimit = nullptr;
  qvMessageBox::bind(nullptr);
}

// A body of 1 GiB goes through to the file in blocks; the process's memory
// does not grow with it.
TEST(HttpBody, StreamsAGigabyteToDiskInBoundedMemory) {
  constexpr long long kSize = 1LL << 30;
  const int listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&address), length), 0);
  ASSERT_EQ(::listen(listener, 1), 0);
  ASSERT_EQ(::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length), 0);
  std::thread server([listener] {
    const int connection = ::accept(listener, nullptr, nullptr);
    if (connection < 0) return;
    timeval bound{10, 0};
    ::setsockopt(connection, SOL_SOCKET, SO_SNDTIMEO, &bound, sizeof bound);
    char request[4096];
    (void)::recv(connection, request, sizeof request, 0);
    const std::string head = "HTTP/1.0 200 OK\r\nContent-Length: " + std::to_string(kSize) + "\r\n\r\n";
    ::send(connection, head.data(), head.size(), MSG_NOSIGNAL);
    std::vector<char> chunk(1 << 16);
    for (std::size_t i = 0; i < chunk.size(); ++i) chunk[i] = static_cast<char>(i * 7);
    for (long long sent = 0; sent < kSize;) {
      const ssize_t done = ::send(connection, chunk.data(), chunk.size(), MSG_NOSIGNAL);
      if (done <= 0) break;
      sent += done;
    }
    ::close(connection);
  });
  HttpTestInterface ui;
  TempDirectory dir;
  qvTCP tcp(ui, dir.path().string());
  ASSERT_TRUE(tcp.init("test"));
  { std::ofstream("/proc/self/clear_refs") << "5"; }
  const long before = kilobytesOf("VmRSS:");
  const std::optional<std::string> file =
      tcp.fetch("http://127.0.0.1:" + std::to_string(ntohs(address.sin_port)) + "/huge", std::nullopt);
  const long peak = kilobytesOf("VmHWM:");
  server.join();
  ::close(listener);
  ASSERT_TRUE(file) << tcp.errorText();
  EXPECT_EQ(static_cast<long long>(std::filesystem::file_size(*file)), kSize);
  EXPECT_TRUE(tcp.lastBodyComplete());
  EXPECT_GE(tcp.bytesReceived(), kSize);
  if (kUnderAddressSanitizer) GTEST_SKIP() << "peak memory under AddressSanitizer says nothing about the client";
  EXPECT_LT(peak - before, 32 * 1024) << "peak grew from " << before << " kB to " << peak << " kB";
}
