#include "base/qvHelpFileName.h"

#include <algorithm>

#include "base/qvTextUtil.h"

namespace {

std::string dropHostPrefix(const std::string& text) {
  if (text.rfind("www.", 0) == 0) return text.substr(4);
  if (text.rfind("ftp.", 0) == 0) return text.substr(4);
  return text;
}

std::string cutAt(const std::string& text, char c) { return text.substr(0, text.find(c)); }

}  // namespace

namespace qvHelpFileName {

std::string derived(const std::string& url) {
  std::string text = qvLowerCase(std::string(qvTrim(url)));
  std::string name;
  if (text.rfind("http://", 0) == 0) {
    name = cutAt(dropHostPrefix(cutAt(text.substr(7), '/')), '.');
  } else if (text.size() > 2 && text[1] == ':') {
    std::string rest = text.substr(2);
    name = cutAt(rest.substr(rest.rfind('\\') == std::string::npos ? 0 : rest.rfind('\\') + 1), '.');
  } else {
    size_t scheme = text.find("://");
    if (scheme != std::string::npos) text = text.substr(scheme + 3);
    while (!text.empty() && (text.back() == '/' || text.back() == '\\')) text.pop_back();
    size_t back = text.rfind('\\');
    if (back != std::string::npos) text = text.substr(back + 1);
    size_t slash = text.rfind('/');
    if (slash != std::string::npos) text = text.substr(slash + 1);
    name = cutAt(dropHostPrefix(text), '.');
  }
  std::replace(name.begin(), name.end(), '\\', '/');
  for (char& c : name) {
    if (c == ':' || c == '?' || c == '/') c = '-';
  }
  if (name.empty()) name = "project";
  return name + ".hlp";
}

std::string withExtension(const std::string& name) {
  std::string lowered = qvLowerCase(name);
  if (lowered.size() >= 4 && lowered.compare(lowered.size() - 4, 4, ".hlp") == 0) return name;
  return name + ".hlp";
}

}  // namespace qvHelpFileName
