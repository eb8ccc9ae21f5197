// The command line end to end where Windows differs: names in UTF-16, long paths and text-mode
// standard output.
#include <windows.h>

#include <cstdlib>

#include "cli_test.hpp"
#include "win/wide.hpp"

namespace vdx9::test {
namespace {

TEST_F(CommandLine, StandardOutputEndsLinesWithCrLf) {
  write_file(dir.file("sim.wav"), recording);
  EXPECT_EQ(run({"sim.wav"}).out, "\r\n Convert sim.wav to VDX9 format (vdx9-sim.wav)\r\n\r\n");
}

TEST_F(CommandLine, NamesOutsideTheCodePageAreConvertedAndPrintedAsUtf8) {
  for (const std::string name : {"запись.wav", "录音 1.wav", "\xF0\x9F\x93\xBB.wav"}) {
    write_file(dir.file(name), recording);
    const RunResult r = run({name});
    EXPECT_EQ(r.out, banner(name));
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(read_file(dir.file("vdx9-" + name)).size(), recording.size() - 62) << name;
  }
}

TEST_F(CommandLine, CmdAppendingStandardOutputToTheInputIsRefused) {
  write_file(dir.file("sim.wav"), recording);
  std::filesystem::copy_file(std::filesystem::u8path(program_path()),
                             std::filesystem::u8path(dir.file("vdx9.exe")));
  // std::system runs the line as cmd /c does.
  const std::string line = "cd /d \"" + dir.path() + "\" && vdx9 sim.wav >> sim.wav 2> err.txt";
  EXPECT_EQ(std::system(line.c_str()), 1);
  EXPECT_EQ(read_file(dir.file("sim.wav")), recording);
  EXPECT_EQ(read_file(dir.file("err.txt")), refusal("sim.wav"));
}

TEST(WideNames, EveryNameWindowsAcceptsSurvivesTheRoundTrip) {
  // A lone surrogate is a valid file name on Windows, though not valid UTF-16.
  for (const std::wstring name : {L"a\u00E9\u4E2D", L"\U0001F4FB", L"\xD800x", L"x\xDC00"}) {
    EXPECT_EQ(widen(narrow(name)), name);
  }
  EXPECT_EQ(narrow(L"\u00E9\U0001F4FB"), "\xC3\xA9\xF0\x9F\x93\xBB");
}

TEST(WideNames, LongNamesAreOpenedByTheirExtendedForm) {
  // Wine opens long paths either way; Windows without long paths enabled needs the prefix.
  EXPECT_EQ(system_path("short/rec.wav"), L"short/rec.wav");
  const std::wstring extended = system_path(std::string(300, 'a') + "/rec.wav");
  EXPECT_EQ(extended.substr(0, 4), L"\\\\?\\");
  EXPECT_EQ(extended.substr(extended.size() - 9), L"a\\rec.wav");
}

TEST_F(CommandLine, ShortNamesInDeepFoldersAreOpenedByTheirExtendedForm) {
  std::string deep = dir.path();
  for (int i = 0; deep.size() <= 300; ++i) {
    deep += "/" + std::string(40, static_cast<char>('a' + i));
  }
  std::filesystem::create_directories(std::filesystem::u8path(deep));
  wchar_t old[MAX_PATH];
  ASSERT_NE(GetCurrentDirectoryW(MAX_PATH, old), 0u);
  ASSERT_TRUE(SetCurrentDirectoryW(widen(deep).c_str()));
  const std::wstring path = system_path("x/./y/../rec.wav");
  SetCurrentDirectoryW(old);
  // Resolved as Windows resolves a name without the prefix, which skips that step.
  EXPECT_EQ(path.substr(0, 4), L"\\\\?\\");
  EXPECT_EQ(path.substr(path.size() - 10), L"\\x\\rec.wav");
  EXPECT_EQ(path.find(L'/'), std::wstring::npos);
}

TEST_F(CommandLine, PathsPastTheOldLimitOf260Characters) {
  std::string arg = "level";
  for (int i = 0; i < 8; ++i) {
    arg += "/" + std::string(40, static_cast<char>('a' + i));
  }
  std::filesystem::create_directories(std::filesystem::u8path(dir.file(arg)));
  std::filesystem::create_directories(std::filesystem::u8path(dir.file("vdx9-" + arg)));
  arg += "/rec.wav";
  ASSERT_GT(dir.file(arg).size(), 300u);
  write_file(dir.file(arg), recording);
  const RunResult r = run({arg});
  EXPECT_EQ(r.out, banner(arg));
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(read_file(dir.file("vdx9-" + arg)).size(), recording.size() - 62);
}

}  // namespace
}  // namespace vdx9::test
