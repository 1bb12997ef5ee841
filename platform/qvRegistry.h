#pragma once
// The current user's registry, kept as a REGEDIT4 text file. Both the engine
// and the user-interface library read and write it through this class, often
// from two processes at once, so every change re-reads the file under an
// advisory lock and replaces it atomically (temporary file, fsync, rename).
// A file that does not parse is never overwritten: it is renamed aside with a
// ".bad" suffix and the fact is reported through warningText().
//
// Key paths are given relative to the current user's root, with "\" between
// the parts ("Software\Lorimund\Corvane\v1.1\Settings"); a leading "\" is
// ignored. Key and value names compare without case; the empty value name is
// the key's default value ("@" in the file).

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

class qvRegistryBatch;
class qvRegistryDocument;

struct qvRegistryValue {
  enum class Kind { String, Dword, Binary };
  Kind kind = Kind::String;
  std::string text;                 // String
  std::uint32_t dword = 0;          // Dword
  std::vector<std::uint8_t> bytes;  // Binary
  int hexType = -1;                 // Binary written as hex(N): N; -1 for plain hex
};

class qvRegistry {
 public:
  // Uses the file at `path`; nothing is read until the first operation.
  explicit qvRegistry(std::string path);

  // $CORVANE_REGISTRY when set, else $XDG_CONFIG_HOME/corvane/registry.reg,
  // else ~/.config/corvane/registry.reg.
  static std::string defaultPath();

  const std::string& path() const { return path_; }

  // Readers: nothing when the key or value is missing or of another kind.
  std::optional<std::string> readString(const std::string& key, const std::string& name);
  std::optional<std::uint32_t> readDword(const std::string& key, const std::string& name);
  std::optional<std::vector<std::uint8_t>> readBinary(const std::string& key, const std::string& name);
  std::optional<qvRegistryValue> readValue(const std::string& key, const std::string& name);
  // True when the key, or a key below it, exists.
  bool keyExists(const std::string& key);

  // The whole file as it is now, read under the lock: many values read from
  // one consistent state. False (with errorText()) when it cannot be read.
  bool readDocument(qvRegistryDocument& doc);

  // Writers: false (with errorText()) when the file could not be replaced.
  // Key and value names with control characters are refused: a line break in
  // a key header would make the whole file unreadable.
  bool writeString(const std::string& key, const std::string& name, const std::string& value);
  bool writeDword(const std::string& key, const std::string& name, std::uint32_t value);
  bool writeBinary(const std::string& key, const std::string& name, const std::vector<std::uint8_t>& value);
  // Creates the key (and nothing else) when it does not exist.
  bool createKey(const std::string& key);
  bool deleteValue(const std::string& key, const std::string& name);
  // Removes the key with every key below it.
  bool deleteKey(const std::string& key);
  // Every change of `batch`, in its order, in one update: all or nothing.
  bool apply(const qvRegistryBatch& batch);

  // Whether a key or value name can be stored (no control characters).
  static bool acceptableName(const std::string& name);

  // The last failure of a writer; empty after a success.
  const std::string& errorText() const { return error_; }
  // Set when an unreadable file was put aside; cleared by takeWarning().
  const std::string& warningText() const { return warning_; }
  std::string takeWarning();

 private:
  // Runs `change` on the freshly read file under the lock and stores the
  // result when it reports a change.
  template <typename Change>
  bool update(Change&& change);
  // Reads the file into `doc` (the lock is held); an unreadable file is put
  // aside and read as empty.
  bool load(qvRegistryDocument& doc);
  bool store(const qvRegistryDocument& doc);
  std::optional<qvRegistryValue> find(const std::string& key, const std::string& name);

  std::string path_;
  std::string error_;
  std::string warning_;
};
