// Which version to install or keep, and the prompts that let the user decide.
#include <cwchar>

#include "catalog.h"
#include "plog/Record.h"
#include "updateconfig.h"

namespace NimboNS {

namespace {

std::vector<std::wstring> VersionParts(const std::wstring& text) {
    std::vector<std::wstring> parts;
    size_t start = 0;
    while (start <= text.size()) {
        size_t dot = text.find(L'.', start);
        if (dot == std::wstring::npos) dot = text.size();
        if (dot > start) parts.push_back(text.substr(start, dot - start));
        start = dot + 1;
    }
    return parts;
}

bool ContainsIgnoringCase(const std::vector<std::wstring>& list, const std::wstring& text) {
    for (const std::wstring& item : list) {
        if (_wcsicmp(item.c_str(), text.c_str()) == 0) return true;
    }
    return false;
}

}  // namespace

int CUpdateConfig::CompareVersions(const std::wstring& a, const std::wstring& b) {
    const std::vector<std::wstring> left = VersionParts(a), right = VersionParts(b);
    for (size_t i = 0; i < left.size() && i < right.size(); ++i) {
        const int x = _wtoi(left[i].c_str()), y = _wtoi(right[i].c_str());
        if (x > y) return 1;
        if (x < y) return -1;
    }
    return 0;
}

int CUpdateConfig::Prompt(int messageId, UINT buttons) {
    return versionPrompt(GetLocalizedMessage(messageId), GetLocalizedMessage(msg::kInformation),
                         MB_TOPMOST | MB_ICONQUESTION | buttons);
}

int CUpdateConfig::ChooseVersion() {
    if (updateType == FirstDownLoad) {
        if (latestVersion.empty()) {
            OutputLog(plog::error, GetLocalizedMessage(msg::kNoVersionOnServer));
            return 1;
        }
        if (CompareVersions(latestVersion, minimumValidVersion) < 0) {
            OutputLog(plog::error, GetLocalizedMessage(msg::kLatestOlderThanMinimum));
            return 1;
        }
        version = latestVersion;
        return 0;
    }
    std::wstring chosen;
    if (int result = DecideUpgrade(chosen)) return result;
    if (!chosen.empty() && chosen != version) {
        version = chosen;
        updateType = AcrossVersion;
    }
    return 0;
}

int CUpdateConfig::DecideUpgrade(std::wstring& text) {
    text = version;
    const bool newerOffered =
        !latestVersion.empty() && CompareVersions(latestVersion, minimumValidVersion) >= 0;
    const bool quietNever = startMode == Never && isVerOffCheck == 0;
    const bool known = startMode == Always || startMode == Never || startMode == Connect;

    if (!ContainsIgnoringCase(validVersions, version)) {  // expired
        if (!newerOffered) {
            OutputLog(plog::error, GetLocalizedMessage(msg::kLocalExpiredNoNewer));
            return 1;
        }
        if (quietNever || !known) return 0;
        if (Prompt(msg::kLocalExpiredAskUpgrade, MB_OKCANCEL) == IDOK) {
            text = latestVersion;
            return 0;
        }
        OutputLog(plog::error, GetLocalizedMessage(msg::kLocalExpired));
        reportFailure = 0;
        return 1;
    }

    if (CompareVersions(version, minimumValidVersion) < 0) {  // too old
        if (!newerOffered) {
            OutputLog(plog::error, GetLocalizedMessage(msg::kLocalBelowMinimumNoNewer));
            return 1;
        }
        if (quietNever || !known) return 0;
        if (startMode != Never && CompareVersions(version, latestVersion) >= 0) return 0;
        if (Prompt(msg::kLocalTooOldAskUpgrade, MB_OKCANCEL) == IDOK) {
            text = latestVersion;
            return 0;
        }
        OutputLog(plog::error, GetLocalizedMessage(msg::kLocalTooOld));
        reportFailure = 0;
        return 1;
    }

    if ((startMode == Always || startMode == Connect) && !latestVersion.empty() &&
        CompareVersions(version, latestVersion) < 0) {
        if (Prompt(msg::kNewerVersionAskUpgrade, MB_YESNO) == IDYES) text = latestVersion;
    }
    return 0;
}

int CUpdateConfig::CheckManifestRuntimeVersion() {
    const wchar_t* manifestVersion = nullptr;
    if (manifestParser != nullptr && manifestRoot != nullptr)
        manifestParser->GetString(manifestRoot, L"version", &manifestVersion);
    if (runtimeVersion != (manifestVersion != nullptr ? manifestVersion : L"")) {
        OutputLog(plog::error, GetLocalizedMessage(msg::kRuntimeVersionMismatch));
        return 0;
    }
    return 1;
}

}  // namespace NimboNS
