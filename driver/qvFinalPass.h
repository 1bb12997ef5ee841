#pragma once
// The second pass of a run. Once the crawl has decided every URL's outcome,
// each status is visited again, the start URL first: a converted page,
// plain text or picture becomes topic "out" + n + ".rtf" (so a converted
// start page is always out0.rtf), and every other URL logs the reason it has
// no topic. A failure ends only its own round.

#include <string>

class qvByteSink;
class qvHtmlContext;
class qvHtmlConverter;
class qvURLStatus;
struct qvRunCounters;

class qvFinalPass {
 public:
  // Every reference must outlive the pass; `rtfDirectory` holds the
  // intermediate files and receives the topics.
  qvFinalPass(qvHtmlContext& context, qvHtmlConverter& converter, qvRunCounters& counters,
              std::string rtfDirectory);

  // The steps between the passes, then the pass. Returns false when the run
  // has no start URL (no topics, and no project either).
  bool run(qvByteSink& popups);

  // Topic files written and closed this run: out0.rtf .. out(n-1).rtf.
  int topicsWritten() const { return topics_; }

 private:
  void betweenPasses();
  void round(qvByteSink& popups);
  void runRound(qvURLStatus& status, qvByteSink& popups);
  void writePlainText(qvURLStatus& status);
  void writeHtml(qvURLStatus& status, qvByteSink& popups);
  void writeImage(qvURLStatus& status);
  // Opens the next topic file, lets `write` fill it and closes it; the count
  // advances only when the file was closed intact. Throws qvRuntimeException
  // on an I/O failure.
  template <typename Write>
  void writeTopic(Write write);
  std::string topicName() const;
  std::string intermediateFile(const qvURLStatus& status) const;
  void endRound(qvURLStatus& status);

  qvHtmlContext& context_;
  qvHtmlConverter& converter_;
  qvRunCounters& counters_;
  std::string rtfDirectory_;
  int topics_ = 0;
  // What the round is doing, for the report of an internal fault.
  int phase_ = 6;
};
