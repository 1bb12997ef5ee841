#pragma once
// Changes to the registry gathered so that they land together: qvRegistry
// applies a batch in one locked read-modify-write and one save, so a reader
// (or a process killed halfway) sees every change of it or none. Changes
// apply in the order they were added.

#include <cstdint>
#include <string>
#include <vector>

#include "platform/qvRegistry.h"

class qvRegistryBatch {
 public:
  enum class Operation { SetValue, DeleteValue, CreateKey, DeleteKey };
  struct Change {
    Operation operation;
    std::string key;
    std::string name;
    qvRegistryValue value;
  };

  void setString(const std::string& key, const std::string& name, const std::string& value);
  void setDword(const std::string& key, const std::string& name, std::uint32_t value);
  void setBinary(const std::string& key, const std::string& name, const std::vector<std::uint8_t>& value);
  void deleteValue(const std::string& key, const std::string& name);
  void createKey(const std::string& key);
  // Removes the key with every key below it.
  void deleteKey(const std::string& key);

  bool empty() const { return changes_.empty(); }
  const std::vector<Change>& changes() const { return changes_; }
  void clear() { changes_.clear(); }

 private:
  std::vector<Change> changes_;
};
