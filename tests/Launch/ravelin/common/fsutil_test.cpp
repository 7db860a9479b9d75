#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "fs/fsutil.h"
#include "harness.h"
#include "scwconv.h"

using namespace NimboNS;
using nimbo_test::FileExists;
using nimbo_test::FolderExists;
using nimbo_test::TempFolder;
using nimbo_test::WriteFileText;

namespace {

// root/a.txt, root/sub/b.txt, root/sub/deeper/c.txt, root/.hidden (hidden file), root/secret (hidden folder)
class Tree : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(tmp_.path().empty());
        root_ = tmp_ / L"root";
        CreateDirectoryW(root_.c_str(), nullptr);
        CreateDirectoryW((root_ + L"\\sub").c_str(), nullptr);
        CreateDirectoryW((root_ + L"\\sub\\deeper").c_str(), nullptr);
        CreateDirectoryW((root_ + L"\\secret").c_str(), nullptr);
        WriteFileText(root_ + L"\\a.txt", "a");
        WriteFileText(root_ + L"\\sub\\b.txt", "b");
        WriteFileText(root_ + L"\\sub\\deeper\\c.txt", "c");
        WriteFileText(root_ + L"\\secret\\d.txt", "d");
        WriteFileText(root_ + L"\\.hidden", "h");
        SetFileAttributesW((root_ + L"\\.hidden").c_str(), FILE_ATTRIBUTE_HIDDEN);
        SetFileAttributesW((root_ + L"\\secret").c_str(), FILE_ATTRIBUTE_HIDDEN);
    }
    std::set<std::wstring> Walk(bool recurse, bool hidden) {
        std::set<std::wstring> seen;
        EXPECT_TRUE(WalkFolder(root_, recurse, hidden, [&](const std::wstring& path, bool isFolder) {
            seen.insert(path.substr(root_.size() + 1) + (isFolder ? L"\\" : L""));
            return true;
        }));
        return seen;
    }

    TempFolder tmp_;
    std::wstring root_;
};

TEST_F(Tree, WalkWithoutHiddenNeverShowsHiddenEntries) {
    EXPECT_EQ(Walk(true, false), (std::set<std::wstring>{L"a.txt", L"sub\\", L"sub\\b.txt", L"sub\\deeper\\",
                                                         L"sub\\deeper\\c.txt"}));
    EXPECT_EQ(Walk(false, true), (std::set<std::wstring>{L"a.txt", L"sub\\", L"secret\\", L".hidden"}));
}

TEST_F(Tree, FolderDoneComesAfterEachFolderDepthFirst) {
    std::vector<std::wstring> order;
    EXPECT_TRUE(WalkFolder(
        root_, true, false, [](const std::wstring&, bool) { return true; },
        [&](const std::wstring& folder) {
            order.push_back(folder);
            return true;
        }));
    ASSERT_EQ(order.size(), 3u);
    EXPECT_EQ(order[0], root_ + L"\\sub\\deeper");
    EXPECT_EQ(order[1], root_ + L"\\sub");
    EXPECT_EQ(order[2], root_);
}

TEST_F(Tree, AFalseAnswerAbortsEveryLevel) {
    bool aborted = false;
    int callsAfterAbort = 0;
    bool result = WalkFolder(
        root_, true, true,
        [&](const std::wstring& path, bool) {
            if (aborted) ++callsAfterAbort;
            if (path.find(L"c.txt") != std::wstring::npos) aborted = true;
            return !aborted;
        },
        [&](const std::wstring&) {
            if (aborted) ++callsAfterAbort;
            return true;
        });
    EXPECT_FALSE(result);
    EXPECT_TRUE(aborted);
    EXPECT_EQ(callsAfterAbort, 0);
}

TEST(WalkFolder, MissingFolderIsFalse) {
    EXPECT_FALSE(WalkFolder(L"Z:\\no\\such\\folder\\here", true, true, [](const std::wstring&, bool) { return true; }));
}

TEST_F(Tree, DeleteTreeRemovesEverythingHiddenAndReadOnlyIncluded) {
    SetFileAttributesW((root_ + L"\\sub\\b.txt").c_str(), FILE_ATTRIBUTE_READONLY);
    EXPECT_TRUE(DeleteTree(root_));
    EXPECT_FALSE(FolderExists(root_));
}

