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
// The folder of the running executable. An installed program keeps its help
// document in the configuration folder there, which need not be the one of
// g_programFolder.
extern std::string g_executableFolder;

// The per-user data folder: $XDG_DATA_HOME/Trevak, with XDG_DATA_HOME
// defaulting to $HOME/.local/share (%APPDATA%\Trevak on Windows). A doubled
// separator where the parts meet is reduced to one.
std::string UserDataFolder();

// g_programFolder followed by "Config".
std::string ConfigFolder();

// The help document "QRMHelp.pdf": ChooseHelpDocument with g_programFolder
// and g_executableFolder.
std::string HelpDocumentPath();

// "Config/QRMHelp.pdf" under programFolder when that file exists; otherwise
// the same under executableFolder (an installed program ships the document
// next to its executable while its own folder is the per-user data folder).
// An empty executableFolder gives the path under programFolder.
std::string ChooseHelpDocument(const std::string& programFolder, const std::string& executableFolder);

// The user's documents folder: QStandardPaths' documents location, or the
// home folder when there is none.
std::string DocumentsFolder();

// The file that marks an installed copy of the program in its folder.
inline constexpr char INSTALLED_MARKER_NAME[] = "INSTALLED";

// The program's folder for an executable in executableFolder: that folder when
// files can be created in it and it is not an installed copy (it holds no
// INSTALLED_MARKER_NAME), else userDataFolder.
std::string ChooseProgramFolder(const std::string& executableFolder, const std::string& userDataFolder);

// Sets g_programPath, g_executableFolder, g_programFolder and g_documentsFolder (needs the
// QCoreApplication), then creates the per-user data folder and the
// configuration folder. Failures are silent.
void SetUpFolders();
