#include "engine/run/console.hpp"

#include <gtest/gtest.h>

#include <sstream>

namespace kova {
namespace {

struct Asked {
  std::optional<std::int32_t> answer;
  std::string shown;
};

Asked ask(const std::string& typed) {
  std::istringstream in(typed);
  std::ostringstream out;
  Asked asked;
  asked.answer = ask_maximum_biclusters(in, out);
  asked.shown = out.str();
  return asked;
}

const std::string kPrompt = "Enter maximum number of biclusters\r\n";

TEST(AskMaximum, ReadsOneIntegerAfterAnyWhiteSpace) {
  EXPECT_EQ(ask("10\n").answer, 10);
  EXPECT_EQ(ask("10\n").shown, kPrompt);
  EXPECT_EQ(ask("\n\n   \t 7").answer, 7);  // empty lines keep it waiting, no new prompt
  EXPECT_EQ(ask("\n\n   \t 7").shown, kPrompt);
  EXPECT_EQ(ask("-3\n").answer, -3);
  EXPECT_EQ(ask("0").answer, 0);
  EXPECT_EQ(ask("25abc\n").answer, 25);  // the integer ends where it cannot go on
}

TEST(AskMaximum, AnAnswerThatIsNoIntegerIsExplainedAndAskedAgain) {
  const Asked asked = ask("many\nten 10\n12\n");
  EXPECT_EQ(asked.answer, 12);
  EXPECT_EQ(asked.shown, kPrompt + "Please type a whole number, such as 100.\r\n" + kPrompt +
                             "Please type a whole number, such as 100.\r\n" + kPrompt);
  const Asked large = ask("99999999999\n5\n");
  EXPECT_EQ(large.answer, 5);
  EXPECT_NE(large.shown.find("That number is too large"), std::string::npos);
}

TEST(AskMaximum, TheRestOfTheAnswersLineGoesWithIt) {
  // Otherwise its line end would be taken as the Enter that closes the console window.
  std::istringstream in("10 or so\r\nnext\n");
  std::ostringstream out;
  EXPECT_EQ(ask_maximum_biclusters(in, out), 10);
  std::string rest;
  std::getline(in, rest);
  EXPECT_EQ(rest, "next");
}

TEST(AskMaximum, TheEndOfInputGivesNoAnswer) {
  EXPECT_FALSE(ask("").answer.has_value());
  EXPECT_FALSE(ask("  \n").answer.has_value());
  EXPECT_FALSE(ask("abc").answer.has_value());
  EXPECT_FALSE(ask("-").answer.has_value());
}

}  // namespace
}  // namespace kova
