// The update engine in a process of its own: without kxhttpclient.dll the run ends with the
// reason in its log before anything is transferred; beside "LauncherSetup.ini" the progress
// window paints its background picture.
#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "engine/update.h"
#include "harness.h"
#include "nimbo/gdiplus.h"
#include "run_fixture.h"
#include "scwconv.h"

namespace {

using namespace NimboNS;
using nimbo_test::Quote;
using nimbo_test::TempFolder;

// A copy of the host with the given DLLs of the bin folder, in a folder of its own.
std::wstring CopyHost(const TempFolder& folder, const std::vector<std::wstring>& dlls) {
    CopyFileW((nimbo_test::TestsFolder() + L"\\update_host.exe").c_str(),
              (folder / L"update_host.exe").c_str(), FALSE);
    for (const std::wstring& dll : dlls)
        CopyFileW((nimbo_test::BinFolder() + L"\\" + dll).c_str(), (folder / dll).c_str(), FALSE);
    return folder / L"update_host.exe";
}

// The environment of this process without the bin folder on its search path.
std::vector<wchar_t> EnvironmentWithoutBin() {
    std::vector<wchar_t> block;
    wchar_t* strings = GetEnvironmentStringsW();
    for (const wchar_t* p = strings; *p != 0; p += wcslen(p) + 1) {
        std::wstring entry = p;
        if (_wcsnicmp(entry.c_str(), L"WINEPATH=", 9) == 0) continue;
        if (_wcsnicmp(entry.c_str(), L"PATH=", 5) == 0) entry = L"PATH=C:\\windows\\system32;C:\\windows";
        block.insert(block.end(), entry.begin(), entry.end());
        block.push_back(0);
    }
    FreeEnvironmentStringsW(strings);
    block.push_back(0);
    return block;
}

HANDLE StartWithout(const std::wstring& commandLine, const std::wstring& folder) {
    std::vector<wchar_t> line(commandLine.begin(), commandLine.end());
    line.push_back(0);
    std::vector<wchar_t> environment = EnvironmentWithoutBin();
    STARTUPINFOW startup{sizeof(startup)};
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, CREATE_UNICODE_ENVIRONMENT,
                        environment.data(), folder.c_str(), &startup, &process))
        return nullptr;
    CloseHandle(process.hThread);
    return process.hProcess;
}

std::string NewestLog(const TempFolder& folder) {
    WIN32_FIND_DATAW found{};
    HANDLE find = FindFirstFileW((folder / L"log\\*.log").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE) return "";
    std::wstring newest;
    do {
        if (newest.empty() || wcscmp(found.cFileName, newest.c_str()) > 0) newest = found.cFileName;
    } while (FindNextFileW(find, &found));
    FindClose(find);
    return nimbo_test::ReadFileText(folder / (L"log\\" + newest));
}

