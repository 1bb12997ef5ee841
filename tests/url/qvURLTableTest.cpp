#include "url/qvURLTable.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "base/qvDriverSettings.h"

namespace {

class qvURLTableTest : public ::testing::Test {
 protected:
  qvDriverSettings settings;
  qvURLTable table{settings};
};

TEST_F(qvURLTableTest, SpellingsOfOneURLShareOneStatusAndOneTopicName) {
  qvURLStatus* first = table.addURL("HTTP://WWW.Example.com:80/a/./b/../c.html", 0, 0);
  qvURLStatus* second = table.addURL("http://www.example.com/a/c.html", qvURLStatus::kLinkSeed, 3);
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first, second);
  EXPECT_EQ(first->url, "http://www.example.com/a/c.html");
  EXPECT_EQ(first->key, first->url);
  EXPECT_EQ(first->title, first->url);
  EXPECT_EQ(first->documentName, "documentID0");
  EXPECT_EQ(first->depth, 0);
  EXPECT_EQ(first->seedNumber, 0);
  EXPECT_EQ(table.documentCounter(), 1);
  EXPECT_EQ(table.idCounter(), 1);

  qvURLStatus* other = table.addURL("http://www.example.com:8080/a/c.html", 0, 1);
  EXPECT_NE(other, first);
  EXPECT_EQ(other->documentName, "documentID1");
  EXPECT_EQ(other->id, 1);
  EXPECT_EQ(table.find("http://WWW.example.com/a/c.html#x"), first);
  EXPECT_EQ(table.find("http://elsewhere/"), nullptr);
  EXPECT_EQ(table.addURL("http://www.example.com/a/c.html #part", qvURLStatus::kLinkSeed, 1), first);
  EXPECT_EQ(table.size(), 2U);
}

TEST_F(qvURLTableTest, StatusesKeepTheirAddressesAsTheTableGrows) {
  qvURLStatus* first = table.addURL("http://h/0", 0, 0);
  for (int i = 1; i < 5000; ++i) table.addURL("http://h/" + std::to_string(i), 0, 1);
  EXPECT_EQ(table.find("http://h/0"), first);
  EXPECT_EQ(first->url, "http://h/0");
  EXPECT_EQ(table.statusById(4999)->url, "http://h/4999");
  EXPECT_EQ(table.statusById(5000), nullptr);
  EXPECT_EQ(table.statusById(-1), nullptr);
}

TEST_F(qvURLTableTest, TextThatIsNotAURLStillGetsAStatusThatMakeURLMarksBad) {
  for (const std::string& text :
       std::vector<std::string>{"%", "%zz", "http://", "http://h:99999999/", "http://" + std::string(10000, 'h') + "/",
        std::string("http://h/\x01x"), "http://h/" + std::string(100 * 1024, 'x')}) {
    qvURLStatus* status = table.addURL(text, 0, 0);
    ASSERT_NE(status, nullptr) << text.substr(0, 40);
    EXPECT_FALSE(table.makeURL(*status)) << text.substr(0, 40);
    const bool http = text.starts_with("http:");
    EXPECT_EQ(status->badURL, http) << text.substr(0, 40);
  }
}

TEST_F(qvURLTableTest, MakeURLFillsTheDerivedFields) {
  qvURLStatus* status = table.addURL("http://Host.Example:81/dir/page.html?q=a/b", 0, 0);
  const auto url = table.makeURL(*status);
  ASSERT_TRUE(url);
  EXPECT_EQ(status->url, "http://host.example:81/dir/page.html?q=a/b");
  EXPECT_EQ(status->baseURL, "http://host.example:81/dir/");
  EXPECT_EQ(status->startDirectory, "/dir/");
  EXPECT_EQ(status->host, "host.example");

  qvURLStatus* root = table.addURL("http://h", 0, 0);
  ASSERT_TRUE(table.makeURL(*root));
  EXPECT_EQ(root->baseURL, "http://h/");
  EXPECT_EQ(root->startDirectory, "/");

  qvURLStatus* ftp = table.addURL("ftp://h/f", 0, 0);
  EXPECT_FALSE(table.makeURL(*ftp));
  EXPECT_TRUE(ftp->isFTP);
  EXPECT_FALSE(ftp->badURL);

  qvURLStatus* mail = table.addURL("mailto:a@b", 0, 0);
  EXPECT_FALSE(table.makeURL(*mail));
  EXPECT_FALSE(mail->isFTP);
}

TEST_F(qvURLTableTest, RangeIsTheStartDirectoryUnlessSiteWide) {
  qvURLStatus* start = table.addURL("http://Host/dir/index.html", 0, 0);
  ASSERT_TRUE(table.makeURL(*start));
  EXPECT_EQ(start->startDirectory, "/dir/");
  EXPECT_TRUE(qvURLTable::inRange(*start, "http://host/dir/sub/x.html", false));
  EXPECT_TRUE(qvURLTable::inRange(*start, "http://HOST/dir/", false));
  EXPECT_TRUE(qvURLTable::inRange(*start, "http://host/dir", false));
  EXPECT_FALSE(qvURLTable::inRange(*start, "http://host/other.html", false));
  EXPECT_FALSE(qvURLTable::inRange(*start, "http://host/directory/x.html", false));
  EXPECT_TRUE(qvURLTable::inRange(*start, "http://host/other.html", true));
  EXPECT_FALSE(qvURLTable::inRange(*start, "http://www.host/dir/x.html", true));
  EXPECT_FALSE(qvURLTable::inRange(*start, "http://", true));
  EXPECT_FALSE(qvURLTable::inRange(*start, "%zz", true));
}

