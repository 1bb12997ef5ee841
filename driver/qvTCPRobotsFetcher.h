#pragma once
// qvTCPRobotsFetcher: the robots check's way to the network, over the
// engine's qvTCP object. Robots files go through the same client, and so
// the same proxy and disk cache, as every page of the crawl.

#include <optional>
#include <string>
#include <string_view>

#include "url/qvRobotsFetcher.h"

class qvTCP;

class qvTCPRobotsFetcher final : public qvRobotsFetcher {
 public:
  // `tcp` must outlive the fetcher.
  explicit qvTCPRobotsFetcher(qvTCP& tcp) : tcp_(tcp) {}

  // A GET without a referring URL.
  std::optional<std::string> fetch(std::string_view url) override;
  int statusCode() const override;
  std::optional<std::string> location() const override;

 private:
  qvTCP& tcp_;
};
