#include "bitness.h"

#include <cstdio>

namespace NimboNS {

bool ReadProgramMachine(const std::wstring& path, WORD& machine) {
    FILE* file = _wfopen(path.c_str(), L"rb");
    if (file == nullptr) return false;
    IMAGE_DOS_HEADER dos{};
    IMAGE_FILE_HEADER header{};
    // The file header follows the 4-byte "PE\0\0" signature at the new-header offset.
    const bool read = fread(&dos, sizeof dos, 1, file) == 1 && dos.e_lfanew >= 0 &&
                      fseek(file, dos.e_lfanew + 4, SEEK_SET) == 0 &&
                      fread(&header, sizeof header, 1, file) == 1;
    fclose(file);
    if (read) machine = header.Machine;
    return read;
}

int CheckProgramBitness(const std::wstring& programPath,
                        const std::function<bool(WORD& architecture)>& nativeArchitecture) {
    WORD machine = 0;
    if (!ReadProgramMachine(programPath, machine)) return 1;
    if (machine != IMAGE_FILE_MACHINE_IA64 && machine != IMAGE_FILE_MACHINE_AMD64) return 1;
    WORD architecture = 0;
    if (!nativeArchitecture || !nativeArchitecture(architecture)) return 0;
    return architecture == PROCESSOR_ARCHITECTURE_IA64 || architecture == PROCESSOR_ARCHITECTURE_AMD64 ? 1
                                                                                                       : 0;
}

}  // namespace NimboNS
