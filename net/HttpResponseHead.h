#pragma once
// The header phase of one HTTP/1.0 response, fed the lines that readln
// gives one at a time (a line longer than readln's buffer comes in pieces).
// It finds the status line, collects the header lines and says when the
// empty line has ended them, or why the response cannot be used.
//
// Limits keep a hostile server from holding the client: the rest of an
// over-long line is dropped, and the whole header phase may not exceed
// kTotalLimit bytes.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "net/HeaderList.h"

class HttpResponseHead {
 public:
  enum class State { kNeedMore, kComplete, kFailed };

  static constexpr std::size_t kTotalLimit = 256 * 1024;
  static constexpr std::size_t kStatusTextLimit = 255;

  // Forgets everything of the last response: status -1, no headers.
  void reset();
  // Stands for a response served from the disk cache: status 200, complete,
  // with `lines` as its headers.
  void serveStored(const std::vector<std::string>& lines);

  // Takes one piece as readln returned it; a piece that does not end in a
  // line feed is continued by the next one.
  State feed(std::string_view piece);

  State state() const { return state_; }
  // -1 until a status line was read.
  int status() const { return status_; }
  bool hasStatusLine() const { return status_ >= 0; }
  const std::string& statusText() const { return statusText_; }
  const HeaderList& headers() const { return headers_; }
  HeaderList& headers() { return headers_; }
  // Bytes taken so far, every piece counted.
  std::size_t bytesTaken() const { return bytesTaken_; }
  // Set once kFailed: a client result code and its message.
  int errorCode() const { return errorCode_; }
  const std::string& message() const { return message_; }

 private:
  State takeLine(std::string_view line);
  State takeStatusLine(std::string_view line);
  State fail(int code, const char* message);

  State state_ = State::kNeedMore;
  int status_ = -1;
  std::string statusText_;
  HeaderList headers_;
  std::size_t bytesTaken_ = 0;
  bool insideLongLine_ = false;
  bool lastLineKept_ = false;
  int errorCode_ = 0;
  std::string message_;
};
