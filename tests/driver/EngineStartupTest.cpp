// The engine program itself, started as a real process: usage, batch runs,
// the fallback without a display, the missing user-interface library, the
// command-line failures, the logs and the registry's working directory.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "../support/TempDirectory.h"

namespace {

namespace fs = std::filesystem;

std::string readFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

struct Result {
  int status = -1;
  std::string out, err;
};

class EngineStartupTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(dir / "work");
    engine = std::string(CORVANE_BINARY_DIR) + "/corvane";
    env["CORVANE_REGISTRY"] = (dir / "registry.reg").string();
    env["PATH"] = std::getenv("PATH") ? std::getenv("PATH") : "/usr/bin:/bin";
    env["HOME"] = dir.string();
  }

  // Runs the engine in dir/work with exactly the environment in `env`.
  Result run(const std::vector<std::string>& args) {
    fs::path outFile = dir / "stdout", errFile = dir / "stderr";
    pid_t pid = ::fork();
    if (pid == 0) {
      if (::chdir((dir / "work").c_str()) != 0) ::_exit(126);
      int out = ::open(outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
      int err = ::open(errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
      ::dup2(out, 1);
      ::dup2(err, 2);
      std::vector<std::string> strings;
      for (const auto& [name, value] : env) strings.push_back(name + "=" + value);
      std::vector<char*> envp, argv{const_cast<char*>(engine.c_str())};
      for (auto& s : strings) envp.push_back(s.data());
      for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
      envp.push_back(nullptr);
      argv.push_back(nullptr);
      ::execve(engine.c_str(), argv.data(), envp.data());
      ::_exit(127);
    }
    Result r;
    int status = 0;
    ::waitpid(pid, &status, 0);
    r.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    r.out = readFile(outFile);
    r.err = readFile(errFile);
    return r;
  }

  std::string sampleSite() const { return std::string(CORVANE_SOURCE_DIR) + "/sample/site"; }

  TempDirectory temp;
  fs::path dir = temp.path();
  std::string engine;
  std::map<std::string, std::string> env;
};

TEST_F(EngineStartupTest, HelpListsEveryOptionAndSucceeds) {
  Result r = run({"-batch", "-help"});
  EXPECT_EQ(r.status, 0);
  for (const char* option : {"-maxurl", "-noim", "-heapd", "-wide", "-white", "-tan", "-gr", "-deb", "-fulldeb",
                             "-batch", "-out", "-depth", "-offline", "-nocache", "-proxy", "-time", "-help"}) {
    EXPECT_NE(r.out.find(option), std::string::npos) << option;
  }
  EXPECT_EQ(run({"--HELP"}).status, 0);
}

TEST_F(EngineStartupTest, BatchWithoutAStartPointPrintsUsageAndFails) {
  Result r = run({"-batch", "-wide"});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("Usage: corvane"), std::string::npos) << r.err;
}

TEST_F(EngineStartupTest, MissingUserInterfaceLibraryEndsStartUp) {
  // A copy of the engine with nothing beside it, and a search path without
  // the library.
  fs::copy_file(engine, dir / "corvane");
  engine = (dir / "corvane").string();
  env["DISPLAY"] = ":97";
  env["LD_LIBRARY_PATH"] = (dir / "nowhere").string();
  Result r = run({sampleSite()});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("failed to initialise user interface (failed to load libcorvane2.so)"), std::string::npos)
      << r.err;
}

TEST_F(EngineStartupTest, WithoutADisplayTheEngineRunsInBatchMode) {
  Result r = run({sampleSite()});
  EXPECT_TRUE(r.status == 0 || r.status == 2) << r.status << r.err;
  EXPECT_NE(r.err.find("running in batch mode"), std::string::npos) << r.err;
  std::string log = readFile(dir / "work/Corvane.log");
  EXPECT_NE(log.find("Corvane version 1.1\r\n"), std::string::npos) << log;
  EXPECT_TRUE(fs::is_directory(dir / "work/rtf"));
  EXPECT_TRUE(fs::is_directory(dir / "work/HelpFiles"));
  EXPECT_FALSE(fs::exists(dir / "work/CVDebug.log"));  // no debug switch, no debug files
  EXPECT_FALSE(fs::exists(dir / "work/MemDebug.txt"));
}

