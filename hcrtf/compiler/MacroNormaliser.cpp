#include "hcrtf/compiler/MacroNormaliser.h"

#include <cctype>
#include <vector>

#include "hcrtf/compiler/TextUtil.h"

namespace hcrtf::compiler {

namespace {

// The viewer's built-in macros with their argument types: S string, U/I
// number, B a macro that answers true or false. `fileFirst` marks macros
// whose first argument names the help file.
struct MacroSpec {
  std::string_view name;
  std::string_view alias;
  std::string_view args;
  bool fileFirst = false;
};

constexpr MacroSpec kMacros[] = {
    {"About", "", ""},
    {"AddAccelerator", "AA", "UUS"},
    {"ALink", "AL", "SUS"},
    {"Annotate", "", ""},
    {"AppendItem", "", "SSSS"},
    {"Back", "", ""},
    {"BackFlush", "BF", ""},
    {"BookmarkDefine", "", ""},
    {"BookmarkMore", "", ""},
    {"BrowseButtons", "", ""},
    {"ChangeButtonBinding", "CBB", "SS"},
    {"ChangeEnable", "CE", "SS"},
    {"ChangeItemBinding", "CIB", "SS"},
    {"CheckItem", "CI", "S"},
    {"CloseSecondarys", "CS", ""},
    {"CloseWindow", "CW", "S"},
    {"Compare", "", "S"},
    {"Contents", "", ""},
    {"ControlPanel", "", "SSU"},
    {"CopyDialog", "", ""},
    {"CopyTopic", "CT", ""},
    {"CreateButton", "CB", "SSS"},
    {"DeleteItem", "", "S"},
    {"DeleteMark", "", "S"},
    {"DestroyButton", "", "S"},
    {"DisableButton", "DB", "S"},
    {"DisableItem", "DI", "S"},
    {"EnableButton", "EB", "S"},
    {"EnableItem", "EI", "S"},
    {"EndMPrint", "", ""},
    {"ExecFile", "EF", "SSUS"},
    {"ExecProgram", "EP", "SU"},
    {"Exit", "", ""},
    {"ExtAbleItem", "", "SU"},
    {"ExtInsertItem", "", "SSSSUU"},
    {"ExtInsertMenu", "", "SSSUU"},
    {"FileExist", "FE", "S"},
    {"FileOpen", "FO", ""},
    {"Find", "", ""},
    {"Finder", "FD", ""},
    {"FloatingMenu", "", ""},
    {"Flush", "FH", ""},
    {"FocusWindow", "", "S"},
    {"Generate", "", "SUU"},
    {"GotoMark", "", "S"},
    {"HelpOn", "", ""},
    {"HelpOnTop", "", ""},
    {"History", "", ""},
    {"InitMPrint", "", ""},
    {"InsertItem", "", "SSSSU"},
    {"InsertMenu", "", "SSU"},
    {"IfThen", "IF", "BS"},
    {"IfThenElse", "IE", "BSS"},
    {"IsBook", "", ""},
    {"IsMark", "", "S"},
    {"IsNotMark", "NM", "S"},
    {"JumpContents", "", "SS", true},
    {"JumpContext", "JC", "SSU", true},
    {"JumpHash", "JH", "SSU", true},
    {"JumpHelpOn", "", ""},
    {"JumpID", "JI", "SS", true},
    {"JumpKeyword", "JK", "SSS", true},
    {"KLink", "KL", "SUSS"},
    {"Menu", "MU", ""},
    {"MPrintHash", "", "U"},
    {"MPrintID", "", "S"},
    {"Next", "", ""},
    {"NoShow", "NS", ""},
    {"PopupContext", "PC", "SU", true},
    {"PopupHash", "", "SU", true},
    {"PopupId", "PI", "SS", true},
    {"PositionWindow", "PW", "IIUUUS"},
    {"Prev", "", ""},
    {"Print", "", ""},
    {"PrinterSetup", "", ""},
    {"RegisterRoutine", "RR", "SSS"},
    {"RemoveAccelerator", "RA", "UU"},
    {"ResetMenu", "", ""},
    {"SaveMark", "", "S"},
    {"Search", "", ""},
    {"SetContents", "", "SU"},
    {"SetHelpOnFile", "", "S"},
    {"SetPopupColor", "SPC", "UUU"},
    {"ShellExecute", "SE", "SSUUSS"},
    {"ShortCut", "SH", "SSUUS"},
    {"TCard", "", "U"},
    {"Test", "", "U"},
    {"TestALink", "", "S"},
    {"TestKLink", "", "S"},
    {"UncheckItem", "UI", "S"},
    {"UpdateWindow", "UW", "SS"},
};

// Trailing arguments that help compilers let authors leave out, with the
// values they stand for; the viewer checks the count and refuses a call
// with fewer. `required` arguments must be given.
struct TrailingDefaults {
  std::string_view name;
  std::size_t required;
  std::string_view values[3];
};

constexpr TrailingDefaults kTrailingDefaults[] = {
    {"ExecFile", 1, {"\"\"", "1", "\"\""}},  // no arguments, shown normally, no fallback topic
    {"ExecProgram", 1, {"0"}},                  // shown normally
};

const MacroSpec* findMacro(std::string_view name) {
  for (const auto& entry : kMacros) {
    if (equalsIgnoreCase(entry.name, name) || (!entry.alias.empty() && equalsIgnoreCase(entry.alias, name))) return &entry;
  }
  return nullptr;
}

// Each nested macro costs the viewer one level of its fixed quote stack (32
// deep); beyond this the macro is refused rather than crashing the viewer.
constexpr int kMaxNesting = 12;
constexpr std::size_t kMaxQuoteDepth = 24;

bool isQuote(char c) { return c == '"' || c == '`' || c == '\''; }
bool isNameStart(char c) { return std::isalpha(static_cast<unsigned char>(c)) != 0; }
bool isNameChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '_'; }

// The viewer's quoting rule: "`" always opens a level, '"' opens one unless
// the innermost level was opened by '"', anything else closes.
bool opensLevel(char c, const std::string& stack) {
  return stack.empty() || c == '`' || (c == '"' && stack.back() != '"');
}

bool isInteger(std::string_view text) {
  if (!text.empty() && (text.front() == '+' || text.front() == '-')) text.remove_prefix(1);
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    for (char c : text.substr(2)) {
      if (!std::isxdigit(static_cast<unsigned char>(c))) return false;
    }
    return true;
  }
  if (text.empty()) return false;
  for (char c : text) {
    if (!std::isdigit(static_cast<unsigned char>(c))) return false;
  }
  return true;
}

