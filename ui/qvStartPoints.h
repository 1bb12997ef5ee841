#pragma once
// What the user-interface object needs from the engine when the user starts a
// run: it hands over the start point and the colour choice, and the engine
// (the driver, which owns the URL table) decides whether it is usable.

#include <string>

class qvStartPoints {
 public:
  enum class UrlResult { Nothing, Rejected, Accepted };

  virtual ~qvStartPoints() = default;

  // Scans a local path for HTML files and adds them as start points; returns
  // how many were found (0: the run cannot start).
  virtual int addLocalStart(const std::string& path) = 0;

  // Parses `url` as the run's start URL and adds it when it is accepted.
  virtual UrlResult addStartUrl(const std::string& url) = 0;

  // Forgets every URL and page collected so far for the coming run.
  virtual void clearStarts() = 0;

  // Sets the topic colours (Windows COLORREF values 0x00BBGGRR).
  virtual void setColours(unsigned mainColour, unsigned nonScrollColour) = 0;
};
