// installpanel's link to the installer: command line, language, set-up log, shared memory,
// progress file and the thread-message hook.
#include <gtest/gtest.h>

#include <cstring>

#include "harness.h"
#include "link/cmdline.h"
#include "link/language.h"
#include "link/messagehook.h"
#include "link/progressfile.h"
#include "link/settings.h"
#include "link/setuplog.h"
#include "link/sharedmem.h"
#include "scwconv.h"

using namespace NimboNS;
using namespace NimboNS::installpanel;

namespace {

std::wstring ReadLogText(const std::wstring& path) {
    const std::string bytes = nimbo_test::ReadFileText(path);
    if (bytes.size() < 2) return {};
    return std::wstring(reinterpret_cast<const wchar_t*>(bytes.data() + 2), (bytes.size() - 2) / 2);
}

// Points the process's set-up log at a file of the test for the test's duration.
class ScopedSetupLog {
public:
    explicit ScopedSetupLog(const std::wstring& path) : previous_(SetupLog().Path()) {
        SetupLog().SetPath(path);
    }
    ~ScopedSetupLog() { SetupLog().SetPath(previous_); }

private:
    std::wstring previous_;
};

// ---- command line ----

struct CommandLineCase {
    const char* name;
    std::vector<std::wstring> args;
    std::wstring memName;
    std::wstring progressFile;
};
void PrintTo(const CommandLineCase& c, std::ostream* os) {
    *os << c.name;
}

class CommandLine : public testing::TestWithParam<CommandLineCase> {};

TEST_P(CommandLine, GivesMemoryNameAndProgressFile) {
    const CommandLineCase& c = GetParam();
    const PanelCommandLine parsed = ParseCommandLine(c.args);
    EXPECT_EQ(parsed.folder, L"C:\\Setup\\bin");
    EXPECT_EQ(parsed.memName, c.memName);
    EXPECT_EQ(parsed.progressFile, c.progressFile);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CommandLine,
    testing::Values(
        CommandLineCase{
            "NoArguments", {L"C:\\Setup\\bin\\installpanel.exe"}, L"", L"C:\\Setup\\bin\\ZORBProgress.ini"},
        CommandLineCase{"AbsoluteProgressFile",
                        {L"C:\\Setup\\bin\\installpanel.exe", L"D:\\work\\progress.ini", L"/mem=Answers"},
                        L"Answers",
                        L"D:\\work\\progress.ini"},
        CommandLineCase{"RelativeProgressFile",
                        {L"C:\\Setup\\bin\\installpanel.exe", L"progress.ini"},
                        L"",
                        L"C:\\Setup\\bin\\progress.ini"},
        CommandLineCase{"CapitalDashMem",
                        {L"C:\\Setup\\bin\\installpanel.exe", L"p.ini", L"-MEM=Shared1", L"/mem=Second"},
                        L"Shared1",
                        L"C:\\Setup\\bin\\p.ini"},
        CommandLineCase{"MemFirstIsAlsoTheProgressFile",
                        {L"C:\\Setup\\bin\\installpanel.exe", L"/mem=M"},
                        L"M",
                        L"C:\\Setup\\bin\\/mem=M"},
        CommandLineCase{"MemWithoutNameIsIgnored",
                        {L"C:\\Setup\\bin\\installpanel.exe", L"x.ini", L"/mem=", L"-mem=Real"},
                        L"Real",
                        L"C:\\Setup\\bin\\x.ini"},
        CommandLineCase{"OneCharacterProgressArgumentIsIgnored",
                        {L"C:\\Setup\\bin\\installpanel.exe", L"p"},
                        L"",
                        L"C:\\Setup\\bin\\ZORBProgress.ini"}));

TEST(CommandLineSplit, QuotedProgramPathKeepsItsBlanks) {
    const auto args =
        SplitCommandLine(L"\"C:\\Program Files\\Setup\\installpanel.exe\" \"C:\\a b\\p.ini\" /mem=X");
    const PanelCommandLine parsed = ParseCommandLine(args);
    EXPECT_EQ(parsed.folder, L"C:\\Program Files\\Setup");
    EXPECT_EQ(parsed.progressFile, L"C:\\a b\\p.ini");
    EXPECT_EQ(parsed.memName, L"X");
}

TEST(CommandLineSplit, BareProgramNameUsesTheProgramsOwnFolder) {
    const PanelCommandLine parsed = ParseCommandLine({L"installpanel.exe"});
    EXPECT_EQ(parsed.folder, nimbo_test::TestsFolder());
}

// ---- language ----

struct LanguageCase {
    const char* name;
    std::wstring supportLanguage;
    std::wstring locale;
    std::wstring appLanguage;
    LANGID id;
};
void PrintTo(const LanguageCase& c, std::ostream* os) {
    *os << c.name;
}

class Language : public testing::TestWithParam<LanguageCase> {};

TEST_P(Language, ChoosesNameAndId) {
    const LanguageCase& c = GetParam();
    const LanguageChoice choice = ChooseLanguage(c.supportLanguage, c.locale, 0x0409);
    EXPECT_EQ(choice.appLanguage, c.appLanguage);
    EXPECT_EQ(choice.langId, c.id);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Language,
    testing::Values(LanguageCase{"EmptyIsEnglish", L"", L"", L"English", 1033},
                    LanguageCase{"Danish", L"Danish", L"", L"Danish", 1030},
                    LanguageCase{"DutchAnyCase", L"dUTCH", L"", L"dUTCH", 1043},
                    LanguageCase{"French", L"French", L"", L"French", 1036},
                    LanguageCase{"German", L"German", L"", L"German", 1031},
                    LanguageCase{"Italian", L"Italian", L"", L"Italian", 1040},
                    LanguageCase{"Norwegian", L"Norwegian", L"", L"Norwegian", 1044},
                    LanguageCase{"SpanishModernSort", L"Spanish", L"", L"Spanish", 3082},
                    LanguageCase{"Swedish", L"Swedish", L"", L"Swedish", 1053},
                    LanguageCase{"UnknownIsEnglishId", L"Klingon", L"", L"Klingon", 1033},
                    LanguageCase{"AutoNynorsk", L"Auto-detect", L"nn-NO", L"Norwegian", 1044},
                    LanguageCase{"AutoBokmal", L"auto-DETECT", L"nb-NO", L"Norwegian", 1044},
                    LanguageCase{"AutoPortugueseIsEnglish", L"Auto-detect", L"pt-BR", L"English", 1033},
                    LanguageCase{"AutoSwissGerman", L"Auto-detect", L"de-CH", L"German", 1031},
                    LanguageCase{"AutoBareLanguage", L"Auto-detect", L"sv", L"Swedish", 1053},
                    LanguageCase{"AutoNoLocale", L"Auto-detect", L"", L"English", 1033}));

TEST(LanguageDetection, KeepsWhatWasDetectedForTheLog) {
    const LanguageChoice choice = ChooseLanguage(L"Auto-detect", L"fr-CA", 0x0C0C);
    EXPECT_EQ(choice.detectLocaleName, L"fr-CA");
    EXPECT_EQ(choice.detectLangId, 0x0C0C);
    const LanguageChoice fixed = ChooseLanguage(L"French", L"de-DE", 0x0407);
    EXPECT_EQ(fixed.detectLocaleName, L"");
    EXPECT_EQ(fixed.langId, 1036);
}

// ---- set-up log ----

TEST(SetupLog, FirstEntryHasSeparatorAndFileStartsWithBom) {
    nimbo_test::TempFolder temp;
    CSetupLog log(temp / L"installpanel.log");
    log.WriteLogLine(L"first text", kLogInfo);
    log.WriteLogLine(L"second text", kLogWarning);
    log.WriteLogLine(L"third text", kLogError);
    log.WriteLogLine(L"odd type", 7);

    const std::string bytes = nimbo_test::ReadFileText(temp / L"installpanel.log");
    ASSERT_GE(bytes.size(), 2u);
    EXPECT_EQ(static_cast<unsigned char>(bytes[0]), 0xFF);
    EXPECT_EQ(static_cast<unsigned char>(bytes[1]), 0xFE);
    const std::wstring text = ReadLogText(temp / L"installpanel.log");
    const std::wstring separator = L"\r\n\r\n" + std::wstring(124, L'-') + L"\r\n";
    ASSERT_EQ(text.rfind(separator, 0), 0u) << WideToUtf8(text);

    // Each entry: "\r\n" (after the first), "yyyy-mm-dd hh:mm:ss", tab, "[ Type ]", " \t", text.
    std::vector<std::wstring> entries;
    size_t pos = separator.size();
    while (pos < text.size()) {
        size_t next = text.find(L"\r\n", pos);
        entries.push_back(text.substr(pos, next == std::wstring::npos ? std::wstring::npos : next - pos));
        pos = next == std::wstring::npos ? text.size() : next + 2;
    }
    ASSERT_EQ(entries.size(), 4u) << WideToUtf8(text);
    const wchar_t* expected[] = {L"[ Info ] \tfirst text", L"[ Warning ] \tsecond text",
                                 L"[ Error ] \tthird text", L"[ Info ] \todd type"};
    for (size_t i = 0; i < entries.size(); ++i) {
        const std::wstring& entry = entries[i];
        ASSERT_GT(entry.size(), 20u);
        int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
        EXPECT_EQ(
            swscanf(entry.c_str(), L"%4d-%2d-%2d %2d:%2d:%2d", &year, &month, &day, &hour, &minute, &second),
            6);
        EXPECT_EQ(entry[4], L'-');
        EXPECT_EQ(entry[19], L'\t');
        EXPECT_EQ(entry.substr(20), expected[i]);
    }
}

TEST(SetupLog, AnotherProcessRunAddsItsOwnSeparatorWithoutSecondBom) {
    nimbo_test::TempFolder temp;
    {
        CSetupLog first(temp / L"installpanel.log");
        first.WriteLogLine(L"run one", kLogInfo);
    }
    CSetupLog second(temp / L"installpanel.log");
    second.WriteLogLine(L"run two", kLogInfo);
    const std::wstring text = ReadLogText(temp / L"installpanel.log");
    EXPECT_EQ(text.find(L'\xFEFF'), std::wstring::npos);
    const std::wstring dashes(124, L'-');
    const size_t firstDashes = text.find(dashes);
    ASSERT_NE(firstDashes, std::wstring::npos);
    EXPECT_NE(text.find(dashes, firstDashes + 1), std::wstring::npos);
    EXPECT_LT(text.find(L"run one"), text.find(L"run two"));
}

TEST(SetupLog, OpenFailureIsReportedOnceForTheFirstEntryOnly) {
    nimbo_test::TempFolder temp;
    std::vector<std::wstring> reports;
    const std::wstring path = temp / L"missing\\folder\\installpanel.log";
    CSetupLog log(path, [&](const std::wstring& message) { reports.push_back(message); });
    log.WriteLogLine(L"one", kLogInfo);
    log.WriteLogLine(L"two", kLogInfo);
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0], L"Failed to open the log file: " + path);

    std::vector<std::wstring> later;
    CSetupLog works(temp / L"ok.log", [&](const std::wstring& message) { later.push_back(message); });
    works.WriteLogLine(L"fine", kLogInfo);
    works.SetPath(path);
    works.WriteLogLine(L"not the first entry any more", kLogInfo);
    EXPECT_TRUE(later.empty());
}

