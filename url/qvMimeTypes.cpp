#include "url/qvMimeTypes.h"

#include <array>
#include <utility>

#include "url/qvURL.h"

namespace {

struct Entry {
  const char* extension;
  const char* type;
};

// The table as it has always been filled, "rme" twice included.
constexpr std::array kEntries = {
    // clang-format off
    Entry{"386", "application/octet-stream"},
    Entry{"3ds", "application/octet-stream"},
    Entry{"bin", "application/octet-stream"},
    Entry{"class", "application/octet-stream"},
    Entry{"cma", "application/octet-stream"},
    Entry{"com", "application/octet-stream"},
    Entry{"dll", "application/octet-stream"},
    Entry{"dxf", "application/octet-stream"},
    Entry{"exe", "application/octet-stream"},
    Entry{"fre", "application/octet-stream"},
    Entry{"img", "application/octet-stream"},
    Entry{"m", "application/octet-stream"},
    Entry{"mdl", "application/octet-stream"},
    Entry{"nr", "application/octet-stream"},
    Entry{"obj", "application/octet-stream"},
    Entry{"old", "application/octet-stream"},
    Entry{"osf", "application/octet-stream"},
    Entry{"par", "application/octet-stream"},
    Entry{"pot", "application/octet-stream"},
    Entry{"psz", "application/octet-stream"},
    Entry{"ptr", "application/octet-stream"},
    Entry{"sgi", "application/octet-stream"},
    Entry{"smk", "application/octet-stream"},
    Entry{"ss", "application/octet-stream"},
    Entry{"sun", "application/octet-stream"},
    Entry{"swp", "application/octet-stream"},
    Entry{"w02", "application/octet-stream"},
    Entry{"w03", "application/octet-stream"},
    Entry{"w04", "application/octet-stream"},
    Entry{"w05", "application/octet-stream"},
    Entry{"w06", "application/octet-stream"},
    Entry{"xls", "application/octet-stream"},
    Entry{"ai", "application/postscript"},
    Entry{"eps", "application/postscript"},
    Entry{"aif", "audio/x-aiff"},
    Entry{"aifc", "audio/x-aiff"},
    Entry{"aiff", "audio/x-aiff"},
    Entry{"arj", "application/x-arj"},
    Entry{"asm", "text/plain"},
    Entry{"awk", "text/plain"},
    Entry{"bas", "text/plain"},
    Entry{"bat", "text/plain"},
    Entry{"bib", "text/plain"},
    Entry{"c", "text/plain"},
    Entry{"cat", "text/plain"},
    Entry{"cfg", "text/plain"},
    Entry{"csh", "text/plain"},
    Entry{"csv", "text/plain"},
    Entry{"dat", "text/plain"},
    Entry{"def", "text/plain"},
    Entry{"doc", "text/plain"},
    Entry{"el", "text/plain"},
    Entry{"h", "text/plain"},
    Entry{"inc", "text/plain"},
    Entry{"inf", "text/plain"},
    Entry{"ini", "text/plain"},
    Entry{"ita", "text/plain"},
    Entry{"latex", "text/plain"},
    Entry{"man", "text/plain"},
    Entry{"me", "text/plain"},
    Entry{"pov", "text/plain"},
    Entry{"prl", "text/plain"},
    Entry{"ps", "text/plain"},
    Entry{"readme", "text/plain"},
    Entry{"ref", "text/plain"},
    Entry{"rme", "text/plain"},
    Entry{"rme", "text/plain"},
    Entry{"sgm", "text/plain"},
    Entry{"sgml", "text/plain"},
    Entry{"sh", "text/plain"},
    Entry{"shar", "text/plain"},
    Entry{"src", "text/plain"},
    Entry{"tcl", "text/plain"},
    Entry{"tex", "text/plain"},
    Entry{"toc", "text/plain"},
    Entry{"tut", "text/plain"},
    Entry{"txt", "text/plain"},
    Entry{"au", "audio/basic"},
    Entry{"snd", "audio/basic"},
    Entry{"avi", "video/x-msvideo"},
    Entry{"bcpio", "application/x-bcpio"},
    Entry{"bmp", "image/x-bmp"},
    Entry{"cdf", "application/x-netcdf"},
    Entry{"nc", "application/x-netcdf"},
    Entry{"cpio", "application/x-cpio"},
    Entry{"dvi", "application/x-dvi"},
    Entry{"etx", "text/x-setext"},
    Entry{"flc", "video/x-flc"},
    Entry{"fli", "video/x-fli"},
    Entry{"gif", "image/gif"},
    Entry{"gtar", "application/x-gtar"},
    Entry{"gz", "application/x-gtar"},
    Entry{"tgz", "application/x-gtar"},
    Entry{"tz", "application/x-gtar"},
    Entry{"hdf", "application/x-hdf"},
    Entry{"hqx", "application/mac-binhex40"},
    Entry{"htm", "text/html"},
    Entry{"html", "text/html"},
    Entry{"shtml", "text/html"},
    Entry{"ief", "image/ief"},
    Entry{"iff", "image/x-iff"},
    Entry{"jpe", "image/jpeg"},
    Entry{"jpeg", "image/jpeg"},
    Entry{"jpg", "image/jpeg"},
    Entry{"lha", "application/x-lha"},
    Entry{"lzh", "application/x-lzh"},
    Entry{"mif", "application/x-mif"},
    Entry{"mov", "video/quicktime"},
    Entry{"qt", "video/quicktime"},
    Entry{"movie", "video/x-sgi-movie"},
    Entry{"mpe", "video/mpeg"},
    Entry{"mpeg", "video/mpeg"},
    Entry{"mpg", "video/mpeg"},
    Entry{"ms", "application/x-troff-ms"},
    Entry{"oda", "application/oda"},
    Entry{"pbm", "image/x-portable-bitmap"},
    Entry{"pdf", "application/pdf"},
    Entry{"pgm", "image/x-portable-graymap"},
    Entry{"phe", "image/octet-stream"},
    Entry{"png", "image/x-png"},
    Entry{"pnm", "image/x-portable-anymap"},
    Entry{"ppm", "image/x-portable-pixmap"},
    Entry{"ras", "image/x-cmu-raster"},
    Entry{"rgb", "image/x-rgb"},
    Entry{"roff", "application/x-troff"},
    Entry{"t", "application/x-troff"},
    Entry{"tr", "application/x-troff"},
    Entry{"rtf", "application/rtf"},
    Entry{"rtx", "text/richtext"},
    Entry{"sea", "application/mac-x-sea"},
    Entry{"shq", "application/mac-x-shq"},
    Entry{"sit", "application/mac-x-sit"},
    Entry{"sv4cpio", "application/x-sv4cpio"},
    Entry{"sv4crc", "application/x-sv4crc"},
    Entry{"tar", "application/x-tar"},
    Entry{"texi", "application/x-texinfo"},
    Entry{"texinfo", "application/x-texinfo"},
    Entry{"tga", "image/targa"},
    Entry{"tif", "image/tiff"},
    Entry{"tiff", "image/tiff"},
    Entry{"tsv", "text/tab-separated-values"},
    Entry{"ustar", "application/x-ustar"},
    Entry{"wav", "audio/x-wav"},
    Entry{"xbm", "image/x-xbitmap"},
    Entry{"xpm", "image/x-xpixmap"},
    Entry{"xwd", "image/x-xwindowdump"},
    Entry{"zip", "application/zip"},
    Entry{"zoo", "application/x-zoo"},
    // clang-format on
};

bool contains(std::string_view text, std::string_view part) {
  return text.find(part) != std::string_view::npos;
}

}  // namespace

qvMimeTypes::qvMimeTypes() {
  for (const Entry& entry : kEntries) types_.emplace(entry.extension, entry.type);
}

std::size_t qvMimeTypes::entryCount() { return kEntries.size(); }

std::optional<std::string> qvMimeTypes::typeOf(std::string_view url) const {
  const std::optional<qvURL> parsed = qvURL::parse(url);
  std::string_view name = parsed ? std::string_view(parsed->file()) : url;
  const std::size_t slash = name.rfind('/');
  if (slash != std::string_view::npos && slash + 1 < name.size()) name.remove_prefix(slash + 1);
  const std::size_t dot = name.rfind('.');
  if (dot == std::string_view::npos || dot + 1 == name.size()) return "text/plain";
  const std::string_view extension = name.substr(dot + 1);
  const auto found = types_.find(std::string(extension));
  if (found != types_.end()) return found->second;
  if (contains(extension, "readme") || contains(extension, "read_me") ||
      contains(extension, "read-me")) {
    return "text/plain";
  }
  return std::nullopt;
}
