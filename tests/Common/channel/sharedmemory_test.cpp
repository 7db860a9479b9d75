#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <string>
#include <thread>
#include <vector>

#include "channel_fixture.h"
#include "harness.h"
#include "nimbo/names.h"
#include "sharedmemory.h"

namespace channel_test {
namespace {

using SharedMemory::CSharedMemory;

std::wstring ReadText(CSharedMemory& channel) {
    const wchar_t* text = nullptr;
    int length = 0;
    int result = channel.Read(text, length);
    EXPECT_EQ(result, length);
    return result > 0 ? std::wstring(text, static_cast<size_t>(length)) : std::wstring();
}

bool WriteText(CSharedMemory& channel, const std::wstring& text) {
    return channel.Write(text.c_str(), static_cast<int>(text.size()));
}

// A named mapping made by someone other than the channel classes, filled with `fill`.
HANDLE ForeignMapping(const std::wstring& name, DWORD bytes, wchar_t fill) {
    HANDLE mapping =
        CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, bytes, name.c_str());
    if (mapping == nullptr) return nullptr;
    if (void* view = MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, bytes)) {
        auto* chars = static_cast<wchar_t*>(view);
        for (DWORD i = 0; i < bytes / sizeof(wchar_t); ++i) chars[i] = fill;
        UnmapViewOfFile(view);
    }
    return mapping;
}

using SharedMemoryTest = ChannelTest;

TEST_F(SharedMemoryTest, CreateMakesTheBackingFileInTheHiddenFolderBesideTheProgram) {
    std::wstring name = NewName();
    CSharedMemory channel;
    ASSERT_TRUE(channel.Create(name.c_str()));
    EXPECT_TRUE(channel.IsCreator());
    EXPECT_EQ(channel.GetSharedFileFolder(),
              nimbo_test::TestsFolder() + L"\\" + NimboNS::names::kSharedFileFolder);
    EXPECT_EQ(channel.GetFilePath(), BackingFile(name));
    EXPECT_TRUE(nimbo_test::FileExists(BackingFile(name)));
    EXPECT_TRUE(MappingExists(name));
}

TEST_F(SharedMemoryTest, ASecondCreateFailsAndLeavesTheFirstChannelIntact) {
    std::wstring name = NewName();
    CSharedMemory channel;
    ASSERT_TRUE(channel.Create(name.c_str()));
    ASSERT_TRUE(WriteText(channel, L"first"));
    std::wstring other = NewName();
    EXPECT_FALSE(channel.Create(name.c_str()));
    EXPECT_FALSE(channel.Create(other.c_str()));
    EXPECT_FALSE(MappingExists(other));
    EXPECT_EQ(channel.GetName(), name);
    EXPECT_EQ(ReadText(channel), L"first");
    CSharedMemory opener;
    ASSERT_TRUE(opener.Open(name));
    EXPECT_EQ(ReadText(opener), L"first");
}

TEST_F(SharedMemoryTest, CreateRefusesAMissingName) {
    CSharedMemory channel;
    EXPECT_FALSE(channel.Create(nullptr));
    EXPECT_FALSE(channel.Create(L""));
    EXPECT_FALSE(channel.IsCreator());
}

// Two channels of one name would answer each other's commands: the second creator is refused.
TEST_F(SharedMemoryTest, CreateRefusesANameThatAnotherChannelHolds) {
    std::wstring name = NewName();
    CSharedMemory first;
    ASSERT_TRUE(first.Create(name.c_str()));
    ASSERT_TRUE(WriteText(first, L"live"));
    CSharedMemory second;
    EXPECT_FALSE(second.Create(name.c_str()));
    EXPECT_FALSE(second.IsCreator());
    EXPECT_EQ(ReadText(first), L"live");
}

// A status file left by a crashed run still says "2": a new channel must not read it as a live server.
TEST_F(SharedMemoryTest, CreateStartsEmptyOverAFileLeftByAnEarlierRun) {
    std::wstring name = NewName();
    CSharedMemory folderMaker;
    folderMaker.GetSharedFileFolder();
    std::string stale(CSharedMemory::kViewBytes, '\0');
    stale[0] = '2';
    ASSERT_TRUE(nimbo_test::WriteFileText(BackingFile(name), stale));
    CSharedMemory channel;
    ASSERT_TRUE(channel.Create(name.c_str()));
    EXPECT_FALSE(channel.ReadsNumber(2));
    EXPECT_EQ(ReadText(channel), L"");
}

struct WriteCase {
    const char* label;
    int length;     // characters handed to Write
    bool accepted;  // false: refused, the channel keeps its earlier text
};

