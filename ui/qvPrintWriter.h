#pragma once
// The main log "Corvane.log": one line per logged message, each ended by
// carriage return and line feed, written 8 bits per character. The file is
// created anew when the writer is made. Lines are flushed as they are written
// so that the log is complete whenever the process ends; write errors are
// ignored. The exit watcher closes the log from its own thread, so every
// operation is serialised.

#include <cstdio>
#include <memory>
#include <mutex>
#include <string>

class qvPrintWriter {
 public:
  // Creates (empties) `path`; throws qvRuntimeException with the system's
  // reason when it cannot.
  explicit qvPrintWriter(const std::string& path);

  // Appends `text` and CR LF; nothing once the log is closed.
  void writeLine(const std::string& text);
  void close();
  bool isOpen() const;

 private:
  struct Closer {
    void operator()(std::FILE* file) const { std::fclose(file); }
  };
  mutable std::mutex mutex_;
  std::unique_ptr<std::FILE, Closer> file_;
};
