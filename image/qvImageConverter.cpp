#include "image/qvImageConverter.h"

#include <filesystem>
#include <system_error>
#include <vector>

#include "base/qvDriverSettings.h"
#include "html/qvHtmlContext.h"
#include "image/qvImageType.h"
#include "image/qvImgLib.h"
#include "net/qvTCP.h"
#include "ui/qvRuntimeException.h"
#include "ui/qvUserInterface.h"
#include "ui/qvUserInterfaceCodes.h"
#include "url/qvFileURL.h"
#include "url/qvURL.h"

namespace {

// What the cache answers in place of a type when a URL is known as an alias
// of another: followed like a redirect.
constexpr const char* kAliasType = "Corvane/Alias";
constexpr int kSkippedByUser = -234;
constexpr int kDiskErrorAbort = -232;

bool isFileURL(const std::string& url) {
  const std::optional<qvURL> parsed = qvURL::parse(url);
  return parsed && parsed->protocol() == "file";
}

}  // namespace

qvImageConverter::qvImageConverter(qvImgLib& library, qvHtmlContext& context, std::string workDirectory)
    : library_(library), context_(context), ui_(context.ui()), workDirectory_(std::move(workDirectory)) {}

void qvImageConverter::beginRun() {
  table_.clear();
  counter_ = 0;
}

bool qvImageConverter::offline() const { return ui_.getValue(qvValueIndex::kOffline) != 0; }

std::optional<std::string> qvImageConverter::addImage(const std::string& url, int width, int height,
                                                      const std::string& referrer) {
  try {
    return add(url, width, height, referrer);
  } catch (const qvCancelException&) {
    throw;
  } catch (const std::exception& e) {
    ui_.showError(std::string("Other Exception (") + e.what() + ") in AddImage");
    return std::nullopt;
  }
}

std::optional<std::string> qvImageConverter::add(const std::string& url, int width, int height,
                                                 const std::string& referrer) {
  const bool local = isFileURL(url);
  // Offline, a remote picture comes from the cache or not at all; a local
  // one is read as the crawl reads local pages.
  if (!local && offline() && (tcp_ == nullptr || !tcp_->isCached(url))) return std::nullopt;
  const std::string key = url + "," + std::to_string(width) + "," + std::to_string(height);
  if (const auto known = table_.find(key); known != table_.end()) {
    if (known->second.ok) return known->second.text;
    return std::nullopt;
  }
  const Source source = local ? readLocal(url) : fetchRemote(url, referrer);
  if (source.path.empty()) {
    if (!source.record) return std::nullopt;
    return fail(key, source.failure.empty() ? "Unknown error" : source.failure);
  }
  std::string failure;
  std::optional<std::string> bitmap = convert(url, source, width, height, failure);
  if (!bitmap) return fail(key, failure);
  table_[key] = Entry{true, *bitmap};
  return bitmap;
}

std::optional<std::string> qvImageConverter::fail(const std::string& key, const std::string& text) {
  table_[key] = Entry{false, text};
  return std::nullopt;
}

qvImageConverter::Source qvImageConverter::readLocal(const std::string& url) {
  const std::string path = qvFileURL::fileForURL(url);
  ui_.beginStatusLine("Reading image " + path + " ... ");
  Source source;
  std::error_code error;
  const auto status = std::filesystem::status(path, error);
  if (error || !std::filesystem::is_regular_file(status)) {
    source.failure = "file not found";
  } else if (std::filesystem::file_size(path, error) == 0 || error) {
    source.failure = "zero-length file";
  }
  if (!source.failure.empty()) {
    ui_.endStatusLine(source.failure, true, true);
    ui_.showError(url + ": " + source.failure, false);
    return source;
  }
  source.path = path;
  source.type = qvImageType::mediaTypeForFile(path).value_or("application/octet-stream");
  return source;
}

qvImageConverter::Source qvImageConverter::fetchFailed(const std::string& url, int code) {
  Source source;
  source.failure = "Error during GET of " + url + ": " + tcp_->errorText();
  if (code == kDiskErrorAbort) context_.settings().abortCrawl = true;
  if (code == kSkippedByUser) source.record = false;
  ui_.endStatusLine("Error during GET : " + tcp_->errorText(), true, true);
  ui_.showError(source.failure, false);
  return source;
}

