#pragma once

class QAbstractButton;
class QKeyEvent;
class QKeySequence;
class QWidget;

// The keyboard rules every window of the program follows, whatever kind of window it is:
// - Return or Enter presses the push or tool button that has the focus (Qt alone does so only
//   for auto-default buttons of dialogs, and never for tool buttons);
// - Alt+Down or F4 opens the drop-down menu of the focused button that has one (Qt gives the
//   arrow of a split button no key);
// - an access key that two controls of one window share presses the button among them (Qt
//   would only move the focus between them in turn), a push button before a tool button.
// Installed once for the whole application; further calls do nothing.
void UseKeyboardConventions();

// The visible, enabled button of the window that the key sequence presses: the only push or tool
// button that carries it, or else the only push button among them; none when that leaves more
// than one (the key then moves the focus among them, as Qt does).
QAbstractButton* ButtonForKey(QWidget* window, const QKeySequence& key);

// Alt+Down or F4, the keys that open a drop-down.
bool OpensDropDown(const QKeyEvent* key);
