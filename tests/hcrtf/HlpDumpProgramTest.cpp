// hlpdump as a program: exit codes, options and files it writes.

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "../support/TempDirectory.h"

namespace {

const std::string kSample = std::string(HCRTF_TESTDATA_DIR) + "/winfile.hlp";

struct ProgramRun {
  int status = -1;
  std::string out;
};

ProgramRun run(const std::string& arguments) {
  const std::string command = std::string(HLPDUMP_PATH) + " " + arguments + " 2>&1";
  ProgramRun r;
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return r;
  std::array<char, 4096> buffer;
  std::size_t n;
  while ((n = fread(buffer.data(), 1, buffer.size(), pipe)) > 0) r.out.append(buffer.data(), n);
  const int raw = pclose(pipe);
  r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  return r;
}


TEST(HlpDumpProgram, UsageAndUnreadableFiles) {
  EXPECT_EQ(run("").status, 2);
  EXPECT_EQ(run("--bogus x.hlp").status, 2);
  const TempDirectory temp;
  const std::string dir = temp.path().string();
  const ProgramRun missing = run(dir + "/none.hlp");
  EXPECT_EQ(missing.status, 2);
  EXPECT_NE(missing.out.find("cannot open"), std::string::npos);
  std::ofstream(dir + "/junk.hlp") << "this is not a help file at all";
  const ProgramRun junk = run(dir + "/junk.hlp");
  EXPECT_EQ(junk.status, 2);
  EXPECT_NE(junk.out.find("not a help file"), std::string::npos);
}

TEST(HlpDumpProgram, SampleFileSectionsNamesAndPictures) {
  if (!std::filesystem::exists(kSample)) GTEST_SKIP() << kSample << " is not there";
  const ProgramRun all = run(kSample);
  EXPECT_EQ(all.status, 0) << all.out;
  EXPECT_EQ(all.out.find("error:"), std::string::npos);

  const ProgramRun system = run(kSample + " --system");
  EXPECT_EQ(system.status, 0);
  EXPECT_NE(system.out.find("title: \"File Manager Help\""), std::string::npos);
  EXPECT_EQ(system.out.find("[topics]"), std::string::npos);

  // A context string resolves wherever its hash appears.
  const TempDirectory temp;
  const std::string dir = temp.path().string();
  std::ofstream(dir + "/names.txt") << "1B9K0IE\r\nunused\n";
  const ProgramRun context = run(kSample + " --context --names " + dir + "/names.txt");
  EXPECT_NE(context.out.find("0x1877F9CB \"1B9K0IE\" -> 0x00000335 topic 1 \"Changing Display Options\""),
            std::string::npos)
      << context.out;

  const ProgramRun pictures = run(kSample + " --pictures " + dir + " --ppm");
  EXPECT_EQ(pictures.status, 0) << pictures.out;
  int written = 0;
  for (const auto& e : std::filesystem::directory_iterator(dir)) written += e.path().extension() == ".ppm";
  EXPECT_EQ(written, 11);
  std::ifstream bullet(dir + "/bm0-0.ppm", std::ios::binary);
  std::string head;
  std::getline(bullet, head);
  EXPECT_EQ(head, "P6");
}

}  // namespace
