#pragma once

#include <string>

// The desktop shortcut to the program. On Linux a shortcut is a desktop-entry
// launcher (a ".desktop" file) in the desktop folder. Paths are UTF-8.

// The name of the launcher that CreateDesktopShortcut writes.
inline constexpr char DESKTOP_SHORTCUT_NAME[] = "Trevak线材下料优化(64位).desktop";

// The user's desktop folder (QStandardPaths' desktop location); it may not exist.
std::string DesktopFolder();

// True when a file in desktopFolder whose name ends in ".desktop" (in any
// letter case) starts programPath: the first word of the Exec key of its
// [Desktop Entry] group, unquoted, equals programPath ignoring letter case.
// False when the folder is missing or its path is shorter than two
// characters; files that cannot be read do not count.
bool DesktopShortcutExists(const std::string& desktopFolder, const std::string& programPath);

// When DesktopShortcutExists is false, writes DESKTOP_SHORTCUT_NAME into
// desktopFolder (replacing a file of that name): an application launcher
// that runs programPath in programFolder, made executable so that desktops
// offer to start it. Failures are silent.
void CreateDesktopShortcut(const std::string& desktopFolder, const std::string& programPath,
                           const std::string& programFolder);

// The same for DesktopFolder(), g_programPath and g_programFolder. On Windows,
// where shortcuts are shell links, the program offers no shortcut: the check
// answers true (the button stays hidden) and creating does nothing.
bool DesktopShortcutExists();
void CreateDesktopShortcut();
