#include "corvane2/qvSystemProxySource.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <string>

#include "corvane2/qvEnvironmentProxySource.h"
#include "corvane2/qvGnomeProxySource.h"
#include "corvane2/qvKdeProxySource.h"

namespace {

std::string lowered(std::string_view text) {
  std::string out(text);
  std::transform(out.begin(), out.end(), out.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return out;
}

bool isGnomeFamily(const std::string& name) {
  static constexpr std::string_view kNames[] = {"unity", "cinnamon", "x-cinnamon", "mate", "budgie",
                                                "budgie-desktop", "pantheon"};
  if (name.substr(0, 5) == "gnome") return true;
  return std::find(std::begin(kNames), std::end(kNames), name) != std::end(kNames);
}

}  // namespace

qvSystemProxySource::Desktop qvSystemProxySource::desktop(std::string_view currentDesktop) {
  bool gnome = false;
  size_t start = 0;
  while (start <= currentDesktop.size()) {
    size_t colon = currentDesktop.find(':', start);
    if (colon == std::string_view::npos) colon = currentDesktop.size();
    const std::string name = lowered(currentDesktop.substr(start, colon - start));
    if (name == "kde") return Desktop::Kde;
    gnome = gnome || isGnomeFamily(name);
    start = colon + 1;
  }
  return gnome ? Desktop::Gnome : Desktop::Other;
}

std::optional<qvProxySettings> qvSystemProxySource::read() {
  const char* current = std::getenv("XDG_CURRENT_DESKTOP");
  switch (desktop(current ? current : "")) {
    case Desktop::Kde:
      if (auto kde = qvKdeProxySource::read()) return kde;
      break;
    case Desktop::Gnome:
      if (auto gnome = qvGnomeProxySource::read()) return gnome;
      break;
    case Desktop::Other:
      break;
  }
  return qvEnvironmentProxySource::read();
}
