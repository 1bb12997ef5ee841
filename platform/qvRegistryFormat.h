#pragma once
// The REGEDIT4 text format: the parsed form of a registry file and the two
// conversions. Kept apart from the file handling so that the parser can be
// exercised on its own (it reads files a user may have edited by hand).
//
// Accepted: the "REGEDIT4" header, ";" comment lines, "[ROOT\key\path]"
// headers, and values "name"=... or @=... of the forms "text" (escapes \\ and
// \"), dword:XXXXXXXX, hex:aa,bb,... and hex(N):aa,... (continued over lines
// ending in "\"). Lines may end in CR LF or LF. Anything else is an error:
// a file we do not understand is not ours to rewrite.

#include <optional>
#include <string>
#include <vector>

#include "platform/qvRegistry.h"

struct qvRegistryEntry {
  std::string name;  // empty: the key's default value
  qvRegistryValue value;
};

struct qvRegistryKey {
  std::string path;  // full path including the root, as written
  std::vector<qvRegistryEntry> entries;
};

class qvRegistryDocument {
 public:
  // The root every relative key path is placed under.
  static constexpr const char* kRoot = "HKEY_CURRENT_USER";

  // Turns "Software\X" or "\Software\X" into "HKEY_CURRENT_USER\Software\X".
  static std::string fullPath(const std::string& relativeKey);

  // Parses `text`; on failure returns false and describes the first bad line
  // in `error` ("line N: ...").
  bool parse(const std::string& text, std::string& error);
  // The file text, CR LF line ends, keys in their stored order.
  std::string serialise() const;

  qvRegistryKey* findKey(const std::string& fullKey);
  qvRegistryKey& ensureKey(const std::string& fullKey);
  const qvRegistryEntry* findEntry(const std::string& fullKey, const std::string& name);
  void setValue(const std::string& fullKey, const std::string& name, const qvRegistryValue& value);
  bool removeValue(const std::string& fullKey, const std::string& name);
  // Removes the key and every key below it; true when anything was removed.
  bool removeKey(const std::string& fullKey);
  // True when the key or a key below it exists.
  bool hasKey(const std::string& fullKey) const;

  const std::vector<qvRegistryKey>& keys() const { return keys_; }

 private:
  std::vector<qvRegistryKey> keys_;
};
