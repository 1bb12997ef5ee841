#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "hcrtf/compiler/Diagnostics.h"

namespace hcrtf::compiler {

// Rewrites help macros into the strict form the viewer's macro parser takes.
// Authors (and our own converter) write macros the loose way help compilers
// have always accepted: bare words where a string is meant, a nested macro as
// an argument, JumpID with only a context string, no parentheses after a
// macro without arguments, ":" between macros. The viewer wants every string
// argument quoted, nested macros as strings with their inner strings in the
// `...' form, an explicit file name and "(" after every macro name. A list
// that is strict already is kept byte for byte; macros of unknown names keep
// their arguments.
class MacroNormaliser {
 public:
  // `thisHelpFile` is the name the viewer resolves to the help file being
  // built (its bare file name: the viewer also searches the folder of the
  // open file). Empty: file arguments are left as they are.
  explicit MacroNormaliser(std::string thisHelpFile) : thisHelpFile_(std::move(thisHelpFile)) {}

  // The strict form of a macro list, or nullopt when `macros` is not a macro
  // list (unbalanced quotes or parentheses, stray characters, too deep).
  std::optional<std::string> normalise(std::string_view macros) const;

  // The strict form, or `macros` unchanged with a warning at `where` when it
  // cannot be parsed.
  std::string apply(std::string_view macros, const SourcePos& where, Diagnostics& diagnostics) const;

 private:
  std::string thisHelpFile_;
};

}  // namespace hcrtf::compiler
