#pragma once
// Context strings made from names that pages give: the "idh_" names of
// anchors and element ids, which help authors call by name and which the
// help project maps to numbers. A page may give any bytes there, braces,
// backslashes and blanks among them, while a help topic needs a context
// string that leaves its RTF sound and that every help compiler and viewer
// takes. Every context string built from a page's name comes from here.

#include <cstddef>
#include <string>
#include <string_view>

class qvContextString {
 public:
  // Help compilers refuse longer context strings.
  static constexpr std::size_t kMaxLength = 255;

  // `name` as a context string. Letters, digits and '_' stand as they are,
  // so the names of real pages (idh_Intro, IDH_FILE_OPEN) do not change;
  // every other byte, '.' included, becomes '.' and two upper-case hex
  // digits ("idh_a b" gives "idh_a.20b", "idh_}" gives "idh_.7D"). Since
  // every '.' starts such an escape, two different names never give the
  // same string, nor two strings that differ only in case (the compiler
  // compares without case) unless the names do. A result longer than
  // kMaxLength keeps its start, cut between escapes, followed by ".ZZ" and
  // sixteen hex digits of a hash of the whole name: 'Z' never follows an
  // escape's '.', so a shortened name meets no name that was not shortened.
  static std::string fromName(std::string_view name);
};
