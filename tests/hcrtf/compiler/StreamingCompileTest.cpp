#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <string>
#include <vector>

#include "CompilerTestSupport.h"
#include "hcrtf/compiler/Compiler.h"
#include "hcrtf/compiler/Diagnostics.h"

extern char** environ;

namespace {

constexpr std::size_t kTopicsPerFile = 2000;

// Topics as the converter writes them: context, title, keyword and browse
// footnotes, a heading, a paragraph of text with a jump to the next topic.
std::string topicFile(std::size_t first, std::size_t count, std::size_t total) {
  std::string text = rtfHeader();
  for (std::size_t i = first; i < first + count; ++i) {
    const std::string n = std::to_string(i);
    const std::string next = std::to_string((i + 1) % total);
    text += "#{\\footnote t" + n + "}${\\footnote Topic " + n + "}K{\\footnote key " + n +
            ";shared key}+{\\footnote seq:auto}\r\n{\\b\\fs28 Topic " + n + "}\\par\r\n"
            "This is the text of topic " + n + ", with a {\\uldb jump}{\\v t" + next +
            "} to the next topic and words that come back in every topic.\\par\\page\r\n";
  }
  return text + "}";
}

std::filesystem::path writeProject(TempDirectory& dir, std::size_t topics) {
  std::string project = "[OPTIONS]\nTITLE=Many topics\n[FILES]\n";
  for (std::size_t first = 0, file = 0; first < topics; first += kTopicsPerFile, ++file) {
    const std::string name = "part" + std::to_string(file) + ".rtf";
    dir.write(name, topicFile(first, std::min(kTopicsPerFile, topics - first), topics));
    project += name + "\n";
  }
  return dir.write("many.hpj", project);
}

struct ChildRun {
  int status = -1;
  long peakKiB = 0;
};

// Runs the real hcrtf on `project` and reports the peak resident size of
// that child alone (wait4 gives the child's own resource usage).
ChildRun runCompiler(const std::filesystem::path& project) {
  std::vector<std::string> env;
  for (char** e = environ; *e; ++e) {
    if (std::string(*e).rfind("ASAN_OPTIONS=", 0) != 0) env.emplace_back(*e);
  }
  // ASan keeps freed memory in quarantine (256 MB by default), which would
  // make every run's peak grow with the work done rather than what is held.
  const char* asan = std::getenv("ASAN_OPTIONS");
  env.push_back(std::string("ASAN_OPTIONS=") + (asan ? std::string(asan) + ":" : "") + "quarantine_size_mb=8");
  std::vector<char*> envp;
  for (std::string& e : env) envp.push_back(e.data());
  envp.push_back(nullptr);
  std::string program = HCRTF_PATH, argument = project.string();
  char* argv[] = {program.data(), argument.data(), nullptr};
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  ChildRun run;
  pid_t pid = 0;
  const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv, envp.data());
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) return run;
  int status = 0;
  rusage usage{};
  if (::wait4(pid, &status, 0, &usage) != pid) return run;
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  run.peakKiB = usage.ru_maxrss;
  return run;
}

