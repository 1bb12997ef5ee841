#pragma once
// Structural checks of a written topic, and a run of a real RTF reader over
// it. The reader (unrtf) is forgiving: it quietly drops text after an extra
// closing brace and takes "\cellabc" for an unknown word, so the structure
// is checked here as well: one document, balanced groups, nothing after
// it, and only the control words a help topic is made of.

#include <array>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <vector>

namespace rtfcheck {

inline const std::set<std::string>& knownWords() {
  static const std::set<std::string> words = {
      "rtf",   "fonttbl", "f",     "fswiss", "froman", "fmodern", "colortbl", "red",  "green", "blue",
      "deff",  "fs",      "footnote", "keepn", "keep",  "b",       "i",        "ul",   "uldb",  "par",
      "pard",  "cf",      "line",  "li",     "ql",     "qc",      "qr",       "v",    "brdrb", "page",
      "trowd", "intbl",   "trqc",  "cellx",  "cell",   "row",     "tab"};
  return words;
}

// Everything wrong with the structure of `rtf`; empty when it is sound.
inline std::vector<std::string> problems(const std::string& rtf) {
  std::vector<std::string> found;
  if (rtf.rfind("{\\rtf1", 0) != 0) found.push_back("does not start with {\\rtf1");
  int depth = 0;
  bool closed = false;
  for (std::size_t i = 0; i < rtf.size(); ++i) {
    const char c = rtf[i];
    if (closed) {
      if (c != '\r' && c != '\n') {
        found.push_back("text after the document at " + std::to_string(i));
        break;
      }
      continue;
    }
    if (c == '{') {
      ++depth;
    } else if (c == '}') {
      if (--depth == 0) closed = true;
    } else if (c == '\\') {
      const std::size_t start = ++i;
      if (i >= rtf.size()) {
        found.push_back("backslash at the end");
        break;
      }
      if (std::isalpha(static_cast<unsigned char>(rtf[i]))) {
        while (i < rtf.size() && std::isalpha(static_cast<unsigned char>(rtf[i]))) ++i;
        const std::string word = rtf.substr(start, i - start);
        if (knownWords().count(word) == 0) found.push_back("unknown control word \\" + word);
        if (i < rtf.size() && rtf[i] == '-') ++i;
        while (i < rtf.size() && std::isdigit(static_cast<unsigned char>(rtf[i]))) ++i;
        if (i < rtf.size() && rtf[i] != ' ') --i;  // the delimiter belongs to the text
      } else if (rtf[i] == '\'') {
        const bool hex = i + 2 < rtf.size() && std::isxdigit(static_cast<unsigned char>(rtf[i + 1])) &&
                         std::isxdigit(static_cast<unsigned char>(rtf[i + 2]));
        if (!hex) found.push_back("bad \\' escape at " + std::to_string(i));
        i += 2;
      } else if (std::string("\\{}[]").find(rtf[i]) == std::string::npos) {
        found.push_back(std::string("unknown control symbol \\") + rtf[i]);
      }
    }
    if (depth < 0) {
      found.push_back("group closed twice at " + std::to_string(i));
      break;
    }
  }
  if (!closed) found.push_back("groups left open: " + std::to_string(depth));
  return found;
}

struct ReaderResult {
  int status = -1;
  std::string text;    // what the reader shows
  std::string errors;  // what it complained about
};

inline std::string slurp(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline bool haveReader() { return std::system("command -v unrtf >/dev/null 2>&1") == 0; }

// Runs `unrtf --text` over the file.
inline ReaderResult readWithUnrtf(const std::filesystem::path& file) {
  ReaderResult result;
  const std::string out = file.string() + ".txt";
  const std::string err = file.string() + ".err";
  const std::string command = "unrtf --text '" + file.string() + "' >'" + out + "' 2>'" + err + "'";
  result.status = std::system(command.c_str());
  result.text = slurp(out);
  result.errors = slurp(err);
  // The reader's own banner lines start with "###" and end with a rule.
  const std::size_t rule = result.text.find("-----------------\n");
  if (rule != std::string::npos) result.text.erase(0, rule + 18);
  return result;
}

}  // namespace rtfcheck
