#include "image/qvImageType.h"

#include "base/qvTextUtil.h"

std::string qvImageType::essence(std::string_view type) {
  const std::size_t semicolon = type.find(';');
  if (semicolon != std::string_view::npos) type = type.substr(0, semicolon);
  return qvLowerCase(qvTrim(std::string(type)));
}

std::optional<qvImageType::Format> qvImageType::fromMediaType(std::string_view type) {
  const std::string plain = essence(type);
  if (plain == "image/gif") return Format::Gif;
  if (plain == "image/jpeg" || plain == "image/jpg" || plain == "image/pjpeg") return Format::Jpeg;
  if (plain == "image/png" || plain == "image/x-png") return Format::Png;
  if (plain == "image/svg+xml") return Format::Svg;
  return std::nullopt;
}

std::optional<std::string> qvImageType::mediaTypeForFile(std::string_view path) {
  const std::size_t dot = path.find_last_of("./");
  if (dot == std::string_view::npos || path[dot] != '.') return std::nullopt;
  const std::string extension = qvLowerCase(std::string(path.substr(dot)));
  if (extension == ".jpg" || extension == ".jpeg") return "image/jpeg";
  if (extension == ".gif") return "image/gif";
  if (extension == ".png") return "image/png";
  if (extension == ".svg" || extension == ".svgz") return "image/svg+xml";
  return std::nullopt;
}
