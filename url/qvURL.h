#pragma once
// qvURL: an absolute URL taken apart into the pieces the engine works with:
// protocol, host, port, file part (path with query) and fragment. It is our
// own small parser: it accepts what pages and users actually write, and it
// refuses anything the network layer could not use safely (control
// characters, impossible ports, absurd hosts). A refusal is an empty
// optional, never an exception.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

class qvURL {
 public:
  // The longest URL text that parse() accepts. Longer texts are refused:
  // no server takes a request line of that size.
  static constexpr std::size_t kMaxLength = 65536;
  // The longest host name (the DNS limit).
  static constexpr std::size_t kMaxHostLength = 255;

  // Parses `text` as an absolute URL. Leading and trailing blanks and
  // control characters are ignored, and carriage returns and line feeds
  // inside the text are dropped (they come from attribute values that were
  // wrapped). Refuses: no scheme, any other control character, a port that
  // is not a number from 0 to 65535, an http or ftp URL without a host, a
  // host with characters a host name cannot have, texts over kMaxLength.
  static std::optional<qvURL> parse(std::string_view text);

  // Resolves `reference` against the absolute URL `base` the way browsers
  // do: a reference with a scheme stands alone; "//x" takes base's scheme;
  // "/x" base's scheme and host; "?q" and "#f" base's path; anything else
  // replaces the last segment of base's path. Dot segments are not removed
  // here (canonical forms do that). Empty when `base` cannot be parsed and
  // `reference` has no scheme of its own.
  static std::optional<std::string> resolve(std::string_view base,
                                            std::string_view reference);

  // Lower-case scheme without the ':' ("http", "file", "mailto", ...).
  const std::string& protocol() const { return protocol_; }
  // Host as written (may be empty, e.g. for "file:///x" or "mailto:a@b").
  const std::string& host() const { return host_; }
  // Explicit port, or -1 when the URL names none.
  int port() const { return port_; }
  // Port to connect to: the explicit one, else the scheme's default (80 for
  // http, 21 for ftp, -1 when the scheme has none).
  int effectivePort() const;
  // Path with query ("/a/b.html?x=1"); may be empty.
  const std::string& file() const { return file_; }
  // Path without the query.
  std::string path() const;
  // Text after '#', without it; empty when there is none (see hasRef()).
  const std::string& ref() const { return ref_; }
  bool hasRef() const { return hasRef_; }
  // Host followed by ":" + port when the URL names a port.
  std::string authority() const;
  // True when the text had "//" + authority after the scheme.
  bool hasAuthority() const { return hasAuthority_; }

  // The URL written out again: protocol ":" ["//" host [":" port]] file
  // ["#" ref].
  std::string externalForm() const;

 private:
  qvURL() = default;
  bool parseAuthority(std::string_view authority);

  std::string protocol_;
  std::string host_;
  int port_ = -1;
  std::string file_;
  std::string ref_;
  bool hasRef_ = false;
  bool hasAuthority_ = false;
};
