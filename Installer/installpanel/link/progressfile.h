#pragma once
// The progress file the installer writes: line 1 the percentage, line 2 the status ("-1": the
// installation failed), each as name=value.
#include <string>

namespace NimboNS::installpanel {

struct ProgressTexts {
    std::wstring progress;
    std::wstring status;
};

// Reads the file (shared with its writer); false and `texts` untouched when it cannot be read.
bool ReadProgressFile(const std::wstring& path, ProgressTexts& texts);
// The two texts from the file's bytes (UTF-16 with BOM, UTF-8 with BOM, else the ANSI code page).
bool ParseProgressBytes(const std::string& bytes, ProgressTexts& texts);

// What one reading of the progress means for the window.
struct ProgressStep {
    int percent = 0;        // 0..100, shown as "%d%%"
    bool setBar = false;    // percent > 0
    bool complete = false;  // first time at 100: finish the installation
    bool failed = false;    // status "-1"
};

// Completion is handled once per run, however often the file says 100.
class CProgressTracker {
public:
    ProgressStep Apply(const ProgressTexts& texts);
    bool Completed() const { return done_ > 0; }
    // Completion reported another way (the installer's "done" message); true the first time.
    bool MarkDone() { return done_++ == 0; }

private:
    int done_ = 0;
};

}  // namespace NimboNS::installpanel
