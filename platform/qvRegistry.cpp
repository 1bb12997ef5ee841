#include "platform/qvRegistry.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/qvRegistryBatch.h"
#include "platform/qvRegistryFormat.h"

namespace {

// Holds an exclusive advisory lock on "<file>.lock" for its lifetime. The
// registry file itself is replaced by rename, so it cannot carry the lock.
class RegistryLock {
 public:
  explicit RegistryLock(const std::string& file) {
    std::string lockPath = file + ".lock";
    fd_ = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd_ < 0) {
      error_ = "cannot open " + lockPath + ": " + std::strerror(errno);
      return;
    }
    while (::flock(fd_, LOCK_EX) != 0) {
      if (errno == EINTR) continue;
      error_ = "cannot lock " + lockPath + ": " + std::strerror(errno);
      return;
    }
    locked_ = true;
  }
  ~RegistryLock() {
    if (fd_ >= 0) ::close(fd_);  // closing releases the lock
  }
  RegistryLock(const RegistryLock&) = delete;
  RegistryLock& operator=(const RegistryLock&) = delete;

  bool locked() const { return locked_; }
  const std::string& error() const { return error_; }

 private:
  int fd_ = -1;
  bool locked_ = false;
  std::string error_;
};

bool makeParentDirectory(const std::string& file, std::string& error) {
  std::filesystem::path parent = std::filesystem::path(file).parent_path();
  if (parent.empty()) return true;
  std::error_code ec;
  std::filesystem::create_directories(parent, ec);
  if (ec) {
    error = "cannot create " + parent.string() + ": " + ec.message();
    return false;
  }
  return true;
}

