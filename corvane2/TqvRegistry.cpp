#include "corvane2/TqvRegistry.h"

#include "platform/qvRegistry.h"

TqvRegistry::TqvRegistry(qvRegistry& registry) : registry_(registry) {}

void TqvRegistry::takeSnapshot() {
  if (haveSnapshot_) return;
  haveSnapshot_ = true;
  if (!registry_.readDocument(snapshot_)) error_ = registry_.errorText();
  std::string warning = registry_.takeWarning();
  if (!warning.empty()) warning_ = std::move(warning);
}

bool TqvRegistry::KeyExists(const std::string& key) {
  takeSnapshot();
  return snapshot_.hasKey(qvRegistryDocument::fullPath(key));
}

bool TqvRegistry::OpenKey(const std::string& key, bool canCreate) {
  current_.clear();
  if (!KeyExists(key)) {
    if (!canCreate) return false;
    pending_.createKey(key);
  }
  current_ = key;
  return true;
}

const qvRegistryEntry* TqvRegistry::find(const std::string& name) {
  if (current_.empty()) return nullptr;
  takeSnapshot();
  return snapshot_.findEntry(qvRegistryDocument::fullPath(current_), name);
}

bool TqvRegistry::ValueExists(const std::string& name) { return find(name) != nullptr; }

std::string TqvRegistry::ReadStringDef(const std::string& name, const std::string& fallback) {
  const qvRegistryEntry* entry = find(name);
  if (entry == nullptr || entry->value.kind != qvRegistryValue::Kind::String || entry->value.text.empty()) {
    return fallback;
  }
  return entry->value.text;
}

int TqvRegistry::ReadIntegerDef(const std::string& name, int fallback) {
  const qvRegistryEntry* entry = find(name);
  if (entry == nullptr || entry->value.kind != qvRegistryValue::Kind::Dword) return fallback;
  return static_cast<int>(entry->value.dword);
}

bool TqvRegistry::ReadBoolDef(const std::string& name, bool fallback) {
  const qvRegistryEntry* entry = find(name);
  if (entry == nullptr || entry->value.kind != qvRegistryValue::Kind::Dword) return fallback;
  return entry->value.dword != 0;
}

bool TqvRegistry::ReadLines(const std::string& name, std::vector<std::string>& lines) {
  const qvRegistryEntry* entry = find(name);
  if (entry == nullptr || entry->value.kind != qvRegistryValue::Kind::Binary) return false;
  const std::string text(entry->value.bytes.begin(), entry->value.bytes.end());
  lines.clear();
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find("\r\n", start);
    if (end == std::string::npos) end = text.size();
    lines.push_back(text.substr(start, end - start));
    start = end + 2;
  }
  return true;
}

void TqvRegistry::WriteString(const std::string& name, const std::string& value) {
  if (!current_.empty()) pending_.setString(current_, name, value);
}

void TqvRegistry::WriteInteger(const std::string& name, int value) {
  if (!current_.empty()) pending_.setDword(current_, name, static_cast<std::uint32_t>(value));
}

void TqvRegistry::WriteBool(const std::string& name, bool value) { WriteInteger(name, value ? 1 : 0); }

void TqvRegistry::WriteLines(const std::string& name, const std::vector<std::string>& lines) {
  std::vector<std::uint8_t> bytes;
  for (const std::string& line : lines) {
    // A line break inside an item would split it in two when read back.
    for (const char c : line) {
      if (c == '\r' || c == '\n') {
        const char* escaped = c == '\r' ? "%0D" : "%0A";
        bytes.insert(bytes.end(), escaped, escaped + 3);
      } else {
        bytes.push_back(static_cast<std::uint8_t>(c));
      }
    }
    bytes.push_back('\r');
    bytes.push_back('\n');
  }
  if (!current_.empty()) pending_.setBinary(current_, name, bytes);
}

void TqvRegistry::DeleteValue(const std::string& name) {
  if (!current_.empty()) pending_.deleteValue(current_, name);
}

void TqvRegistry::DeleteKey(const std::string& key) { pending_.deleteKey(key); }

bool TqvRegistry::Commit() {
  error_.clear();
  const bool applied = registry_.apply(pending_);
  if (!applied) error_ = registry_.errorText();
  std::string warning = registry_.takeWarning();
  if (!warning.empty()) warning_ = std::move(warning);
  pending_.clear();
  haveSnapshot_ = false;
  return applied;
}

std::string TqvRegistry::TakeWarning() {
  std::string warning = std::move(warning_);
  warning_.clear();
  return warning;
}
