#pragma once
// The engine's own failure exceptions. A qvRuntimeException concerns one URL,
// topic or run and is caught at those levels; qvCancelException is the user's
// "Just Stop!" and unwinds further (see the driver's run loop).

#include <stdexcept>
#include <string>

class qvRuntimeException : public std::runtime_error {
 public:
  explicit qvRuntimeException(const std::string& text) : std::runtime_error(text) {}
};

class qvCancelException : public qvRuntimeException {
 public:
  qvCancelException() : qvRuntimeException("Canceled by user") {}
};
