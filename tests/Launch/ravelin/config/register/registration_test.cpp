// Component registration through the real chain: elevlink.dll starts elevhost.exe, which runs
// regsvr32 (or a stand-in regasm.exe below a test .NET install root) on copies of the test COM
// server in an app folder; the warning boxes are answered on the display.
#include <gtest/gtest.h>
#include <olectl.h>

#include "Common/elevlink/include/icommand.h"
#include "catalog.h"
#include "registration_fixture.h"
#include "registry_scope.h"

using namespace NimboNS;
using config_test::ConfigUnderTest;
using register_test::Record;
using register_test::RegistrationTest;

namespace {

using Entries = std::map<std::wstring, std::wstring>;

constexpr HRESULT kFail = E_FAIL;

bool Contains(const std::wstring& text, const std::wstring& part) {
    return text.find(part) != std::wstring::npos;
}

// The run's log has a line with `text` at error severity.
bool LoggedError(const ConfigUnderTest& run, const std::wstring& text) {
    const std::string log = run.Log();
    const size_t at = log.find("] " + WideToUtf8(text));
    if (at == std::string::npos) return false;
    const size_t newline = log.rfind('\n', at);
    const size_t start = newline == std::string::npos ? 0 : newline + 1;
    return log.substr(start, at - start).find(" ERROR ") != std::string::npos;
}

TEST_F(RegistrationTest, RegistersListedComponentsOnceAndAgainWhenTheirHashChanges) {
    AddServer(L"Comp.dll");
    AddServer(L"bin\\Grid.ocx");
    AddServer(L"Listed.dll");  // named by RegisterFiles, but not a file of the document
    AddServer(L"Plain.dll");   // a file of the document, not named by RegisterFiles
    std::vector<Record> records = {
        {L"", L"Comp.dll", L"c1"}, {L"bin", L"Grid.ocx", L"g1"}, {L"", L"Plain.dll", L"p1"}};
    const std::vector<std::wstring> listed = {L"bin\\Grid.ocx", L"comp.DLL", L"Listed.dll"};
    {
        ConfigUnderTest run;
        Configure(run, records, listed);
        EXPECT_TRUE(Register(run).empty());
        EXPECT_EQ(run.config.commandObject, nullptr);
        EXPECT_EQ(run.config.commandLibrary, nullptr);
    }
    EXPECT_EQ(Calls(L"Comp.dll"), "register\r\n");
    EXPECT_EQ(Calls(L"bin\\Grid.ocx"), "register\r\n");
    EXPECT_EQ(Calls(L"Listed.dll"), "");
    EXPECT_EQ(Calls(L"Plain.dll"), "");
    EXPECT_TRUE(Registered(L"Comp.dll"));
    EXPECT_TRUE(Registered(L"bin\\Grid.ocx"));
    // The history names each component as the document spells it.
    EXPECT_EQ(History(), (Entries{{Full(L"Comp.dll"), L"c1"}, {Full(L"bin\\Grid.ocx"), L"g1"}}));

    // The next start with the same document registers nothing.
    {
        ConfigUnderTest run;
        Configure(run, records, listed);
        EXPECT_TRUE(Register(run).empty());
    }
    EXPECT_EQ(Calls(L"Comp.dll"), "register\r\n");
    EXPECT_EQ(Calls(L"bin\\Grid.ocx"), "register\r\n");

    // A publication that changed Grid.ocx: it is unregistered, then registered again.
    records[1].hashCode = L"g2";
    {
        ConfigUnderTest run;
        Configure(run, records, listed);
        EXPECT_TRUE(Register(run).empty());
    }
    EXPECT_EQ(Calls(L"bin\\Grid.ocx"), "register\r\nunregister\r\nregister\r\n");
    EXPECT_EQ(Calls(L"Comp.dll"), "register\r\n");
    EXPECT_TRUE(Registered(L"bin\\Grid.ocx"));
    EXPECT_EQ(History(), (Entries{{Full(L"Comp.dll"), L"c1"}, {Full(L"bin\\Grid.ocx"), L"g2"}}));
}

struct FailureCase {
    const char* name;
    HRESULT registerResult;
    HRESULT unregisterResult;
    const wchar_t* previousHash;  // the history's entry before the run; null for none
    const char* calls;            // what the failed run called
};

void PrintTo(const FailureCase& c, std::ostream* out) {
    *out << c.name;
}

class FailedRegistration : public RegistrationTest, public testing::WithParamInterface<FailureCase> {};

// The user answers OK: the run goes on with the next component; the failed one keeps its previous
// history entry, so the next start tries it again.
TEST_P(FailedRegistration, WarnsKeepsThePreviousEntryAndIsTriedAgainNextTime) {
    const FailureCase& c = GetParam();
    AddServer(L"bin\\Fail.dll", c.registerResult, c.unregisterResult);
    AddServer(L"Good.dll");
    Entries before;
    if (c.previousHash != nullptr) before[Full(L"bin\\Fail.dll")] = c.previousHash;
    SeedHistory(before);
    const std::vector<Record> records = {{L"bin", L"Fail.dll", L"new"}, {L"", L"Good.dll", L"good"}};
    const std::vector<std::wstring> listed = {L"bin\\Fail.dll", L"Good.dll"};
    {
        ConfigUnderTest run;
        Configure(run, records, listed);
        const auto warnings = Register(run, {IDOK}, L"config_register_warning");
        ASSERT_EQ(warnings.size(), 1u);
        EXPECT_TRUE(Contains(warnings[0], Warning(L"bin\\Fail.dll"))) << WideToUtf8(warnings[0]);
        // regsvr32 failed and there is no regasm to try: nothing for the log.
        EXPECT_FALSE(run.Logged(L"Failed to register the file")) << run.Log();
    }
    EXPECT_EQ(Calls(L"bin\\Fail.dll"), c.calls);
    EXPECT_EQ(Calls(L"Good.dll"), "register\r\n");
    Entries expected = before;
    expected[Full(L"Good.dll")] = L"good";
    EXPECT_EQ(History(), expected);

    SetResults(L"bin\\Fail.dll", S_OK, S_OK);
    {
        ConfigUnderTest run;
        Configure(run, records, listed);
        EXPECT_TRUE(Register(run).empty());
    }
    const std::string again = c.previousHash != nullptr ? "unregister\r\nregister\r\n" : "register\r\n";
    EXPECT_EQ(Calls(L"bin\\Fail.dll"), c.calls + again);
    EXPECT_EQ(Calls(L"Good.dll"), "register\r\n");
    EXPECT_TRUE(Registered(L"bin\\Fail.dll"));
    expected[Full(L"bin\\Fail.dll")] = L"new";
    EXPECT_EQ(History(), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FailedRegistration,
    testing::Values(FailureCase{"NewComponentFailsToRegister", kFail, S_OK, nullptr, "register\r\n"},
                    FailureCase{"ChangedComponentFailsToUnregister", S_OK, kFail, L"old", "unregister\r\n"},
                    FailureCase{"ChangedComponentFailsToRegister", SELFREG_E_CLASS, S_OK, L"old",
                                "unregister\r\nregister\r\n"}),
    [](const testing::TestParamInfo<FailureCase>& info) { return std::string(info.param.name); });

TEST_F(RegistrationTest, CancelEndsTheWarningsButNotTheRegistration) {
    const std::vector<std::wstring> names = {L"A.dll", L"B.dll", L"C.dll", L"D.dll"};
    std::vector<Record> records;
    for (const std::wstring& name : names) {
        AddServer(name, name == L"D.dll" ? S_OK : kFail);
        records.push_back({L"", name, L"h"});
    }
    {
        ConfigUnderTest run;
        Configure(run, records, names);
        // Any further box would be recorded (and cancelled) too.
        const auto warnings = Register(run, {IDCANCEL});
        ASSERT_EQ(warnings.size(), 1u);
        EXPECT_TRUE(Contains(warnings[0], Warning(L"A.dll"))) << WideToUtf8(warnings[0]);
    }
    for (const wchar_t* failing : {L"A.dll", L"B.dll", L"C.dll"}) EXPECT_EQ(Calls(failing), "register\r\n");
    EXPECT_EQ(Calls(L"D.dll"), "register\r\n");
    EXPECT_TRUE(Registered(L"D.dll"));
    EXPECT_EQ(History(), (Entries{{Full(L"D.dll"), L"h"}}));
}

// Without a channel nothing is registered and the history stays as it was.
TEST_F(RegistrationTest, WithoutTheElevatedChannelNothingIsRegistered) {
    AddServer(L"Comp.dll");
    const Entries before = {{Full(L"Comp.dll"), L"old"}};
    const std::vector<Record> records = {{L"", L"Comp.dll", L"new"}};

    // elevlink.dll cannot be found.
    {
        wchar_t system[MAX_PATH] = {};
        GetSystemDirectoryW(system, MAX_PATH);
        const DWORD size = GetEnvironmentVariableW(L"PATH", nullptr, 0);
        std::wstring path(size, L'\0');
        GetEnvironmentVariableW(L"PATH", path.data(), size);
        ConfigUnderTest run;  // kxjson is loaded now, while it can be found
        ASSERT_TRUE(SetEnvironmentVariableW(L"PATH", system));
        SeedHistory(before);
        Configure(run, records, {L"Comp.dll"});
        EXPECT_TRUE(RegisterOnce(run.config).empty());
        SetEnvironmentVariableW(L"PATH", path.c_str());
        EXPECT_TRUE(LoggedError(run, GetLocalizedMessage(msg::kElevlinkOpenFailed))) << run.Log();
        EXPECT_EQ(run.config.commandObject, nullptr);
        EXPECT_EQ(run.config.commandLibrary, nullptr);
    }
    EXPECT_EQ(GetModuleHandleW(names::kElevlinkDll), nullptr);

    // The process already holds the channel: elevhost serves one client of a process.
    {
        ModuleHandle elevlink(LoadLibraryW(names::kElevlinkDll));
        ASSERT_TRUE(elevlink);
        auto create = reinterpret_cast<Elevlink::CreateCommandObjectFn>(
            reinterpret_cast<void*>(GetProcAddress(elevlink.get(), Elevlink::kCreateCommandObjectExport)));
        ASSERT_NE(create, nullptr);
        Elevlink::ICommand* holder = create();
        ASSERT_TRUE(holder->Open(0));
        ConfigUnderTest run;
        Configure(run, records, {L"Comp.dll"});
        EXPECT_TRUE(RegisterOnce(run.config).empty());
        EXPECT_TRUE(LoggedError(run, GetLocalizedMessage(msg::kElevlinkOpenFailed))) << run.Log();
        EXPECT_EQ(run.config.commandObject, nullptr);
        // The holder's channel still works.
        EXPECT_EQ(holder->Execute(L"exit 4", 6), 4);
        holder->Close();
        holder->Release();
    }
    EXPECT_EQ(Calls(L"Comp.dll"), "");
    EXPECT_EQ(History(), before);
}

// The commands run elevated through cmd, which has no escape for '"': a path that would end its
// quotes early, or the command line, is refused before anything runs.
TEST_F(RegistrationTest, APathThatCannotBeQuotedIsNeverRun) {
    ModuleHandle elevlink(LoadLibraryW(names::kElevlinkDll));
    ASSERT_TRUE(elevlink);
    auto create = reinterpret_cast<Elevlink::CreateCommandObjectFn>(
        reinterpret_cast<void*>(GetProcAddress(elevlink.get(), Elevlink::kCreateCommandObjectExport)));
    ASSERT_NE(create, nullptr);
    ConfigUnderTest run;
    // elevhost may start slower than elevlink waits on a loaded machine: a few tries.
    for (int attempt = 0; attempt < 3 && run.config.commandObject == nullptr; ++attempt) {
        Elevlink::ICommand* command = create();
        if (command->Open(0))
            run.config.commandObject = command;
        else
            command->Release();
    }
    ASSERT_NE(run.config.commandObject, nullptr);

    const std::wstring marker = temp_ / L"ran.txt";
    const std::wstring hostile[] = {
        app_ + L"\\x.dll\" & echo ran> \"" + marker,
        app_ + L"\\x.dll\r\necho ran> \"" + marker + L"\"",
    };
    for (const std::wstring& path : hostile) {
        EXPECT_EQ(run.config.RegisterFile(path, 0), -1);
        EXPECT_EQ(run.config.RegisterFile(path, 1), -1);
    }
    EXPECT_TRUE(LoggedError(run, L"Failed to register the file (" + hostile[0] + L").")) << run.Log();
    // The channel itself works: an ordinary path gets as far as regsvr32.
    EXPECT_NE(run.config.RegisterFile(app_ + L"\\missing.dll", 0), -1);
    run.config.commandObject->Close();
    run.config.commandObject->Release();
    run.config.commandObject = nullptr;
    EXPECT_FALSE(nimbo_test::FileExists(marker));
}

struct RegasmCase {
    const char* name;
    int exitCode;                     // of the newest regasm
    const wchar_t* previousHash;      // the history's entry before the run; null for none
    std::vector<std::wstring> calls;  // regasm's arguments, %s for the assembly's path
};

void PrintTo(const RegasmCase& c, std::ostream* out) {
    *out << c.name;
}

class AssemblyRegistration : public RegistrationTest, public testing::WithParamInterface<RegasmCase> {};

// A file regsvr32 cannot register goes to the regasm of the newest framework below the .NET
// install root of the (private) registry.
TEST_P(AssemblyRegistration, FallsBackToTheNewestRegasm) {
    const RegasmCase& c = GetParam();
    config_test::RegistryScope registry;
    ASSERT_TRUE(registry.Active());
    const std::wstring root = temp_ / L"dotnet";
    const std::wstring regasm = nimbo_test::TestsFolder() + L"\\nimbo_test_regasm.exe";
    ASSERT_TRUE(CreateDirectoryW(root.c_str(), nullptr));
    // v4.5 has the greatest name but no regasm.exe.
    for (const wchar_t* framework : {L"v2.0.50727", L"v4.0.30319", L"v4.5"})
        ASSERT_TRUE(CreateDirectoryW((root + L"\\" + framework).c_str(), nullptr));
    const std::wstring older = root + L"\\v2.0.50727\\regasm.exe",
                       newest = root + L"\\v4.0.30319\\regasm.exe";
    ASSERT_TRUE(CopyFileW(regasm.c_str(), older.c_str(), FALSE));
    ASSERT_TRUE(CopyFileW(regasm.c_str(), newest.c_str(), FALSE));
    ASSERT_TRUE(nimbo_test::WriteFileText(older + L".result", "9"));
    ASSERT_TRUE(nimbo_test::WriteFileText(newest + L".result", std::to_string(c.exitCode)));
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, names::kDotNetFrameworkKey, 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &key, nullptr),
              ERROR_SUCCESS);
    const std::wstring value = root + L"\\";
    RegSetValueExW(key, names::kDotNetInstallRootValue, 0, REG_SZ,
                   reinterpret_cast<const BYTE*>(value.c_str()),
                   static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);