TEST(SetupLog, DefaultPathIsInTheQuillmarkFolderAndExists) {
    const std::wstring path = DefaultSetupLogPath();
    const std::wstring tail = L"\\Quillmark\\quillmarkinstalllog_V2\\installpanel.log";
    ASSERT_GT(path.size(), tail.size());
    EXPECT_EQ(path.substr(path.size() - tail.size()), tail);
    EXPECT_TRUE(
        nimbo_test::FolderExists(path.substr(0, path.size() - std::wstring(L"\\installpanel.log").size())));
}

TEST(SetupLog, SystemErrorIsLoggedWithTheSystemsText) {
    nimbo_test::TempFolder temp;
    ScopedSetupLog scoped(temp / L"log.txt");
    LogSystemError(L"OpenProcessToken() failed, ", ERROR_ACCESS_DENIED);
    const std::wstring text = ReadLogText(temp / L"log.txt");
    EXPECT_NE(text.find(L"[ Error ] \tOpenProcessToken() failed, " + SystemErrorText(ERROR_ACCESS_DENIED)),
              std::wstring::npos)
        << WideToUtf8(text);
    EXPECT_FALSE(SystemErrorText(ERROR_ACCESS_DENIED).empty());
}

// ---- shared memory ----

class SharedMemory : public testing::Test {
protected:
    SharedMemory()
        : name_(FormatWide(L"nimbo_ip_unit_%lu_%d", GetCurrentProcessId(), counter_++)),
          scoped_(temp_ / L"log") {}

