#pragma once
// The libraries' entry points: C linkage, default visibility (everything
// else is hidden), and no C++ exception ever crosses them.

#include <exception>
#include <new>

#include "imagelibs/ImageResult.h"

#define CORVANE_IMAGE_EXPORT extern "C" __attribute__((visibility("default")))

namespace imagelibs {

// Runs `work` and turns an escaping exception into a result: memory that
// could not be had means the picture was too large for this machine.
template <typename Work>
int guarded(Work work) noexcept {
  try {
    return work();
  } catch (const std::bad_alloc&) {
    return kTooLarge;
  } catch (...) {
    return kDamaged;
  }
}

}  // namespace imagelibs
