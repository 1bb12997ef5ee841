#pragma once
// Message text for a number that is either an HTTP status code or a socket
// layer system error (Winsock numbering, see net/SystemError.h). HTTP status
// codes are looked up first; a number known to neither table gives
// "errorcode N" with N = number - 10000, which for a translated errno is the
// errno itself.

#include <string>
#include <vector>

std::string describeError(int number);

// The class word of an HTTP status with a reason phrase of its own
// ("information", "success", "redirection", "client_error",
// "server_error"); empty for any other number.
std::string describeStatusClass(int status);

// Every number that has a text of its own: the HTTP status codes, then the
// socket errors.
std::vector<int> describedNumbers();