void PrintTo(const WriteCase& c, std::ostream* os) {
    *os << c.label;
}

class SharedMemoryWrite : public ChannelTest, public testing::WithParamInterface<WriteCase> {};

TEST_P(SharedMemoryWrite, FitsTheTextAndItsTerminatorIntoTheViewOrRefusesIt) {
    const WriteCase& c = GetParam();
    std::wstring name = NewName();
    CSharedMemory channel;
    ASSERT_TRUE(channel.Create(name.c_str()));
    ASSERT_TRUE(WriteText(channel, L"earlier"));
    std::wstring text;
    for (int i = 0; i < std::max(c.length, 0); ++i) text.push_back(static_cast<wchar_t>(L'a' + i % 26));
    EXPECT_EQ(channel.Write(text.c_str(), c.length), c.accepted);
    EXPECT_EQ(ReadText(channel), c.accepted ? text : L"earlier");
    // Nothing lands in the file past the 1024 bytes of the view.
    std::string bytes = nimbo_test::ReadFileText(BackingFile(name));
    ASSERT_EQ(bytes.size(), CSharedMemory::kViewBytes);
    EXPECT_EQ(bytes[CSharedMemory::kViewBytes - 2], '\0');
    EXPECT_EQ(bytes[CSharedMemory::kViewBytes - 1], '\0');
}

INSTANTIATE_TEST_SUITE_P(Lengths, SharedMemoryWrite,
                         testing::Values(WriteCase{"one", 1, true}, WriteCase{"longest", 511, true},
                                         WriteCase{"no_room_for_terminator", 512, false},
                                         WriteCase{"far_too_long", 2000, false}, WriteCase{"empty", 0, false},
                                         WriteCase{"negative", -5, false}));

TEST_F(SharedMemoryTest, WriteRefusesANullText) {
    std::wstring name = NewName();
    CSharedMemory channel;
    ASSERT_TRUE(channel.Create(name.c_str()));
    EXPECT_FALSE(channel.Write(nullptr, 3));
}

TEST_F(SharedMemoryTest, AShorterTextLeavesNoTailOfTheEarlierOne) {
    std::wstring name = NewName();
    CSharedMemory channel;
    ASSERT_TRUE(channel.Create(name.c_str()));
    ASSERT_TRUE(WriteText(channel, L"regsvr32 /s long.dll"));
    ASSERT_TRUE(WriteText(channel, L"7"));
    EXPECT_EQ(ReadText(channel), L"7");
    std::string bytes = nimbo_test::ReadFileText(BackingFile(name));
    EXPECT_EQ(bytes.find_first_not_of('\0', 2), std::string::npos);
}

TEST_F(SharedMemoryTest, NumbersAreWrittenAsDecimalText) {
    std::wstring name = NewName();
    CSharedMemory channel;
    ASSERT_TRUE(channel.Create(name.c_str()));
    const std::pair<int, const wchar_t*> cases[] = {
        {0, L"0"}, {3, L"3"}, {-1, L"-1"}, {INT_MAX, L"2147483647"}, {INT_MIN, L"-2147483648"}};
    for (const auto& [value, text] : cases) {
        ASSERT_TRUE(channel.WriteNumber(value));
        EXPECT_EQ(ReadText(channel), text);
        EXPECT_EQ(channel.ReadsNumber(value), true) << value;
    }
}

TEST_F(SharedMemoryTest, AJustCreatedChannelMatchesNoStatusNumber) {
    std::wstring name = NewName();
    CSharedMemory channel;
    ASSERT_TRUE(channel.Create(name.c_str()));
    for (int value : {0, 1, 2, 3}) EXPECT_FALSE(channel.ReadsNumber(value)) << value;
}

TEST_F(SharedMemoryTest, AnOpeningEndWithoutANameFailsEveryAccess) {
    CSharedMemory opener;
    const wchar_t* text = nullptr;
    int length = 7;
    EXPECT_FALSE(WriteText(opener, L"x"));
    EXPECT_FALSE(opener.WriteNumber(1));
    EXPECT_EQ(opener.Read(text, length), 0);
    EXPECT_EQ(length, 0);
    ASSERT_NE(text, nullptr);
    EXPECT_STREQ(text, L"");
    EXPECT_TRUE(opener.IsDisconnected());
    EXPECT_FALSE(opener.Open(L""));
}

