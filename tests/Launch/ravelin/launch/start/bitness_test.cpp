#include <gtest/gtest.h>

#include "harness.h"
#include "start/bitness.h"

// The bitness check reads the Machine field of the program's PE header; the machine's own
// architecture is answered by the test.
namespace {

using namespace NimboNS;

// A DOS header whose new-header offset points to a PE signature and a file header.
std::string ProgramImage(WORD machine, LONG offset = 0x80) {
    std::string image(static_cast<size_t>(offset) + 4 + sizeof(IMAGE_FILE_HEADER), '\0');
    auto* dos = reinterpret_cast<IMAGE_DOS_HEADER*>(image.data());
    dos->e_magic = IMAGE_DOS_SIGNATURE;
    dos->e_lfanew = offset;
    image.replace(static_cast<size_t>(offset), 4, std::string("PE\0\0", 4));
    auto* header = reinterpret_cast<IMAGE_FILE_HEADER*>(image.data() + offset + 4);
    header->Machine = machine;
    return image;
}

std::function<bool(WORD&)> Answer(int architecture) {
    return [architecture](WORD& out) {
        if (architecture < 0) return false;  // the system cannot tell
        out = static_cast<WORD>(architecture);
        return true;
    };
}

TEST(Bitness, A64BitProgramRunsOnlyOnA64BitMachine) {
    nimbo_test::TempFolder folder;
    const struct {
        WORD machine;
        int architecture;
        int result;
    } cases[] = {
        {IMAGE_FILE_MACHINE_I386, PROCESSOR_ARCHITECTURE_INTEL, 1},
        {IMAGE_FILE_MACHINE_I386, PROCESSOR_ARCHITECTURE_AMD64, 1},
        {IMAGE_FILE_MACHINE_I386, -1, 1},
        {IMAGE_FILE_MACHINE_AMD64, PROCESSOR_ARCHITECTURE_AMD64, 1},
        {IMAGE_FILE_MACHINE_AMD64, PROCESSOR_ARCHITECTURE_IA64, 1},
        {IMAGE_FILE_MACHINE_AMD64, PROCESSOR_ARCHITECTURE_INTEL, 0},
        {IMAGE_FILE_MACHINE_AMD64, PROCESSOR_ARCHITECTURE_ARM, 0},
        {IMAGE_FILE_MACHINE_AMD64, -1, 0},
        {IMAGE_FILE_MACHINE_IA64, PROCESSOR_ARCHITECTURE_INTEL, 0},
        {IMAGE_FILE_MACHINE_IA64, PROCESSOR_ARCHITECTURE_AMD64, 1},
    };
    for (const auto& c : cases) {
        const std::wstring program = folder / L"App.exe";
        ASSERT_TRUE(nimbo_test::WriteFileText(program, ProgramImage(c.machine)));
        EXPECT_EQ(CheckProgramBitness(program, Answer(c.architecture)), c.result)
            << std::hex << c.machine << " on " << c.architecture;
    }
}

TEST(Bitness, AProgramThatCannotBeReadPasses) {
    nimbo_test::TempFolder folder;
    const auto on32 = Answer(PROCESSOR_ARCHITECTURE_INTEL);
    EXPECT_EQ(CheckProgramBitness(folder / L"missing.exe", on32), 1);
    ASSERT_TRUE(nimbo_test::WriteFileText(folder / L"short.exe", "MZ"));
    EXPECT_EQ(CheckProgramBitness(folder / L"short.exe", on32), 1);
    // A header offset past the end of the file.
    std::string image = ProgramImage(IMAGE_FILE_MACHINE_AMD64);
    reinterpret_cast<IMAGE_DOS_HEADER*>(image.data())->e_lfanew = 0x10000;
    ASSERT_TRUE(nimbo_test::WriteFileText(folder / L"far.exe", image));
    EXPECT_EQ(CheckProgramBitness(folder / L"far.exe", on32), 1);
}

TEST(Bitness, RealProgramsCarryTheirMachine) {
    WORD machine = 0;
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    ASSERT_TRUE(ReadProgramMachine(self, machine));
#ifdef _WIN64
    EXPECT_EQ(machine, IMAGE_FILE_MACHINE_AMD64);
#else
    EXPECT_EQ(machine, IMAGE_FILE_MACHINE_I386);
#endif
}

}  // namespace