    // The installer's side of the mapping.
    const wchar_t* OpenInstallerView() {
        installerMapping_.reset(OpenFileMappingW(FILE_MAP_ALL_ACCESS, FALSE, name_.c_str()));
        if (!installerMapping_) return nullptr;
        installerView_.reset(
            MapViewOfFile(installerMapping_.get(), FILE_MAP_ALL_ACCESS, 0, 0, kSharedMemBytes));
        return static_cast<const wchar_t*>(installerView_.get());
    }
    std::wstring Log() { return ReadLogText(temp_ / L"log"); }

    static inline int counter_ = 0;
    std::wstring name_;
    nimbo_test::TempFolder temp_;
    ScopedSetupLog scoped_;
    Handle installerMapping_;
    MappedView installerView_;
};

TEST_F(SharedMemory, StartsWithUpAnswerAndCarriesEachAnswer) {
    CPanelSharedMemory memory;
    ASSERT_TRUE(memory.Create(name_));
    const wchar_t* view = OpenInstallerView();
    ASSERT_NE(view, nullptr);
    EXPECT_STREQ(view, L"0001");

    for (const wchar_t* answer : {L"0009", L"yes", L"no", L"abort", L"ok"}) {
        memory.OutputSharedMem(answer);
        EXPECT_STREQ(view, answer);
    }
    EXPECT_NE(Log().find(L"OutputSharedMem: value=abort."), std::wstring::npos);
}

