#include "app/reminders.h"

namespace {

void showRealWindow(ReminderWindow)
{
}

std::function<void(ReminderWindow)>& opener()
{
    static std::function<void(ReminderWindow)> current = showRealWindow;
    return current;
}

} // namespace

void ShowReminderWindow(ReminderWindow window) { opener()(window); }

void SetReminderWindowOpener(std::function<void(ReminderWindow)> replacement)
{
    opener() = replacement ? std::move(replacement) : showRealWindow;
}
