#include "driver/qvCommandLine.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstring>

#include "base/qvDriverSettings.h"
#include "base/qvTextUtil.h"

namespace {

// The keywords in matching order. The engine's own switches come first; the
// console additions follow, and none of them begins with an earlier keyword
// or is the beginning of one, so no earlier keyword changed meaning.
const char* const kKeywords[] = {"maxurl", "noim",  "heapd",   "wide",  "white", "tan",  "gr",
                                 "deb",    "fulldeb", "batch", "out",   "depth", "offline",
                                 "nocache", "proxy", "time",   "help",  "https", "version"};

// The option's text without its "-" (or "--"), lower-cased.
std::string optionName(const std::string& arg) {
  std::string name = arg.substr(1);
  if (!name.empty() && name[0] == '-') name.erase(0, 1);
  return qvLowerCase(name);
}

// A decimal integer as a Java-style parser reads one: an optional sign and
// digits, within 32 bits.
std::optional<int> parseDecimal(const std::string& text) {
  size_t i = (!text.empty() && (text[0] == '-' || text[0] == '+')) ? 1 : 0;
  if (i == text.size()) return std::nullopt;
  long long value = 0;
  for (; i < text.size(); ++i) {
    if (text[i] < '0' || text[i] > '9') return std::nullopt;
    value = value * 10 + (text[i] - '0');
    if (value > static_cast<long long>(INT_MAX) + 1) return std::nullopt;
  }
  if (text[0] == '-') value = -value;
  if (value > INT_MAX || value < INT_MIN) return std::nullopt;
  return static_cast<int>(value);
}

}  // namespace

bool qvCommandLine::firstArgumentIsFullDebug(const std::vector<std::string>& args) {
  return !args.empty() && args[0] == "-fulldebug";
}

const char* qvCommandLine::matchKeyword(const std::string& arg) {
  if (arg.empty() || arg[0] != '-') return nullptr;
  std::string name = optionName(arg);
  for (const char* keyword : kKeywords) {
    if (name.size() >= std::strlen(keyword) && name.compare(0, std::strlen(keyword), keyword) == 0) return keyword;
  }
  return nullptr;
}

std::string qvCommandLine::takeArgument(const std::vector<std::string>& args, size_t& i, const std::string& option) {
  if (i + 1 >= args.size()) throw qvCommandLineError(option + " : argument expected");
  return args[++i];
}

int qvCommandLine::takeNumber(const std::vector<std::string>& args, size_t& i, const std::string& option) {
  std::string text = takeArgument(args, i, option);
  std::optional<int> number = parseDecimal(text);
  if (!number) {
    throw qvCommandLineError(option + " : invalid numeric value 'For input string: \"" + text + "\"'");
  }
  return *number;
}

