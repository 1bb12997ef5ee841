#pragma once
// The three steps of a run after its start points are known: the crawl, the
// final pass that writes the topics, and the help project with the
// compiler's start. Holds what those steps share for the life of the
// process: the MIME table, the tag prototypes, the parser, the page's item
// list and the run's counters. The driver calls one step after the other.

#include <memory>
#include <string>

#include "driver/qvCrawler.h"
#include "driver/qvFinalPass.h"
#include "driver/qvHtmlConverter.h"
#include "driver/qvRunCounters.h"
#include "html/qvHtmlParser.h"
#include "html/qvItemList.h"
#include "html/qvPrototypeList.h"
#include "image/qvImageConverter.h"
#include "image/qvPlainImgLib.h"
#include "url/qvMimeTypes.h"

class qvHtmlContext;
class NoRobots;
class qvRemoteFetcher;
class qvTCPRobotsFetcher;
class qvTCP;

class qvConversionRun {
 public:
  // The work directory for intermediate files, topics and the project.
  static constexpr const char* kWorkDirectory = "rtf";

  // `context` must outlive the object.
  explicit qvConversionRun(qvHtmlContext& context, std::string workDirectory = kWorkDirectory);
  ~qvConversionRun();

  // Remote pages are fetched through `tcp`, which must outlive the object;
  // without it they end as broken links.
  void setNetwork(qvTCP& tcp);

  // Clears the left-overs of earlier runs, the counters and the network's
  // byte count, then crawls, asking each site's robots file once in the run.
  void crawl();
  // Writes the topics and popups; false when the run has no start URL, so
  // there is no project to write.
  bool finalPass();
  // Writes project.hpj and targets.rtf and starts the help compiler.
  void project();

  const qvRunCounters& counters() const { return counters_; }
  // Topics of the site's pages the last final pass wrote.
  int topicsWritten() const { return finalPass_.topicsWritten(); }
  qvCrawler& crawler() { return crawler_; }
  qvImageConverter& images() { return images_; }

 private:
  qvHtmlContext& context_;
  std::string workDirectory_;
  qvMimeTypes mimeTypes_;
  qvPrototypeList prototypes_;
  qvHtmlParser parser_;
  qvItemList items_;
  qvRunCounters counters_;
  // Stands in when the context has no converter.
  qvPlainImgLib noPictures_;
  qvImageConverter images_;
  qvCrawler crawler_;
  qvHtmlConverter converter_;
  qvFinalPass finalPass_;
  qvTCP* network_ = nullptr;
  std::unique_ptr<qvRemoteFetcher> fetcher_;
  std::unique_ptr<qvTCPRobotsFetcher> robotsFetcher_;
  std::unique_ptr<NoRobots> robots_;  // made afresh for every run
};