TEST_F(qvURLTableTest, NewStatusesCopyTheColoursAndTheFrozenFlag) {
  table.mainColour = 0xE2FFFF;
  table.textColour = 0x112233;
  table.linkColour = 0x445566;
  table.vlinkColour = 0x778899;
  table.setLinksFrozen(true);
  qvURLStatus* status = table.addURL("http://h/a", 0, 0);
  EXPECT_EQ(status->mainColour, 0xE2FFFFU);
  EXPECT_EQ(status->textColour, 0x112233U);
  EXPECT_EQ(status->linkColour, 0x445566U);
  EXPECT_EQ(status->vlinkColour, 0x778899U);
  EXPECT_TRUE(status->skippedByUser);
  table.setLinksFrozen(false);
  EXPECT_FALSE(table.addURL("http://h/b", 0, 0)->skippedByUser);
}

TEST_F(qvURLTableTest, PendingStatusesComeLowestIdFirst) {
  std::vector<qvURLStatus*> s;
  for (int i = 0; i < 4; ++i) s.push_back(table.addURL("http://h/" + std::to_string(i), 0, 0));
  EXPECT_TRUE(table.hasPending());
  EXPECT_EQ(table.nextPending(), s[0]);
  table.markActive(*s[0]);
  EXPECT_FALSE(qvURLTable::isPending(*s[0]));
  EXPECT_EQ(table.nextPending(), s[1]);
  table.markActive(*s[0], false);
  table.markDone(*s[0]);
  table.markDone(*s[2]);
  EXPECT_EQ(table.nextPending(), s[1]);
  table.markDone(*s[1]);
  table.markDone(*s[3]);
  EXPECT_FALSE(table.hasPending());
  EXPECT_EQ(table.nextPending(), nullptr);

  table.resetPass();
  EXPECT_TRUE(table.hasPending());
  EXPECT_EQ(table.nextPending(), s[0]);
  EXPECT_FALSE(s[2]->isDone());
}

TEST_F(qvURLTableTest, EnoughMarksWhatIsNotDone) {
  qvURLStatus* done = table.addURL("http://h/done", 0, 0);
  qvURLStatus* active = table.addURL("http://h/active", 0, 0);
  qvURLStatus* waiting = table.addURL("http://h/waiting", 0, 0);
  table.markDone(*done);
  table.markActive(*active);
  table.markEnough();
  EXPECT_FALSE(done->stoppedByEnough);
  EXPECT_TRUE(active->stoppedByEnough);
  EXPECT_TRUE(waiting->stoppedByEnough);
}

TEST_F(qvURLTableTest, ResetRunStartsAFreshRun) {
  qvURLStatus* start = table.addURL("http://h/a", 0, 0);
  table.setStartURL(start);
  table.setCurrentPage(start);
  table.setLinksFrozen(true);
  table.helpIds()["idh_intro"] = 1;
  table.mainColour = 0xC0C0C0;
  table.nonScrollColour = 0xE2FFFF;
  table.linkColour = 1;

  table.resetRun();
  EXPECT_EQ(table.size(), 0U);
  EXPECT_FALSE(table.hasPending());
  EXPECT_EQ(table.startURL(), nullptr);
  EXPECT_EQ(table.currentPage(), nullptr);
  EXPECT_FALSE(table.linksFrozen());
  EXPECT_TRUE(table.helpIds().empty());
  EXPECT_EQ(table.mainColour, 0xFFFFFFU);
  EXPECT_EQ(table.nonScrollColour, 0xFFFFFFU);
  EXPECT_EQ(table.textColour, 0x000000U);
  EXPECT_EQ(table.linkColour, 0x008000U);
  EXPECT_EQ(table.vlinkColour, 0xC08000U);
  EXPECT_EQ(table.find("http://h/a"), nullptr);

  qvURLStatus* again = table.addURL("http://h/a", 0, 0);
  EXPECT_EQ(again->documentName, "documentID0");
  EXPECT_EQ(again->id, 0);
  EXPECT_FALSE(again->skippedByUser);
  EXPECT_EQ(table.nextPending(), again);
}

TEST_F(qvURLTableTest, AnchorNamesAreNumberedPerPageAndCompareWithoutCase) {
  qvURLStatus* page = table.addURL("http://h/a", 0, 0);
  qvURLStatus* other = table.addURL("http://h/b", 0, 0);
  EXPECT_FALSE(table.findAnchorName(*page, "Top"));
  EXPECT_EQ(table.anchorName(*page, "Top"), "nameID0");
  EXPECT_EQ(table.anchorName(*page, "second"), "nameID1");
  EXPECT_EQ(table.anchorName(*page, "TOP"), "nameID0");
  EXPECT_EQ(table.findAnchorName(*page, "top"), "nameID0");
  EXPECT_EQ(table.anchorName(*other, "x"), "nameID0");
}

}  // namespace
