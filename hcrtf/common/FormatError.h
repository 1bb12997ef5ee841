#pragma once

#include <stdexcept>
#include <string>

namespace hcrtf {

// Thrown when bytes that claim to be part of a help file break its rules:
// an offset or length outside its buffer, a wrong magic number, a loop in a
// page chain. The message says what was being read and what was wrong, in a
// form fit to show a user.
class FormatError : public std::runtime_error {
 public:
  explicit FormatError(const std::string& what) : std::runtime_error(what) {}
};

}  // namespace hcrtf