TEST_F(SharedMemory, InstallersMappingIsReusedAndWiped) {
    Handle mapping(
        CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, kSharedMemBytes, name_.c_str()));
    ASSERT_TRUE(mapping);
    MappedView view(MapViewOfFile(mapping.get(), FILE_MAP_ALL_ACCESS, 0, 0, kSharedMemBytes));
    auto* chars = static_cast<wchar_t*>(view.get());
    for (size_t i = 0; i < kSharedMemChars; ++i) chars[i] = L'x';

    CPanelSharedMemory memory;
    ASSERT_TRUE(memory.Create(name_));
    EXPECT_STREQ(chars, L"0001");
    for (size_t i = 5; i < kSharedMemChars; ++i) ASSERT_EQ(chars[i], L'\0') << i;
}

TEST_F(SharedMemory, ReadsTheInstallersFolderThenZeroesAllOfIt) {
    CPanelSharedMemory memory;
    ASSERT_TRUE(memory.Create(name_));
    auto* chars = const_cast<wchar_t*>(OpenInstallerView());
    wcscpy(chars, L"C:\\Program Files\\Nimbo Launcher");
    EXPECT_EQ(memory.ReadFromSharedMem(), L"C:\\Program Files\\Nimbo Launcher");
    memory.ZeroMemory();
    const auto* bytes = reinterpret_cast<const unsigned char*>(chars);
    for (DWORD i = 0; i < kSharedMemBytes; ++i) ASSERT_EQ(bytes[i], 0) << i;
    EXPECT_NE(Log().find(L"ZeroMemory: zeromemory successfully."), std::wstring::npos);
}

