#include "platform/qvDynamicLibrary.h"

#include <dlfcn.h>
#include <unistd.h>

#include <climits>

std::string qvDynamicLibrary::executableDirectory() {
  char buffer[PATH_MAX];
  ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
  if (n <= 0) return {};
  std::string path(buffer, static_cast<size_t>(n));
  size_t slash = path.rfind('/');
  if (slash == std::string::npos) return {};
  return path.substr(0, slash == 0 ? 1 : slash);
}

bool qvDynamicLibrary::open(const std::string& name) {
  error_.clear();
  if (name.find('/') == std::string::npos) {
    std::string beside = executableDirectory() + "/" + name;
    if (::access(beside.c_str(), F_OK) == 0) {
      handle_ = ::dlopen(beside.c_str(), RTLD_NOW | RTLD_LOCAL);
      if (handle_ != nullptr) {
        loadedFrom_ = beside;
        return true;
      }
      // A copy beside us that does not load is worth reporting even when
      // the search path has another one.
      error_ = ::dlerror();
    }
  }
  handle_ = ::dlopen(name.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle_ == nullptr) {
    const char* reason = ::dlerror();
    if (error_.empty()) error_ = reason ? reason : "unknown error";
    return false;
  }
  loadedFrom_ = name;
  error_.clear();
  return true;
}

void* qvDynamicLibrary::symbol(const char* name) const {
  if (handle_ == nullptr) return nullptr;
  return ::dlsym(handle_, name);
}
