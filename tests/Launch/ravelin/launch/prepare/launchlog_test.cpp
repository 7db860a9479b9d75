#include <gtest/gtest.h>

#include "config/updateconfig.h"
#include "harness.h"
#include "log/logview.h"
#include "prepare/launchlog.h"

// The launch writes into the run's log file, also after the progress window has closed it and
// after the launch has let go of its configuration (an app start that outlives the launch).
namespace {

using namespace NimboNS;

TEST(LaunchLogFile, LinesReachTheRunsLogFileWhateverClosedIt) {
    CLogView view;
    CUpdateConfig config(&view);
    LaunchLog log;
    log.Attach(&config);
    log.Write(LaunchLog::kInfo, L"while the file is open");
    view.CloseLogFile();
    log.Write(LaunchLog::kError, L"after the progress window closed it \u00e9");
    log.Detach();
    log.Write(LaunchLog::kInfo, L"after the launch let go");
    const std::string text = nimbo_test::ReadFileText(view.FilePath());
    const size_t open = text.find("INFO  ");
    EXPECT_NE(text.find("while the file is open\n"), std::string::npos) << text;
    EXPECT_NE(text.find("ERROR ["), std::string::npos) << text;
    EXPECT_NE(text.find("after the progress window closed it \xc3\xa9\n"), std::string::npos) << text;
    EXPECT_GT(text.find("after the launch let go\n"), text.find("closed it")) << text;
    EXPECT_NE(open, std::string::npos);
    DeleteFileW(view.FilePath().c_str());
}

}  // namespace