TEST_F(SharedMemory, NeverReadsOrWritesPastSixHundredBytes) {
    CPanelSharedMemory memory;
    ASSERT_TRUE(memory.Create(name_));
    auto* chars = const_cast<wchar_t*>(OpenInstallerView());
    // The installer filled every character, no terminating zero.
    for (size_t i = 0; i < kSharedMemChars; ++i) chars[i] = L'a';
    EXPECT_LT(memory.ReadFromSharedMem().size(), kSharedMemChars);

    memory.OutputSharedMem(std::wstring(1000, L'b'));
    EXPECT_EQ(wcsnlen(chars, kSharedMemChars), kSharedMemChars - 1);
}

TEST_F(SharedMemory, WithoutMappingEverythingIsLoggedAndDropped) {
    CPanelSharedMemory memory;
    EXPECT_FALSE(memory.Create(L""));
    memory.OutputSharedMem(L"yes");
    EXPECT_EQ(memory.ReadFromSharedMem(), L"");
    memory.ZeroMemory();
    const std::wstring log = Log();
    EXPECT_NE(log.find(L"[ Warning ] \tSharedMemoryName is null, no need to create shared memory."),
              std::wstring::npos);
    EXPECT_NE(log.find(L"[ Error ] \tOutputSharedMem: lpMemory is null, cannot output text to shared memory, "
                       L"value=yes."),
              std::wstring::npos);
    EXPECT_NE(
        log.find(L"[ Error ] \tReadFromSharedMem: lpMemory is null, cannot read data from shared memory."),
        std::wstring::npos);
    EXPECT_NE(log.find(L"[ Error ] \tZeroMemory: lpmemory is null."), std::wstring::npos);
}

// ---- progress file ----

TEST(ProgressFile, TakesTheValuesAfterTheFirstEquals) {
    ProgressTexts texts;
    ASSERT_TRUE(ParseProgressBytes("Progress=42\r\nStatus=a=b\r\nMore=1\r\n", texts));
    EXPECT_EQ(texts.progress, L"42");
    EXPECT_EQ(texts.status, L"a=b");
    ASSERT_TRUE(ParseProgressBytes("77\nStatus=-1", texts));
    EXPECT_EQ(texts.progress, L"77");
    EXPECT_EQ(texts.status, L"-1");
}

TEST(ProgressFile, ReadsUtf16WrittenFiles) {
    nimbo_test::TempFolder temp;
    const std::wstring content = L"\xFEFFProgress=63\r\nStatus=0\r\n";
    nimbo_test::WriteFileText(temp / L"p.ini",
                              std::string(reinterpret_cast<const char*>(content.data()), content.size() * 2));
    ProgressTexts texts;
    ASSERT_TRUE(ReadProgressFile(temp / L"p.ini", texts));
    EXPECT_EQ(texts.progress, L"63");
    EXPECT_EQ(texts.status, L"0");
}

TEST(ProgressFile, MissingOrEmptyFileLeavesThePreviousTexts) {
    nimbo_test::TempFolder temp;
    ProgressTexts texts{L"30", L"0"};
    EXPECT_FALSE(ReadProgressFile(temp / L"none.ini", texts));
    nimbo_test::WriteFileText(temp / L"empty.ini", "");
    EXPECT_FALSE(ReadProgressFile(temp / L"empty.ini", texts));
    EXPECT_EQ(texts.progress, L"30");
    EXPECT_EQ(texts.status, L"0");
}

