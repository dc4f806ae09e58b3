// The sample edit modules against the exchange area as the tool creates it.
#include <gtest/gtest.h>
#include <windows.h>

#include <cctype>
#include <string>

#include "exchange/exchange_area.h"
#include "platform/win32/processes.h"
#include "platform/win32/shared_memory.h"

namespace quiltor {
namespace {

std::string WinPath(const std::string& unixPath) {
  std::string path = "Z:" + unixPath;
  for (char& c : path)
    if (c == '/') c = '\\';
  return path;
}

struct ModuleCase {
  const char* name;
  const char* module;
  const char* parameters;
  std::uint32_t bufferSize;
  const char* lineEnd;
  std::string selection;
  std::string before;  // buffer 1 after the run
  std::string after;   // buffer 2 after the run
};

const ModuleCase kCases[] = {
    {"upper ASCII", "upper", "", 1024, "\r\n", "abc Xyz 9!", "ABC XYZ 9!", ""},
    // 0x83 0x61 is one character whose second byte is "a": it stays.
    {"upper double-byte", "upper", "", 1024, "\r\n", "\x83\x61x\x82\xa0q", "\x83\x61X\x82\xa0Q", ""},
    {"upper nothing selected", "upper", "", 1024, "\r\n", "", "", ""},
    {"number CRLF", "number", "", 1024, "\r\n", "one\r\ntwo", "1: one\r\n2: two", ""},
    {"number keeps last line end", "number", "", 1024, "\r\n", "one\r\ntwo\r\n", "1: one\r\n2: two\r\n", ""},
    {"number uses the tool's line end", "number", "", 1024, "\n", "a\r\nb\rc", "1: a\n2: b\n3: c", ""},
    {"number from 10", "number", "10", 1024, "\r\n", "x\r\ny", "10: x\r\n11: y", ""},
    {"number cut to the buffer", "number", "", 16, "\r\n", "aaaa\r\nbbbb\r\ncc", "1: aaaa\r\n2: bbb", ""},
    {"wrap b", "wrap", "b", 1024, "\r\n", "hello", "<b>", "</b>"},
    {"wrap with attributes", "wrap", "a href=x", 1024, "\r\n", "", "<a href=x>", "</a>"},
    {"wrap without tag", "wrap", "", 1024, "\r\n", "hello", "hello", ""},
    {"wrap too long for the buffer", "wrap", "averyveryverylongtagname", 16, "\r\n", "hi", "", ""},
};

class ModulesTest : public ::testing::TestWithParam<ModuleCase> {};

TEST_P(ModulesTest, LeavesItsTextInTheBuffers) {
  const ModuleCase& c = GetParam();
  Win32SharedMemory memory;
  ExchangeArea exchange(memory);
  ASSERT_TRUE(exchange.CreateExchangeBlock());
  exchange.StoreLineEnd(c.lineEnd);
  exchange.StoreBufferSizes(c.bufferSize, c.bufferSize);
  ASSERT_TRUE(exchange.CreateTransferBuffers());
  exchange.Buffer1()->WriteText(c.selection);

  Win32Processes processes;
  const std::string program = WinPath(std::string(QUILTOR_BUILD_DIR "/modules/") + c.module + ".exe");
  std::string commandLine = "\"" + program + "\"";
  if (*c.parameters) commandLine += std::string(" ") + c.parameters;
  std::unique_ptr<Process> process = processes.Start(commandLine);
  ASSERT_TRUE(process) << program;
  ASSERT_TRUE(process->Wait(20000));

  EXPECT_EQ(exchange.Buffer1()->ReadText(), c.before);
  EXPECT_EQ(exchange.Buffer2()->ReadText(), c.after);
  // Whatever a module writes stays terminated inside its buffer.
  EXPECT_LT(exchange.Buffer1()->ReadText().size(), exchange.Buffer1()->Size());
  EXPECT_LT(exchange.Buffer2()->ReadText().size(), exchange.Buffer2()->Size());
}

INSTANTIATE_TEST_SUITE_P(Samples, ModulesTest, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<ModuleCase>& moduleCase) {
                           std::string name;
                           for (const char* p = moduleCase.param.name; *p; ++p)
                             name += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
                           return name;
                         });

TEST(ModulesWithoutTool, EndWithoutTouchingAnything) {
  // No exchange area exists when the tool is not running.
  Win32Processes processes;
  std::unique_ptr<Process> process =
      processes.Start("\"" + WinPath(QUILTOR_BUILD_DIR "/modules/upper.exe") + "\"");
  ASSERT_TRUE(process);
  EXPECT_TRUE(process->Wait(20000));
}

}  // namespace
}  // namespace quiltor
