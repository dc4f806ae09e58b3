#include "delivery/escapes.h"

#include <gtest/gtest.h>

namespace quiltor {
namespace {

struct EscapeCase {
  const char* name;
  Bytes input;
  Bytes lineEnd;
  Bytes expected;
};

class ExpandEscapesTest : public ::testing::TestWithParam<EscapeCase> {};

TEST_P(ExpandEscapesTest, Expands) {
  const EscapeCase& c = GetParam();
  EXPECT_EQ(ExpandEscapes(c.input, c.lineEnd), c.expected) << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ExpandEscapesTest,
    ::testing::Values(
        EscapeCase{"empty", "", "\r\n", ""},
        EscapeCase{"blank", "a\\sb", "\r\n", "a b"},
        EscapeCase{"lone trailing backslash kept", "ab\\", "\r\n", "ab\\"},
        EscapeCase{"double backslash then n is not a line end", "\\\\n", "\r\n", "\\n"},
        EscapeCase{"three backslashes then n", "\\\\\\n", "\r\n", "\\\r\n"},
        EscapeCase{"unknown escape copied", "\\x", "\r\n", "\\x"},
        EscapeCase{"upper-case letters are no escapes", "\\N\\T\\S", "\r\n", "\\N\\T\\S"},
        EscapeCase{"LF line end", "1\\n2", "\n", "1\n2"},
        EscapeCase{"CR line end", "1\\n2", "\r", "1\r2"},
        EscapeCase{"CRLF line end", "1\\n2", "\r\n", "1\r\n2"},
        EscapeCase{"quotes", "\\Qtext\\Q \\qx\\q", "\r\n", "\"text\" 'x'"},
        EscapeCase{"tab", "a\\tb", "\r\n", "a\tb"},
        // Byte-wise scan: the second byte 0x5C of a double-byte character
        // starts an escape when an escape letter follows.
        EscapeCase{"double-byte 0x5C trail", "\x95\x5Cn", "\n", "\x95\n"},
        EscapeCase{"double-byte 0x5C trail, no escape letter", "\x95\x5C" "a", "\n", "\x95\x5C" "a"}),
    [](const auto& testCase) { return "case" + std::to_string(testCase.index); });

struct PlaceholderCase {
  Bytes pattern;
  Bytes expected;
};

TEST(ExpandPlaceholderTest, ReplacesAndCollapsesPercents) {
  const PlaceholderCase cases[] = {
      {"%f", "R"},
      {"-x %f -y %f", "-x R -y R"},
      {"100%% %f", "100% R"},
      {"%f %%", "R %"},
      {"%%f", "%f"},
      {"%%%f", "%R"},
      {"no placeholder", "no placeholder"},
      {"", ""},
  };
  for (const PlaceholderCase& c : cases) EXPECT_EQ(ExpandPlaceholder(c.pattern, "%f", "R"), c.expected) << c.pattern;
}

TEST(ExpandPlaceholderTest, ReplacementIsNotScannedAgain) {
  EXPECT_EQ(ExpandPlaceholder("<%f>", "%f", "%f%%"), "<%f%%>");
}

TEST(DoubleAmpersandsTest, DoublesEach) {
  EXPECT_EQ(DoubleAmpersands("A&B&&C"), "A&&B&&&&C");
  EXPECT_EQ(DoubleAmpersands("&"), "&&");
  EXPECT_EQ(DoubleAmpersands("none"), "none");
}

}  // namespace
}  // namespace quiltor
