#include "driver/qvHelpProject.h"

#include <algorithm>
#include <string_view>

#include "driver/qvFileSink.h"
#include "rtf/qvLineWriter.h"
#include "rtf/qvTopicText.h"

#include "ui/qvRuntimeException.h"
#include "ui/qvUserInterface.h"

namespace {

void line(qvByteSink& out, std::string_view text) { writeLine(out, text); }

// The project is read line by line, so no value may carry a line break.
std::string projectValue(std::string_view text) {
  std::string value(text);
  for (char& c : value) {
    if (c == '\r' || c == '\n') c = ' ';
  }
  return value;
}

// The caption is a quoted field among commas; a quote inside it would end
// the field early and take the window's size and colours with it.
std::string windowCaption(std::string_view title) {
  std::string caption = qvTopicText::singleLineTitle(title);
  std::replace(caption.begin(), caption.end(), '"', '\'');
  return caption;
}

struct FixedTarget {
  std::string_view name;
  std::string_view text;
};

// Every link that does not become a jump to a page topic ends at one of these.
constexpr FixedTarget kTargets[] = {
    {"excluded", "This URL was excluded from the pulldown"},
    {"unsupportedprotocol", "The protocol used in this URL is not at present supported by Corvane"},
    {"unknownprotocol", "This URL referenced an unknown protocol"},
    {"brokenlink", "This link was broken when Corvane tried to fetch it"},
    {"unknowncontent", "This URL contained unknown content"},
    {"norobots", "Robots are excluded from this URL"},
    {"notfetched", "This link was not retrieved"},
    {"notfollowed", "This link was skipped because it was suspected to be an invalid URL"},
    {"nofollow", "This link was skipped at user request"},
    {"suspectCGI",
     "This link was skipped it was suspected to be CGI. This can be changed from the Corvane Options tab."},
    {"image",
     "This link was skipped it was an image, and the NoImages option was on. This can be changed from the "
     "Corvane Options tab."},
    {"enough",
     "This link was skipped because either the user pressed the Corvane 'Enough' button or the given "
     "retrieval time limit expired."},
};

}  // namespace

qvHelpProject::qvHelpProject(qvUserInterface& ui, std::string rtfDirectory)
    : ui_(ui), rtfDirectory_(std::move(rtfDirectory)) {}

void qvHelpProject::writeProject(qvByteSink& out, const qvHelpProjectInput& input) {
  line(out, "[OPTIONS]");
  line(out, "HCW=0");
  line(out, "NOTES=0");
  line(out, "REPORT=No");
  line(out, "HLP=" + projectValue(input.helpFileName));
  line(out, "");
  line(out, "[FILES]");
  for (int i = 0; i < input.topicCount; ++i) line(out, "out" + std::to_string(i) + ".rtf");
  line(out, "targets.rtf");
  line(out, "popups.rtf");
  line(out, "");
  line(out, "[WINDOWS]");
  line(out, "main=\"" + windowCaption(input.title) + "\",(144,30,749,957),61700,(r" + std::to_string(input.mainColour) +
                "),(r" + std::to_string(input.nonScrollColour) + "),f2");
  line(out, "");
  line(out, "[CONFIG]");
  line(out, "CreateButton(topFile, \"Start\", JumpID (documentID0))");
  if (input.browseButtons) line(out, "Browsebuttons()");
  line(out, "RegisterRoutine(\"user.exe\",\"SetWindowLong\",\"Uii\")");
  if (input.helpIds.empty()) return;
  line(out, "");
  line(out, "[MAP]");
  for (const auto& [name, number] : input.helpIds) line(out, projectValue(name) + "=" + std::to_string(number));
}

void qvHelpProject::writeTargets(qvByteSink& out) {
  for (std::string_view header : {"{\\rtf1", "{\\fonttbl", "\\f0\\fswiss Arial;", "\\f1\\froman Times New Roman;",
                                  "\\f2\\fmodern Courier New;", "\\f3\\fswiss MS Sans Serif;",
                                  "\\f4\\froman MS Serif;", "}", "\\deff0", "\\fs20"}) {
    line(out, header);
  }
  line(out, "#{\\footnote # whoops}");
  line(out,
       "If you can see this, your help file has no topics! See the status tab and corvane.log for more "
       "information.\\par\\par");
  line(out, "Note that it is important that you exit Corvane first to make sure the log file is up to date.\\par\\par");
  line(out, "Be aware that restarting Corvane will cause the log file to be emptied, so check it before restarting.");
  line(out, "\\page");
  for (const auto& target : kTargets) {
    line(out, "#{\\footnote # " + std::string(target.name) + "}");
    line(out, target.text);
    line(out, "\\page");
  }
  line(out, "}");
}

template <typename Writer>
void qvHelpProject::writeFile(const std::string& name, Writer write) const {
  qvFileSink file(rtfDirectory_ + "/" + name);
  if (!file.failed()) write(file);
  if (!file.close()) throw qvRuntimeException(file.errorText());
}

bool qvHelpProject::build(const qvHelpProjectInput& input) {
  try {
    writeFile("project.hpj", [&](qvByteSink& out) { writeProject(out, input); });
    writeFile("targets.rtf", [](qvByteSink& out) { writeTargets(out); });
  } catch (const qvRuntimeException& e) {
    ui_.statusMessage(std::string("IO Exception : ") + e.what());
  }
  return runCompiler();
}

bool qvHelpProject::runCompiler() {
  ui_.beginStatusLine("Running Help Compiler ... ");
  if (!ui_.runHcRtf(kCompilerCommand, nullptr)) {
    ui_.endStatusLine("failed", true, true);
    ui_.showError("Failed to run help compiler");
    return false;
  }
  ui_.endStatusLine("", true, true);
  return true;
}
