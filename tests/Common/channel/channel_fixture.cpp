#include "channel_fixture.h"

#include "harness.h"
#include "nimbo/names.h"

namespace channel_test {

std::wstring ChannelTest::NewName() {
    static int counter = 0;
    std::wstring name =
        L"chtest" + std::to_wstring(GetCurrentProcessId()) + L"x" + std::to_wstring(++counter);
    names_.push_back(name);
    return name;
}

std::wstring ChannelTest::BackingFile(const std::wstring& name) {
    return nimbo_test::TestsFolder() + L"\\" + NimboNS::names::kSharedFileFolder + L"\\" + name;
}

bool ChannelTest::MappingExists(const std::wstring& name) {
    HANDLE mapping = OpenFileMappingW(FILE_MAP_READ, FALSE, name.c_str());
    if (mapping == nullptr) return false;
    CloseHandle(mapping);
    return true;
}

void ChannelTest::TearDown() {
    for (const auto& name : names_) {
        DeleteFileW(BackingFile(name).c_str());
        DeleteFileW(BackingFile(name + NimboNS::names::kStatusChannelSuffix).c_str());
    }
}

}  // namespace channel_test
