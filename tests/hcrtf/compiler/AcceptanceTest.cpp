// Opens a compiled help file in a real viewer (Wine's winhlp32 under Xvfb,
// driven by the shared hlp-view tool) and checks what a reader would see.

#include <gtest/gtest.h>

#include <cstdlib>

#include "CompilerTestSupport.h"
#include "../../support/ViewerTool.h"

namespace {

bool haveViewer(std::string& why) {
  int status = 0;
  runCommand("command -v wine && command -v Xvfb && command -v xdotool && command -v tesseract", status);
  if (status != 0) why = "wine, Xvfb, xdotool or tesseract is not installed";
  else if (viewerTool().empty()) why = "hlp-view not found (set HLPVIEW)";
  return why.empty();
}

const char* kProject =
    "[OPTIONS]\r\nTITLE=Acceptance Help\r\nCONTENTS=first_topic\r\nHLP=accept.hlp\r\n\r\n[FILES]\r\ntopics.rtf\r\n\r\n"
    "[WINDOWS]\r\nmain=\"Acceptance Window\",(100,50,600,500),0,(r15794175),(r12632256),f2\r\n\r\n[CONFIG]\r\n"
    "CreateButton(\"btn_third\",\"&Third\",\"JumpId(`accept.hlp',`third_topic')\")\r\nBrowseButtons()\r\n";

std::string topics() {
  return rtfHeader() + rtfLines({
      "#{\\footnote first_topic}${\\footnote Welcome}K{\\footnote welcome;start}+{\\footnote :auto}",
      "{\\keepn\\fs36\\b Welcome Heading\\par\\pard}",
      "\\fs28 Harbour lights shine. Open {\\uldb\\fs28 Mountain page}{\\v second_topic} now.\\par",
      "A {\\ul note}{\\v note_popup} and a {\\uldb macro}{\\v !About()} here.\\par",
      "{\\cf2 Blue words} and {\\b bold words}.\\par", "\\page",
      "#{\\footnote second_topic}${\\footnote Mountain}K{\\footnote mountain}+{\\footnote :auto}",
      "\\fs28 Mountain rivers flow. Back to {\\uldb start}{\\v first_topic}.\\par", "\\page",
      "#{\\footnote third_topic}${\\footnote Forest}K{\\footnote forest}+{\\footnote :auto}",
      "\\fs28 Forest trees grow tall.\\par", "\\page",
      "#{\\footnote note_popup}${\\footnote Note}", "\\fs28 Popup words here.\\par", "\\page", "}"});
}

}  // namespace

TEST(AcceptanceTest, WineViewerOpensFollowsJumpsAndFindsEveryTopic) {
  std::string why;
  if (!haveViewer(why)) GTEST_SKIP() << why;
  TempDirectory dir;
  dir.write("topics.rtf", topics());
  dir.write("accept.hpj", kProject);
  int status = 0;
  std::string out = runCommand("cd '" + dir.path().string() + "' && " + HCRTF_PATH + " /nc /xh accept.hpj", status);
  ASSERT_EQ(status, 0) << out;
  const std::string hlp = (dir.path() / "accept.hlp").string();
  const std::string view = viewerTool() + " '" + hlp + "' '" + (dir.path() / "shot.png").string() + "' --window-only --strict" + viewerTimeoutOption();

  ViewerRun run = runViewer(view + "--expect-title 'Acceptance' --expect-text Harbour --expect-text Mountain");
  EXPECT_EQ(run.status, 0) << run.output;
  // The jump "Mountain page" is on the line below the heading; the
  // window opens at (100, 50) and its client area starts below the caption.
  run = runViewer(view + "--click 380,148 --wait 2 --expect-text rivers");
  EXPECT_EQ(run.status, 0) << run.output;
  for (const auto& [context, word] : {std::pair{"first_topic", "Harbour"}, std::pair{"second_topic", "rivers"},
                                      std::pair{"third_topic", "Forest"}, std::pair{"note_popup", "Popup"}}) {
    run = runViewer(view + "--topic " + context + " --expect-text " + word);
    EXPECT_EQ(run.status, 0) << context << "\n" << run.output;
  }
}

// Embedded buttons show their label (or "»") as a hotspot, and a click runs
// the button's macro.
TEST(AcceptanceTest, WineViewerShowsButtonLabelsAndRunsTheirMacro) {
  std::string why;
  if (!haveViewer(why)) GTEST_SKIP() << why;
  TempDirectory dir;
  dir.write("t.rtf", rtfHeader() + rtfLines({
      "\\fs28 #{\\footnote {#}first}${\\footnote {$}Start}",
      "Lantern light. \\{button Orchard, JumpID(`btn.hlp', `second')\\} and \\{button , JumpID(second)\\}\\par\\page",
      "#{\\footnote {#}second}${\\footnote Second}", "\\fs28 Mountain rivers flow.\\par\\page}"}));
  dir.write("btn.hpj", "[OPTIONS]\r\nCONTENTS=first\r\nHLP=btn.hlp\r\n\r\n[FILES]\r\nt.rtf\r\n\r\n[WINDOWS]\r\n"
                       "main=\"Button Window\",(100,50,600,500),0,(r15794175),(r12632256),f2\r\n");
  int status = 0;
  const std::string out = runCommand("cd '" + dir.path().string() + "' && " + HCRTF_PATH + " /nc /xh btn.hpj", status);
  ASSERT_EQ(status, 0) << out;
  const std::string view = viewerTool() + " '" + (dir.path() / "btn.hlp").string() + "' '" +
                           (dir.path() / "shot.png").string() + "' --window-only --strict" + viewerTimeoutOption();
  ViewerRun run = runViewer(view + "--expect-text Orchard --expect-text Lantern");
  EXPECT_EQ(run.status, 0) << run.output;
  // "Orchard" and "»" sit on the first line of the window opened at (100, 50).
  for (const char* where : {"246,124", "324,124"}) {
    run = runViewer(view + "--click " + where + " --wait 2 --expect-text rivers");
    EXPECT_EQ(run.status, 0) << where << "\n" << run.output;
  }
}
