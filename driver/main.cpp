// The engine's entry point.

#include <exception>
#include <iostream>
#include <string>
#include <vector>

#include "driver/qvDriver.h"
#include "platform/qvProcessExit.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  int status = qvDriver::kStartFailed;
  try {
    qvDriver driver(std::move(args));
    status = driver.run();
  } catch (const std::exception& e) {
    std::cerr << "corvane: " << e.what() << std::endl;
  }
  // The library's window thread may still own toolkit objects: no static
  // destructors, just flushed streams.
  qvEndProcess(status);
}
