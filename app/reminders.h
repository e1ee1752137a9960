#pragma once

#include <functional>

// The two reminder windows the check opens for a birthday of today: the manual reminder
// (erinnerung1) and the automatic greeting (erinnerung2). Both read the person from the shared
// current-person variables and are shown modally: the call returns when the window is closed.
enum class ReminderWindow { Manual, Automatic };

void ShowReminderWindow(ReminderWindow window);

// Tests replace the windows by a recorder; an empty opener puts the real windows back.
void SetReminderWindowOpener(std::function<void(ReminderWindow)> opener);
