#include "hcrtf/compiler/ProjectPaths.h"

#include <cctype>
#include <string>
#include <system_error>

#include "hcrtf/compiler/TextUtil.h"

namespace fs = std::filesystem;

namespace hcrtf::compiler {

namespace {

fs::path systemPath(std::string_view written) {
  std::string text(trim(written));
  if (text.size() >= 2 && text.front() == '"' && text.back() == '"') text = text.substr(1, text.size() - 2);
  for (char& c : text) {
    if (c == '\\') c = '/';
  }
  if (text.size() >= 2 && text[1] == ':' && std::isalpha(static_cast<unsigned char>(text[0]))) text = text.substr(2);
  return fs::path(text);
}

// The entry of `dir` named `component` in any case; of several, the first in
// byte order, so the answer does not depend on the order of the folder.
// `dir` / `component` when there is none.
fs::path matchComponent(const fs::path& dir, const fs::path& component) {
  std::error_code ec;
  if (fs::exists(dir / component, ec)) return dir / component;
  std::string best;
  for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
    const std::string name = it->path().filename().string();
    if (equalsIgnoreCase(name, component.string()) && (best.empty() || name < best)) best = name;
  }
  return dir / (best.empty() ? component : fs::path(best));
}

bool isFile(const fs::path& path) {
  std::error_code ec;
  return fs::is_regular_file(path, ec);
}

}  // namespace

fs::path literalProjectPath(const fs::path& base, std::string_view written) {
  const fs::path path = systemPath(written);
  return path.is_absolute() ? path : base / path;
}

fs::path resolveProjectPath(const fs::path& base, std::string_view written) {
  const fs::path literal = literalProjectPath(base, written);
  std::error_code ec;
  if (fs::exists(literal, ec)) return literal;
  const fs::path path = systemPath(written);
  fs::path current = path.is_absolute() ? path.root_path() : base;
  for (const auto& component : path.relative_path()) {
    if (component.empty() || component == ".") continue;
    current = component == ".." ? current / component : matchComponent(current, component);
  }
  return current;
}

fs::path findInRoots(const std::vector<fs::path>& roots, std::string_view written) {
  const bool absolute = systemPath(written).is_absolute();
  const std::vector<fs::path> bases = absolute ? std::vector<fs::path>{fs::path("/")} : roots;
  for (const auto& base : bases) {
    if (const fs::path exact = literalProjectPath(base, written); isFile(exact)) return exact;
  }
  for (const auto& base : bases) {
    if (const fs::path any = resolveProjectPath(base, written); isFile(any)) return any;
  }
  return {};
}

}  // namespace hcrtf::compiler
