#include <winsock2.h>  // before windows.h

#include <gtest/gtest.h>

#include <thread>

#include "consent.h"
#include "webpage_fixture.h"
#include "wsclient.h"

// A web page asks the session's serving launcher to start a published app over the local
// WebSocket: the user is asked once per page and app, the page hears how the launch goes.
namespace {

using namespace webpage_e2e;
using Texts = std::vector<std::string>;

constexpr int kPort = 26571;
const char kSameProgram[] = "The same program is currently being downloaded. Please refresh the page later.";

bool Listening(int port, DWORD timeoutMs = 30000) {
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    do {
        intake_test::WsClient probe;
        if (probe.Connect(port)) return true;
        Sleep(200);
    } while (GetTickCount64() < deadline);
    return false;
}

std::string Utf8(const std::wstring& text) {
    return std::string(text.begin(), text.end());
}

std::string ReportOf(const std::wstring& appFolder) {
    return nimbo_test::ReadFileText(appFolder + L"\\NimboSample.report.txt");
}

bool WaitForSignalledApp(const std::wstring& appFolder) {
    for (int i = 0; i < 300; ++i, Sleep(100))
        if (ReportOf(appFolder).find("signalled=1") != std::string::npos) return true;
    return false;
}

// The replies of one WebSocket request from `origin`.
Texts Request(const std::string& origin, const std::string& text, DWORD waitMs = 120000) {
    intake_test::WsClient client;
    if (!client.Connect(kPort) || client.Handshake("/", origin).empty()) return {"no connection"};
    client.Send(intake_test::ClientFrame(text));
    return client.ReadTexts(waitMs);
}

TEST(WebPage, APageStartsThePublishedAppOnceTheUserAgrees) {
    HomeScope home;
    SampleDeployment deployment;
    ASSERT_TRUE(deployment.Ready());
    LauncherInstall install(kPort);
    LauncherRun launcher(install, L"-launcher");
    ASSERT_TRUE(launcher.started());
    ASSERT_TRUE(Listening(kPort)) << "the serving launcher listens on the configured port";

    const std::string appUrl = Utf8(deployment.AppUrl());
    PageBrowser page(deployment.AppUrl());
    ASSERT_TRUE(page.Ready());
    const std::string origin = "http://127.0.0.1:" + std::to_string(page.Port());

    HWND question = nimbo_test::WaitForWindow(L"#32770", NimboNS::kConsentCaption, 60000);
    ASSERT_NE(question, nullptr) << page.ChromiumLog();
    const std::wstring asked = nimbo_test::DialogText(question);
    EXPECT_NE(asked.find(std::wstring(origin.begin(), origin.end())), std::wstring::npos) << Utf8(asked);
    EXPECT_NE(asked.find(deployment.AppUrl()), std::wstring::npos) << Utf8(asked);
    // While the first request waits for the answer, the same request again is turned away.
    EXPECT_TRUE(page.WaitForReply("second", kSameProgram, 60000));
    nimbo_test::TakeScreenshot(L"webpage_consent");
    ASSERT_TRUE(nimbo_test::PressButton(question, IDYES));

    ASSERT_TRUE(page.WaitForReply("first", "finish.", 180000))
        << testing::PrintToString(page.Replies("first"));
    Texts replies = page.Replies("first");
    replies.resize(std::min<size_t>(replies.size(), 6));
    ASSERT_EQ(replies.size(), 6u);
    EXPECT_EQ(replies[0].rfind(
                  "Websocket connection between the app launcher and server is established at port ", 0),
              0u);
    EXPECT_EQ(replies[1], "App launcher is accepting data: " + appUrl);
    EXPECT_EQ(replies[2], "Begin to check for updates.");
    EXPECT_EQ(replies[3], "Successfully downloaded the update files.");
    // The name in this reply is the first path segment that a slash ends: none in this URL.
    EXPECT_EQ(replies[4], "The app is started successfully: .");
    EXPECT_EQ(replies[5], "finish.");
    const Texts second = page.Replies("second");
    ASSERT_GE(second.size(), 2u);
    EXPECT_EQ(second[1], kSameProgram);
    EXPECT_TRUE(WaitForSignalledApp(home.AppFolder(L"NimboSample")))
        << ReportOf(home.AppFolder(L"NimboSample"));

    // The answer is remembered for that page and app: the next launch asks nothing.
    const Texts again = Request(origin, appUrl);
    ASSERT_FALSE(again.empty());
    EXPECT_EQ(again.back(), "finish.");
    EXPECT_EQ(again.size(), 6u) << testing::PrintToString(again);
    EXPECT_EQ(nimbo_test::WaitForWindow(L"#32770", NimboNS::kConsentCaption, 500), nullptr);
}

TEST(WebPage, ARefusedPageStartsNothingAndIsNotAskedAgain) {
    HomeScope home;
    SampleDeployment deployment;
    ASSERT_TRUE(deployment.Ready());
    LauncherInstall install(kPort);
    LauncherRun launcher(install, L"-launcher");
    ASSERT_TRUE(Listening(kPort));
    const std::string appUrl = Utf8(deployment.AppUrl());

    Texts replies;
    std::thread page([&] { replies = Request("https://elsewhere.test", appUrl); });
    HWND question = nimbo_test::WaitForWindow(L"#32770", NimboNS::kConsentCaption, 60000);
    EXPECT_NE(question, nullptr);
    if (question != nullptr) {
        EXPECT_NE(nimbo_test::DialogText(question).find(L"https://elsewhere.test"), std::wstring::npos);
        EXPECT_TRUE(nimbo_test::PressButton(question, IDNO));
    }
    page.join();
    ASSERT_EQ(replies.size(), 3u) << testing::PrintToString(replies);
    EXPECT_EQ(replies[1], "App launcher is accepting data: " + appUrl);
    EXPECT_EQ(replies[2], "finish.");
    EXPECT_FALSE(nimbo_test::FolderExists(home.AppFolder(L"NimboSample")));

    const Texts again = Request("https://elsewhere.test", appUrl, 30000);
    EXPECT_EQ(again.size(), 3u) << testing::PrintToString(again);
    EXPECT_FALSE(nimbo_test::FolderExists(home.AppFolder(L"NimboSample")));
    // A command line is never started for a page, and nobody is asked about it.
    const Texts command = Request("https://elsewhere.test", "cmd.exe /c echo x", 30000);
    ASSERT_EQ(command.size(), 3u) << testing::PrintToString(command);
    EXPECT_EQ(command[2], "finish.");
}

}  // namespace
