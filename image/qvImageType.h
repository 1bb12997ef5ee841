#pragma once
// The picture formats the converter knows, from a media type (any letter
// case, parameters ignored, the common misspellings "image/jpg",
// "image/pjpeg" and "image/x-png" included) or from a file's extension (any
// letter case).

#include <optional>
#include <string>
#include <string_view>

class qvImageType {
 public:
  enum class Format { Gif, Jpeg, Png, Svg };

  // The format a media type names; none for anything else.
  static std::optional<Format> fromMediaType(std::string_view type);
  // The media type a local file is taken to have from its extension; none
  // for other extensions.
  static std::optional<std::string> mediaTypeForFile(std::string_view path);
  // The media type without parameters, lower-cased and trimmed.
  static std::string essence(std::string_view type);
};
