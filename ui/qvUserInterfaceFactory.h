#pragma once
// Creates the process's user-interface object. The driver chooses the class:
// the library binding normally, the console for batch runs and where there
// is no display.

#include <memory>
#include <string>

class qvUserInterface;
struct qvDriverSettings;

class qvUserInterfaceFactory {
 public:
  enum class Kind { Gui, Plain };

  // Creates the object with its log at `logPath`. When the log cannot be
  // created the failure is reported ("IO Exception creating log file : ..."
  // printed, or in a box captioned "Fatal error") and the process ends with
  // status 1.
  static std::unique_ptr<qvUserInterface> create(Kind kind, qvDriverSettings& settings,
                                                 const std::string& logPath = "Corvane.log");
};
