#include "app/reminders.h"

#include "common/forms.h"
#include "greetings/erinnerung1.h"
#include "greetings/erinnerung2.h"

namespace
{

void showRealWindow(ReminderWindow window)
{
    if (window == ReminderWindow::Manual)
        Forms::ShowModal<erinnerung1>();
    else
        Forms::ShowModal<erinnerung2>();
}

std::function<void(ReminderWindow)>& opener()
{
    static std::function<void(ReminderWindow)> current = showRealWindow;
    return current;
}

} // namespace

void ShowReminderWindow(ReminderWindow window)
{
    opener()(window);
}

void SetReminderWindowOpener(std::function<void(ReminderWindow)> replacement)
{
    opener() = replacement ? std::move(replacement) : showRealWindow;
}
