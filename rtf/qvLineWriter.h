#pragma once
// Every text file the engine writes (topics, popups, the help project, the
// fixed targets) is written line by line with CR LF endings, whatever the
// platform's own convention, because the help compiler expects them.

#include <string_view>

#include "rtf/qvByteSink.h"

// Writes `text` followed by CR LF.
void writeLine(qvByteSink& writer, std::string_view text);
// Writes CR LF.
void writeBlankLine(qvByteSink& writer);
// Flushes and closes a file writer (anything with close()); a failure to
// close is not reported here, the writer's own status keeps it.
template <class Writer>
void closeWriter(Writer& writer) {
  static_cast<void>(writer.close());
}