// A word as a quoted string: the viewer drops a backslash and keeps the
// character after it, so backslashes and quote characters are escaped.
std::string quoteWord(std::string_view word) {
  std::string out = "\"";
  for (char c : word) {
    if (c == '\\' || isQuote(c)) out += '\\';
    out += c;
  }
  return out + '"';
}

// A rendered macro as a string argument. Its outermost strings take the
// `...' form, which nests inside "..."; every escape gains a level, since
// the viewer removes one level when it reads the outer string.
std::string nestAsString(std::string_view macro) {
  std::string out = "\"";
  std::string stack;
  for (std::size_t i = 0; i < macro.size(); ++i) {
    const char c = macro[i];
    if (c == '\\' && i + 1 < macro.size()) {
      const char escaped = macro[++i];
      out += "\\\\";
      if (escaped == '\\' || isQuote(escaped)) out += '\\';
      out += escaped;
    } else if (!stack.empty() || isQuote(c)) {
      if (!isQuote(c)) {
        out += c;
      } else if (opensLevel(c, stack)) {
        out += stack.empty() ? '`' : c;
        stack += c;
      } else {
        stack.pop_back();
        out += stack.empty() ? '\'' : c;
      }
    } else {
      out += c;
    }
  }
  return out + '"';
}

// A recursive-descent reader of one macro list that renders each macro in
// its strict form as it goes.
class MacroParser {
 public:
  MacroParser(std::string_view text, const std::string& thisHelpFile) : text_(text), file_(thisHelpFile) {}

  std::optional<std::string> list() {
    std::string out;
    do {
      skipSpace();
      if (atEnd()) break;  // a trailing separator
      auto macro = call(0);
      if (!macro) return std::nullopt;
      if (!out.empty()) out += ';';
      out += *macro;
      skipSpace();
    } while (consume(';') || (consume(':') && (changed_ = true)));
    if (!atEnd() || out.empty()) return std::nullopt;
    // A list that needed nothing keeps its own spacing.
    return changed_ ? out : std::string(text_);
  }

 private:
  struct Arg {
    enum class Kind { Empty, String, Number, Word, Macro };
    Kind kind = Kind::Empty;
    std::string text;  // as rendered (strings keep their own quoting)
  };

  bool atEnd() const { return pos_ >= text_.size(); }
  char peek() const { return atEnd() ? '\0' : text_[pos_]; }
  void skipSpace() {
    while (!atEnd() && (text_[pos_] == ' ' || text_[pos_] == '\t')) ++pos_;
  }
  bool consume(char c) {
    if (peek() != c) return false;
    ++pos_;
    return true;
  }
  std::string name() {
    const std::size_t start = pos_;
    if (!isNameStart(peek())) return {};
    while (!atEnd() && isNameChar(text_[pos_])) ++pos_;
    return std::string(text_.substr(start, pos_ - start));
  }

  std::optional<std::string> call(int nesting) {
    if (nesting > kMaxNesting) return std::nullopt;
    const std::string macro = name();
    if (macro.empty()) return std::nullopt;
    skipSpace();
    std::vector<Arg> args;
    if (!consume('(')) {
      changed_ = true;
    } else if (!arguments(args, nesting, takesKeywordList(macro))) {
      return std::nullopt;
    }
    return render(macro, std::move(args));
  }

  // ALink and KLink take a keyword list first, which authors write bare with
  // its ';' separators: AL(one;two).
  static bool takesKeywordList(const std::string& macro) {
    for (const char* name : {"ALink", "AL", "KLink", "KL"}) {
      if (equalsIgnoreCase(macro, name)) return true;
    }
    return false;
  }

