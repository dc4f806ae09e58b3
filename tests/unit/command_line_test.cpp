#include <gtest/gtest.h>

#include "exchange/command_line.h"

namespace quiltor {
namespace {

using Args = std::vector<Bytes>;

TEST(CommandLine, SplitsLikeTheSystemShell) {
  const struct { Bytes line; Args expected; } cases[] = {
      {"Quiltor.exe", {"Quiltor.exe"}},
      {"\"C:\\Program Files\\Quiltor.exe\" /dsample.edt", {"C:\\Program Files\\Quiltor.exe", "/dsample.edt"}},
      {"q.exe   /L10\t/T20", {"q.exe", "/L10", "/T20"}},
      {"q.exe \x01/a\x1f/b", {"q.exe", "/a", "/b"}},  // control codes separate
      {"q.exe /f\"C:\\my file.txt\"", {"q.exe", "/fC:\\my file.txt"}},
      {"q.exe \"\" /x", {"q.exe", "/x"}},          // "" where an argument begins is skipped
      {"q.exe \"\"\"\" /x", {"q.exe", "/x"}},
      {"q.exe a\"\"b", {"q.exe", "ab"}},           // inside an argument it is an empty quote
      {"q.exe \"a b", {"q.exe", "a b"}},           // an open quote runs to the end
      // A double-byte character whose second byte is a blank-like or quote
      // code does not exist in Shift-JIS, but one whose second byte is 0x5C does.
      {"q.exe /f\x95\x5C\x8e\xa6.txt", {"q.exe", "/f\x95\x5C\x8e\xa6.txt"}},
      {"q.exe \"\x83\x65\x83\x58\x83\x67 x\"", {"q.exe", "\x83\x65\x83\x58\x83\x67 x"}},
      {"q.exe a   ", {"q.exe", "a"}},
      {"", {}},
  };
  for (const auto& c : cases) EXPECT_EQ(SplitCommandLine(c.line), c.expected) << c.line;
  EXPECT_EQ(ArgumentsOf("q.exe /da.edt /fx"), (Args{"/da.edt", "/fx"}));
}

TEST(CommandLine, SwitchIntegers) {
  EXPECT_EQ(ParseSwitchInteger("120"), 120);
  EXPECT_EQ(ParseSwitchInteger("-40"), -40);
  EXPECT_EQ(ParseSwitchInteger("$1F"), 31);
  EXPECT_EQ(ParseSwitchInteger("$ff"), 255);
  for (const Bytes bad : {"", "-", "$", "12a", "0x10", " 1", "99999999999"})
    EXPECT_EQ(ParseSwitchInteger(bad), std::nullopt) << bad;
}

TEST(CommandLine, OwnArgumentsLaterSwitchesWin) {
  const auto own = ParseOwnArguments({"/L10", "/T$20", "/fC:\\a.txt", "/dsub\\x.edt", "/L-5", "/h1234",
                                      "/d", "/l99", "/Zjunk"});
  EXPECT_EQ(own.left, -5);
  EXPECT_EQ(own.top, 32);
  EXPECT_EQ(own.currentFile, "C:\\a.txt");
  EXPECT_EQ(own.dataFile, "sub\\x.edt");  // "/d" alone has no value and is ignored
  EXPECT_EQ(own.linkedEditWindow, 1234u);
  EXPECT_FALSE(own.error);
}

TEST(CommandLine, ANegativeHandleNamesNoWindowAndIsNoError) {
  const auto own = ParseOwnArguments({"/h1234", "/h-1", "/fC:\\a.txt", "/dx.edt"});
  EXPECT_FALSE(own.linkedEditWindow) << "the later, negative handle overrides";
  EXPECT_FALSE(own.error);
  EXPECT_EQ(own.dataFile, "x.edt") << "the rest of the line is still read";
  const Bytes text = "/h-5\n/fC:\\a.txt\n/dother.edt\n";
  const auto forwarded = ParseForwardedCommandLine(kForwardMarker, text.c_str(), text.size() + 1);
  EXPECT_FALSE(forwarded.window);
  EXPECT_FALSE(forwarded.error);
  EXPECT_EQ(forwarded.dataFile, "other.edt");
}

TEST(CommandLine, OwnArgumentThatIsNoIntegerStopsTheReading) {
  const auto own = ParseOwnArguments({"/L10", "/Tabc", "/dx.edt"});
  EXPECT_EQ(own.left, 10);
  EXPECT_EQ(own.error, "abc");
  EXPECT_FALSE(own.dataFile);
}

TEST(CommandLine, ForwardTextAndProgramLine) {
  EXPECT_EQ(BuildForwardText({"/dsample.edt", "/fC:\\a.txt"}), "/dsample.edt\n/fC:\\a.txt\n");
  EXPECT_EQ(BuildForwardText({}), "");
  EXPECT_EQ(BuildProgramCommandLine({"/Pnotepad.exe", "a", "b c"}), "notepad.exe \"a\" \"b c\"");
  EXPECT_EQ(BuildProgramCommandLine({"/P"}), "");
}

ForwardedCommand Parse(const Bytes& text, std::uint64_t marker = kForwardMarker) {
  Bytes withZero = text + '\0';
  return ParseForwardedCommandLine(marker, withZero.data(), withZero.size());
}

TEST(CommandLine, ForwardedLines) {
  auto command = Parse("/h1234\n/fC:\\a.txt\n/dother.edt\n");
  EXPECT_TRUE(command.marked);
  EXPECT_EQ(command.window, 1234u);
  EXPECT_EQ(command.file, "C:\\a.txt");
  EXPECT_EQ(command.dataFile, "other.edt");

  command = Parse("/d\n/fx\n/fy\n/qz\n");  // "/d" alone: an empty value; later lines win
  EXPECT_EQ(command.dataFile, "");
  EXPECT_EQ(command.file, "y");
  EXPECT_FALSE(command.window);

  command = Parse("/dlast-line-without-feed");
  EXPECT_EQ(command.dataFile, "");

  command = Parse("/hzz\n/dx.edt\n");
  EXPECT_EQ(command.error, "zz");
  EXPECT_EQ(command.dataFile, "");

  command = Parse("/dx.edt\n", 0x1234);
  EXPECT_FALSE(command.marked);
  EXPECT_EQ(command.dataFile, "");
  // On 64-bit Windows dwData is pointer-sized; the marker sits in its low half.
  EXPECT_TRUE(Parse("", 0xFFFFFFFFFFFFFFFFull).marked);
}

TEST(CommandLine, MalformedForwardedMessagesAreReadSafely) {
  // cbData 0 / null data: nothing at all.
  EXPECT_EQ(ParseForwardedCommandLine(kForwardMarker, nullptr, 5).file, "");
  char one = 'x';
  EXPECT_EQ(ParseForwardedCommandLine(kForwardMarker, &one, 0).file, "");
  // No terminating zero: the last byte is still never read as part of a line.
  const char noZero[] = {'/', 'f', 'a', '\n', '/', 'd', 'b', '\n'};
  auto command = ParseForwardedCommandLine(kForwardMarker, noZero, sizeof noZero);
  EXPECT_EQ(command.file, "a");
  EXPECT_EQ(command.dataFile, "");
  // A zero inside the text ends it; bytes after it are not lines.
  const char inner[] = "/fa\n\0/db\n";
  command = ParseForwardedCommandLine(kForwardMarker, inner, sizeof inner);
  EXPECT_EQ(command.file, "a");
  EXPECT_EQ(command.dataFile, "");
  // A huge message is refused without being read.
  command = ParseForwardedCommandLine(kForwardMarker, inner, kMaxForwardedBytes + 1);
  EXPECT_TRUE(command.marked);
  EXPECT_EQ(command.file, "");
}

}  // namespace
}  // namespace quiltor
