#pragma once
// Turns the pictures of a run into bitmap files in the work directory:
// reads a local picture or fetches a remote one (following up to four
// redirects, through the disk cache), converts it by its type and scales it
// to the size the page asked for. Each picture at each size is converted
// once a run; a failure is remembered too, so a broken picture is tried and
// reported once. Bitmaps are named n + ".bmp" in the work directory, n
// counting the run's conversions.

#include <map>
#include <optional>
#include <string>

class qvHtmlContext;
class qvImgLib;
class qvTCP;
class qvUserInterface;

class qvImageConverter {
 public:
  // Redirects in a row that end an attempt.
  static constexpr int kAttempts = 5;

  // `library` and `context` must outlive the object.
  qvImageConverter(qvImgLib& library, qvHtmlContext& context, std::string workDirectory);

  // Remote pictures are fetched through `tcp` (which must outlive the
  // object); without it they fail.
  void setNetwork(qvTCP* tcp) { tcp_ = tcp; }
  // Forgets the pictures of the last run and restarts the numbering.
  void beginRun();

  // The bitmap file for the picture at `url` (absolute) at `width` x
  // `height` (0 where not given); none when it cannot be had. `referrer` is
  // the page that shows it. Every failure is reported here.
  std::optional<std::string> addImage(const std::string& url, int width, int height, const std::string& referrer);

  // Converts every GIF, JPEG and PNG file of the work directory into the
  // bitmap of the same name.
  void convertDirectory();

 private:
  // A picture's file and type once it was read or fetched, or why not.
  struct Source {
    std::string path;
    std::string type;
    std::string failure;
    bool record = true;  // false for a fetch the user skipped
  };
  struct Entry {
    bool ok = false;
    std::string text;  // the bitmap, or the failure text
  };

  std::optional<std::string> add(const std::string& url, int width, int height, const std::string& referrer);
  Source readLocal(const std::string& url);
  Source fetchRemote(const std::string& url, const std::string& referrer);
  Source fetchFailed(const std::string& url, int code);
  std::optional<std::string> convert(const std::string& url, const Source& source, int width, int height,
                                     std::string& failure);
  // Runs the conversion `format` names; false when the type is not one the
  // library converts (then `name` is empty).
  bool runConversion(const std::string& type, const std::string& source, const std::string& bitmap, int width,
                     int height, std::string& name);
  std::optional<std::string> fail(const std::string& key, const std::string& text);
  bool offline() const;

  qvImgLib& library_;
  qvHtmlContext& context_;
  qvUserInterface& ui_;
  std::string workDirectory_;
  qvTCP* tcp_ = nullptr;
  std::map<std::string, Entry> table_;
  int counter_ = 0;
};
