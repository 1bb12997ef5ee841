#include "corvane2/qvSharedBlock.h"

#include <cstring>

#include "ui/qvUserInterfaceCodes.h"

static_assert(sizeof(std::atomic<std::int32_t>) == sizeof(std::int32_t) &&
                  std::atomic<std::int32_t>::is_always_lock_free,
              "the engine reads the cache-command word as a plain int");

qvSharedBlock::qvSharedBlock() {
  for (auto& counter : counters_) counter.store(0);
  for (auto& statistic : cacheStatistics_) statistic.store(0);
  for (auto& value : values_) value.store(0);
}

qvSharedBlock& qvSharedBlock::instance() {
  static qvSharedBlock block;
  return block;
}

void qvSharedBlock::setCounter(int index, int value) {
  if (index < 0 || index >= kCounterCount || value == kNone) return;
  counters_[index].store(value);
}

int qvSharedBlock::takeCounter(int index) {
  if (index < 0 || index >= kCounterCount) return kNone;
  return counters_[index].exchange(kNone);
}

void qvSharedBlock::setCacheStatistic(int index, int value) {
  if (index < 0 || index >= kCounterCount || value == kNone) return;
  cacheStatistics_[index].store(value);
}

int qvSharedBlock::takeCacheStatistic(int index) {
  if (index < 0 || index >= kCounterCount) return kNone;
  return cacheStatistics_[index].exchange(kNone);
}

void qvSharedBlock::setInfo(int index, const char* text) {
  if (index < 0 || index >= kInfoCount || text == nullptr) return;
  std::string copy(text);
  const std::lock_guard guard(lock_);
  info_[index] = std::move(copy);
}

std::optional<std::string> qvSharedBlock::takeInfo(int index) {
  if (index < 0 || index >= kInfoCount) return std::nullopt;
  const std::lock_guard guard(lock_);
  return std::exchange(info_[index], std::nullopt);
}

void qvSharedBlock::setStatusText(const char* text) {
  if (text == nullptr) return;
  std::string copy(text);
  const std::lock_guard guard(lock_);
  statusText_ = std::move(copy);
}

std::optional<std::string> qvSharedBlock::takeStatusText() {
  const std::lock_guard guard(lock_);
  return std::exchange(statusText_, std::nullopt);
}

void qvSharedBlock::addWarning(const char* text) {
  if (text == nullptr) return;
  std::string copy(text);
  const std::lock_guard guard(lock_);
  warnings_.push_back(std::move(copy));
}

std::deque<std::string> qvSharedBlock::takeWarnings() {
  const std::lock_guard guard(lock_);
  return std::exchange(warnings_, {});
}

void qvSharedBlock::keepText(const char* text) {
  std::string copy(text != nullptr ? text : "");
  const std::lock_guard guard(lock_);
  kept_ = std::move(copy);
}

std::string qvSharedBlock::keptText() const {
  const std::lock_guard guard(lock_);
  return kept_;
}

void qvSharedBlock::setValue(int index, int value) {
  if (index < 0 || index >= kValueCount) return;
  values_[index].store(value);
}

int qvSharedBlock::value(int index) const {
  if (index < 0 || index >= kValueCount) return 0;
  return values_[index].load();
}

void qvSharedBlock::setUrl(const std::string& url) {
  const std::lock_guard guard(lock_);
  url_ = url;
}

std::string qvSharedBlock::url() const {
  const std::lock_guard guard(lock_);
  return url_;
}

bool qvSharedBlock::hasText(int index) {
  return index == qvStringIndex::kHelpFileName || index == qvStringIndex::kProxyHost ||
         index == qvStringIndex::kNoProxyFor || index == qvStringIndex::kUserAgent;
}

void qvSharedBlock::setText(int index, const std::string& text) {
  if (!hasText(index)) return;
  const std::lock_guard guard(lock_);
  texts_[index] = text;
}

bool qvSharedBlock::copyText(int index, char* buffer, int size) const {
  if (!hasText(index)) return false;
  const std::lock_guard guard(lock_);
  qvCopyBounded(texts_[index], buffer, size);
  return true;
}

bool qvSharedBlock::copyUrl(char* buffer, int size) const {
  const std::lock_guard guard(lock_);
  qvCopyBounded(url_, buffer, size);
  return true;
}

void qvCopyBounded(const std::string& text, char* buffer, int size) {
  if (buffer == nullptr || size <= 0) return;
  const std::size_t room = static_cast<std::size_t>(size) - 1;
  const std::size_t n = text.size() < room ? text.size() : room;
  std::memcpy(buffer, text.data(), n);
  buffer[n] = '\0';
}