// hcrtf holds the topic stream in a spill file and keeps only the indexes:
// per topic its title, keywords, context string, browse entry and offset,
// some 600 bytes for these topics in a release build (measured: 16.7 MB for
// 10,000 topics, 72 MB for 100,000). Before, 100,000 such topics took about
// 1 GB. What else it holds is bounded: the records kept back to choose the
// phrase dictionary from (8 MB) and the dictionary's counting.
TEST(StreamingCompileTest, PeakMemoryStaysFlatAsTopicsGrow) {
#if defined(HCRTF_SANITIZED)
  // Fewer topics, for the sanitizer's slower runs. It puts a redzone and a
  // header around every small allocation of the indexes, which nearly
  // triples them (measured 2.7 KB a topic). The compiler that held
  // everything needed 4.6 KB a topic without the sanitizer.
  constexpr std::size_t kSmall = 5'000, kLarge = 25'000;
  constexpr std::size_t kBytesPerTopic = 3072;
#else
  // 800 bytes a topic allows for the indexes' growth by doubling.
  constexpr std::size_t kSmall = 10'000, kLarge = 100'000;
  constexpr std::size_t kBytesPerTopic = 800;
#endif
  TempDirectory small, large;
  const ChildRun a = runCompiler(writeProject(small, kSmall));
  const ChildRun b = runCompiler(writeProject(large, kLarge));
  ASSERT_EQ(a.status, 0);
  ASSERT_EQ(b.status, 0);
  EXPECT_TRUE(std::filesystem::is_regular_file(large.path() / "many.hlp"));
  // More topics may cost their indexes and nothing else.
  const long indexKiB = static_cast<long>((kLarge - kSmall) * kBytesPerTopic / 1024);
  EXPECT_LT(b.peakKiB - a.peakKiB, indexKiB + 8 * 1024)
      << kSmall << " topics: " << a.peakKiB << " KiB, " << kLarge << " topics: " << b.peakKiB << " KiB";
#if !defined(HCRTF_SANITIZED)
  EXPECT_LT(b.peakKiB, 96 * 1024) << kLarge << " topics";
#endif
}

// The spill file is unlinked as soon as it is made, so neither a finished
// run nor one that stops on an error leaves anything beside the help file.
TEST(StreamingCompileTest, NoScratchFileStaysBehind) {
  TempDirectory dir;
  const std::filesystem::path good = writeProject(dir, 300);
  ASSERT_EQ(runCompiler(good).status, 0);
  // Two context strings with the same hash ('_' and ']' hash alike) are an
  // error: no help file.
  dir.write("clash.rtf", rtfHeader() + "#{\\footnote topic_x}${\\footnote A}A\\par\\page\r\n"
                                       "#{\\footnote topic]x}${\\footnote B}B\\par\\page}");
  std::filesystem::remove(dir.path() / "many.hlp");
  const std::filesystem::path bad = dir.write("bad.hpj", "[OPTIONS]\nHLP=many.hlp\n[FILES]\npart0.rtf\nclash.rtf\nmissing.rtf\n");
  const ChildRun failed = runCompiler(bad);
  EXPECT_NE(failed.status, 0);
  std::vector<std::string> left;
  for (const auto& entry : std::filesystem::directory_iterator(dir.path())) left.push_back(entry.path().filename().string());
  std::sort(left.begin(), left.end());
  EXPECT_EQ(left, (std::vector<std::string>{"bad.hpj", "clash.rtf", "many.hpj", "part0.rtf"}));
}

// A compiler object may compile one project after another; what it learnt
// from the first project's files (here their code page) must not leak into
// the second help file.
TEST(StreamingCompileTest, OneCompilerCompilesProjectsOneAfterAnother) {
  TempDirectory dir;
  dir.write("cyrillic.rtf", "{\\rtf1\\ansi\\ansicpg1251{\\fonttbl\\f0\\fswiss Arial;}\r\n"
                            "#{\\footnote first}${\\footnote First}Text\\par\\page}");
  dir.write("plain.rtf", rtfHeader() + "#{\\footnote second}${\\footnote Second}Text\\par\\page}");
  const auto first = dir.write("first.hpj", "[OPTIONS]\nHLP=first.hlp\n[FILES]\ncyrillic.rtf\n");
  const auto second = dir.write("second.hpj", "[OPTIONS]\nHLP=second.hlp\n[FILES]\nplain.rtf\n");
  hcrtf::compiler::Diagnostics diag(nullptr);
  hcrtf::compiler::Compiler compiler(diag);
  ASSERT_TRUE(compiler.compile(first).written);
  ASSERT_TRUE(compiler.compile(second).written);
  int status = 0;
  const std::string one = runCommand(std::string(HLPDUMP_PATH) + " '" + (dir.path() / "first.hlp").string() + "' --system", status);
  const std::string two = runCommand(std::string(HLPDUMP_PATH) + " '" + (dir.path() / "second.hlp").string() + "' --system", status);
  EXPECT_NE(one.find("charset: 204"), std::string::npos) << one;
  EXPECT_NE(two.find("charset: 0"), std::string::npos) << two;
}

}  // namespace