TEST_F(EngineStartupTest, BatchRunLogsItsOptionsAndOutput) {
  Result r = run({"-batch", "-maxurl", "3", "-gr", "-out", "../result", sampleSite()});
  EXPECT_TRUE(r.status == 0 || r.status == 2) << r.status << r.err;
  std::string log = readFile(dir / "work/Corvane.log");
  EXPECT_NE(log.find("Options are [SiteWide=false, NoImages=false, CheckRobots=true, Don'tSkipCGI=false, "
                     "MaxURLs=3, MaxDepth=0, Colour Grey]\r\n"),
            std::string::npos)
      << log;
  // -out is taken from the directory the engine was started in.
  EXPECT_NE(log.find("Output help file is " + (dir / "work/../result.hlp").string() + "\r\n"), std::string::npos)
      << log;
  EXPECT_EQ(r.err.find("running in batch mode"), std::string::npos);  // asked for: no note
}

TEST_F(EngineStartupTest, CommandLineFailuresEndWithStatus1) {
  Result noNumber = run({"-batch", sampleSite(), "-MaxURL", "lots"});
  EXPECT_EQ(noNumber.status, 1);
  EXPECT_EQ(noNumber.out, "maxurl : invalid numeric value 'For input string: \"lots\"'\n");
  Result early = run({"-maxurl", "x", "-batch", sampleSite()});  // before the start point is seen
  EXPECT_EQ(early.status, 1);
  EXPECT_EQ(early.out, "maxurl : invalid numeric value 'For input string: \"x\"'\n");
  Result noArgument = run({"-batch", sampleSite(), "-maxurl"});
  EXPECT_EQ(noArgument.status, 1);
  EXPECT_EQ(noArgument.out, "maxurl : argument expected\n");
}

TEST_F(EngineStartupTest, UnusableStartPointsAreReportedAndFail) {
  Result r = run({"-batch", "gopher://example.org/"});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(readFile(dir / "work/Corvane.log").find("Don't understand URL 'gopher://example.org/'\r\n"), std::string::npos);
}

TEST_F(EngineStartupTest, FullDebugRecordsStartUpCheckpointsInOrder) {
  { std::ofstream(dir / "work/CVDebug.log") << "earlier\r\n"; }
  run({"-fulldebug", "-batch", sampleSite()});
  std::string debug = readFile(dir / "work/CVDebug.log");
  ASSERT_EQ(debug.rfind("earlier\r\n", 0), 0u) << debug;  // never emptied
  std::vector<int> numbers;
  std::istringstream lines(debug.substr(9));
  std::string line;
  const std::string prefix = "Debug : reached location ";
  while (std::getline(lines, line)) {
    if (line.rfind(prefix, 0) == 0) numbers.push_back(std::stoi(line.substr(prefix.size())));
  }
  std::vector<int> expected = {0, 5, 10, 20, 30, 40, 90, 100, 110, 120, 140, 150, 160, 170, 180, 180, 180,
                               190, 200, 210, 230, 240, 250, 320, 330, 340, 350, 360, 370, 380};
  ASSERT_GE(numbers.size(), expected.size());
  EXPECT_EQ(std::vector<int>(numbers.begin(), numbers.begin() + expected.size()), expected);
  EXPECT_EQ(numbers.back(), 420);
}

TEST_F(EngineStartupTest, RegistryPathMovesTheWorkingDirectory) {
  fs::create_directories(dir / "elsewhere");
  std::ofstream(dir / "registry.reg") << "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Lorimund\\Corvane\\v1.1\\Settings]\r\n"
                                      << "\"Path\"=\"" << (dir / "elsewhere").string() << "\"\r\n";
  run({"-batch", sampleSite()});
  EXPECT_TRUE(fs::exists(dir / "elsewhere/Corvane.log"));
  EXPECT_FALSE(fs::exists(dir / "work/Corvane.log"));
}

