#pragma once
// The last step of a run: the help project "project.hpj", the file of fixed
// explanation topics "targets.rtf" (both in the work directory "rtf"), and the
// start of the help compiler on them. Every line ends with CR LF, as the help
// compiler reads its input.

#include <string>
#include <utility>
#include <vector>

class qvByteSink;
class qvUserInterface;

// What the project needs from the run that produced the topics.
struct qvHelpProjectInput {
  int topicCount = 0;                 // out0.rtf .. out(n-1).rtf were written
  std::string helpFileName;           // the "HLP=" target
  std::string title;                  // the start URL's title: the window caption
  unsigned mainColour = 0xFFFFFF;     // 0x00BBGGRR, written in decimal
  unsigned nonScrollColour = 0xFFFFFF;
  bool browseButtons = false;         // user-interface value 16
  std::vector<std::pair<std::string, int>> helpIds;  // "idh_" anchors, in map order
};

class qvHelpProject {
 public:
  // The command the engine hands to the user interface to build the help file.
  static constexpr const char* kCompilerCommand = "hcrtf /nc /xh rtf/project.hpj";

  // `rtfDirectory` is where the topics are and the two files go.
  qvHelpProject(qvUserInterface& ui, std::string rtfDirectory);

  // Writes both files, then starts the compiler. An I/O error stops writing at
  // that point and is reported with "IO Exception : " + message; the compiler
  // is started anyway. Returns what runHcRtf answered.
  bool build(const qvHelpProjectInput& input);

  // The project text. Exposed so the files can be checked without a run.
  static void writeProject(qvByteSink& out, const qvHelpProjectInput& input);
  // The fixed topics: "whoops" and one topic per kind of link not followed.
  static void writeTargets(qvByteSink& out);

 private:
  // Opens `name` in the work directory and hands it to `write`; throws
  // qvRuntimeException when the file cannot be created or written.
  template <typename Writer>
  void writeFile(const std::string& name, Writer write) const;
  bool runCompiler();

  qvUserInterface& ui_;
  std::string rtfDirectory_;
};
