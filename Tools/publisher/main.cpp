// nimbo-publish.exe: the command-line shell of the publisher library.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "cli.h"

namespace {

class ConsoleReporter : public NimboNS::publisher::IReporter {
public:
    void Info(const std::string& text) override { Print(stdout, text); }
    void Warning(const std::string& text) override { Print(stderr, "warning: " + text); }
    void Error(const std::string& text) override { Print(stderr, "error: " + text); }

    static void Print(FILE* stream, const std::string& text) {
        std::fwrite(text.data(), 1, text.size(), stream);
        std::fputc('\n', stream);
        std::fflush(stream);
    }
};

}  // namespace

int wmain(int argc, wchar_t** argv) {
    try {
        SetConsoleOutputCP(CP_UTF8);
        std::vector<std::wstring> args(argv + 1, argv + argc);
        ConsoleReporter reporter;
        std::string out;
        int code = NimboNS::publisher::RunCommandLine(args, reporter, out);
        std::fwrite(out.data(), 1, out.size(), stdout);
        std::fflush(stdout);
        return code;
    } catch (...) {
        std::fputs("error: unexpected failure\n", stderr);
        return NimboNS::publisher::kExitFailed;
    }
}