size_t qvCommandLine::parseOne(const std::vector<std::string>& args, size_t i, qvDriverSettings& settings) {
  const std::string& arg = args[i];
  if (arg.empty() || arg[0] != '-') {
    startPoints.push_back(arg);
    return i;
  }
  const char* keyword = matchKeyword(arg);
  if (keyword == nullptr) return i;
  std::string option = optionName(arg);
  std::string k = keyword;
  if (k == "maxurl") {
    settings.maxURLs = takeNumber(args, i, option);
    maxURLs = settings.maxURLs;
  } else if (k == "noim") {
    settings.noImages = true;
  } else if (k == "heapd") {
    heapDebug = true;
  } else if (k == "wide") {
    settings.siteWide = true;
  } else if (k == "white") {
    colours = Colours{0xFFFFFF, 0xE2FFFF, 2};
  } else if (k == "tan") {
    colours = Colours{0xE2FFFF, 0xFFFFFF, 1};
  } else if (k == "gr") {
    colours = Colours{0xC0C0C0, 0xE2FFFF, 3};
  } else if (k == "deb") {
    settings.debug = true;
  } else if (k == "fulldeb") {
    settings.fullDebug = true;
  } else if (k == "batch") {
    batch = true;
  } else if (k == "out") {
    out = takeArgument(args, i, option);
  } else if (k == "depth") {
    int n = takeNumber(args, i, option);
    if (n < 0) throw qvCommandLineError(option + " : invalid numeric value 'For input string: \"" + args[i] + "\"'");
    depth = n;
    settings.maxDepth = n;
  } else if (k == "offline") {
    offline = true;
  } else if (k == "nocache") {
    noCache = true;
  } else if (k == "proxy") {
    std::string value = takeArgument(args, i, option);
    size_t colon = value.rfind(':');
    std::optional<int> port = colon == std::string::npos ? std::nullopt : parseDecimal(value.substr(colon + 1));
    if (colon == 0 || !port || *port <= 0 || *port > 65535) {
      throw qvCommandLineError(option + " : invalid proxy '" + value + "' (HOST:PORT expected)");
    }
    proxyHost = value.substr(0, colon);
    proxyPort = *port;
  } else if (k == "time") {
    int n = takeNumber(args, i, option);
    if (n < 0) throw qvCommandLineError(option + " : invalid numeric value 'For input string: \"" + args[i] + "\"'");
    timeMinutes = n;
  } else if (k == "help") {
    help = true;
  } else if (k == "https") {
    https = true;
  } else if (k == "version") {
    version = true;
  }
  return i;
}

std::string qvCommandLine::usage() {
  return "Usage: corvane [options] [START...]\n"
         "       corvane -batch [options] START...\n"
         "\n"
         "Converts a web site or a tree of local HTML files into one Windows Help file.\n"
         "START is a local file or directory, or an http URL (https with -https).\n"
         "Without -batch the window of libcorvane2.so is used; without a display the\n"
         "engine runs in batch mode.\n"
         "Options are case-insensitive and may be shortened no further than shown;\n"
         "\"--name\" is the same as \"-name\".\n"
         "\n"
         "  -maxurl N      stop after N pages, texts and pictures (0: no limit)\n"
         "  -noimages      leave pictures out (-noim)\n"
         "  -heapdebug     accepted for compatibility; has no effect (-heapd)\n"
         "  -wide          follow links anywhere on the start host, not only below\n"
         "                 the start directory\n"
         "  -white         white topics with a pale yellow title area\n"
         "  -tan           pale yellow topics with a white title area\n"
         "  -grey          grey topics with a pale yellow title area (-gr)\n"
         "  -debug         write CorvaneMem.log and MemDebug.txt (-deb)\n"
         "  -fulldebug     write checkpoints and errors to CVDebug.log (-fulldeb);\n"
         "                 as the first argument it also covers start-up\n"
         "  -batch         run once on the console over the start points, then exit\n"
         "                 (status 0: help file written, 1: start-up or usage error,\n"
         "                 2: the run ended without a help file, 3: a help file was\n"
         "                 written but no page was converted)\n"
         "  -out FILE      the help file to write (\".hlp\" is added when missing)\n"
         "  -depth N       follow links at most N levels deep (0: no limit)\n"
         "  -offline       read only what the disk cache holds\n"
         "  -nocache       neither read nor fill the disk cache\n"
         "  -proxy HOST:PORT  fetch through this HTTP proxy\n"
         "  -time MINUTES  stop taking new pages after this many minutes, then write\n"
         "                 the help file from what was read\n"
         "  -help          show this text and exit\n"
         "  -https         also fetch https pages (TLS; certificates are checked against\n"
         "                 the system's trusted ones, or the file SSL_CERT_FILE names)\n"
         "  -version       print the program's version (and commit) and exit\n"
         "\n"
         "Batch runs also use the settings saved by the window (registry file\n"
         "$CORVANE_REGISTRY, else ~/.config/corvane/registry.reg); options given here\n"
         "take precedence. The log is Corvane.log in the working directory.\n";
}
