#pragma once
// The launch settings of one app start: what the app configuration document and "kxapp.ini"
// say about shortcuts, preload commands and the start, plus the values of the update
// configuration that the app start needs after the launch itself has ended.
#include <string>

namespace NimboNS {

struct LaunchSettings {
    // Copied from the update configuration by the preparation: the app start runs on a thread
    // that may outlive the configuration.
    std::wstring appFolder;
    std::wstring startFile;

    // The local app configuration document.
    std::wstring startupFile;
    std::wstring version;
    std::wstring updateGuid;
    int is32Bit = 0;
    int createDesktopShortcut = 0;
    int createStartMenuShortcut = 0;
    int createUninstallShortcut = 0;
    int alwaysRunCommand = 0;
    int runCommandAsAdmin = 0;
    int showStartAnimatedWindow = 0;
    std::wstring arguments;  // the document's arguments followed by the request's URL parameter
    std::wstring appShortcutName;
    std::wstring appShortcutImage;
    std::wstring preloadEventCommands;
    std::wstring webApiUrl;
    std::wstring modelName;
    int startMode = 0;

    // Shortcut states and paths, kept in "kxapp.ini" between launches.
    int desktopShortcutExists = 0;
    int startMenuShortcutExists = 0;
    int uninstallShortcutExists = 0;
    std::wstring desktopShortcutName;    // full path of the desktop link
    std::wstring startMenuShortcutPath;  // full path of the app's Start-menu folder
};

}  // namespace NimboNS
