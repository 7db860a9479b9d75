// Unzip through the real kxcompression.dll: success, a damaged archive reported with the
// extractor's own reason, and a library without the export.
#include <gtest/gtest.h>

#include <filesystem>

#include "catalog/catalog.h"
#include "harness.h"
#include "plog/Record.h"
#include "replace/extract.h"
#include "scwconv.h"
#include "zipwriter.h"

using namespace NimboNS;

namespace {

struct Unzip : testing::Test {
    nimbo_test::TempFolder folder;
    HMODULE library = nullptr;
    CExtractDelegate callback;
    std::vector<std::pair<int, std::wstring>> logged;
    ExtractLogFn log = [this](int severity, const std::wstring& line) {
        logged.emplace_back(severity, line);
    };

    ~Unzip() override {
        if (library != nullptr) FreeLibrary(library);
    }
    std::wstring MakeArchive() {
        nimbo_test::WriteFileText(folder / L"a.txt", "alpha");
        nimbo_test::WriteFileText(folder / L"b.txt", "beta");
        const std::wstring archive = folder / L"pack.zip";
        publisher::ZipWriter zip{std::filesystem::path(archive)};
        zip.AddFile("a.txt", std::filesystem::path(folder / L"a.txt"));
        zip.AddFile("sub/b.txt", std::filesystem::path(folder / L"b.txt"));
        zip.Finish();
        return archive;
    }
};

TEST_F(Unzip, ArchiveIsUnpackedIntoTheFolder) {
    const std::wstring archive = MakeArchive();
    const std::wstring target = folder / L"out";
    EXPECT_EQ(UnzipArchive(library, callback, archive.c_str(), target.c_str(), log), 0);
    EXPECT_EQ(nimbo_test::ReadFileText(target + L"\\a.txt"), "alpha");
    EXPECT_EQ(nimbo_test::ReadFileText(target + L"\\sub\\b.txt"), "beta");
    EXPECT_EQ(callback.lastItemNumber, 2);
    EXPECT_EQ(callback.lastItem, L"sub\\b.txt");
    EXPECT_TRUE(logged.empty());
    EXPECT_NE(library, nullptr);
}

TEST_F(Unzip, DamagedArchiveFailsWithTheExtractorsReason) {
    const std::wstring archive = folder / L"broken.zip";
    nimbo_test::WriteFileText(archive, "this is no zip archive at all");
    const int result = UnzipArchive(library, callback, archive.c_str(), (folder / L"out").c_str(), log);
    EXPECT_NE(result, 0);
    EXPECT_NE(result, 1);
    ASSERT_EQ(logged.size(), 1u);
    EXPECT_EQ(logged[0].first, plog::error);
    EXPECT_FALSE(callback.lastError.empty());
    EXPECT_EQ(logged[0].second, FormatWide(GetLocalizedMessage(msg::kUnzipFailed), archive.c_str(),
                                           callback.lastError.c_str()));
}

TEST_F(Unzip, LongLogLineIsCutAt259Characters) {
    const std::wstring archive = folder / (std::wstring(200, L'n') + L".zip");
    nimbo_test::WriteFileText(archive, "junk");
    EXPECT_NE(UnzipArchive(library, callback, archive.c_str(), (folder / L"out").c_str(), log), 0);
    ASSERT_EQ(logged.size(), 1u);
    EXPECT_EQ(logged[0].second.size(), 259u);
}

TEST_F(Unzip, LibraryWithoutTheExportGivesOneAndLogsNothing) {
    library = LoadLibraryW(L"kernel32.dll");
    const std::wstring archive = MakeArchive();
    EXPECT_EQ(UnzipArchive(library, callback, archive.c_str(), (folder / L"out").c_str(), log), 1);
    EXPECT_TRUE(logged.empty());
    EXPECT_FALSE(nimbo_test::FolderExists(folder / L"out"));
}

}  // namespace
