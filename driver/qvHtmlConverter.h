#pragma once
// Writes the topics of the final pass: one Help topic per converted page,
// plain text or picture, each into its own topic file; the popup notes of a
// page's links go to the run's shared popup file.

#include <cstddef>
#include <exception>
#include <string>

#include "html/qvItemList.h"

class qvByteSink;
class qvHtmlContext;
class qvHtmlParser;
class qvURLStatus;
struct qvTopicPage;

class qvHtmlConverter {
 public:
  // Both must outlive the converter.
  qvHtmlConverter(qvHtmlContext& context, qvHtmlParser& parser);

  // Binds a restored page's items into the list the topic is written from.
  qvItemRefs postProcess(const qvItemList& items);

  // The page's bound items as one topic; link notes go to `popups`, which
  // also receives the topic's header and close so that it stays one valid
  // RTF document per page. The body grows at most in proportion to the
  // page's `pageBytes`; past that it ends with a note.
  void writeHtmlTopic(qvByteSink& topic, qvByteSink& popups, qvURLStatus& status, const qvItemRefs& items,
                      std::size_t pageBytes);
  // The text kept in the status's pageText as a preformatted topic.
  void writePlainTextTopic(qvByteSink& topic, const qvURLStatus& status);
  // A topic showing the picture whose reference the status's pageText holds.
  void writeImageTopic(qvByteSink& topic, const qvURLStatus& status);

  // Plain text as RTF: fixed pitch, line breaks kept, tabs as \tab, RTF's
  // special characters escaped.
  static std::string plainTextBody(const std::string& text);

  // The class of an exception as the user sees it in a failure report.
  static std::string exceptionClassName(const std::exception& e);
  // Whether an exception reports a fault of the engine itself (a broken
  // invariant) rather than a failure of input, output or the user's cancel.
  static bool isInternalFault(const std::exception& e);
  // "qvTagAnchor", "qvHtmlText", ...
  static std::string itemClassName(qvHtmlInterface& item);

 private:
  qvTopicPage topicPage(const qvURLStatus& status) const;
  void writeOpening(qvByteSink& topic, qvByteSink* second, const qvTopicPage& page);
  void writeClosing(qvByteSink& topic, qvByteSink* second, const qvTopicPage& page);
  void writeBody(qvByteSink& topic, const qvItemRefs& items, std::size_t pageBytes);

  qvHtmlContext& context_;
  qvHtmlParser& parser_;
};
