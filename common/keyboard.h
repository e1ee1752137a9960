#pragma once

class QKeyEvent;

// The keyboard rules every window of the program follows, whatever kind of window it is:
// - Return or Enter presses the push or tool button that has the focus (Qt alone does so only
//   for auto-default buttons of dialogs, and never for tool buttons);
// - Alt+Down or F4 opens the drop-down menu of the focused button that has one (Qt gives the
//   arrow of a split button no key);
// - an access key that one control of the window carries acts on it at once; one that several
//   controls share presses nothing and moves the focus to the next of them in Tab order, round
//   and round, as on every desktop (a tab among them is shown and its tab bar takes the focus).
// Installed once for the whole application; further calls do nothing.
void UseKeyboardConventions();

// Alt+Down or F4, the keys that open a drop-down.
bool OpensDropDown(const QKeyEvent* key);
