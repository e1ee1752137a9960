#pragma once

#include "app/form1.h"
#include "app/reminders.h"
#include "common/globale_variablen.h"
#include "support/fakes.h"
#include "support/programfolderfixture.h"

#include <QList>
#include <memory>

// What a reminder window would have been opened with.
struct OpenedReminder {
    ReminderWindow window;
    QString firstName;
    QString lastName;
    QString birthday;
    QString email;
    QString greetingHtml;
    int useStandardText;
};

// A main window in a fresh program folder with every seam faked and the reminder windows
// replaced by a recorder. Ending the program is recorded instead of quitting. A test of the
// real tray passes it in place of the fake.
class FormFixture
{
public:
    explicit FormFixture(Tray* tray = nullptr);
    ~FormFixture();

    Form1& form() const { return *form_; }
    void writeList(const QStringList& lines) const;
    QStringList upcomingLines() const;

    std::unique_ptr<FakeSeams> seams = std::make_unique<FakeSeams>();
    std::unique_ptr<ProgramFolderFixture> folder = std::make_unique<ProgramFolderFixture>();
    QList<OpenedReminder> reminders;
    std::function<void()> duringReminder;
    int programEnds = 0;

private:
    Form1* form_;
};
