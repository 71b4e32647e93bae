#pragma once

#include <string>

// The folders fixed at start-up (UTF-8 paths, no trailing separator).
// g_documentsFolder is declared with the report conventions.

// Full path of the running executable.
extern std::string g_programPath;
// The program's folder: the executable's folder when it is writable, else the
// per-user data folder. Its sub-folder "Config" holds the settings file, the
// help document and the example files.
extern std::string g_programFolder;

// The per-user data folder: $XDG_DATA_HOME/Trevak, with XDG_DATA_HOME
// defaulting to $HOME/.local/share (%APPDATA%\Trevak on Windows). A doubled
// separator where the parts meet is reduced to one.
std::string UserDataFolder();

// g_programFolder followed by "Config".
std::string ConfigFolder();

// The help document "QRMHelp.pdf" in the configuration folder.
std::string HelpDocumentPath();

// The user's documents folder: QStandardPaths' documents location, or the
// home folder when there is none.
std::string DocumentsFolder();

// The program's folder for an executable in executableFolder: that folder when
// files can be created in it, else userDataFolder.
std::string ChooseProgramFolder(const std::string& executableFolder, const std::string& userDataFolder);

// Sets g_programPath, g_programFolder and g_documentsFolder (needs the
// QCoreApplication), then creates the per-user data folder and the
// configuration folder. Failures are silent.
void SetUpFolders();
