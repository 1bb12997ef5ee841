#include "ui/qvUserInterfaceFactory.h"

#include <iostream>

#include "platform/qvProcessExit.h"
#include "ui/qvGuiUserInterface.h"
#include "ui/qvPlainUserInterface.h"
#include "ui/qvRuntimeException.h"

std::unique_ptr<qvUserInterface> qvUserInterfaceFactory::create(Kind kind, qvDriverSettings& settings,
                                                                const std::string& logPath) {
  try {
    if (kind == Kind::Gui) return std::make_unique<qvGuiUserInterface>(settings, logPath);
    return std::make_unique<qvPlainUserInterface>(settings, logPath);
  } catch (const qvRuntimeException& e) {
    std::string text = std::string("IO Exception creating log file : ") + e.what();
    if (kind == Kind::Gui) {
      qvGuiUserInterface::messageBox(text, "Fatal error");
    } else {
      std::cout << text << std::endl;
    }
    qvEndProcess(1);
  }
}
