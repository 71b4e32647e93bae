#pragma once

#include <string>
#include <vector>

#include "lists/InputLists.h"

// The ready-made examples of an importable list file that the program offers
// the user ("导入文件格式").

// The lines of the example text file for a list, each ended by "\n", fields
// separated by tabs. A double tab shows that an empty field is passed over.
std::vector<std::u16string> ExampleTextLines(ListKind kind);

// Both lists as importing the two example text files gives them: 15 cut rows
// and 4 stock rows.
InputLists ExampleJobLists();
