#include "net/qvTCP.h"

#include <filesystem>
#include <utility>

#include "driver/qvTemporaryFiles.h"
#include "net/HttpClient.h"

qvTCP::qvTCP(qvUserInterface& ui, std::string workDirectory)
    : ui_(ui),
      workDirectory_(std::move(workDirectory)),
      client_(std::make_unique<HttpClient>(ui_, (std::filesystem::path(workDirectory_) / "url.dat").string(),
                                           bytesReceived_)) {}

qvTCP::~qvTCP() = default;

bool qvTCP::init(std::string_view /*version*/) {
  client_->readStartupSettings();
  return true;
}

std::optional<std::string> qvTCP::fetch(std::string_view url, std::optional<std::string_view> referrer) {
  if (!client_->request(url, referrer, HttpClient::Mode::kBody)) return std::nullopt;
  return client_->dataFile();
}

std::optional<std::string> qvTCP::get(std::string_view url, std::optional<std::string_view> referrer,
                                      std::string_view name) {
  if (!client_->request(url, referrer, HttpClient::Mode::kHeaders)) return std::nullopt;
  return client_->headers().find(name);
}

std::optional<std::string> qvTCP::bodyFile() {
  if (!client_->readBody()) return std::nullopt;
  return client_->dataFile();
}

std::optional<std::string> qvTCP::headerValue(std::string_view name) const { return client_->headers().find(name); }

int qvTCP::statusCode() const { return client_->errorCode(); }

const std::string& qvTCP::errorText() const { return client_->message(); }

void qvTCP::disconnect() { client_->disconnect(); }

bool qvTCP::readProxySettings() { return client_->readProxySettings(); }

bool qvTCP::isCached(std::string_view /*url*/) const { return false; }

bool qvTCP::recordAlias(std::string_view /*url*/, std::string_view /*target*/) { return false; }

bool qvTCP::cleanupTempFiles() { return cleanRunFiles(workDirectory_, ui_); }

bool qvTCP::lastBodyComplete() const { return client_->lastBodyComplete(); }

void qvTCP::reset() {
  client_->disconnect();
  bytesReceived_ = 0;
}
