#include "platform/qvDynamicLibrary.h"

#include <dlfcn.h>
#include <unistd.h>

#include <climits>
#include <filesystem>

namespace {

// The installed tree's library folder, relative to the executable's. The
// executable's RUNPATH names the same folder, but the loader consults it only
// for calls made from the executable itself, and a sanitizer's dlopen
// interceptor is not that; so the folder is tried by name.
constexpr const char* kInstalledLibraryFolder = CORVANE_INSTALLED_LIBRARY_FOLDER;

}  // namespace

std::string qvDynamicLibrary::executableDirectory() {
  char buffer[PATH_MAX];
  ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
  if (n <= 0) return {};
  std::string path(buffer, static_cast<size_t>(n));
  size_t slash = path.rfind('/');
  if (slash == std::string::npos) return {};
  return path.substr(0, slash == 0 ? 1 : slash);
}

bool qvDynamicLibrary::openExisting(const std::string& path) {
  if (::access(path.c_str(), F_OK) != 0) return false;
  handle_ = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle_ != nullptr) {
    loadedFrom_ = path;
    return true;
  }
  // A copy of ours that does not load is worth reporting even when the
  // search path has another one.
  if (error_.empty()) error_ = ::dlerror();
  return false;
}

bool qvDynamicLibrary::open(const std::string& name) {
  error_.clear();
  if (name.find('/') == std::string::npos) {
    const std::string folder = executableDirectory();
    if (openExisting(folder + "/" + name)) return true;
    const std::filesystem::path installed = std::filesystem::path(folder) / kInstalledLibraryFolder / name;
    if (!folder.empty() && openExisting(installed.lexically_normal().string())) return true;
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
