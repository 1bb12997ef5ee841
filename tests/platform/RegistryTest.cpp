// The registry file: values of every kind, names without case, atomic
// writes shared by processes, and files that are not ours to overwrite.

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>

#include "../support/TempDirectory.h"
#include "platform/qvRegistry.h"
#include "platform/qvRegistryBatch.h"
#include "platform/qvRegistryFormat.h"

namespace {

const std::string kSettings = "Software\\Lorimund\\Corvane\\v1.1\\Settings";

TEST(Registry, ValuesOfEveryKindSurviveAReread) {
  TempDirectory dir;
  {
    qvRegistry reg(dir / "sub/registry.reg");  // the directory is made on first write
    ASSERT_TRUE(reg.writeString(kSettings, "LastURL", "http://example.org/\"quoted\" \\path"));
    ASSERT_TRUE(reg.writeDword(kSettings, "MaxCacheSize", 0xFFFFFFFFu));
    ASSERT_TRUE(reg.writeBinary(kSettings, "UrlHistory", std::vector<std::uint8_t>(200, 0xAB)));
    ASSERT_TRUE(reg.writeString(kSettings, "Notes", std::string("two\r\nlines\0and a nul", 20)));
    ASSERT_TRUE(reg.writeString(kSettings, "", "the default value"));
  }
  qvRegistry reg(dir / "sub/registry.reg");
  EXPECT_EQ(reg.readString(kSettings, "LastURL"), "http://example.org/\"quoted\" \\path");
  EXPECT_EQ(reg.readDword(kSettings, "MaxCacheSize"), 0xFFFFFFFFu);
  EXPECT_EQ(reg.readBinary(kSettings, "UrlHistory"), std::vector<std::uint8_t>(200, 0xAB));
  EXPECT_EQ(reg.readString(kSettings, "Notes"), std::string("two\r\nlines\0and a nul", 20));
  EXPECT_EQ(reg.readString(kSettings, ""), "the default value");
  // The wrong kind is no value at all.
  EXPECT_FALSE(reg.readDword(kSettings, "LastURL"));
  EXPECT_FALSE(reg.readString(kSettings, "MaxCacheSize"));
  EXPECT_FALSE(reg.readString(kSettings, "Missing"));
  EXPECT_FALSE(reg.readString("Software\\Other", "LastURL"));
  std::string text = TempDirectory::read(dir / "sub/registry.reg");
  EXPECT_EQ(text.rfind("REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Lorimund\\Corvane\\v1.1\\Settings]\r\n", 0), 0u)
      << text;
  EXPECT_NE(text.find("\"MaxCacheSize\"=dword:ffffffff\r\n"), std::string::npos);
}

TEST(Registry, KeyAndValueNamesCompareWithoutCase) {
  TempDirectory dir;
  qvRegistry reg(dir / "registry.reg");
  reg.writeDword("\\SOFTWARE\\lorimund\\Corvane\\V1.1\\settings", "enablecache", 1);
  reg.writeDword(kSettings, "EnableCache", 0);
  EXPECT_EQ(reg.readDword(kSettings, "ENABLECACHE"), 0u);
  std::string text = TempDirectory::read(dir / "registry.reg");
  // One key, one value: the first spelling is kept.
  EXPECT_EQ(text.find("[HKEY_CURRENT_USER", text.find("[HKEY_CURRENT_USER") + 1), std::string::npos);
  EXPECT_NE(text.find("\"enablecache\"=dword:00000000"), std::string::npos) << text;
}

TEST(Registry, KeysAndValuesAreDeleted) {
  TempDirectory dir;
  qvRegistry reg(dir / "registry.reg");
  const std::string urls = "Software\\Lorimund\\Corvane\\v1.1\\Urls";
  reg.writeDword(urls + "\\http://a/", "MaxUrls", 1);
  reg.writeDword(urls + "\\default", "MaxUrls", 2);
  reg.writeDword(kSettings, "FirstRun", 1);
  EXPECT_TRUE(reg.keyExists(urls));  // a key with keys below it exists
  EXPECT_TRUE(reg.keyExists("software\\lorimund"));
  EXPECT_FALSE(reg.keyExists(urls + "\\http://b/"));
  EXPECT_TRUE(reg.deleteValue(kSettings, "firstrun"));
  EXPECT_FALSE(reg.readDword(kSettings, "FirstRun"));
  EXPECT_TRUE(reg.keyExists(kSettings));  // an empty key stays
  EXPECT_TRUE(reg.deleteKey(urls));
  EXPECT_FALSE(reg.keyExists(urls + "\\default"));
  EXPECT_TRUE(reg.keyExists(kSettings));
  EXPECT_TRUE(reg.createKey("Software\\New"));
  EXPECT_TRUE(reg.keyExists("Software\\New"));
  EXPECT_TRUE(reg.errorText().empty());
}

TEST(Registry, HandWrittenFilesAreRead) {
  TempDirectory dir;
  dir.write("registry.reg",
                       "\nREGEDIT4\n; saved by hand\n[HKEY_CURRENT_USER\\Software\\Lorimund\\Corvane\\v1.1\\Settings]\n"
                       "\"HttpProxyPort\"=\"8080\"\n\"NoProxyFor\"=hex:61,62,\\\n   0d,0a\n\"Size\"=dword:14\n"
                       "\"Expand\"=hex(2):25,00\n");
  qvRegistry reg(dir / "registry.reg");
  EXPECT_EQ(reg.readString(kSettings, "HttpProxyPort"), "8080");
  EXPECT_EQ(reg.readBinary(kSettings, "NoProxyFor"), (std::vector<std::uint8_t>{'a', 'b', '\r', '\n'}));
  EXPECT_EQ(reg.readDword(kSettings, "Size"), 20u);
  // A typed binary value keeps its type through a rewrite.
  reg.writeDword(kSettings, "Other", 1);
  EXPECT_NE(TempDirectory::read(dir / "registry.reg").find("\"Expand\"=hex(2):25,00"), std::string::npos);
  EXPECT_TRUE(reg.warningText().empty());
}

TEST(Registry, AFileThatDoesNotParseIsPutAsideNotOverwritten) {
  TempDirectory dir;
  const std::string broken = "REGEDIT4\r\n[HKEY_CURRENT_USER\\Software]\r\n\"Value\"=dword:nothex\r\n";
  dir.write("registry.reg", broken);
  qvRegistry reg(dir / "registry.reg");
  ASSERT_TRUE(reg.writeString(kSettings, "LastURL", "http://x/"));
  EXPECT_EQ(TempDirectory::read(dir / "registry.reg.bad"), broken);
  EXPECT_NE(reg.warningText().find("line 3"), std::string::npos) << reg.warningText();
  EXPECT_NE(reg.warningText().find("registry.reg.bad"), std::string::npos);
  EXPECT_EQ(reg.readString(kSettings, "LastURL"), "http://x/");
  EXPECT_FALSE(reg.takeWarning().empty());
  EXPECT_TRUE(reg.warningText().empty());

  for (const char* bad : {"not a registry\r\n", "REGEDIT4\r\n\"v\"=\"outside a key\"\r\n",
                          "REGEDIT4\r\n[K]\r\n\"v\"=hex:1,2\r\n", "REGEDIT4\r\n[K]\r\n\"v\"=\"open\r\n",
                          "REGEDIT4\r\n[-K]\r\n", "REGEDIT4\r\n[K]\r\n\"v\"=-\r\n"}) {
    qvRegistryDocument doc;
    std::string error;
    EXPECT_FALSE(doc.parse(bad, error)) << bad;
    EXPECT_EQ(error.rfind("line ", 0), 0u) << error;
  }
}

TEST(Registry, TypedBinaryKindsUpToTheLargestIntAreRead) {
  qvRegistryDocument doc;
  std::string error;
  ASSERT_TRUE(doc.parse("REGEDIT4\r\n[K]\r\n\"v\"=hex(7fffffff):01,02\r\n", error)) << error;
  EXPECT_NE(doc.serialise().find("\"v\"=hex(7fffffff):01,02"), std::string::npos) << doc.serialise();
  for (const char* kind : {"ffffffff", "80000000", "8000000a"}) {
    qvRegistryDocument bad;
    const std::string text = std::string("REGEDIT4\r\n[K]\r\n\"v\"=hex(") + kind + "):01\r\n";
    EXPECT_FALSE(bad.parse(text, error)) << kind;
    EXPECT_EQ(error.rfind("line 3", 0), 0u) << error;
  }
}

TEST(Registry, ConcurrentWritersLoseNothing) {
  TempDirectory dir;
  const std::string file = dir / "registry.reg";
  constexpr int kWriters = 4;
  constexpr int kValues = 15;
  std::vector<pid_t> children;
  for (int w = 0; w < kWriters; ++w) {
    pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      qvRegistry reg(file);
      bool ok = true;
      for (int v = 0; v < kValues; ++v) ok = reg.writeDword(kSettings, "w" + std::to_string(w) + "v" + std::to_string(v), v) && ok;
      ::_exit(ok ? 0 : 1);
    }
    children.push_back(pid);
  }
  for (pid_t pid : children) {
    int status = 0;
    ::waitpid(pid, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  qvRegistry reg(file);
  for (int w = 0; w < kWriters; ++w) {
    for (int v = 0; v < kValues; ++v) {
      EXPECT_EQ(reg.readDword(kSettings, "w" + std::to_string(w) + "v" + std::to_string(v)), static_cast<unsigned>(v));
    }
  }
  EXPECT_FALSE(std::filesystem::exists(file + ".bad"));
}

TEST(Registry, ABatchLandsWholeOrNotAtAll) {
  TempDirectory dir;
  const std::string file = dir / "registry.reg";
  qvRegistry reg(file);
  ASSERT_TRUE(reg.writeDword(kSettings, "FirstRun", 1));
  ASSERT_TRUE(reg.writeString("Software\\Old", "Gone", "soon"));
  qvRegistryBatch batch;
  batch.setString(kSettings, "HttpProxyName", "proxy.example.org");
  batch.deleteValue(kSettings, "FirstRun");
  batch.deleteKey("Software\\Old");
  batch.createKey("Software\\Empty");
  ASSERT_TRUE(reg.apply(batch)) << reg.errorText();
  EXPECT_EQ(reg.readString(kSettings, "HttpProxyName"), "proxy.example.org");
  EXPECT_FALSE(reg.readDword(kSettings, "FirstRun"));
  EXPECT_FALSE(reg.keyExists("Software\\Old"));
  EXPECT_TRUE(reg.keyExists("Software\\Empty"));

  // A line break in a key name would break the file's key header for every
  // later reader: the whole batch is refused, the good change with it.
  const std::string before = TempDirectory::read(file);
  qvRegistryBatch bad;
  bad.setDword(kSettings, "MaxUrls", 5);
  bad.setDword("Software\\Urls\\http://x/a\nb", "MaxUrls", 5);
  EXPECT_FALSE(reg.apply(bad));
  EXPECT_NE(reg.errorText().find("control characters"), std::string::npos);
  EXPECT_EQ(TempDirectory::read(file), before);
  EXPECT_FALSE(reg.writeString(kSettings, std::string("tab\there"), "x"));
  EXPECT_FALSE(reg.createKey("Software\\a\rb"));
  EXPECT_EQ(TempDirectory::read(file), before);
}

TEST(Registry, KilledWritersLeaveTheOldOrTheNewFileNeverHalf) {
  TempDirectory dir;
  const std::string file = dir / "registry.reg";
  for (int round = 0; round < 20; ++round) {
    const pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      qvRegistry reg(file);
      for (std::uint32_t n = 1;; ++n) {
        qvRegistryBatch batch;
        batch.setDword(kSettings, "A", n);
        batch.setString(kSettings, "Filler", std::string(4000, 'x'));
        batch.setDword(kSettings, "B", n);
        if (!reg.apply(batch)) ::_exit(1);
      }
    }
    ::usleep(static_cast<useconds_t>(2000 + round * 1500));
    ::kill(pid, SIGKILL);
    int status = 0;
    ::waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the writer stopped by itself";
    qvRegistry reg(file);
    qvRegistryDocument doc;
    ASSERT_TRUE(reg.readDocument(doc)) << reg.errorText();
    EXPECT_EQ(reg.readDword(kSettings, "A"), reg.readDword(kSettings, "B"));
    EXPECT_FALSE(std::filesystem::exists(file + ".bad"));
  }
}

TEST(Registry, UnwritablePlaceIsReportedNotIgnored) {
  TempDirectory dir;
  dir.write("blocker", "a file where a directory should be");
  qvRegistry reg(dir / "blocker/registry.reg");
  EXPECT_FALSE(reg.writeDword(kSettings, "X", 1));
  EXPECT_FALSE(reg.errorText().empty());
}

TEST(Registry, DefaultPathFollowsTheEnvironment) {
  const char* saved = std::getenv("CORVANE_REGISTRY");
  std::string keep = saved ? saved : "";
  ::setenv("CORVANE_REGISTRY", "/tmp/explicit.reg", 1);
  EXPECT_EQ(qvRegistry::defaultPath(), "/tmp/explicit.reg");
  ::unsetenv("CORVANE_REGISTRY");
  ::setenv("XDG_CONFIG_HOME", "/tmp/config", 1);
  EXPECT_EQ(qvRegistry::defaultPath(), "/tmp/config/corvane/registry.reg");
  ::unsetenv("XDG_CONFIG_HOME");
  ::setenv("HOME", "/home/someone", 1);
  EXPECT_EQ(qvRegistry::defaultPath(), "/home/someone/.config/corvane/registry.reg");
  if (saved) ::setenv("CORVANE_REGISTRY", keep.c_str(), 1);
}

}  // namespace
