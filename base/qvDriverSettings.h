#pragma once
// The driver's process-wide options and limits. One instance lives for the
// whole process (owned by the driver); every subsystem that reads a setting is
// given a reference to it. The user-interface object writes the toggles and
// values into it whenever the user changes them, so they may change between
// URLs of a run.

#include <string>

struct qvDriverSettings {
  bool fullDebug = false;
  bool debug = false;
  int maxURLs = 0;   // 0 = no limit
  int maxDepth = 0;  // 0 = no limit
  bool siteWide = false;
  bool noImages = false;
  bool checkRobots = true;
  bool plainTextInMemory = false;
  bool dontSkipCGI = false;
  bool fetchHttps = false;  // https URLs are followed and fetched like http ones
  bool autoColour = false;  // colour choice "Auto" taken at the last start
  std::string helpFileName = "project.hlp";
  std::string version = "1.1";
  bool enough = false;      // stop taking new URLs, still write the topics
  bool abortCrawl = false;  // the user chose Abort after a disk error
};