  bool arguments(std::vector<Arg>& args, int nesting, bool keywordListFirst) {
    skipSpace();
    if (consume(')')) return true;
    for (;;) {
      auto arg = argument(nesting, keywordListFirst && args.empty());
      if (!arg) return false;
      args.push_back(std::move(*arg));
      skipSpace();
      if (consume(')')) return true;
      if (!consume(',')) return false;
    }
  }

  std::optional<Arg> argument(int nesting, bool keywordList) {
    skipSpace();
    const char c = peek();
    if (c == ',' || c == ')') return Arg{};
    if (isQuote(c)) return quoted();
    if (isNameStart(c)) {
      const std::size_t start = pos_;
      name();
      skipSpace();
      const bool isCall = peek() == '(';
      pos_ = start;
      if (isCall) {
        auto macro = call(nesting + 1);
        if (!macro) return std::nullopt;
        return Arg{Arg::Kind::Macro, std::move(*macro)};
      }
    }
    return word(keywordList);
  }

  // A quoted string, read as the viewer reads it.
  std::optional<Arg> quoted() {
    const std::size_t start = pos_;
    std::string stack;
    do {
      if (atEnd()) return std::nullopt;
      const char c = text_[pos_++];
      if (c == '\\') {
        if (atEnd()) return std::nullopt;
        ++pos_;
      } else if (isQuote(c) && opensLevel(c, stack)) {
        stack += c;
        if (stack.size() > kMaxQuoteDepth) return std::nullopt;
      } else if (isQuote(c)) {
        stack.pop_back();
      }
    } while (!stack.empty());
    return Arg{Arg::Kind::String, std::string(text_.substr(start, pos_ - start))};
  }

  // Unquoted text up to the next "," or ")": a number, or a word that help
  // compilers take as a string (a context string, a file name, a keyword
  // list when `keywordList`).
  std::optional<Arg> word(bool keywordList) {
    const std::size_t start = pos_;
    while (!atEnd() && peek() != ',' && peek() != ')') {
      if (isQuote(peek()) || peek() == '(' || (peek() == ';' && !keywordList)) return std::nullopt;
      ++pos_;
    }
    const std::string text(trim(text_.substr(start, pos_ - start)));
    if (text.empty()) return std::nullopt;
    return Arg{isInteger(text) ? Arg::Kind::Number : Arg::Kind::Word, text};
  }

  std::string render(const std::string& macro, std::vector<Arg> args) {
    const MacroSpec* known = findMacro(macro);
    if (known) {
      fillHelpFile(*known, args);
      fillTrailingDefaults(*known, args);
    }
    std::string out = macro + '(';
    for (std::size_t i = 0; i < args.size(); ++i) {
      if (i) out += ", ";
      const bool wantsString = known && i < known->args.size() && known->args[i] == 'S';
      if (wantsString && args[i].kind != Arg::Kind::String) changed_ = true;
      out += wantsString ? asString(args[i]) : args[i].text;
    }
    return out + ')';
  }

  // An empty or missing file argument means this help file to help
  // compilers; the viewer needs the file named.
  void fillHelpFile(const MacroSpec& macro, std::vector<Arg>& args) {
    if (!macro.fileFirst || file_.empty()) return;
    if (args.size() + 1 == macro.args.size()) {
      args.insert(args.begin(), Arg{});
      changed_ = true;
    }
    if (!args.empty() && args.front().kind == Arg::Kind::Empty) args.front() = Arg{Arg::Kind::Word, file_};
  }

  void fillTrailingDefaults(const MacroSpec& macro, std::vector<Arg>& args) {
    for (const TrailingDefaults& entry : kTrailingDefaults) {
      if (entry.name != macro.name || args.size() < entry.required) continue;
      while (args.size() < macro.args.size()) {
        const std::string_view value = entry.values[args.size() - entry.required];
        args.push_back(Arg{value.front() == '"' ? Arg::Kind::String : Arg::Kind::Number, std::string(value)});
        changed_ = true;
      }
    }
  }

  static std::string asString(const Arg& arg) {
    switch (arg.kind) {
      case Arg::Kind::String: return arg.text;
      case Arg::Kind::Macro: return nestAsString(arg.text);
      case Arg::Kind::Empty: return "\"\"";
      case Arg::Kind::Number:
      case Arg::Kind::Word: return quoteWord(arg.text);
    }
    return arg.text;
  }

  std::string_view text_;
  const std::string& file_;
  std::size_t pos_ = 0;
  bool changed_ = false;  // something was rewritten
};

}  // namespace

std::optional<std::string> MacroNormaliser::normalise(std::string_view macros) const {
  return MacroParser(macros, thisHelpFile_).list();
}

std::string MacroNormaliser::apply(std::string_view macros, const SourcePos& where, Diagnostics& diagnostics) const {
  if (auto strict = normalise(macros)) return std::move(*strict);
  diagnostics.warning(where, "macro '" + std::string(macros.substr(0, 80)) +
                                 "' is not in a form the viewer reads; stored unchanged");
  return std::string(macros);
}

}  // namespace hcrtf::compiler
