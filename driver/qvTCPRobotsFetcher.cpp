#include "driver/qvTCPRobotsFetcher.h"

#include "net/qvTCP.h"

std::optional<std::string> qvTCPRobotsFetcher::fetch(std::string_view url) { return tcp_.fetch(url, std::nullopt); }

int qvTCPRobotsFetcher::statusCode() const { return tcp_.statusCode(); }

std::optional<std::string> qvTCPRobotsFetcher::location() const { return tcp_.headerValue("Location:"); }
