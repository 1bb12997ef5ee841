#include "net/describeError.h"

#include <gtest/gtest.h>

#include <set>

#include "net/SystemError.h"

TEST(DescribeError, EveryTabledNumberHasItsOwnText) {
  const std::vector<int> numbers = describedNumbers();
  EXPECT_EQ(numbers.size(), 37u + 11u);
  std::set<int> distinctNumbers;
  std::set<std::string> texts;
  for (const int number : numbers) {
    const std::string text = describeError(number);
    EXPECT_FALSE(text.empty()) << number;
    EXPECT_EQ(text.rfind("errorcode", 0), std::string::npos) << number;
    distinctNumbers.insert(number);
    texts.insert(text);
  }
  EXPECT_EQ(distinctNumbers.size(), numbers.size());
  EXPECT_EQ(texts.size(), numbers.size());
}

TEST(DescribeError, StatusCodesCarryTheirClassWord) {
  for (const int number : describedNumbers()) {
    const std::string word = describeStatusClass(number);
    if (number < 100 || number >= 600) {
      EXPECT_EQ(word, "") << number;
      continue;
    }
    const char* const expected[] = {"information", "success", "redirection", "client_error", "server_error"};
    EXPECT_EQ(word, expected[number / 100 - 1]) << number;
  }
}

TEST(DescribeError, UnknownNumbersGiveTheirDistanceFromTheSocketBase) {
  EXPECT_EQ(describeError(307), "errorcode -9693");
  EXPECT_EQ(describeError(10013), "errorcode 13");
  EXPECT_EQ(describeError(-2147483647 - 1), "errorcode -2147493648");
  EXPECT_EQ(describeError(SystemError::fromErrno(EACCES)), "errorcode " + std::to_string(EACCES));
}

TEST(DescribeError, TranslatedErrnoValuesHaveSocketTexts) {
  EXPECT_EQ(describeError(SystemError::fromErrno(ECONNREFUSED)), "Connection refused");
  EXPECT_EQ(describeError(SystemError::fromErrno(ECONNRESET)), "Connection reset by peer");
  EXPECT_EQ(describeError(SystemError::fromErrno(EPIPE)), "Connection unexpectedly closed");
  EXPECT_EQ(describeError(SystemError::fromErrno(ETIMEDOUT)), "Connection timed out");
}