// "Path" moves the engine's own files only: start points and -out given
// relative to the shell's directory still mean that directory.
TEST_F(EngineStartupTest, RegistryPathLeavesRelativeStartPointsWithTheCaller) {
  fs::create_directories(dir / "elsewhere");
  fs::copy(sampleSite(), dir / "work/site", fs::copy_options::recursive);
  std::ofstream(dir / "registry.reg") << "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Lorimund\\Corvane\\v1.1\\Settings]\r\n"
                                      << "\"Path\"=\"" << (dir / "elsewhere").string() << "\"\r\n";
  Result relative = run({"-batch", "site", "-out", "mine"});
  EXPECT_EQ(relative.status, 0) << relative.out << relative.err;
  EXPECT_TRUE(fs::exists(dir / "work/mine.hlp"));
  EXPECT_TRUE(fs::exists(dir / "elsewhere/rtf/out0.rtf"));
  EXPECT_EQ(readFile(dir / "elsewhere/Corvane.log").find("Don't understand URL"), std::string::npos);

  Result defaultOutput = run({"-batch", "site"});
  EXPECT_EQ(defaultOutput.status, 0) << defaultOutput.out << defaultOutput.err;
  EXPECT_TRUE(fs::exists(dir / "elsewhere/HelpFiles/site.hlp"));
}

// A title the page wraps over two lines (and quotes in it) must reach the
// help file's window as one caption: split, the window definition was lost
// with its size and colours.
TEST_F(EngineStartupTest, TitleOverSeveralLinesStaysTheWindowCaption) {
  fs::create_directories(dir / "work/site");
  std::ofstream(dir / "work/site/index.html")
      << "<html><head><title>First line\r\n   second \"quoted\"\tline </title></head><body><p>Text</p></body></html>";
  Result r = run({"-batch", "site", "-white"});
  ASSERT_EQ(r.status, 0) << r.out << r.err;
  EXPECT_EQ(r.out.find("warning"), std::string::npos) << r.out;
  const std::string project = readFile(dir / "work/rtf/project.hpj");
  EXPECT_NE(project.find("\r\nmain=\"First line second 'quoted' line\",(144,30,749,957),"), std::string::npos) << project;

  const std::string dump = dir.string() + "/dump.txt";
  const std::string command = "'" + std::string(CORVANE_BINARY_DIR) + "/hlpdump' '" + (dir / "work/HelpFiles/site.hlp").string() +
                              "' >'" + dump + "' 2>&1";
  ASSERT_EQ(std::system(command.c_str()), 0) << readFile(dump);
  const std::string text = readFile(dump);
  EXPECT_NE(text.find("caption \"First line second 'quoted' line\""), std::string::npos) << text;
  EXPECT_EQ(text.find("width 0 "), std::string::npos) << text;
}

// The network options are acted on, not reported as ignored, and the run
// goes on. A proxy is used only for remote pages, so a local tree converts
// with one named.
TEST_F(EngineStartupTest, NetworkOptionsAreTakenWithoutComplaint) {
  Result r = run({"-batch", "-proxy", "127.0.0.1:3128", "--NoCache", sampleSite()});
  EXPECT_EQ(r.status, 0) << r.out << r.err;
  EXPECT_EQ(r.out.find("not supported"), std::string::npos) << r.out;
  Result plain = run({"-batch", sampleSite()});
  EXPECT_EQ(plain.out.find("not supported"), std::string::npos) << plain.out;
}

std::size_t occurrences(const std::string& text, const std::string& part) {
  std::size_t n = 0;
  for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + part.size())) ++n;
  return n;
}

std::string lastLine(const std::string& text) {
  const std::string trimmed = text.substr(0, text.find_last_not_of('\n') + 1);
  return trimmed.substr(trimmed.rfind('\n') + 1);
}

