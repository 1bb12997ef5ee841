#include "net/describeError.h"

#include <array>
#include <string_view>

#include "net/SystemError.h"

namespace {

struct StatusRow {
  int code;
  std::string_view text;
  std::string_view statusClass;
};

constexpr std::array<StatusRow, 37> kStatusRows{{
    {100, "Continue", "information"},
    {101, "Switching Protocols", "information"},
    {200, "OK", "success"},
    {201, "Created", "success"},
    {202, "Accepted", "success"},
    {203, "Non-authoritative Information", "success"},
    {204, "No Content", "success"},
    {205, "Reset Content", "success"},
    {206, "Partial Content", "success"},
    {300, "Multiple Choices", "redirection"},
    {301, "Moved Permanently", "redirection"},
    {302, "Moved Temporarily", "redirection"},
    {303, "See Other", "redirection"},
    {304, "Not Modified", "redirection"},
    {305, "Use Proxy", "redirection"},
    {400, "Bad Request", "client_error"},
    {401, "Unauthorized", "client_error"},
    {402, "Payment Required", "client_error"},
    {403, "Forbidden", "client_error"},
    {404, "Not Found", "client_error"},
    {405, "Method Not Allowed", "client_error"},
    {406, "Not Acceptable", "client_error"},
    {407, "Proxy Authentication Required", "client_error"},
    {408, "Request Timeout", "client_error"},
    {409, "Conflict", "client_error"},
    {410, "Gone", "client_error"},
    {411, "Length Required", "client_error"},
    {412, "Precondition Failed", "client_error"},
    {413, "Request Entity Too Large", "client_error"},
    {414, "Request-URI Too Large", "client_error"},
    {415, "Unsupported Media Type", "client_error"},
    {500, "Internal Server Error", "server_error"},
    {501, "Not Implemented", "server_error"},
    {502, "Bad Gateway", "server_error"},
    {503, "Service Unavailable", "server_error"},
    {504, "Gateway Timeout", "server_error"},
    {505, "HTTP Version not supported", "server_error"},
}};

struct SocketErrorRow {
  int number;
  std::string_view text;
};

constexpr std::array<SocketErrorRow, 11> kSocketErrorRows{{
    {SystemError::kNone, "No error"},
    {SystemError::kInterrupted, "Interrupted system call"},
    {SystemError::kNetworkDown, "The network seems to be offline"},
    {SystemError::kNetworkUnreachable, "The network is unreachable"},
    {SystemError::kConnectionReset, "Connection reset by peer"},
    {SystemError::kNoBuffers, "Out of buffers"},
    {SystemError::kNotConnected, "Connection unexpectedly closed"},
    {SystemError::kTimedOut, "Connection timed out"},
    {SystemError::kConnectionRefused, "Connection refused"},
    {SystemError::kHostUnreachable, "Destination unreachable"},
    {SystemError::kHostNotFound, "Hostname not found"},
}};

const StatusRow* findStatus(int code) {
  for (const StatusRow& row : kStatusRows) {
    if (row.code == code) return &row;
  }
  return nullptr;
}

}  // namespace

std::string describeError(int number) {
  if (const StatusRow* row = findStatus(number)) return std::string(row->text);
  for (const SocketErrorRow& row : kSocketErrorRows) {
    if (row.number == number) return std::string(row.text);
  }
  // Widened so that no number, however far from 10000, overflows.
  return "errorcode " + std::to_string(static_cast<long long>(number) - 10000);
}

std::string describeStatusClass(int status) {
  const StatusRow* row = findStatus(status);
  return row ? std::string(row->statusClass) : std::string();
}

std::vector<int> describedNumbers() {
  std::vector<int> numbers;
  for (const StatusRow& row : kStatusRows) numbers.push_back(row.code);
  for (const SocketErrorRow& row : kSocketErrorRows) numbers.push_back(row.number);
  return numbers;
}
