#pragma once

class QWidget;

// Moves a dialog, keeping its size, so that its centre is at the mouse
// pointer; on the pointer's screen it is kept inside the available area so
// that its title bar stays reachable. Every modal dialog of the program opens
// this way.
void CentreOnPointer(QWidget* dialog);