// A script must tell a run that converted nothing from a good one: the help
// file is still written (it holds the fixed topics), but the status says 3.
TEST_F(EngineStartupTest, BatchStatusSaysWhetherAnyPageWasConverted) {
  const std::string unreachable = "http://127.0.0.1:9/index.html";
  Result failed = run({"-batch", unreachable, "-out", "h"});
  EXPECT_EQ(failed.status, 3) << failed.out << failed.err;
  EXPECT_EQ(lastLine(failed.out), "No page was converted (URL " + unreachable +
                                      " : Cannot connect); " + (dir / "work/h.hlp").string() +
                                      " holds only the fixed topics");
  ASSERT_TRUE(fs::exists(dir / "work/h.hlp"));
  const std::string dump = (dir / "dump.txt").string();
  const std::string command = "'" + std::string(CORVANE_BINARY_DIR) + "/hlpdump' '" + (dir / "work/h.hlp").string() +
                              "' >'" + dump + "' 2>&1";
  ASSERT_EQ(std::system(command.c_str()), 0);
  EXPECT_NE(readFile(dump).find("If you can see this, your help file has no topics!"), std::string::npos);
  // Each failure is logged once where it happens: the crawl's status line
  // and the final pass's reason.
  const std::string log = readFile(dir / "work/Corvane.log");
  EXPECT_EQ(occurrences(log, "Error during GET of " + unreachable + ": Cannot connect\r\n"), 1u) << log;
  EXPECT_EQ(occurrences(log, "Cannot connect\r\n"), 2u) << log;  // the GET line and the reason line
  EXPECT_EQ(occurrences(log, "URL " + unreachable + " : Cannot connect\r\n"), 1u) << log;

  Result missing = run({"-batch", (dir / "no-such-page.html").string(), "-out", "m"});
  EXPECT_EQ(missing.status, 3) << missing.out << missing.err;
  EXPECT_TRUE(fs::exists(dir / "work/m.hlp"));

  Result oneGood = run({"-batch", unreachable, sampleSite(), "-out", "g"});
  EXPECT_EQ(oneGood.status, 0) << oneGood.out << oneGood.err;
  EXPECT_EQ(lastLine(oneGood.out).rfind("Help file " + (dir / "work/g.hlp").string() + " written with ", 0), 0u)
      << oneGood.out;

  fs::create_directories(dir / "work/empty");
  Result empty = run({"-batch", "empty"});
  EXPECT_EQ(empty.status, 1) << empty.out << empty.err;
  EXPECT_NE(empty.err.find("No start point could be used"), std::string::npos) << empty.err;
}

// With pictures switched off, a page that had some says so in its topic.
TEST_F(EngineStartupTest, PagesWhosePicturesWereLeftOutSaySo) {
  fs::create_directories(dir / "work/site");
  std::ofstream(dir / "work/site/index.html") << "<html><body><p>A <img src=\"a.gif\"> picture. <a href=\"b.html\">b</a></body></html>";
  std::ofstream(dir / "work/site/b.html") << "<html><body><p>No picture here.</p></body></html>";
  const std::string note = "Note : This URL had some elements skipped.";
  ASSERT_EQ(run({"-batch", "site", "-noimages"}).status, 0);
  EXPECT_NE(readFile(dir / "work/rtf/out0.rtf").find(note), std::string::npos);
  EXPECT_EQ(readFile(dir / "work/rtf/out1.rtf").find(note), std::string::npos);
  ASSERT_EQ(run({"-batch", "site"}).status, 0);
  EXPECT_EQ(readFile(dir / "work/rtf/out0.rtf").find(note), std::string::npos);
}

// A help file name saved without a folder is written where the engine
// works, not in the folder of the help project.
TEST_F(EngineStartupTest, SavedOutputNameWithoutAFolderLandsInTheWorkingDirectory) {
  std::ofstream(dir / "registry.reg") << "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Lorimund\\Corvane\\v1.1\\Urls\\default]\r\n"
                                      << "\"OutputName\"=\"named\"\r\n";
  Result r = run({"-batch", sampleSite()});
  EXPECT_EQ(r.status, 0) << r.out << r.err;
  EXPECT_TRUE(fs::exists(dir / "work/named.hlp"));
  EXPECT_FALSE(fs::exists(dir / "work/rtf/named.hlp"));
}

TEST_F(EngineStartupTest, LogThatCannotBeCreatedEndsStartUp) {
  fs::create_directories(dir / "work/Corvane.log");
  Result r = run({"-batch", sampleSite()});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "IO Exception creating log file : Corvane.log (Is a directory)\n");
}

TEST_F(EngineStartupTest, UnreadableRegistryIsKeptAsideAndReported) {
  std::ofstream(dir / "registry.reg") << "this is not a registry file\n";
  Result r = run({"-batch", sampleSite()});
  EXPECT_TRUE(r.status == 0 || r.status == 2) << r.status << r.err;
  EXPECT_TRUE(fs::exists(dir / "registry.reg.bad"));
  EXPECT_NE(r.err.find("registry.reg.bad"), std::string::npos) << r.err;
}

}  // namespace