TEST_F(Tree, DeleteTreeStopsAtAFileHeldOpenByAnotherProgram) {
    const std::wstring held = root_ + L"\\sub\\deeper\\c.txt";
    HANDLE inRead = nullptr, inWrite = nullptr;
    SECURITY_ATTRIBUTES sa{sizeof(sa), nullptr, TRUE};
    ASSERT_TRUE(CreatePipe(&inRead, &inWrite, &sa, 0));
    SetHandleInformation(inWrite, HANDLE_FLAG_INHERIT, 0);
    HANDLE outRead = nullptr, outWrite = nullptr;
    ASSERT_TRUE(CreatePipe(&outRead, &outWrite, &sa, 0));
    SetHandleInformation(outRead, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = inRead;
    si.hStdOutput = outWrite;
    si.hStdError = outWrite;
    PROCESS_INFORMATION pi{};
    std::wstring cmd = nimbo_test::Quote(nimbo_test::TestsFolder() + L"\\nimbo_holdfile.exe") + L" " +
                       nimbo_test::Quote(held);
    ASSERT_TRUE(CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi));
    CloseHandle(inRead);
    CloseHandle(outWrite);
    char buffer[8] = {};
    DWORD got = 0;
    ASSERT_TRUE(ReadFile(outRead, buffer, 4, &got, nullptr));  // "held"

    EXPECT_FALSE(DeleteTree(root_));
    EXPECT_TRUE(FileExists(held));
    EXPECT_FALSE(FileExists(root_ + L"\\sub\\b.txt") && FileExists(root_ + L"\\a.txt"))
        << "files before the held one are deleted";

    CloseHandle(inWrite);  // lets the holder end
    WaitForSingleObject(pi.hProcess, 10000);
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
    CloseHandle(outRead);
    EXPECT_TRUE(DeleteTree(root_));
}

TEST(DeleteTree, EmptyPathIsDoneAndAFileIsNotAFolder) {
    TempFolder tmp;
    EXPECT_TRUE(DeleteTree(L""));
    WriteFileText(tmp / L"file.txt", "x");
    EXPECT_FALSE(DeleteTree(tmp / L"file.txt"));
    EXPECT_TRUE(FileExists(tmp / L"file.txt"));
}

TEST(Names, DotAndDotDotOnly) {
    EXPECT_TRUE(IsDotOrDotDot(L"."));
    EXPECT_TRUE(IsDotOrDotDot(L".."));
    EXPECT_FALSE(IsDotOrDotDot(L"..."));
    EXPECT_FALSE(IsDotOrDotDot(L".hidden"));
    EXPECT_FALSE(IsDotOrDotDot(L""));
}

TEST(ModuleFolder, IsTheProgramsFolderWithoutTrailingBackslash) {
    std::wstring folder = GetModuleFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_NE(folder.back(), L'\\');
    EXPECT_TRUE(FileExists(folder + L"\\common_test.exe"));
}

TEST(Access, LocalFolderIsReadableAndWritable) {
    TempFolder tmp;
    EXPECT_TRUE(HasAccess(tmp.path(), GENERIC_READ));
    EXPECT_TRUE(HasAccess(tmp.path(), GENERIC_READ | GENERIC_WRITE));
    EXPECT_FALSE(HasAccess(tmp / L"missing", GENERIC_READ));
}

TEST(Access, NetworkStylePathIsAnsweredByTrying) {
    TempFolder tmp;
    const std::wstring unc = L"\\\\?\\" + tmp.path();
    EXPECT_TRUE(HasAccess(unc, GENERIC_READ | GENERIC_WRITE));
    EXPECT_FALSE(FileExists(tmp / L"TestRemotePathAccess.txt.dll")) << "the probe file is removed again";
    EXPECT_FALSE(TestRemotePathAccess(L"\\\\?\\" + tmp.path() + L"\\missing", GENERIC_WRITE));
    EXPECT_FALSE(TestRemotePathAccess(L"\\\\?\\" + tmp.path() + L"\\missing", GENERIC_READ));
}

TEST(Access, AProbeFileThatCannotBeDeletedDeniesWrite) {
    TempFolder tmp;
    const std::wstring probe = tmp / L"TestRemotePathAccess.txt.dll";
    WriteFileText(probe, "x");
    HANDLE held = CreateFileW(probe.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(TestRemotePathAccess(tmp.path(), GENERIC_WRITE));
    CloseHandle(held);
    EXPECT_TRUE(TestRemotePathAccess(tmp.path(), GENERIC_WRITE));
}

}  // namespace
