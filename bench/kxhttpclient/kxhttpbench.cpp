// Downloads a list of files with kxhttpclient.dll's parallel downloader and prints what it took:
//   kxhttpbench.exe BASE_URL LIST_FILE OUT_FOLDER [PARALLEL]
// LIST_FILE holds one file name per line; each is fetched from BASE_URL/NAME into OUT_FOLDER\NAME.
// Output (one line each): files, bytes, seconds, MiB/s, peak working set in KiB, failures.
#include "outside/kxhttpclient.h"

#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace {

std::wstring Widen(const std::string& text) {
    return std::wstring(text.begin(), text.end());
}

long long SizeOf(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return 0;
    return (static_cast<long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

int Run(int argc, wchar_t** argv) {
    if (argc < 4) {
        std::fputs("usage: kxhttpbench BASE_URL LIST_FILE OUT_FOLDER [PARALLEL]\n", stderr);
        return 2;
    }
    std::wstring base = argv[1], out = argv[3];
    int parallel = argc > 4 ? _wtoi(argv[4]) : 4;
    std::ifstream list(argv[2]);
    std::vector<std::wstring> names;
    for (std::string line; std::getline(list, line);)
        if (!line.empty())
            names.push_back(Widen(line.back() == '\r' ? line.substr(0, line.size() - 1) : line));

    HMODULE library = LoadLibraryW(L"kxhttpclient.dll");
    auto create = library ? reinterpret_cast<NimboNS::PFN_CreateAsyncDownload>(
                                reinterpret_cast<void*>(GetProcAddress(library, "CreateAsyncDownload")))
                          : nullptr;
    NimboNS::IAsyncDownload* downloader = create ? create() : nullptr;
    if (!downloader) {
        std::fputs("kxhttpclient.dll or CreateAsyncDownload is missing\n", stderr);
        return 1;
    }
    downloader->SetParameter(parallel);
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    std::vector<NimboNS::IDownloadTask*> tasks;
    for (const auto& name : names) {
        NimboNS::IDownloadTask* task = downloader->CreateTask();
        task->SetUrl((base + L"/" + name).c_str());
        task->SetFilePath((out + L"\\" + name).c_str());
        task->SetFolder(out.c_str());
        downloader->StartTask(task);
        tasks.push_back(task);
    }
    int ok = downloader->WaitTasks(static_cast<int>(tasks.size()));
    QueryPerformanceCounter(&end);
    int failures = 0;
    for (auto* task : tasks) {
        if (task->GetState() != 1) ++failures;
        task->Release();
    }
    downloader->Release();
    long long bytes = 0;
    for (const auto& name : names) bytes += SizeOf(out + L"\\" + name);
    double seconds = static_cast<double>(end.QuadPart - start.QuadPart) / frequency.QuadPart;
    PROCESS_MEMORY_COUNTERS memory{};
    memory.cb = sizeof(memory);
    GetProcessMemoryInfo(GetCurrentProcess(), &memory, sizeof(memory));
    std::printf("files %d\nbytes %lld\nseconds %.3f\nMiB/s %.1f\npeak_working_set_KiB %lu\nfailures %d\n",
                static_cast<int>(names.size()), bytes, seconds, bytes / 1048576.0 / seconds,
                static_cast<unsigned long>(memory.PeakWorkingSetSize / 1024), failures);
    return ok ? 0 : 1;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    try {
        return Run(argc, argv);
    } catch (...) {
        return 1;
    }
}
