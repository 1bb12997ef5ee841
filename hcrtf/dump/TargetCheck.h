#pragma once

#include <cstddef>
#include <cstdint>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace hcrtf::dump {

// A jump of the help file that leads to no topic.
struct UndefinedTarget {
  std::string target;  // the hash as hex, or the context string a macro names
  std::string where;   // the topic it is in
};

// Finds the jumps that lead nowhere in topic text as RecordRenderer writes
// it: hotspots (<jump 0x...>, <popup-invisible 0x...>, <jump-ext 0x... window
// 2>) whose hash |CONTEXT does not list, and JumpID, JI, PopupID and PI
// macros naming a context string this file does not define. Jumps into
// other help files are not checked: those files are not at hand.
class TargetCheck {
 public:
  // `defined`: the hashes |CONTEXT lists; `ownFileName`: the help file's
  // name, which macros may give for "this file".
  TargetCheck(std::set<std::int32_t> defined, std::string ownFileName);

  // Checks the hotspots and macros of one rendered line or macro string.
  void scan(std::string_view text, const std::string& where);

  std::size_t checked() const { return checked_; }
  const std::vector<UndefinedTarget>& undefined() const { return undefined_; }

 private:
  void scanHotspots(std::string_view text, const std::string& where);
  void scanMacros(std::string_view text, const std::string& where);
  bool isThisFile(std::string_view file) const;
  void check(std::int32_t hash, const std::string& shown, const std::string& where);

  std::set<std::int32_t> defined_;
  std::string ownFileName_;  // lower case
  std::size_t checked_ = 0;
  std::vector<UndefinedTarget> undefined_;
};

}  // namespace hcrtf::dump