TEST(ProgressFile, FileHeldOpenForWritingByTheInstallerCanStillBeRead) {
    nimbo_test::TempFolder temp;
    const std::wstring path = temp / L"p.ini";
    FileHandle writer(CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(writer);
    DWORD written = 0;
    WriteFile(writer.get(), "P=12\r\nS=0\r\n", 11, &written, nullptr);
    ProgressTexts texts;
    ASSERT_TRUE(ReadProgressFile(path, texts));
    EXPECT_EQ(texts.progress, L"12");
}

struct TrackerStep {
    std::wstring progress;
    std::wstring status;
    int percent;
    bool setBar;
    bool complete;
    bool failed;
};
struct TrackerCase {
    const char* name;
    std::vector<TrackerStep> steps;
};
void PrintTo(const TrackerCase& c, std::ostream* os) {
    *os << c.name;
}

class Tracker : public testing::TestWithParam<TrackerCase> {};

TEST_P(Tracker, TurnsReadingsIntoSteps) {
    CProgressTracker tracker;
    int index = 0;
    for (const TrackerStep& expected : GetParam().steps) {
        const ProgressStep step = tracker.Apply({expected.progress, expected.status});
        EXPECT_EQ(step.percent, expected.percent) << "step " << index;
        EXPECT_EQ(step.setBar, expected.setBar) << "step " << index;
        EXPECT_EQ(step.complete, expected.complete) << "step " << index;
        EXPECT_EQ(step.failed, expected.failed) << "step " << index;
        ++index;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Tracker,
    testing::Values(TrackerCase{"Rising",
                                {{L"0", L"0", 0, false, false, false},
                                 {L"45", L"0", 45, true, false, false},
                                 {L"100", L"0", 100, true, true, false}}},
                    TrackerCase{"OverHundredCompletesOnce",
                                {{L"150", L"0", 100, true, true, false},
                                 {L"150", L"0", 100, true, false, false},
                                 {L"100", L"0", 100, true, false, false}}},
                    TrackerCase{"Failure", {{L"20", L"-1", 20, true, false, true}}},
                    TrackerCase{"DoneAndFailedAtOnce", {{L"100", L"-1", 100, true, true, true}}},
                    TrackerCase{"NotANumber", {{L"abc", L"", 0, false, false, false}}},
                    TrackerCase{"Negative", {{L"-5", L"0", 0, false, false, false}}},
                    TrackerCase{"NinetyNineIsNotDone", {{L"99", L"0", 99, true, false, false}}}));

TEST(Tracker, DoneMessageAndHundredPercentCompleteOnlyOnce) {
    CProgressTracker tracker;
    EXPECT_TRUE(tracker.MarkDone());
    EXPECT_FALSE(tracker.Apply({L"100", L"0"}).complete);
    EXPECT_FALSE(tracker.MarkDone());
}

// ---- thread messages ----

struct HookCase {
    const char* name;
    MSG posted;
    bool forwarded;
    ForwardedMessage expected;
};
void PrintTo(const HookCase& c, std::ostream* os) {
    *os << c.name;
}

class Hook : public testing::TestWithParam<HookCase> {};

TEST_P(Hook, ForwardsThreadMessagesToTheWindow) {
    const HookCase& c = GetParam();
    const auto forwarded = ThreadMessageToForward(c.posted);
    ASSERT_EQ(forwarded.has_value(), c.forwarded);
    if (!forwarded) return;
    EXPECT_EQ(forwarded->message, c.expected.message);
    EXPECT_EQ(forwarded->wParam, c.expected.wParam);
    EXPECT_EQ(forwarded->lParam, c.expected.lParam);
}

MSG Posted(UINT message, WPARAM wParam, LPARAM lParam, HWND window = nullptr) {
    MSG msg{};
    msg.hwnd = window;
    msg.message = message;
    msg.wParam = wParam;
    msg.lParam = lParam;
    return msg;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Hook,
    testing::Values(
        HookCase{"NeedAdminWithoutParameters", Posted(0x8005, 7, 9), true, {0x8005, 0, 0}},
        HookCase{"PortInUseKeepsOnlyWParam", Posted(0x8064, 3, 44), true, {0x8064, 3, 0}},
        HookCase{"OthersKeepBoth", Posted(0x800A, 2, 1), true, {0x800A, 2, 1}},
        HookCase{"CloseToo", Posted(WM_CLOSE, 0, 0), true, {WM_CLOSE, 0, 0}},
        HookCase{"QuitStays", Posted(WM_QUIT, 0, 0), false, {}},
        HookCase{"WindowMessagesStay", Posted(0x8008, 1, 0, reinterpret_cast<HWND>(0x1234)), false, {}}));

// ---- settings ----

TEST(Settings, ReadsTheInstallersValuesAndWritesStatus) {
    nimbo_test::TempFolder temp;
    nimbo_test::WriteFileText(
        temp / L"LauncherCfg.ini",
        "[KXAppSetting]\r\nAppTitle=Nimbo Setup\r\nIsCustomAppHome=1\r\nKXAppHome=D:\\Apps\r\n"
        "IsCustomInstallPath=1\r\nInstallPath=D:\\Nimbo\r\nInstallMode=2\r\nUserType=Multi\r\n"
        "IsUpgrade=0\r\nNblDirNotBeSame=2|D:\\Old Nimbo\r\n");
    nimbo_test::WriteFileText(
        temp / L"Config.ini",
        "[ServerListener]\r\nLauncherWithoutService_Port=21000\r\nLauncherWithService_Port=21002\r\n");
    nimbo_test::WriteFileText(temp / L"LauncherSetup.ini", "[RES]\r\nBKGROUND_RESTYPE=3\r\n");
    CPanelConfig config(temp.path());
    const PanelSettings settings = config.Load();
    EXPECT_EQ(settings.appTitle, L"Nimbo Setup");
    EXPECT_TRUE(settings.AppsRowWanted());
    EXPECT_TRUE(settings.LauncherRowWanted());
    EXPECT_FALSE(settings.Upgrade());
    EXPECT_EQ(settings.InstallModeNumber(), 2);
    EXPECT_EQ(settings.kxAppHome, L"D:\\Apps");
    EXPECT_EQ(settings.installPath, L"D:\\Nimbo");
    EXPECT_EQ(settings.userType, L"Multi");
    EXPECT_EQ(settings.nblDirNotBeSame, L"2|D:\\Old Nimbo");
    const LauncherPorts ports = config.ReadPorts();
    EXPECT_EQ(ports.withoutService, 21000);
    EXPECT_EQ(ports.withService, 21002);
    EXPECT_EQ(config.BackgroundResType(), L"3");

    EXPECT_TRUE(config.WriteSetupStatus(L"Continue"));
    wchar_t status[64] = {};
    GetPrivateProfileStringW(L"KXAppSetting", L"SetupStatus", L"", status, 64,
                             (temp / L"LauncherCfg.ini").c_str());
    EXPECT_STREQ(status, L"Continue");
}

TEST(Settings, RowFlagsCompareAsTheInstallerWritesThem) {
    PanelSettings settings;
    settings.isCustomAppHome = L"01";      // a number: 1
    settings.isCustomInstallPath = L"01";  // a text: not "1"
    settings.isUpgrade = L" 1";
    EXPECT_TRUE(settings.AppsRowWanted());
    EXPECT_FALSE(settings.LauncherRowWanted());
    EXPECT_TRUE(settings.Upgrade());
}

struct NblCase {
    const char* name;
    std::wstring value;
    int type;
    std::wstring folder;
};
void PrintTo(const NblCase& c, std::ostream* os) {
    *os << c.name;
}
class NblDir : public testing::TestWithParam<NblCase> {};

TEST_P(NblDir, GivesTypeAndFolder) {
    const ExistingLauncher existing = ParseNblDirNotBeSame(GetParam().value);
    EXPECT_EQ(existing.type, GetParam().type);
    EXPECT_EQ(existing.folder, GetParam().folder);
}

INSTANTIATE_TEST_SUITE_P(Cases, NblDir,
                         testing::Values(NblCase{"Public", L"1|C:\\Nimbo", 1, L"C:\\Nimbo"},
                                         NblCase{"Standard", L"2,D:\\x", 2, L"D:\\x"},
                                         NblCase{"TypeOnly", L"2", 2, L""},
                                         NblCase{"TwoCharacters", L"1|", 1, L""},
                                         NblCase{"Empty", L"", 0, L""},
                                         NblCase{"UnknownType", L"7|E:\\y", 0, L"E:\\y"}));

}  // namespace
