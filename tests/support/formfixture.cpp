#include "support/formfixture.h"

#include "common/forms.h"
#include "common/textfile.h"

FormFixture::FormFixture(Tray* tray)
{
    if (tray)
        TraySeam::install(tray);
    FormRegistry::setProgramEndHandler([this] { ++programEnds; });
    SetReminderWindowOpener([this](ReminderWindow window) {
        using namespace Globale_Variablen;
        reminders.append(OpenedReminder{window, PersonFirstName, PersonLastName, PersonBirthday, PersonEmail,
                                        PersonGreetingHtml, PersonUseStandardText});
        if (duringReminder)
            duringReminder();
    });
    form_ = &Forms::Get<Form1>();
}

FormFixture::~FormFixture()
{
    UnloadAllForms();
    FlushDeletedWindows();
    SetReminderWindowOpener({});
    FormRegistry::setProgramEndHandler([] {});
}

void FormFixture::writeList(const QStringList& lines) const
{
    folder->writeLines(folder->data("tovalinero.dat"), lines);
}

QStringList FormFixture::upcomingLines() const
{
    return SplitLinesAtCr(DecodeCp1252(folder->readBytes(folder->data("demnaechst.dat"))));
}
