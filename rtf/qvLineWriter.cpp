#include "rtf/qvLineWriter.h"

void writeLine(qvByteSink& writer, std::string_view text) {
  writer.writeBytes(text);
  writer.writeBytes("\r\n");
}

void writeBlankLine(qvByteSink& writer) { writer.writeBytes("\r\n"); }
