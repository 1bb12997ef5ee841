#pragma once
// qvLinkResolver: classifies the links of a page (the href of an anchor,
// the src of a frame) and adds the ones the crawl follows to the run's URL
// table. It reads the table's settings on every call, so allowing CGI links
// during a run takes effect at the next link.

#include <string>
#include <string_view>

#include "url/qvLinkResolution.h"

class qvURLStatus;
class qvURLTable;

class qvLinkResolver {
 public:
  // `table` must outlive the resolver; followed targets are added to it.
  explicit qvLinkResolver(qvURLTable& table) : table_(table) {}

  // Classifies the link `value` found on `page` and, for a followed link,
  // adds its target (depth + 1, seed kLinkSeed, referrer = page's url).
  qvLinkResolution resolveLink(qvURLStatus& page, std::string_view value);

 private:
  // resolveLink's steps for a value that is neither CGI nor a fragment.
  qvLinkResolution& followLink(qvURLStatus& page, std::string value,
                               qvLinkResolution& link);
  qvURLStatus* addLinkTarget(qvURLStatus& page, std::string_view url);

  qvURLTable& table_;
};
