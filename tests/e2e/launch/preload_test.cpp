#include "launch_fixture.h"
#include "process_window.h"
#include "scwconv.h"

// The preload commands of a deployment run once per publication (UpdateGuid): not again at the
// next launch of the same publication, again after the version was published anew or another
// version was chosen. The newer-version question is answered by pressing its buttons.
namespace {

using namespace launch_e2e;
using NimboNS::WideToUtf8;

// Each run appends the folder the commands run in and a second line, to a file outside the app
// folder (which an update to another version replaces).
constexpr char kPreloadApp[] = R"(, "Arguments": "-autoclose=300",
    "PreloadEventCommands": ["cd>>%LOCALAPPDATA%\\preload.txt", "echo second>>%LOCALAPPDATA%\\preload.txt"])";

class PreloadCommands : public LaunchTest {
protected:
    // The lines the commands have written so far.
    std::vector<std::string> Lines() const {
        std::vector<std::string> lines;
        const std::string text = nimbo_test::ReadFileText(user_->localAppData() + L"\\preload.txt");
        size_t start = 0;
        for (size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
            std::string line = text.substr(start, end - start);
            while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
            lines.push_back(line);
        }
        return lines;
    }
    std::wstring Executed() const {
        IniSections ini;
        ReadUtf16Ini(AppFolder(L"LaunchPreload") + L"\\kxapp.ini", ini);
        return ini[L"dwcenter"][L"preloadEvent_Executed"];
    }
    // A launch that is asked whether to take the newer version; `answer` is IDYES or IDNO.
    void LaunchAnswering(int answer) {
        ForgetReport();
        auto process = StartLaunch(AppUrl(L"LaunchPreload"));
        HWND box = e2e::WaitForProcessWindow(process->id(), L"#32770", L"Information", 60000);
        ASSERT_NE(box, nullptr) << LauncherLog();
        EXPECT_NE(nimbo_test::DialogText(box).find(L"The app has newer version(s) on the server."),
                  std::wstring::npos)
            << WideToUtf8(nimbo_test::DialogText(box));
        EXPECT_TRUE(nimbo_test::PressButton(box, answer));
        Result run = process->Wait(90000);
        EXPECT_EQ(run.exitCode, 0u) << run.output << LauncherLog();
    }
    void LaunchPlainly() {
        ForgetReport();
        Result run = Launch(AppUrl(L"LaunchPreload"));
        EXPECT_EQ(run.exitCode, 0u) << run.output << LauncherLog();
    }
    void ForgetReport() const {
        DeleteFileW((AppFolder(L"LaunchPreload") + L"\\NimboSample.report.txt").c_str());
    }
    std::string StartedVersion() {
        const std::string version = ReportOnceReady(AppFolder(L"LaunchPreload"))["version"];
        WaitForProgramsToEnd(AppFolder(L"LaunchPreload"));
        return version;
    }
};

TEST_F(PreloadCommands, RunOncePerPublication) {
    PublishBaseAndServe();
    ASSERT_TRUE(PublishSample("LaunchPreload", "1.0.0", kPreloadApp));
    const std::string app = WideToUtf8(AppFolder(L"LaunchPreload"));
    const std::vector<std::string> once = {app, "second"};

    LaunchPlainly();
    EXPECT_EQ(StartedVersion(), "1.0.0");
    EXPECT_EQ(Lines(), once);
    const std::wstring firstGuid = Executed();
    EXPECT_EQ(WideToUtf8(firstGuid), InstalledUpdateGuid(AppFolder(L"LaunchPreload")));

    LaunchPlainly();
    EXPECT_EQ(StartedVersion(), "1.0.0");
    EXPECT_EQ(Lines(), once) << "the commands ran again for the same publication";

    // The same version published anew has a new UpdateGuid.
    ASSERT_TRUE(PublishSample("LaunchPreload", "1.0.0", kPreloadApp));
    LaunchPlainly();
    EXPECT_EQ(StartedVersion(), "1.0.0");
    std::vector<std::string> expected = {app, "second", app, "second"};
    EXPECT_EQ(Lines(), expected);
    const std::wstring secondGuid = Executed();
    EXPECT_NE(secondGuid, firstGuid);

    // A newer version: the user first keeps the installed one, then takes the newer one.
    ASSERT_TRUE(PublishSample("LaunchPreload", "1.1.0", kPreloadApp));
    LaunchAnswering(IDNO);
    EXPECT_EQ(StartedVersion(), "1.0.0");
    EXPECT_EQ(Lines(), expected);
    EXPECT_EQ(Executed(), secondGuid);

    LaunchAnswering(IDYES);
    EXPECT_EQ(StartedVersion(), "1.1.0");
    expected.insert(expected.end(), {app, "second"});
    EXPECT_EQ(Lines(), expected);
    EXPECT_NE(Executed(), secondGuid);
    EXPECT_EQ(WideToUtf8(Executed()), InstalledUpdateGuid(AppFolder(L"LaunchPreload")));
}

}  // namespace
