#include "launcher/launcher.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "fakes/fake_launcher_ports.h"

namespace petariko {
namespace {

using testing::FakeLauncherPorts;

struct SplitCase {
  const char* name;
  std::wstring line;
  std::set<std::wstring> files;
  std::wstring expected_file;
  std::optional<std::wstring> expected_parameters;  // as handed to the shell
  std::vector<std::wstring> expected_searches;
};

class SplitTest : public ::testing::TestWithParam<SplitCase> {};

TEST_P(SplitTest, FindsFileAndQuotesTheRest) {
  const SplitCase& c = GetParam();
  FakeLauncherPorts ports;
  ports.files = c.files;
  cExecute launcher(ports);
  EXPECT_TRUE(launcher.ShellX(c.line, 1, 0, false));
  ASSERT_EQ(ports.shell_requests.size(), 1u);
  EXPECT_EQ(ports.shell_requests[0].file, c.expected_file);
  EXPECT_EQ(ports.shell_requests[0].parameters, c.expected_parameters);
  EXPECT_EQ(ports.searched, c.expected_searches);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, SplitTest,
    ::testing::Values(
        SplitCase{"WholeLineIsAFileWithSpaces",
                  L"C:\\Program Files\\Tool\\tool.exe",
                  {L"C:\\Program Files\\Tool\\tool.exe"},
                  L"C:\\Program Files\\Tool\\tool.exe",
                  std::nullopt,
                  {L"C:\\Program Files\\Tool\\tool.exe"}},
        SplitCase{"ProgramWithSpacesThenDocumentWithSpaces",
                  L"C:\\My Apps\\ed.exe C:\\My Docs\\a b.txt",
                  {L"C:\\My Apps\\ed.exe"},
                  L"C:\\My Apps\\ed.exe",
                  L"\"C:\\My Docs\\a b.txt\"",
                  {L"C:\\My Apps\\ed.exe C:\\My Docs\\a b.txt", L"C:\\My Apps\\ed.exe C:\\My Docs\\a",
                   L"C:\\My Apps\\ed.exe C:\\My", L"C:\\My Apps\\ed.exe"}},
        SplitCase{"LongestFindablePieceWins",
                  L"C:\\a b c",
                  {L"C:\\a", L"C:\\a b"},
                  L"C:\\a b",
                  L"\"c\"",
                  {L"C:\\a b c", L"C:\\a b"}},
        SplitCase{"BareNameWithoutExtensionIsNotSplit",
                  L"notepad readme.txt",
                  {L"notepad.exe"},
                  L"notepad readme.txt",
                  std::nullopt,
                  {L"notepad readme.txt", L"notepad"}},
        SplitCase{"LineEndingInSpaceAfterFilePassesEmptyQuotes",
                  L"C:\\tool.exe ",
                  {L"C:\\tool.exe"},
                  L"C:\\tool.exe",
                  L"\"\"",
                  {L"C:\\tool.exe ", L"C:\\tool.exe"}},
        SplitCase{"NoSpaceNotFound", L"C:\\missing.exe", {}, L"C:\\missing.exe", std::nullopt, {L"C:\\missing.exe"}},
        SplitCase{"OnlySpaceAtFirstPositionTriesNoPiece", L" x", {L""}, L" x", std::nullopt, {L" x"}},
        SplitCase{"SpaceAtSecondPositionTriesTheFirstCharacter", L"  x", {L" "}, L" ", L"\"x\"", {L"  x", L" "}},
        SplitCase{
            "PieceEndingAtTheFirstSpaceIsTriedLast", L"a b c", {L"a"}, L"a", L"\"b c\"", {L"a b c", L"a b", L"a"}},
        SplitCase{"AllSpacesTriesEveryPieceButTheEmptyOne", L"   ", {L" "}, L" ", L"\" \"", {L"   ", L"  ", L" "}},
        SplitCase{"QuotesAtStartMiddleAndEndAreOrdinaryCharacters",
                  L"\"C:\\a b.exe\" \"x y\"",
                  {L"\"C:\\a b.exe\""},
                  L"\"C:\\a b.exe\"",
                  L"\"\"x y\"\"",
                  {L"\"C:\\a b.exe\" \"x y\"", L"\"C:\\a b.exe\" \"x", L"\"C:\\a b.exe\""}},
        SplitCase{
            "EverythingAfterTheOneSpaceIsTheParameter", L"a  b", {L"a"}, L"a", L"\" b\"", {L"a  b", L"a ", L"a"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(LauncherTest, ShellRequestCarriesShowStateAndOwnerAndHidesFirst) {
  FakeLauncherPorts ports;
  cExecute launcher(ports);
  EXPECT_TRUE(launcher.ShellX(L"C:\\x.exe", 3, 0x1234, false));
  ASSERT_EQ(ports.shell_requests.size(), 1u);
  EXPECT_EQ(ports.shell_requests[0].show, 3);
  EXPECT_EQ(ports.shell_requests[0].owner, 0x1234u);
  EXPECT_FALSE(ports.shell_requests[0].keep_process);
  EXPECT_EQ(ports.calls.front(), L"hide");
  EXPECT_TRUE(ports.closed.empty());
}

TEST(LauncherTest, FallbackRunsTheWholeUnsplitLine) {
  FakeLauncherPorts ports;
  ports.files = {L"C:\\a.exe"};
  ports.shell_ok = false;
  ports.run_process_id = 77;
  cExecute launcher(ports);
  EXPECT_TRUE(launcher.ShellX(L"C:\\a.exe x y", 1, 0, false));
  EXPECT_EQ(ports.shell_requests[0].file, L"C:\\a.exe");
  EXPECT_EQ(ports.calls.back(), L"run:C:\\a.exe x y");
}

TEST(LauncherTest, BothWaysFailingReturnsFalseButStillHides) {
  FakeLauncherPorts ports;
  ports.shell_ok = false;
  ports.run_process_id = 0;
  cExecute launcher(ports);
  EXPECT_FALSE(launcher.ShellX(L"nothing here", 1, 0, true));
  EXPECT_FALSE(launcher.UserDeclined());  // a failure the user is told of
  EXPECT_EQ(ports.calls.front(), L"hide");
  EXPECT_TRUE(ports.sleeps.empty());  // nothing started, nothing to wait for
}

TEST(LauncherTest, AShellPromptTheUserSaidNoToIsNoFailure) {
  FakeLauncherPorts ports;
  ports.shell_ok = false;
  ports.shell_declined = true;
  cExecute launcher(ports);
  EXPECT_FALSE(launcher.ShellX(L"C:\\admin.exe", 1, 0, false));
  EXPECT_TRUE(launcher.UserDeclined());
}

TEST(LauncherTest, LinesTheSystemWouldMisreadStartNothing) {
  const std::wstring lines[] = {std::wstring(40000, L'a'), std::wstring(kMaxCommandLine + 1, L' '),
                                std::wstring(L"C:\\a.exe\0C:\\evil.exe", 20), L""};
  for (const auto& line : lines) {
    FakeLauncherPorts ports;
    ports.files = {L"C:\\a.exe"};
    ports.run_process_id = 5;
    cExecute launcher(ports);
    EXPECT_FALSE(launcher.ShellX(line, 1, 0, false)) << line.size();
    EXPECT_EQ(ports.calls, std::vector<std::wstring>{L"hide"}) << line.size();
  }
}

TEST(LauncherTest, ANameTooLongForTheShellIsRunThePlainWay) {
  for (const std::size_t length : {kMaxShellFile, kMaxShellFile + 1}) {
    const std::wstring name = L"C:\\" + std::wstring(length - 7, L'd') + L".exe";
    FakeLauncherPorts ports;
    ports.files = {name};
    ports.run_process_id = 0;
    cExecute launcher(ports);
    EXPECT_EQ(launcher.ShellX(name, 1, 0, false), length == kMaxShellFile) << length;
    EXPECT_EQ(ports.shell_requests.size(), length == kMaxShellFile ? 1u : 0u) << length;
    EXPECT_EQ(ports.calls.back(), length == kMaxShellFile ? L"shell" : L"run:" + name) << length;
  }
}

TEST(LauncherTest, AFailedLineIsNamedWholeUpTo241CharactersAndByItsEndsBeyond) {
  for (const std::size_t length : {241u, 242u}) {
    std::wstring line;
    for (std::size_t i = 0; i < length; ++i) line += static_cast<wchar_t>(L'a' + i % 26);
    const std::wstring text = LaunchFailedText(line);
    EXPECT_EQ(text.substr(0, text.find(L'\r')), L"プログラムを起動できませんでした。");
    EXPECT_EQ(text.substr(text.find(L'\n') + 1),
              length == 241 ? line : line.substr(0, 120) + L"…" + line.substr(length - 120))
        << length;
  }
}

TEST(LauncherTest, LongestAcceptedLineIsStillSplit) {
  std::wstring line = L"C:\\a.exe " + std::wstring(kMaxCommandLine - 9, L'p');
  ASSERT_EQ(line.size(), kMaxCommandLine);
  FakeLauncherPorts ports;
  ports.files = {L"C:\\a.exe"};
  cExecute launcher(ports);
  EXPECT_TRUE(launcher.ShellX(line, 1, 0, false));
  ASSERT_EQ(ports.shell_requests.size(), 1u);
  EXPECT_EQ(ports.shell_requests[0].file, L"C:\\a.exe");
}

TEST(LauncherWaitTest, ShellProcessIsPolledEvery100MsUntilItEndsThenClosed) {
  FakeLauncherPorts ports;
  ports.shell_process = 42;
  ports.exit_codes = {kStillActive, kStillActive, 0u};
  cExecute launcher(ports);
  EXPECT_TRUE(launcher.ShellX(L"C:\\x.exe", 1, 0, true));
  EXPECT_TRUE(ports.shell_requests[0].keep_process);
  EXPECT_EQ(ports.sleeps, (std::vector<int>{100, 100, 100}));
  EXPECT_EQ(ports.closed, std::vector<ProcessRef>{42});
  // Each pass reads, lets events run, then sleeps.
  const std::vector<std::wstring> pass = {L"exitcode:42", L"pump", L"sleep"};
  std::vector<std::wstring> expected = {L"hide", L"find", L"shell"};
  for (int i = 0; i < 3; ++i) expected.insert(expected.end(), pass.begin(), pass.end());
  expected.push_back(L"close");
  EXPECT_EQ(ports.calls, expected);
}

TEST(LauncherWaitTest, FallbackOpensTheProcessByIdAndWaits) {
  FakeLauncherPorts ports;
  ports.shell_ok = false;
  ports.run_process_id = 900;
  ports.opened_process = 7;
  ports.exit_codes = {kStillActive, 3u};
  cExecute launcher(ports);
  EXPECT_TRUE(launcher.ShellX(L"prog", 1, 0, true));
  EXPECT_EQ(ports.sleeps.size(), 2u);
  EXPECT_EQ(ports.closed, std::vector<ProcessRef>{7});
  EXPECT_NE(std::find(ports.calls.begin(), ports.calls.end(), L"open:900"), ports.calls.end());
}

TEST(LauncherWaitTest, UnreadableProcessEndsAfterOnePass) {
  // A shell that opened a document in a running program gives no process handle.
  FakeLauncherPorts ports;
  ports.shell_process = 0;
  cExecute launcher(ports);
  EXPECT_TRUE(launcher.ShellX(L"doc.txt", 1, 0, true));
  EXPECT_EQ(ports.sleeps.size(), 1u);
  EXPECT_TRUE(ports.closed.empty());
}

TEST(LauncherWaitTest, FailedQueryKeepsLastCodeAndStillEndsWhenProcessEnds) {
  FakeLauncherPorts ports;
  ports.shell_process = 9;
  ports.exit_codes = {kStillActive, std::nullopt, 0u};
  cExecute launcher(ports);
  EXPECT_TRUE(launcher.ShellX(L"C:\\x.exe", 1, 0, true));
  EXPECT_EQ(ports.sleeps.size(), 3u);
}

TEST(LauncherWaitTest, DestroyingTheLauncherDuringTheWaitEndsItAndClosesTheHandle) {
  FakeLauncherPorts ports;
  ports.shell_process = 42;
  ports.exit_codes = {kStillActive, kStillActive, kStillActive, kStillActive};
  auto launcher = std::make_unique<cExecute>(ports);
  int pumps = 0;
  ports.on_pump = [&] {
    if (++pumps == 2) launcher.reset();  // an event handled during the wait releases it
  };
  EXPECT_TRUE(launcher->ShellX(L"C:\\x.exe", 1, 0, true));
  EXPECT_EQ(pumps, 2);
  EXPECT_EQ(ports.closed, std::vector<ProcessRef>{42});
}

}  // namespace
}  // namespace petariko
