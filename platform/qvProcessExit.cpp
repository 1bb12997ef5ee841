#include "platform/qvProcessExit.h"

#include <unistd.h>

#include <cstdio>
#include <iostream>

void qvEndProcess(int status) {
  std::cout.flush();
  std::cerr.flush();
  std::fflush(nullptr);
  ::_exit(status);
}
