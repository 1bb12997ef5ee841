#include "platform/qvRegistryBatch.h"

void qvRegistryBatch::setString(const std::string& key, const std::string& name, const std::string& value) {
  qvRegistryValue v;
  v.kind = qvRegistryValue::Kind::String;
  v.text = value;
  changes_.push_back({Operation::SetValue, key, name, std::move(v)});
}

void qvRegistryBatch::setDword(const std::string& key, const std::string& name, std::uint32_t value) {
  qvRegistryValue v;
  v.kind = qvRegistryValue::Kind::Dword;
  v.dword = value;
  changes_.push_back({Operation::SetValue, key, name, std::move(v)});
}

void qvRegistryBatch::setBinary(const std::string& key, const std::string& name,
                                const std::vector<std::uint8_t>& value) {
  qvRegistryValue v;
  v.kind = qvRegistryValue::Kind::Binary;
  v.bytes = value;
  changes_.push_back({Operation::SetValue, key, name, std::move(v)});
}

void qvRegistryBatch::deleteValue(const std::string& key, const std::string& name) {
  changes_.push_back({Operation::DeleteValue, key, name, {}});
}

void qvRegistryBatch::createKey(const std::string& key) { changes_.push_back({Operation::CreateKey, key, {}, {}}); }

void qvRegistryBatch::deleteKey(const std::string& key) { changes_.push_back({Operation::DeleteKey, key, {}, {}}); }
