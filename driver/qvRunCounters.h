#pragma once
// The counters of one run, shown to the user with updateCounts. The run loop
// zeroes them at the start of every run; the crawl and the final pass count.

struct qvRunCounters {
  int pagesConverted = 0;  // pages, texts and images read successfully (against maxURLs)
  int urlsVisited = 0;     // statuses taken by the current pass
  int urlsSkipped = 0;     // statuses given up, for any reason
  long bytesReceived = 0;  // the HTTP client's byte counter, copied after each read

  void reset() { *this = qvRunCounters{}; }
};
