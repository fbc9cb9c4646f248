#pragma once

#include <QString>

class QWidget;

// What a screen reader is told of the program's controls beyond what Qt tells of a widget of their
// kind. The layouts choose it with properties of the controls:
//   a slider's ValueLabel names the label beside it that shows its position (the quality's
//   percentage, the player's time); a slider without one reports its position followed by its Unit
//   (" seconds"); its Scale is how many positions make one of the numbers a screen reader is given
//   (the player's bar counts milliseconds, a screen reader hears seconds);
//   a label whose Decorative is true shows a picture that is only decoration: it is not announced,
//   nor are a plain frame and the stack of a tab control's pages, which only lay other controls out;
//   the dock grip is a button: pressing it docks or floats its window;
//   a list box is named by its label and tells its chosen row as its value.
// The parts Qt builds inside a control (a list box's list, a spinner's arrows, scroll bars) and the
// menus are named after their control or their title when their window is shown. Every window also
// shows its focus from the moment it opens, not only once Tab has been pressed in it.
// Installed by the application object, so that the program and its tests answer alike.
void InstallAccessibility();

// The name a screen reader says for control: its accessible name, or else the text of the label
// whose buddy it is.
QString AccessibleLabel(const QWidget &control);
