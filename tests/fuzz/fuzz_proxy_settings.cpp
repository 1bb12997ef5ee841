// The readers of other programs' proxy settings (Firefox's profiles.ini and
// prefs.js, KDE's kioslaverc, gsettings output, proxy URLs and host lists)
// on any bytes: none may crash, and what they hand on must be in the shape
// the window and the engine expect.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "corvane2/qvFirefoxPrefs.h"
#include "corvane2/qvFirefoxProfiles.h"
#include "corvane2/qvGsettingsOutput.h"
#include "corvane2/qvKdeProxySource.h"
#include "corvane2/qvProxyAddress.h"
#include "corvane2/qvProxyExceptions.h"

namespace {

void checkSuffixes(const std::vector<std::string>& suffixes) {
  for (const std::string& s : suffixes) {
    if (s.empty() || s.find_first_of("*/ ,\t\r\n") != std::string::npos || s == "<local>") std::abort();
  }
}

void checkPort(const std::string& port) {
  if (port.size() > 5 || port.find_first_not_of("0123456789") != std::string::npos) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);

  qvFirefoxPrefs prefs;
  prefs.parse(text);
  prefs.parse(text);
  (void)prefs.integer("network.proxy.type");

  if (auto profile = qvFirefoxProfiles::defaultProfile(text, "/home/u/.mozilla/firefox")) {
    if (profile->empty()) std::abort();
  }

  if (auto kde = qvKdeProxySource::fromText(text)) {
    checkSuffixes(kde->exceptions);
    if (kde->enabled && kde->host.empty()) std::abort();
  }

  (void)qvGsettingsOutput::toString(text);
  (void)qvGsettingsOutput::toInteger(text);
  if (auto list = qvGsettingsOutput::toStringList(text)) checkSuffixes(qvProxyExceptions::fromItems(*list));

  if (auto address = qvProxyAddress::parse(text)) {
    if (address->host.empty() || address->host.find('@') != std::string::npos) std::abort();
    checkPort(address->port);
  }
  checkSuffixes(qvProxyExceptions::fromList(text));
  return 0;
}