TEST_F(SharedMemoryTest, AnOpeningEndFindsTheChannelByNameOnly) {
    std::wstring name = NewName();
    CSharedMemory opener;
    EXPECT_FALSE(opener.Open(name));
    EXPECT_FALSE(WriteText(opener, L"lost"));
    CSharedMemory creator;
    ASSERT_TRUE(creator.Create(name.c_str()));
    ASSERT_TRUE(WriteText(opener, L"from the other end"));
    EXPECT_EQ(ReadText(creator), L"from the other end");
    ASSERT_TRUE(WriteText(creator, L"answer"));
    EXPECT_EQ(ReadText(opener), L"answer");
    EXPECT_FALSE(opener.IsCreator());
}

// The opening end closes its mapping after each access, so the channel disappears as soon as
// its creator lets go, and both ends can tell.
TEST_F(SharedMemoryTest, TheChannelDisappearsWhenItsCreatorCloses) {
    std::wstring name = NewName();
    CSharedMemory creator;
    ASSERT_TRUE(creator.Create(name.c_str()));
    CSharedMemory opener;
    ASSERT_TRUE(opener.Open(name));
    ASSERT_TRUE(opener.WriteNumber(2));
    EXPECT_TRUE(creator.ReadsNumber(2));
    EXPECT_FALSE(creator.IsDisconnected());
    EXPECT_FALSE(opener.IsDisconnected());

    creator.Close();
    EXPECT_FALSE(creator.IsCreator());
    EXPECT_FALSE(MappingExists(name));
    EXPECT_TRUE(opener.IsDisconnected());
    EXPECT_TRUE(creator.IsDisconnected());
    EXPECT_FALSE(opener.ReadsNumber(2));
    EXPECT_TRUE(nimbo_test::FileExists(BackingFile(name)));
}

// Takes every free range of the address space, so that no view can be mapped, until destroyed.
class AddressSpaceHog {
public:
    AddressSpaceHog() {
        for (SIZE_T size = SIZE_T(1) << 30; size >= 4096;) {
            if (void* block = VirtualAlloc(nullptr, size, MEM_RESERVE, PAGE_NOACCESS))
                blocks_.push_back(block);
            else
                size /= 2;
        }
    }
    ~AddressSpaceHog() {
        for (void* block : blocks_) VirtualFree(block, 0, MEM_RELEASE);
    }

private:
    std::vector<void*> blocks_;
};

// With no room left for a view, a write reports failure instead of success and a read -1.
TEST_F(SharedMemoryTest, AViewThatCannotBeMappedIsReported) {
    if (sizeof(void*) == 8) GTEST_SKIP() << "a 64-bit address space is too large to fill";
    std::wstring name = NewName();
    CSharedMemory creator;
    ASSERT_TRUE(creator.Create(name.c_str()));
    ASSERT_TRUE(WriteText(creator, L"kept"));
    CSharedMemory opener;
    ASSERT_TRUE(opener.Open(name));
    const wchar_t* text = nullptr;
    int length = 0;
    bool written = true;
    int opened = 0, read = 0;
    {
        AddressSpaceHog hog;
        written = WriteText(opener, L"lost");
        opened = opener.Read(text, length);
        read = creator.Read(text, length);
    }
    EXPECT_FALSE(written);
    EXPECT_EQ(opened, -1);
    EXPECT_EQ(read, -1);
    // The creator gave up its mapping with the failed read: the peer sees the channel end.
    EXPECT_TRUE(opener.IsDisconnected());
    EXPECT_FALSE(MappingExists(name));
}

// A peer that fills the whole view without a terminator is read up to the end of the view only.
TEST_F(SharedMemoryTest, ReadStopsAtTheEndOfTheView) {
    std::wstring name = NewName();
    HANDLE full = ForeignMapping(name, CSharedMemory::kViewBytes * 4, L'q');
    ASSERT_NE(full, nullptr);
    CSharedMemory opener;
    opener.Open(name);
    EXPECT_EQ(ReadText(opener), std::wstring(CSharedMemory::kViewBytes / sizeof(wchar_t), L'q'));
    CloseHandle(full);
}

TEST_F(SharedMemoryTest, DeleteBackingFileWaitsForTheFileToBeLetGo) {
    std::wstring name = NewName();
    CSharedMemory channel;
    ASSERT_TRUE(channel.Create(name.c_str()));
    channel.Close();
    // Held the way the runner holds its data file: shared for reading and writing only.
    HANDLE holder = CreateFileW(BackingFile(name).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    std::thread release([holder] {
        Sleep(300);
        CloseHandle(holder);
    });
    EXPECT_TRUE(channel.DeleteBackingFile());
    release.join();
    EXPECT_FALSE(nimbo_test::FileExists(BackingFile(name)));
    EXPECT_TRUE(channel.DeleteBackingFile());  // nothing left to delete
}

}  // namespace
}  // namespace channel_test