qvImageConverter::Source qvImageConverter::fetchRemote(const std::string& url, const std::string& referrer) {
  ui_.beginStatusLine("Reading image " + url + " ... ");
  if (tcp_ == nullptr) return Source{};
  std::optional<std::string_view> from;
  if (!referrer.empty()) from = referrer;
  std::string current = url;
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    const std::optional<std::string> file = tcp_->fetch(current, from);
    const std::optional<std::string> type = tcp_->headerValue("Content-Type:");
    const bool alias = file && type && *type == kAliasType;
    if (file && !alias) {
      if (current != url) tcp_->recordAlias(url, current);
      return Source{*file, type.value_or("Not specified in HTTP headers"), {}, true};
    }
    const int code = alias ? 300 : tcp_->statusCode();
    if (code < 0 || code / 100 != 3) return fetchFailed(url, code);
    const std::optional<std::string> location = tcp_->headerValue("Location:");
    const std::optional<std::string> target = location ? qvURL::resolve(current, *location) : std::nullopt;
    if (!target) {
      ui_.showError(url + ": Location header not found for redirect", false);
      return Source{{}, {}, "Location header not found for redirect", true};
    }
    ui_.appendStatusLine("Redirecting to " + *target, true);
    current = *target;
  }
  ui_.showError(url + ": Too many redirects", false);
  return Source{{}, {}, "Too many redirects", true};
}

bool qvImageConverter::runConversion(const std::string& type, const std::string& source, const std::string& bitmap,
                                     int width, int height, std::string& name) {
  const std::optional<qvImageType::Format> format = qvImageType::fromMediaType(type);
  if (!format) return false;
  const unsigned background = context_.urlTable().mainColour;
  switch (*format) {
    case qvImageType::Format::Gif:
      name = "gifToBmp";
      return library_.gifToBmp(source, bitmap, background, width, height);
    case qvImageType::Format::Jpeg:
      name = "jpgToBmp";
      return library_.jpgToBmp(source, bitmap, width, height);
    case qvImageType::Format::Png:
      name = "pngToBmp";
      return library_.pngToBmp(source, bitmap, background, width, height);
    case qvImageType::Format::Svg:
      // Without the SVG library an SVG is a type like any other not known.
      if (!library_.convertsSvg()) return false;
      name = "svgToBmp";
      return library_.svgToBmp(source, bitmap, background, width, height);
  }
  return false;
}

std::optional<std::string> qvImageConverter::convert(const std::string& url, const Source& source, int width,
                                                     int height, std::string& failure) {
  ui_.appendStatusLine("converting ... ", true);
  const std::string bitmap = workDirectory_ + "/" + std::to_string(counter_++) + ".bmp";
  std::string name;
  if (runConversion(source.type, source.path, bitmap, width, height, name)) {
    ui_.endStatusLine("done", true, true);
    return bitmap;
  }
  if (name.empty()) {
    failure = "Unsupported image content-type '" + source.type + "'";
    ui_.endStatusLine(failure, true, true);
    ui_.showError(failure + " for " + url, false);
    return std::nullopt;
  }
  failure = name + " failed";
  ui_.endStatusLine(failure, true, true);
  const std::string reason = library_.failureReason();
  ui_.showError(failure + " for " + url + (reason.empty() ? "" : " (" + reason + ")"), false);
  return std::nullopt;
}

void qvImageConverter::convertDirectory() {
  std::error_code error;
  std::vector<std::filesystem::path> files;
  for (const auto& entry : std::filesystem::directory_iterator(workDirectory_, error)) {
    if (entry.is_regular_file(error)) files.push_back(entry.path());
  }
  const unsigned background = context_.urlTable().mainColour;
  for (const std::filesystem::path& file : files) {
    const std::string extension = qvImageType::essence(file.extension().string());
    if (extension != ".gif" && extension != ".jpg" && extension != ".png") continue;
    std::filesystem::path bitmap = file;
    bitmap.replace_extension(".bmp");
    ui_.beginStatusLine("Converting " + file.filename().string() + " ... ");
    bool done = false;
    if (extension == ".gif") done = library_.gifToBmp(file.string(), bitmap.string(), background, 0, 0);
    if (extension == ".jpg") done = library_.jpgToBmp(file.string(), bitmap.string(), 0, 0);
    if (extension == ".png") done = library_.pngToBmp(file.string(), bitmap.string(), background, 0, 0);
    const std::string name = extension == ".gif" ? "gifToBmp" : extension == ".jpg" ? "jpgToBmp" : "pngToBmp";
    ui_.endStatusLine(done ? "done" : name + " failed", true, true);
  }
}
