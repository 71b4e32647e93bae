#pragma once

#include <string>

// The desktop shortcut to the program. On Linux a shortcut is a desktop-entry
// launcher (a ".desktop" file) in the desktop folder. Paths are UTF-8.

// The name of the launcher that CreateDesktopShortcut writes.
inline constexpr char DESKTOP_SHORTCUT_NAME[] = "Trevak线材下料优化(64位).desktop";

// The desktop folder that the desktop itself names, for a user whose home
// folder is `home` and whose configuration folder is `configHome`: the
// XDG_DESKTOP_DIR entry of configHome/user-dirs.dirs ("$HOME/..." or an
// absolute path, in double quotes, as xdg-user-dirs writes it); without one,
// home/Desktop, or home/桌面 when only that one exists. It may not exist.
std::string DesktopFolderFor(const std::string& home, const std::string& configHome);

// DesktopFolderFor with $HOME and $XDG_CONFIG_HOME (default $HOME/.config).
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
// offer to start it. The folder must exist. Returns whether a shortcut to the
// program is there afterwards.
bool CreateDesktopShortcut(const std::string& desktopFolder, const std::string& programPath,
                           const std::string& programFolder);

// The same for DesktopFolder(), g_programPath and g_programFolder; creating
// makes the desktop folder first when it is missing. On Windows, where
// shortcuts are shell links, the program offers no shortcut: the check
// answers true (the button stays hidden) and creating does nothing.
bool DesktopShortcutExists();
bool CreateDesktopShortcut();
