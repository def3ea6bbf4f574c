#pragma once

class QAbstractButton;

// Enter (or Return) on the focused button presses it, as desktop programs do. Qt gives Enter to
// buttons only inside dialogs; the main window and the configuration box are plain windows.
void pressWithEnter(QAbstractButton &button);
