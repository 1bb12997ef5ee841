#pragma once
// qvRobotsFetcher: how NoRobots gets a robots file off the network, kept
// abstract so that url/ does not depend on the network layer. Redirects are
// not followed here: a 3xx is a failure whose status and Location the caller
// reads, and the caller decides whether to ask again.

#include <optional>
#include <string>
#include <string_view>

class qvRobotsFetcher {
 public:
  virtual ~qvRobotsFetcher() = default;

  // Fetches `url` whole; the path of the file holding the body, or none on
  // any failure.
  virtual std::optional<std::string> fetch(std::string_view url) = 0;
  // After a failed fetch(): the HTTP status, or 0 or a negative code when
  // the failure was not an HTTP answer.
  virtual int statusCode() const = 0;
  // After a failed fetch(): the value of the response's "Location:" header,
  // or none when it had none.
  virtual std::optional<std::string> location() const = 0;
};
