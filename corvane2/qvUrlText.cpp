#include "corvane2/qvUrlText.h"

#include <sys/stat.h>

#include "base/qvHelpFileName.h"

namespace qvUrlText {

std::string completed(const std::string& text) {
  if (text.size() <= 1 || text[1] == ':') return text;
  if (text.find('\\') != std::string::npos || text.find("://") != std::string::npos) return text;
  if (text[0] == '/') return text;
  struct stat st {};
  if (::stat(text.c_str(), &st) == 0) return text;
  return "http://" + text;
}

std::string derivedHelpFile(const std::string& location, const std::string& url) {
  std::string folder = location;
  if (!folder.empty() && folder.back() != '/') folder += '/';
  return folder + qvHelpFileName::derived(url);
}

}  // namespace qvUrlText
