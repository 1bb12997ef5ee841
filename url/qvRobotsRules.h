#pragma once
// qvRobotsRules: reads a robots file into the path prefixes it forbids to one
// robot. A record starts with a user-agent line whose pattern matches the
// robot name (qvAgentPattern); from there every disallow line counts until
// the next empty line, also those that follow further user-agent lines.
// Field names match in any letter case; "#" starts a comment; lines end in
// LF, CR LF or a lone CR.
//
// A robots file is whatever a server sends, so only its first kMaxBytes are
// read: a hostile one cannot fill memory with prefixes.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

class qvRobotsRules {
 public:
  // The most of a robots file that is read. Real ones are a few KiB.
  static constexpr std::size_t kMaxBytes = 512 * 1024;

  qvRobotsRules() = delete;

  // The prefixes `text` forbids to `robotName`, in file order. Text past
  // kMaxBytes is ignored, and so is a line that the limit cuts short: half
  // a prefix would forbid more than the server meant.
  static std::vector<std::string> parse(std::string_view text, std::string_view robotName);

  // parse() over the file at `path`, of which at most kMaxBytes (plus one
  // byte, to tell a cut line from a whole one) are read. A file that cannot
  // be read forbids nothing.
  static std::vector<std::string> parseFile(const std::string& path, std::string_view robotName);
};
