#include "corvane2/qvProxyExceptions.h"

#include <algorithm>

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

bool allDigits(std::string_view text) {
  return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

}  // namespace

std::string qvProxyExceptions::suffix(std::string_view item) {
  while (!item.empty() && isBlank(item.front())) item.remove_prefix(1);
  while (!item.empty() && isBlank(item.back())) item.remove_suffix(1);
  // Blanks and commas inside an item mean it is not one host name; "<local>"
  // (plain names) and its relatives have no suffix form.
  if (item.empty() || item.find_first_of("/, \t\r\n<>") != std::string_view::npos) return {};
  if (item.substr(0, 2) == "*.") item.remove_prefix(1);
  if (item.find('*') != std::string_view::npos) return {};
  // "host:port" names a host; the engine's match is on the host alone. Text
  // with more colons is an IPv6 address and stays whole.
  size_t colon = item.find(':');
  if (colon != std::string_view::npos && item.find(':', colon + 1) == std::string_view::npos &&
      allDigits(item.substr(colon + 1))) {
    item = item.substr(0, colon);
  }
  if (item.empty() || item == ".") return {};
  return std::string(item);
}

std::vector<std::string> qvProxyExceptions::fromItems(const std::vector<std::string>& items) {
  std::vector<std::string> out;
  for (const std::string& item : items) {
    std::string s = suffix(item);
    if (!s.empty() && std::find(out.begin(), out.end(), s) == out.end()) out.push_back(std::move(s));
  }
  return out;
}

std::vector<std::string> qvProxyExceptions::fromList(std::string_view list) {
  std::vector<std::string> items;
  std::string item;
  for (char c : list) {
    if (c == ',' || isBlank(c)) {
      items.push_back(std::move(item));
      item.clear();
    } else {
      item += c;
    }
  }
  items.push_back(std::move(item));
  return fromItems(items);
}
