// The library's logic below the exported objects: URLs, error texts, resume records and the
// unwrapping of one-file archives (with an extractor double).
#include "archive.h"
#include "errors.h"
#include "harness.h"
#include "http.h"
#include "outside/kxhttpclient.h"
#include "resumerecord.h"

#include <gtest/gtest.h>

#include <map>

using namespace kxhttp;
using namespace NimboNS;
using nimbo_test::FileExists;
using nimbo_test::FolderExists;
using nimbo_test::ReadFileText;
using nimbo_test::TempFolder;
using nimbo_test::WriteFileText;

namespace {

struct UrlCase {
    const wchar_t* text;
    int result;
    const wchar_t* host;
    int port;
    bool https;
    const wchar_t* path;
    const wchar_t* lastSegment;
};

TEST(KxHttpUrl, SplitsWhatARequestNeeds) {
    const UrlCase cases[] = {
        {L"http://127.0.0.1:8080/apps/demo/bin/app.dll.zip", 0, L"127.0.0.1", 8080, false,
         L"/apps/demo/bin/app.dll.zip", L"app.dll.zip"},
        {L"https://example.test/a/b.txt?x=1", 0, L"example.test", 443, true, L"/a/b.txt?x=1", L"b.txt"},
        {L"http://host", 0, L"host", 80, false, L"/", L""},
        {L"http://host/My%20File.dll.zip", 0, L"host", 80, false, L"/My%20File.dll.zip", L"My File.dll.zip"},
        {L"ftp://host/file", ERROR_WINHTTP_UNRECOGNIZED_SCHEME},
        {L"not a url", ERROR_WINHTTP_UNRECOGNIZED_SCHEME},
        {L"", ERROR_WINHTTP_INVALID_URL},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "url " << std::string(c.text, c.text + wcslen(c.text)));
        Url url;
        int result = ParseUrl(c.text, url);
        if (c.result != 0) {
            EXPECT_NE(0, result);
            continue;
        }
        ASSERT_EQ(0, result);
        EXPECT_EQ(c.host, url.host);
        EXPECT_EQ(c.port, url.port);
        EXPECT_EQ(c.https, url.https);
        EXPECT_EQ(c.path, url.path);
        EXPECT_EQ(c.lastSegment, url.lastSegment);
    }
}

TEST(KxHttpErrors, EveryResultHasReadableEnglishText) {
    const int codes[] = {12002,
                         12007,
                         12029,
                         12030,
                         12152,
                         12175,
                         12999,
                         KXHTTP_E_ISSUE_AGAIN,
                         KXHTTP_E_STOPPED,
                         KXHTTP_E_TRUNCATED,
                         KXHTTP_E_BAD_RANGE,
                         KXHTTP_E_NO_EXTRACTOR,
                         KXHTTP_E_UNWRAP,
                         KXHTTP_E_TOO_LARGE,
                         ERROR_FILE_EXISTS,
                         ERROR_DISK_FULL,
                         424242};
    for (int code : codes) {
        std::wstring text = ErrorText(code);
        EXPECT_GT(text.size(), 10u) << code;
        for (wchar_t c : text) EXPECT_TRUE(c >= 32 && c < 127) << code;
    }
    EXPECT_EQ(L"The operation has timed out.", ErrorText(12002));
    EXPECT_EQ(L"The server answered with HTTP status 404 (Not Found).", ErrorText(KXHTTP_E_HTTP_STATUS, 404));
    EXPECT_EQ(L"The server answered with HTTP status 599.", ErrorText(KXHTTP_E_HTTP_STATUS, 599));
    EXPECT_EQ(L"", ErrorText(0));
}

TEST(KxHttpResumeRecord, SurvivesARoundTripAndRejectsOtherFiles) {
    TempFolder temp;
    ResumeRecord written{L"http://h/\x00e9t\x00e9 file.bin", L"\"abc\r\ndef\"", 123456789012LL};
    ASSERT_TRUE(WriteResumeRecord(temp / L"a.cfg", written));
    ResumeRecord read;
    ASSERT_TRUE(ReadResumeRecord(temp / L"a.cfg", read));
    EXPECT_EQ(written.url, read.url);
    EXPECT_EQ(L"\"abc  def\"", read.validator);  // line breaks cannot split the record
    EXPECT_EQ(written.length, read.length);
    EXPECT_FALSE(FileExists(temp / L"a.cfg.new"));

    WriteFileText(temp / L"other.cfg", "[section]\r\nurl=http://h/x\r\n");
    EXPECT_FALSE(ReadResumeRecord(temp / L"other.cfg", read));
    EXPECT_FALSE(ReadResumeRecord(temp / L"missing.cfg", read));
}