    ASSERT_TRUE(nimbo_test::WriteFileText(Full(L"Managed.dll"), "not a COM server"));
    Entries before;
    if (c.previousHash != nullptr) before[Full(L"Managed.dll")] = c.previousHash;
    SeedHistory(before);
    const bool fails = c.exitCode != 0;
    {
        ConfigUnderTest run;
        Configure(run, {{L"", L"Managed.dll", L"m1"}}, {L"Managed.dll"});
        const auto warnings = Register(run, {IDOK});
        EXPECT_EQ(warnings.size(), fails ? 1u : 0u);
        const std::wstring logged = L"Failed to register the file (" + Full(L"Managed.dll") + L").";
        EXPECT_EQ(LoggedError(run, logged), fails) << run.Log();
    }
    std::string expected;
    for (const std::wstring& call : c.calls)
        expected += WideToUtf8(FormatWide(call.c_str(), Full(L"Managed.dll").c_str())) + "\r\n";
    EXPECT_EQ(nimbo_test::ReadFileText(newest + L".args"), expected);
    EXPECT_FALSE(nimbo_test::FileExists(older + L".args"));
    Entries after = before;
    if (!fails) after[Full(L"Managed.dll")] = L"m1";
    EXPECT_EQ(History(), after);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, AssemblyRegistration,
    testing::Values(RegasmCase{"Registers", 0, nullptr, {L"/s /nologo \"%s\" /codebase"}},
                    RegasmCase{"ReplacesAChangedAssembly",
                               0,
                               L"m0",
                               {L"/u /s /nologo \"%s\" /codebase", L"/s /nologo \"%s\" /codebase"}},
                    RegasmCase{"FailsWithItsExitCode", 7, nullptr, {L"/s /nologo \"%s\" /codebase"}}),
    [](const testing::TestParamInfo<RegasmCase>& info) { return std::string(info.param.name); });

}  // namespace
