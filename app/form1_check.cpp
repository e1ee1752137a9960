// The birthday check: reminders for today, the tray warning, the coming-birthday list.
#include "app/form1.h"

#include "app/reminders.h"
#include "app/vorwarnung1.h"
#include "common/dates.h"
#include "common/forms.h"
#include "common/globale_variablen.h"
#include "common/mousepointer.h"
#include "common/runtimeerror.h"
#include "common/textfile.h"
#include "common/version.h"
#include "platform/clock.h"
#include "platform/notification.h"
#include "platform/programfolder.h"
#include "platform/prompt.h"
#include "platform/tray.h"
#include "settings/settingsfile.h"

#include <QFile>

namespace
{

enum ListField {
    FirstName = 1,
    LastName,
    Birthday,
    SendAutomatically,
    UseStandardText,
    GreetingHtml,
    Street,
    Zip,
    Town,
    Email
};

QString upcomingFilePath()
{
    return DataFile("demnaechst.dat");
}

QStringList readUpcomingFile()
{
    const auto text = ReadTextFile(upcomingFilePath());
    if (!text)
        throw RuntimeError::fileNotFound();
    return SplitLinesAtCr(*text);
}

// A send flag that is no truth value asks the user instead of sending: nothing goes out that
// the list does not clearly ask for.
bool sendsAutomatically(const QString& cell)
{
    try {
        return ToTruthValue(cell);
    } catch (const RuntimeError&) {
        return false;
    }
}

// Only a plain 0 chooses the person's own text; anything else sends the standard greeting.
int usesStandardText(const QString& cell)
{
    return cell.trimmed() == QLatin1String("0") ? 0 : 1;
}

// Without a tray a balloon would be lost: the desktop's notifications show it, or else a window
// of the program that stays until the user closes it.
void warnWithoutTray(const QString& title, const QString& text)
{
    if (!NotifierSeam::get().notify(title, text))
        Forms::Get<vorwarnung1>().ShowWarning(title, text);
}

// Runs never overlap: a check asked for while one waits for a reminder window is dropped.
class RunGuard
{
public:
    explicit RunGuard(bool& running) : running_(running) { running_ = true; }
    ~RunGuard() { running_ = false; }

private:
    bool& running_;
};

} // namespace

void Form1::ueberpr_Click()
{
    if (checkRunning_)
        return;
    if (IsFilePath(upcomingFilePath()))
        QFile::remove(upcomingFilePath());
    TruncateFile(upcomingFilePath());
    RunBirthdayCheck();
}

void Form1::RunBirthdayCheck()
{
    if (checkRunning_)
        return;
    RunGuard guard(checkRunning_);
    try {
        if (IsFilePath(upcomingFilePath()))
            QFile::remove(upcomingFilePath());
        if (!TruncateFile(upcomingFilePath()))
            throw RuntimeError::pathNotFound();
        ScanBirthdays();
        if (FormRegistry::programEnding())
            return;
        // Read before the grid is emptied: a file that cannot be read leaves the old rows.
        const QStringList upcoming = readUpcomingFile();
        Grid2->Clear();
        ShowBusyPointer();
        Grid2->FillSwitch(true);
        Grid2->ApplyDisplaySettings();
        FillUpcomingGrid(upcoming);
        Grid2->Sort(2, 1);
        ShowNormalPointer();
        Label5->setText(LastCheckText());
    } catch (const RuntimeError& error) {
        Grid2->FillSwitch(false);
        ShowNormalPointer();
        UpdateCountLabels();
        MsgBox("Fehler: " + QString::number(error.number()) + " " + error.description());
        return;
    }
    UpdateCountLabels();
}

void Form1::FillUpcomingGrid(const QStringList& lines)
{
    for (const QString& line : lines)
        Grid2->AddRow(QString(line).replace(';', '\t'));
    Grid2->FillSwitch(false);
    Grid2->Refresh();
    Grid2->SetCurrentRow(1);
    Grid2->Refresh();
}

void Form1::ScanBirthdays()
{
    using namespace Globale_Variablen;
    balloonText_.clear();
    const QDate today = Today();
    const int count = Grid1->RowCount();
    for (int i = 1; i <= count; ++i) {
        const QString birthDate = Grid1->Cell(i, Birthday);
        // A row without a readable birth date has no birthday to remind of; the walk goes on.
        const auto birthday = BirthdayInYear(birthDate, today.year());
        if (!birthday)
            continue;
        const qint64 days = today.daysTo(*birthday);
        if (days == Settings::ReadWholeNumber(Settings::LeadTimeDays))
            WarnInTray(Grid1->Cell(i, FirstName) + " " + Grid1->Cell(i, LastName));
        if (days == 0) {
            PersonFirstName = Grid1->Cell(i, FirstName);
            PersonLastName = Grid1->Cell(i, LastName);
            PersonBirthday = birthDate;
            PersonEmail = Grid1->Cell(i, Email);
            PersonStreet = Grid1->Cell(i, Street);
            PersonZip = Grid1->Cell(i, Zip);
            PersonTown = Grid1->Cell(i, Town);
            PersonGreetingHtml = Grid1->Cell(i, GreetingHtml);
            if (!sendsAutomatically(Grid1->Cell(i, SendAutomatically))) {
                ShowReminderWindow(ReminderWindow::Manual);
            } else {
                PersonUseStandardText = usesStandardText(Grid1->Cell(i, UseStandardText));
                ShowReminderWindow(ReminderWindow::Automatic);
            }
            // Ended while the window was open: no further window may appear.
            if (FormRegistry::programEnding())
                return;
        } else if (days > 0) {
            const int age = today.year() - ParseGermanDate(birthDate)->year();
            const QString entry = Grid1->Cell(i, FirstName) + " " + Grid1->Cell(i, LastName) + "   (wird " +
                                  QString::number(age) + ");" + QString::number(days);
            if (!AppendLine(upcomingFilePath(), entry))
                throw RuntimeError::pathFileAccess();
        }
    }
    Label5->setText(LastCheckText());
}

void Form1::WarnInTray(const QString& name)
{
    balloonText_ += name + "\r\n";
    const QString title =
        "In " + Settings::Read(Settings::LeadTimeDays) + " Tage(n) hat folgende Person Tovalinero:";
    Tray& tray = TraySeam::get();
    if (!tray.available()) {
        warnWithoutTray(title, balloonText_);
        return;
    }
    tray.setIcon(windowIcon());
    tray.setToolTip(ProductWithVersion());
    tray.addIcon();
    tray.showBalloon(title, balloonText_, 1);
}

void Form1::LoadUpcomingList()
{
    ShowBusyPointer();
    Grid2->FillSwitch(true);
    Grid2->ApplyDisplaySettings();
    Grid2->AddColumn("wer", "Name", 4450, 0);
    Grid2->AddColumn("in", "verbleibende Tage", 1715, 2);
    Grid2->Column(2).sortType = 1;
    FillUpcomingGrid(readUpcomingFile());
    ShowNormalPointer();
}

QString Form1::LastCheckText() const
{
    const QDateTime now = Now();
    return "Letzte Überprüfung der Tovalineroe am " + FormatGermanDate(now.date()) + " um " +
           now.toString(QStringLiteral("HH:mm:ss")) + " Uhr";
}
