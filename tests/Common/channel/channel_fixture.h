#pragma once
// Channel names that no other test uses, and removal of their backing files afterwards.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

namespace channel_test {

class ChannelTest : public testing::Test {
protected:
    void TearDown() override;
    // A lower-case name unique to this process and call; its backing files (and those of
    // name+"s") are deleted at the end of the test.
    std::wstring NewName();
    // The backing file of `name` beside this program.
    static std::wstring BackingFile(const std::wstring& name);
    static bool MappingExists(const std::wstring& name);

private:
    std::vector<std::wstring> names_;
};

}  // namespace channel_test