TEST(Host, WithoutTheHttpLibraryTheRunEndsWithItsReasonBeforeAnyTransfer) {
    struct Case {
        const char* name;
        const char* description;  // members of the published description
        bool installFirst;
    };
    const Case cases[] = {
        {"first install", "", false},
        // Never with the expiry check: the server check is skipped, the engine itself stops.
        {"installed, Never with expiry check", R"(, "StartMode": "Never", "IsVerOffCheck": true)", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        run_test::RunFixture f;
        ASSERT_TRUE(f.deployment.PublishStandard(c.description));
        ASSERT_TRUE(f.Serve());
        if (c.installFirst) ASSERT_EQ(f.RunUpdate(f.AppUrl()), 0) << f.Log();
        const size_t requestsBefore = f.ServerLog().size();

        TempFolder folder;
        const std::wstring host = CopyHost(folder, {L"kxjson.dll", L"kxcrypt.dll", L"kxcompression.dll"});
        HANDLE process = StartWithout(
            Quote(host) + L" --home " + Quote(f.Home()) + L" --url " + Quote(f.AppUrl()), folder.path());
        ASSERT_NE(process, nullptr);
        // The run shows its log; the user reads it and closes the window.
        HWND window = run_test::WaitForProcessWindow(GetProcessId(process), L"#32770", L"Sales", 30000);
        ASSERT_NE(window, nullptr);
        HWND pane = nullptr;
        for (int i = 0; i < 200 && (pane == nullptr || !IsWindowVisible(pane)); ++i) {
            Sleep(50);
            pane = FindWindowExW(window, nullptr, L"RICHEDIT20W", nullptr);
        }
        EXPECT_NE(pane, nullptr);
        PostMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
        ASSERT_EQ(WaitForSingleObject(process, 30000), WAIT_OBJECT_0);
        DWORD code = 0;
        GetExitCodeProcess(process, &code);
        CloseHandle(process);
        EXPECT_EQ(static_cast<int>(code), IUpdate::kCheckServerFailed);
        const std::string log = NewestLog(folder);
        EXPECT_NE(log.find("Failed to load kxhttpclient.dll"), std::string::npos) << log;
        EXPECT_EQ(f.ServerLog().size(), requestsBefore) << f.ServerLog();
    }
}

// A one-colour picture of the given size in the format of `mime`.
bool WritePicture(const std::wstring& path, int width, int height, COLORREF colour, const wchar_t* mime) {
    Gdiplus::GdiplusStartupInput input;
    ULONG_PTR token = 0;
    if (Gdiplus::GdiplusStartup(&token, &input, nullptr) != Gdiplus::Ok) return false;
    bool saved = false;
    {
        Gdiplus::Bitmap picture(width, height, PixelFormat24bppRGB);
        Gdiplus::Graphics graphics(&picture);
        Gdiplus::SolidBrush brush(Gdiplus::Color(GetRValue(colour), GetGValue(colour), GetBValue(colour)));
        graphics.FillRectangle(&brush, 0, 0, width, height);
        UINT count = 0, size = 0;
        Gdiplus::GetImageEncodersSize(&count, &size);
        std::vector<BYTE> buffer(size);
        auto* codecs = reinterpret_cast<Gdiplus::ImageCodecInfo*>(buffer.data());
        Gdiplus::GetImageEncoders(count, size, codecs);
        for (UINT i = 0; i < count; ++i)
            if (wcscmp(codecs[i].MimeType, mime) == 0)
                saved = picture.Save(path.c_str(), &codecs[i].Clsid, nullptr) == Gdiplus::Ok;
    }
    Gdiplus::GdiplusShutdown(token);
    return saved;
}

bool Near(COLORREF a, COLORREF b) {
    return abs(GetRValue(a) - GetRValue(b)) < 16 && abs(GetGValue(a) - GetGValue(b)) < 16 &&
           abs(GetBValue(a) - GetBValue(b)) < 16;
}

TEST(Host, ProgressWindowPaintsTheBackgroundPictureAtItsOwnSize) {
    struct Case {
        const wchar_t* type;
        const wchar_t* file;
        const wchar_t* mime;
        COLORREF colour;
    };
    const Case cases[] = {
        {L"0", L"Update.bmp", L"image/bmp", RGB(30, 140, 220)},
        {L"3", L"Update.png", L"image/png", RGB(220, 40, 40)},
        {L"1", L"Update.jpg", L"image/jpeg", RGB(40, 180, 60)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(NimboNS::WideToUtf8(c.file));
        TempFolder folder;
        const std::wstring host = CopyHost(folder, {});
        WritePrivateProfileStringW(L"RES", L"UPDATEAPP_RESTYPE", c.type,
                                   (folder / L"LauncherSetup.ini").c_str());
        ASSERT_TRUE(WritePicture(folder / c.file, 200, 120, c.colour, c.mime));
        const std::wstring title = std::wstring(L"Background ") + c.file;
        HANDLE process = nimbo_test::StartProgram(Quote(host) + L" --dialog " + Quote(title), folder.path());
        ASSERT_NE(process, nullptr);
        HWND window = run_test::WaitForProcessWindow(GetProcessId(process), L"#32770", title, 30000);
        ASSERT_NE(window, nullptr);
        // Windows of tests running beside this one may cover it for a moment: keep it on top and
        // look again until the picture shows.
        COLORREF seenInside = 0, seenOutside = 0;
        for (int attempt = 0; attempt < 20 && !Near(seenInside, c.colour); ++attempt) {
            SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
            Sleep(attempt == 0 ? 700 : 250);
            POINT inside{20, 20}, outside{400, 200};
            ClientToScreen(window, &inside);
            ClientToScreen(window, &outside);
            HDC screen = GetDC(nullptr);
            seenInside = GetPixel(screen, inside.x, inside.y);
            seenOutside = GetPixel(screen, outside.x, outside.y);
            ReleaseDC(nullptr, screen);
        }
        nimbo_test::TakeScreenshot(std::wstring(L"update_window_background_") + c.type);
        EXPECT_TRUE(Near(seenInside, c.colour)) << std::hex << seenInside;
        EXPECT_FALSE(Near(seenOutside, c.colour)) << std::hex << seenOutside;
        PostMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
        EXPECT_EQ(WaitForSingleObject(process, 20000), WAIT_OBJECT_0);
        CloseHandle(process);
    }
}

}  // namespace
