#include "net/HttpResponseHead.h"

#include "net/HttpCodes.h"

namespace {

bool isEmptyLine(std::string_view line) { return line == "\r\n" || line == "\n"; }

bool isDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

void HttpResponseHead::reset() { *this = HttpResponseHead(); }

void HttpResponseHead::serveStored(const std::vector<std::string>& lines) {
  reset();
  status_ = 200;
  statusText_ = "OK";
  state_ = State::kComplete;
  for (const std::string& line : lines) headers_.add(line);
}

HttpResponseHead::State HttpResponseHead::fail(int code, const char* message) {
  errorCode_ = code;
  message_ = message;
  state_ = State::kFailed;
  return state_;
}

HttpResponseHead::State HttpResponseHead::feed(std::string_view piece) {
  if (state_ != State::kNeedMore) return state_;
  bytesTaken_ += piece.size();
  if (bytesTaken_ > kTotalLimit) return fail(HttpCode::kInvalidHeader, HttpCode::kInvalidHeaderText);
  if (piece.find('\0') != std::string_view::npos) {
    return fail(HttpCode::kInvalidHeader, HttpCode::kInvalidHeaderText);
  }
  const bool continued = insideLongLine_;
  insideLongLine_ = piece.empty() || piece.back() != '\n';
  // The rest of an over-long line is dropped, never read as lines of its own.
  if (continued) return state_;
  return takeLine(piece);
}

HttpResponseHead::State HttpResponseHead::takeLine(std::string_view line) {
  if (!hasStatusLine()) {
    if (line.starts_with("HTTP/")) return takeStatusLine(line);
    if (isEmptyLine(line)) return state_;
    return fail(HttpCode::kInvalidResponse, HttpCode::kInvalidResponseText);
  }
  if (isEmptyLine(line)) {
    state_ = State::kComplete;
    return state_;
  }
  if (line.front() == ' ' || line.front() == '\t') {
    if (lastLineKept_) headers_.continueLast(line);
    return state_;
  }
  lastLineKept_ = headers_.add(line);
  return state_;
}

HttpResponseHead::State HttpResponseHead::takeStatusLine(std::string_view line) {
  const std::size_t blank = line.find(' ');
  if (blank == std::string_view::npos) return fail(HttpCode::kInvalidResponse, HttpCode::kInvalidResponseText);
  const std::string_view rest = line.substr(blank + 1);
  // Exactly three digits: anything else is no status at all, and a longer
  // run would not fit any status the client knows.
  if (rest.size() < 3 || !isDigit(rest[0]) || !isDigit(rest[1]) || !isDigit(rest[2]) ||
      (rest.size() > 3 && isDigit(rest[3]))) {
    return fail(HttpCode::kInvalidResponse, HttpCode::kInvalidResponseText);
  }
  status_ = (rest[0] - '0') * 100 + (rest[1] - '0') * 10 + (rest[2] - '0');
  std::string_view text = rest.substr(3);
  const std::size_t start = text.find_first_not_of(' ');
  text = start == std::string_view::npos ? std::string_view() : text.substr(start);
  text = text.substr(0, text.find_first_of("\r\n"));
  statusText_ = std::string(text.substr(0, kStatusTextLimit));
  return state_;
}
