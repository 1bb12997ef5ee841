#include "platform/qvRegistryFormat.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <limits>

#include "base/qvTextUtil.h"

namespace {

bool sameName(const std::string& a, const std::string& b) {
  return a.size() == b.size() && qvLowerCase(a) == qvLowerCase(b);
}

// True when `key` is `parent` itself or lies below it.
bool isAtOrBelow(const std::string& key, const std::string& parent) {
  if (key.size() < parent.size()) return false;
  if (!sameName(key.substr(0, parent.size()), parent)) return false;
  return key.size() == parent.size() || key[parent.size()] == '\\';
}

std::vector<std::string> splitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::string line;
  for (char c : text) {
    if (c == '\n') {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      lines.push_back(line);
      line.clear();
    } else {
      line += c;
    }
  }
  if (!line.empty()) {
    if (line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

std::string trimLeft(const std::string& text) {
  size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  return text.substr(i);
}

int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Reads a quoted string starting at text[pos] == '"'; pos ends after the
// closing quote. False on a missing quote or an unknown escape.
bool readQuoted(const std::string& text, size_t& pos, std::string& out) {
  ++pos;
  out.clear();
  while (pos < text.size()) {
    char c = text[pos++];
    if (c == '"') return true;
    if (c != '\\') {
      out += c;
      continue;
    }
    if (pos >= text.size()) return false;
    char escaped = text[pos++];
    if (escaped != '\\' && escaped != '"') return false;
    out += escaped;
  }
  return false;
}

bool parseHexBytes(const std::string& list, std::vector<std::uint8_t>& bytes) {
  bytes.clear();
  size_t pos = 0;
  while (pos < list.size()) {
    while (pos < list.size() && (list[pos] == ' ' || list[pos] == '\t')) ++pos;
    if (pos >= list.size()) break;
    if (pos + 1 >= list.size()) return false;
    int hi = hexDigit(list[pos]);
    int lo = hexDigit(list[pos + 1]);
    if (hi < 0 || lo < 0) return false;
    bytes.push_back(static_cast<std::uint8_t>(hi * 16 + lo));
    pos += 2;
    while (pos < list.size() && (list[pos] == ' ' || list[pos] == '\t')) ++pos;
    if (pos < list.size() && list[pos] != ',') return false;
    if (pos < list.size()) ++pos;
    if (pos == list.size() && list.back() == ',') return false;
  }
  return true;
}

// Parses the text after "=": false when it is none of the known forms.
bool parseValue(const std::string& text, qvRegistryValue& value) {
  if (!text.empty() && text[0] == '"') {
    size_t pos = 0;
    value.kind = qvRegistryValue::Kind::String;
    if (!readQuoted(text, pos, value.text)) return false;
    return trimLeft(text.substr(pos)).empty();
  }
  if (text.rfind("dword:", 0) == 0) {
    std::string digits = text.substr(6);
    if (digits.empty() || digits.size() > 8) return false;
    std::uint32_t number = 0;
    for (char c : digits) {
      int d = hexDigit(c);
      if (d < 0) return false;
      number = number * 16 + static_cast<std::uint32_t>(d);
    }
    value.kind = qvRegistryValue::Kind::Dword;
    value.dword = number;
    return true;
  }
  std::string list;
  value.hexType = -1;
  if (text.rfind("hex:", 0) == 0) {
    list = text.substr(4);
  } else if (text.rfind("hex(", 0) == 0) {
    size_t close = text.find("):");
    if (close == std::string::npos || close == 4 || close > 12) return false;
    int type = 0;
    for (size_t i = 4; i < close; ++i) {
      int d = hexDigit(text[i]);
      if (d < 0) return false;
      // The kind is kept in an int; one past its range is not a kind we know.
      if (type > (std::numeric_limits<int>::max() - d) / 16) return false;
      type = type * 16 + d;
    }
    value.hexType = type;
    list = text.substr(close + 2);
  } else {
    return false;
  }
  value.kind = qvRegistryValue::Kind::Binary;
  if (!parseHexBytes(list, value.bytes)) return false;
  // hex(1) is a string in its binary form: read it back as the string it is.
  if (value.hexType == 1) {
    value.kind = qvRegistryValue::Kind::String;
    value.text.assign(value.bytes.begin(), value.bytes.end());
    if (!value.text.empty() && value.text.back() == '\0') value.text.pop_back();
    value.bytes.clear();
    value.hexType = -1;
  }
  return true;
}

void appendHex(std::string& out, const std::vector<std::uint8_t>& bytes, size_t prefixLength) {
  // Lines are wrapped near 80 columns with a trailing "\" as regedit does.
  size_t column = prefixLength;
  char buffer[4];
  for (size_t i = 0; i < bytes.size(); ++i) {
    std::snprintf(buffer, sizeof buffer, "%02x", bytes[i]);
    out += buffer;
    column += 2;
    if (i + 1 == bytes.size()) break;
    out += ',';
    ++column;
    if (column > 76) {
      out += "\\\r\n  ";
      column = 2;
    }
  }
}

std::string quote(const std::string& text) {
  std::string out = "\"";
  for (char c : text) {
    if (c == '\\' || c == '"') out += '\\';
    out += c;
  }
  return out + "\"";
}

void appendEntry(std::string& out, const qvRegistryEntry& entry) {
  std::string prefix = entry.name.empty() ? std::string("@=") : quote(entry.name) + "=";
  out += prefix;
  const qvRegistryValue& value = entry.value;
  switch (value.kind) {
    case qvRegistryValue::Kind::String: {
      // A line break or NUL cannot stand in a quoted string; such a text
      // keeps its exact bytes in the binary string form.
      if (value.text.find_first_of(std::string("\r\n\0", 3)) == std::string::npos) {
        out += quote(value.text);
        break;
      }
      std::vector<std::uint8_t> bytes(value.text.begin(), value.text.end());
      bytes.push_back(0);
      out += "hex(1):";
      appendHex(out, bytes, prefix.size() + 7);
      break;
    }
    case qvRegistryValue::Kind::Dword: {
      char buffer[16];
      std::snprintf(buffer, sizeof buffer, "dword:%08x", value.dword);
      out += buffer;
      break;
    }
    case qvRegistryValue::Kind::Binary: {
      std::string head = "hex:";
      if (value.hexType >= 0) {
        char buffer[16];
        std::snprintf(buffer, sizeof buffer, "hex(%x):", value.hexType);
        head = buffer;
      }
      out += head;
      appendHex(out, value.bytes, prefix.size() + head.size());
      break;
    }
  }
  out += "\r\n";
}

}  // namespace

std::string qvRegistryDocument::fullPath(const std::string& relativeKey) {
  std::string key = relativeKey;
  while (!key.empty() && key.front() == '\\') key.erase(0, 1);
  while (!key.empty() && key.back() == '\\') key.pop_back();
  if (key.empty()) return kRoot;
  return std::string(kRoot) + "\\" + key;
}

bool qvRegistryDocument::parse(const std::string& text, std::string& error) {
  keys_.clear();
  std::vector<std::string> lines = splitLines(text);
  size_t i = 0;
  while (i < lines.size() && trimLeft(lines[i]).empty()) ++i;
  if (i == lines.size()) return true;  // an empty file is an empty registry
  if (lines[i] != "REGEDIT4") {
    error = "line " + std::to_string(i + 1) + ": the file does not begin with REGEDIT4";
    return false;
  }
  qvRegistryKey* current = nullptr;
  for (++i; i < lines.size(); ++i) {
    const size_t lineNumber = i + 1;
    std::string line = trimLeft(lines[i]);
    auto fail = [&](const std::string& what) {
      error = "line " + std::to_string(lineNumber) + ": " + what;
      keys_.clear();
      return false;
    };
    if (line.empty() || line[0] == ';') continue;
    if (line[0] == '[') {
      while (!line.empty() && (line.back() == ' ' || line.back() == '\t')) line.pop_back();
      if (line.size() < 3 || line.back() != ']' || line[1] == '-') return fail("bad key header");
      current = &ensureKey(line.substr(1, line.size() - 2));
      continue;
    }
    if (current == nullptr) return fail("value outside a key");
    qvRegistryEntry entry;
    size_t pos = 0;
    if (line[0] == '@') {
      pos = 1;
    } else if (line[0] == '"') {
      if (!readQuoted(line, pos, entry.name)) return fail("bad value name");
      if (entry.name.empty()) return fail("empty value name");
    } else {
      return fail("unexpected text");
    }
    if (pos >= line.size() || line[pos] != '=') return fail("'=' expected");
    std::string valueText = line.substr(pos + 1);
    // A hex list goes on over lines that end in a backslash.
    while (!valueText.empty() && valueText.back() == '\\' && valueText.rfind("hex", 0) == 0) {
      valueText.pop_back();
      if (++i >= lines.size()) return fail("hex list not finished");
      valueText += trimLeft(lines[i]);
    }
    if (!parseValue(valueText, entry.value)) return fail("bad value");
    setValue(current->path, entry.name, entry.value);
  }
  return true;
}

std::string qvRegistryDocument::serialise() const {
  std::string out = "REGEDIT4\r\n";
  for (const qvRegistryKey& key : keys_) {
    out += "\r\n[" + key.path + "]\r\n";
    for (const qvRegistryEntry& entry : key.entries) appendEntry(out, entry);
  }
  return out;
}

qvRegistryKey* qvRegistryDocument::findKey(const std::string& fullKey) {
  for (qvRegistryKey& key : keys_) {
    if (sameName(key.path, fullKey)) return &key;
  }
  return nullptr;
}

qvRegistryKey& qvRegistryDocument::ensureKey(const std::string& fullKey) {
  if (qvRegistryKey* key = findKey(fullKey)) return *key;
  keys_.push_back(qvRegistryKey{fullKey, {}});
  return keys_.back();
}

const qvRegistryEntry* qvRegistryDocument::findEntry(const std::string& fullKey, const std::string& name) {
  qvRegistryKey* key = findKey(fullKey);
  if (key == nullptr) return nullptr;
  for (const qvRegistryEntry& entry : key->entries) {
    if (sameName(entry.name, name)) return &entry;
  }
  return nullptr;
}

void qvRegistryDocument::setValue(const std::string& fullKey, const std::string& name,
                                  const qvRegistryValue& value) {
  qvRegistryKey& key = ensureKey(fullKey);
  for (qvRegistryEntry& entry : key.entries) {
    if (sameName(entry.name, name)) {
      entry.value = value;
      return;
    }
  }
  key.entries.push_back(qvRegistryEntry{name, value});
}

bool qvRegistryDocument::removeValue(const std::string& fullKey, const std::string& name) {
  qvRegistryKey* key = findKey(fullKey);
  if (key == nullptr) return false;
  auto& entries = key->entries;
  auto it = std::find_if(entries.begin(), entries.end(),
                         [&](const qvRegistryEntry& e) { return sameName(e.name, name); });
  if (it == entries.end()) return false;
  entries.erase(it);
  return true;
}

bool qvRegistryDocument::removeKey(const std::string& fullKey) {
  auto first = std::remove_if(keys_.begin(), keys_.end(),
                              [&](const qvRegistryKey& k) { return isAtOrBelow(k.path, fullKey); });
  bool removed = first != keys_.end();
  keys_.erase(first, keys_.end());
  return removed;
}

bool qvRegistryDocument::hasKey(const std::string& fullKey) const {
  return std::any_of(keys_.begin(), keys_.end(),
                     [&](const qvRegistryKey& k) { return isAtOrBelow(k.path, fullKey); });
}
