#pragma once

// The program's start: makes the folders, installs the prompts, the shell and
// the message sink, sets the dialog font and the application icon, and runs
// the main window modally. Returns the program's exit code.
int RunApplication(int argc, char** argv);