bool writeAll(int fd, const std::string& data) {
  size_t done = 0;
  while (done < data.size()) {
    ssize_t n = ::write(fd, data.data() + done, data.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

void syncDirectory(const std::string& file) {
  std::string dir = std::filesystem::path(file).parent_path().string();
  int fd = ::open(dir.empty() ? "." : dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

}  // namespace

qvRegistry::qvRegistry(std::string path) : path_(std::move(path)) {}

std::string qvRegistry::defaultPath() {
  if (const char* explicitPath = std::getenv("CORVANE_REGISTRY"); explicitPath && *explicitPath) {
    return explicitPath;
  }
  if (const char* config = std::getenv("XDG_CONFIG_HOME"); config && *config) {
    return std::string(config) + "/corvane/registry.reg";
  }
  const char* home = std::getenv("HOME");
  return std::string(home && *home ? home : ".") + "/.config/corvane/registry.reg";
}

std::string qvRegistry::takeWarning() {
  std::string warning = std::move(warning_);
  warning_.clear();
  return warning;
}

bool qvRegistry::load(qvRegistryDocument& doc) {
  std::ifstream in(path_, std::ios::binary);
  if (!in) return true;  // no file yet: an empty registry
  std::ostringstream text;
  text << in.rdbuf();
  std::string parseError;
  if (doc.parse(text.str(), parseError)) return true;
  std::string aside = path_ + ".bad";
  if (::rename(path_.c_str(), aside.c_str()) != 0) {
    error_ = "registry file " + path_ + " cannot be read (" + parseError +
             ") and cannot be moved aside: " + std::strerror(errno);
    return false;
  }
  warning_ = "registry file " + path_ + " cannot be read (" + parseError + "); kept as " + aside;
  doc = qvRegistryDocument();
  return true;
}

bool qvRegistry::store(const qvRegistryDocument& doc) {
  std::string temp = path_ + ".tmp" + std::to_string(::getpid());
  int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  if (fd < 0) {
    error_ = "cannot create " + temp + ": " + std::strerror(errno);
    return false;
  }
  bool written = writeAll(fd, doc.serialise()) && ::fsync(fd) == 0;
  int savedErrno = errno;
  ::close(fd);
  if (!written || ::rename(temp.c_str(), path_.c_str()) != 0) {
    if (written) savedErrno = errno;
    ::unlink(temp.c_str());
    error_ = "cannot write " + path_ + ": " + std::strerror(savedErrno);
    return false;
  }
  syncDirectory(path_);
  return true;
}

template <typename Change>
bool qvRegistry::update(Change&& change) {
  error_.clear();
  if (!makeParentDirectory(path_, error_)) return false;
  RegistryLock lock(path_);
  if (!lock.locked()) {
    error_ = lock.error();
    return false;
  }
  qvRegistryDocument doc;
  if (!load(doc)) return false;
  if (!change(doc)) return true;
  return store(doc);
}

std::optional<qvRegistryValue> qvRegistry::find(const std::string& key, const std::string& name) {
  qvRegistryDocument doc;
  {
    std::ifstream probe(path_);
    if (!probe) return std::nullopt;  // nothing to read, nothing to lock
  }
  RegistryLock lock(path_);
  if (!lock.locked() || !load(doc)) return std::nullopt;
  const qvRegistryEntry* entry = doc.findEntry(qvRegistryDocument::fullPath(key), name);
  if (entry == nullptr) return std::nullopt;
  return entry->value;
}

std::optional<qvRegistryValue> qvRegistry::readValue(const std::string& key, const std::string& name) {
  return find(key, name);
}

std::optional<std::string> qvRegistry::readString(const std::string& key, const std::string& name) {
  auto value = find(key, name);
  if (!value || value->kind != qvRegistryValue::Kind::String) return std::nullopt;
  return value->text;
}

std::optional<std::uint32_t> qvRegistry::readDword(const std::string& key, const std::string& name) {
  auto value = find(key, name);
  if (!value || value->kind != qvRegistryValue::Kind::Dword) return std::nullopt;
  return value->dword;
}

std::optional<std::vector<std::uint8_t>> qvRegistry::readBinary(const std::string& key,
                                                              const std::string& name) {
  auto value = find(key, name);
  if (!value || value->kind != qvRegistryValue::Kind::Binary) return std::nullopt;
  return value->bytes;
}

bool qvRegistry::keyExists(const std::string& key) {
  {
    std::ifstream probe(path_);
    if (!probe) return false;
  }
  RegistryLock lock(path_);
  qvRegistryDocument doc;
  if (!lock.locked() || !load(doc)) return false;
  return doc.hasKey(qvRegistryDocument::fullPath(key));
}

bool qvRegistry::acceptableName(const std::string& name) {
  for (const unsigned char c : name) {
    if (c < 0x20 || c == 0x7F) return false;
  }
  return true;
}

bool qvRegistry::readDocument(qvRegistryDocument& doc) {
  error_.clear();
  doc = qvRegistryDocument();
  {
    std::ifstream probe(path_);
    if (!probe) return true;  // no file yet: an empty registry
  }
  RegistryLock lock(path_);
  if (!lock.locked()) {
    error_ = lock.error();
    return false;
  }
  return load(doc);
}

bool qvRegistry::writeString(const std::string& key, const std::string& name, const std::string& value) {
  qvRegistryBatch batch;
  batch.setString(key, name, value);
  return apply(batch);
}

bool qvRegistry::writeDword(const std::string& key, const std::string& name, std::uint32_t value) {
  qvRegistryBatch batch;
  batch.setDword(key, name, value);
  return apply(batch);
}

bool qvRegistry::writeBinary(const std::string& key, const std::string& name,
                             const std::vector<std::uint8_t>& value) {
  qvRegistryBatch batch;
  batch.setBinary(key, name, value);
  return apply(batch);
}

bool qvRegistry::createKey(const std::string& key) {
  qvRegistryBatch batch;
  batch.createKey(key);
  return apply(batch);
}

bool qvRegistry::deleteValue(const std::string& key, const std::string& name) {
  qvRegistryBatch batch;
  batch.deleteValue(key, name);
  return apply(batch);
}

bool qvRegistry::deleteKey(const std::string& key) {
  qvRegistryBatch batch;
  batch.deleteKey(key);
  return apply(batch);
}

bool qvRegistry::apply(const qvRegistryBatch& batch) {
  error_.clear();
  for (const qvRegistryBatch::Change& change : batch.changes()) {
    if (!acceptableName(change.key) || !acceptableName(change.name)) {
      error_ = "registry names may not hold control characters: " + change.key;
      return false;
    }
  }
  if (batch.empty()) return true;
  return update([&](qvRegistryDocument& doc) {
    bool changed = false;
    for (const qvRegistryBatch::Change& change : batch.changes()) {
      const std::string full = qvRegistryDocument::fullPath(change.key);
      switch (change.operation) {
        case qvRegistryBatch::Operation::SetValue:
          doc.setValue(full, change.name, change.value);
          changed = true;
          break;
        case qvRegistryBatch::Operation::DeleteValue:
          changed = doc.removeValue(full, change.name) || changed;
          break;
        case qvRegistryBatch::Operation::CreateKey:
          if (doc.findKey(full) == nullptr) {
            doc.ensureKey(full);
            changed = true;
          }
          break;
        case qvRegistryBatch::Operation::DeleteKey:
          changed = doc.removeKey(full) || changed;
          break;
      }
    }
    return changed;
  });
}
