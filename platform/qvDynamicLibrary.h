#pragma once
// A shared library loaded at run time and looked up by entry-point name.
// Libraries are looked for beside the running executable first, then in the
// folder an installed tree keeps them in (../lib/corvane from the
// executable), then on the normal search path; a name containing "/" is
// taken as a path. A loaded library is never unloaded: the user-interface
// library runs a thread of its own for the life of the process.

#include <string>

class qvDynamicLibrary {
 public:
  // The directory of the running executable (no trailing "/"); empty when
  // it cannot be found.
  static std::string executableDirectory();

  // Loads `name`; false with errorText() when no copy could be loaded.
  bool open(const std::string& name);
  bool isOpen() const { return handle_ != nullptr; }

  // The address of an exported entry point, or null.
  void* symbol(const char* name) const;

  // The file that was loaded (as given to the loader).
  const std::string& loadedFrom() const { return loadedFrom_; }
  // The loader's reason for the last failure of open().
  const std::string& errorText() const { return error_; }

 private:
  // Loads `path` when the file exists; the first failure's reason is kept.
  bool openExisting(const std::string& path);

  void* handle_ = nullptr;
  std::string loadedFrom_;
  std::string error_;
};
