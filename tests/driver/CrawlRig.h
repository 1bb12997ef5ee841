#pragma once
// A crawl over a local site made in a temporary directory, with the real
// parser, item list and MIME table: the base of the crawl and anchor tests.

#include <gtest/gtest.h>
#include <string>

#include "CrawlTestSupport.h"
#include "base/qvDriverSettings.h"
#include "driver/qvCrawler.h"
#include "driver/qvLocalScanner.h"
#include "driver/qvRunCounters.h"
#include "html/qvHtmlContext.h"
#include "html/qvHtmlParser.h"
#include "html/qvItemList.h"
#include "html/qvPrototypeList.h"
#include "url/qvFileURL.h"
#include "url/qvMimeTypes.h"

namespace crawltest {

struct CrawlRig : ::testing::Test {
  qvDriverSettings settings;
  RecordingUi ui;
  qvHtmlContext context{ui, settings};
  qvPrototypeList prototypes{context};
  qvHtmlParser parser{context, prototypes};
  qvItemList items;
  qvMimeTypes mimeTypes;
  qvRunCounters counters;
  TempDir site;
  TempDir work;
  qvCrawler crawler{context, parser, items, mimeTypes, counters, work.path().string()};

  // Starts the run at `relative` in the site and crawls it.
  void crawlFrom(const std::string& relative) {
    qvLocalScanner(context.urlTable(), ui).scanLocal((site.path() / relative).string(), 0);
    crawler.crawl();
  }
  // The "file:" URL of a file of the site, and its status (null when none).
  std::string url(const std::string& relative) const {
    return qvFileURL::urlForFile((site.path() / relative).string());
  }
  qvURLStatus* status(const std::string& relative) const { return context.urlTable().find(url(relative)); }
};

}  // namespace crawltest
