#pragma once
// The window's view of the registry: one key open at a time, readers that
// take a default, and writers that gather their changes until Commit, which
// hands them to the registry as one batch (one locked update, all or
// nothing). Reads come from a snapshot of the file taken when the first key
// is opened after a commit, so a load sees one consistent state however many
// values it reads.

#include <cstdint>
#include <string>
#include <vector>

#include "platform/qvRegistryBatch.h"
#include "platform/qvRegistryFormat.h"

class qvRegistry;

class TqvRegistry {
 public:
  explicit TqvRegistry(qvRegistry& registry);

  // Makes `key` the current key. Without `canCreate` a key that does not
  // exist is not opened (false); with it the key is created at Commit.
  bool OpenKey(const std::string& key, bool canCreate);
  void CloseKey() { current_.clear(); }
  bool KeyExists(const std::string& key);
  bool ValueExists(const std::string& name);

  // An empty or missing text gives `fallback`.
  std::string ReadStringDef(const std::string& name, const std::string& fallback);
  // A missing value, or one of another kind, gives `fallback`.
  int ReadIntegerDef(const std::string& name, int fallback);
  bool ReadBoolDef(const std::string& name, bool fallback);
  // A binary list of lines, each ended by CR LF; false when missing.
  bool ReadLines(const std::string& name, std::vector<std::string>& lines);

  void WriteString(const std::string& name, const std::string& value);
  void WriteInteger(const std::string& name, int value);
  void WriteBool(const std::string& name, bool value);
  // Line breaks inside an item are written as %0D and %0A.
  void WriteLines(const std::string& name, const std::vector<std::string>& lines);
  void DeleteValue(const std::string& name);
  void DeleteKey(const std::string& key);

  // Applies every change since the last commit; false with ErrorText().
  bool Commit();
  const std::string& ErrorText() const { return error_; }
  // The registry's report of a file it put aside, once.
  std::string TakeWarning();

 private:
  const qvRegistryEntry* find(const std::string& name);
  void takeSnapshot();

  qvRegistry& registry_;
  qvRegistryDocument snapshot_;
  bool haveSnapshot_ = false;
  std::string current_;
  qvRegistryBatch pending_;
  std::string error_;
  std::string warning_;
};
