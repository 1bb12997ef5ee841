#pragma once
// Where finished bytes go: a topic file, a popup file, or memory in tests.

#include <string>
#include <string_view>

class qvByteSink {
 public:
  virtual ~qvByteSink() = default;
  // Appends the bytes; a sink that fails remembers it and reports through
  // its own status (writing never throws mid-topic).
  virtual void writeBytes(std::string_view bytes) = 0;
  // True once a write was lost.
  virtual bool failed() const { return false; }
};

// A sink that keeps everything in memory.
class qvStringSink : public qvByteSink {
 public:
  void writeBytes(std::string_view bytes) override { text_.append(bytes); }
  const std::string& text() const { return text_; }
  void clear() { text_.clear(); }

 private:
  std::string text_;
};
