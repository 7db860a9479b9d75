#include "support.h"

#include <filesystem>
#include <random>

namespace publisher_test {

namespace fs = std::filesystem;

void PutFile(const std::wstring& path, const std::string& bytes) {
    fs::create_directories(fs::path(path).parent_path());
    nimbo_test::WriteFileText(path, bytes);
}

std::map<std::wstring, std::string> Snapshot(const std::wstring& root) {
    std::map<std::wstring, std::string> files;
    if (!fs::exists(root)) return files;
    for (auto& entry : fs::recursive_directory_iterator(root)) {
        std::wstring rel = fs::relative(entry.path(), root).wstring();
        files[rel] = entry.is_regular_file() ? nimbo_test::ReadFileText(entry.path().wstring()) : "<folder>";
    }
    return files;
}

std::string RandomBytes(size_t size, unsigned seed) {
    std::mt19937 random(seed);
    std::string bytes(size, '\0');
    for (auto& c : bytes) c = static_cast<char>(random());
    return bytes;
}

}  // namespace publisher_test