TEST(KxHttpArchive, RecognisesTheWrappedAppFileName) {
    struct Case {
        const wchar_t* segment;
        const wchar_t* target;
        bool wrapped;
    } cases[] = {
        {L"app.dll.zip", L"C:\\apps\\demo\\app.dll", true},
        {L"APP.DLL.ZIP", L"C:\\apps\\demo\\app.dll", true},
        {L"pkg.zip.zip", L"C:\\apps\\demo\\pkg.zip", true},
        {L"KxWebView2.zip", L"C:\\rt\\KxWebView2.zip", false},
        {L"app.dll", L"C:\\apps\\demo\\app.dll", false},
        {L"other.dll.zip", L"C:\\apps\\demo\\app.dll", false},
        {L".zip", L"C:\\apps\\demo\\", false},
    };
    for (const auto& c : cases) EXPECT_EQ(c.wrapped, IsWrappedName(c.segment, c.target)) << c.segment;
}

// Writes the files it is told to into the folder, as an archive holding them would.
class ExtractorDouble : public Extractor {
public:
    explicit ExtractorDouble(std::map<std::wstring, std::string> files, int result = 0)
        : files_(std::move(files)), result_(result) {}
    int Extract(const std::wstring& archive, const std::wstring& folder) override {
        seenFolder = folder;
        for (const auto& [name, bytes] : files_) {
            size_t slash = name.find(L'\\');
            if (slash != std::wstring::npos)
                CreateDirectoryW((folder + L"\\" + name.substr(0, slash)).c_str(), nullptr);
            WriteFileText(folder + L"\\" + name, bytes);
        }
        return result_;
    }
    std::wstring seenFolder;

private:
    std::map<std::wstring, std::string> files_;
    int result_;
};

TEST(KxHttpArchive, UnwrapPutsTheOneFileInPlaceAndLeavesNothingElse) {
    struct Case {
        const char* name;
        std::map<std::wstring, std::string> entries;
        int extractResult;
        int expected;
        const char* content;  // of the target afterwards
    } cases[] = {
        {"entry named like the target", {{L"App.dll", "new"}, {L"readme.txt", "x"}}, 0, 0, "new"},
        {"the only entry", {{L"renamed.bin", "only"}}, 0, 0, "only"},
        {"two entries, none named like it", {{L"a", "1"}, {L"b", "2"}}, 0, KXHTTP_E_UNWRAP, "old"},
        {"only a folder", {{L"sub\\app.dll", "deep"}}, 0, KXHTTP_E_UNWRAP, "old"},
        {"extractor fails", {{L"app.dll", "half"}}, KXHTTP_E_UNWRAP, KXHTTP_E_UNWRAP, "old"},
        {"no extractor", {}, KXHTTP_E_NO_EXTRACTOR, KXHTTP_E_NO_EXTRACTOR, "old"},
    };
    for (auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempFolder temp;
        std::wstring target = temp / L"app.dll";
        WriteFileText(target, "old");
        WriteFileText(temp / L"app.dll.kxdl", "PK\x03\x04 archive");
        ExtractorDouble extractor(c.entries, c.extractResult);
        EXPECT_EQ(c.expected, UnwrapSingleFile(extractor, temp / L"app.dll.kxdl", target));
        EXPECT_EQ(c.content, ReadFileText(target));
        EXPECT_FALSE(FolderExists(extractor.seenFolder));
    }
}

TEST(KxHttpArchive, TellsAZipByItsFirstBytes) {
    TempFolder temp;
    WriteFileText(temp / L"a", std::string("PK\x03\x04rest", 8));
    WriteFileText(temp / L"empty", std::string("PK\x05\x06", 4));
    WriteFileText(temp / L"b", "plain text");
    WriteFileText(temp / L"c", "PK");
    EXPECT_TRUE(LooksLikeZip(temp / L"a"));
    EXPECT_TRUE(LooksLikeZip(temp / L"empty"));
    EXPECT_FALSE(LooksLikeZip(temp / L"b"));
    EXPECT_FALSE(LooksLikeZip(temp / L"c"));
    EXPECT_FALSE(LooksLikeZip(temp / L"missing"));
}

}  // namespace
