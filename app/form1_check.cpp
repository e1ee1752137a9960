// The birthday check: reminders for today, the tray warning, the coming-birthday list.
#include "app/form1.h"

#include "app/reminders.h"
#include "app/vorwarnung1.h"
#include "common/dates.h"
#include "common/forms.h"
#include "common/globale_variablen.h"
#include "common/grid.h"
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
#include <QStringBuilder>

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

// Days from day to this year's birthday of the row, negative once it has passed; none for a row
// without a readable birth date.
std::optional<qint64> daysToBirthday(const Grid& list, int row, const QDate& day)
{
    const auto birthday = BirthdayInYear(list.Cell(row, Birthday), day.year());
    if (!birthday)
        return std::nullopt;
    return day.daysTo(*birthday);
}

// The row's line of the coming-birthday file: the name, the age it turns in day's year, the days.
QString upcomingEntry(const Grid& list, int row, const QDate& day, qint64 days)
{
    const int age = day.year() - BirthYearOf(list.Cell(row, Birthday)).value_or(day.year());
    return list.Cell(row, FirstName) % QLatin1Char(' ') % list.Cell(row, LastName) %
           QLatin1String("   (wird ") % QString::number(age) % QLatin1String(");") % QString::number(days);
}

// A line of the file as the grid's two cells. The name may hold a ";", the days never do.
QString upcomingRow(const QString& entry)
{
    QString row = entry;
    if (const qsizetype at = row.lastIndexOf(';'); at >= 0)
        row[at] = '\t';
    return row;
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
    listChangedInRun_ = false;
    // Whose birthday it is, the ages and the year listed are those of the moment the run
    // started, also when a reminder window keeps it open past midnight.
    const QDateTime started = Now();
    try {
        if (IsFilePath(upcomingFilePath()))
            QFile::remove(upcomingFilePath());
        if (!TruncateFile(upcomingFilePath()))
            throw RuntimeError::pathNotFound();
        ScanBirthdays(started);
        if (FormRegistry::programEnding())
            return;
        if (listChangedInRun_) {
            ListUpcoming(started.date());
        } else {
            // Read before the grid is emptied: a file that cannot be read leaves the old rows.
            ShowUpcomingEntries(readUpcomingFile(), started.date());
        }
        Label5->setText(LastCheckText(started));
    } catch (const RuntimeError& error) {
        Grid2->FillSwitch(false);
        ShowNormalPointer();
        UpdateCountLabels();
        MsgBox("Fehler: " + QString::number(error.number()) + " " + error.description());
    }
}

void Form1::RefreshUpcomingList()
{
    // A run waiting for a reminder window is still writing its entries; it lists anew at its end.
    if (checkRunning_) {
        listChangedInRun_ = true;
        return;
    }
    ListUpcoming(Today());
}

void Form1::ListUpcoming(const QDate& day)
{
    const QStringList entries = UpcomingEntries(day);
    QByteArray bytes;
    for (const QString& entry : entries)
        bytes += EncodeCp1252(entry) + "\r\n";
    // The file only mirrors the list: one that cannot be written loses nothing, and the next
    // check reports it.
    WriteFileAtomic(upcomingFilePath(), bytes, nullptr, FileAccess::OwnerOnly);
    ShowUpcomingEntries(entries, day);
}

QStringList Form1::UpcomingEntries(const QDate& day) const
{
    QStringList entries;
    const int count = Grid1->RowCount();
    for (int i = 1; i <= count; ++i)
        if (const auto days = daysToBirthday(*Grid1, i, day); days && *days > 0)
            entries << upcomingEntry(*Grid1, i, day, *days);
    return entries;
}

void Form1::ShowUpcomingEntries(const QStringList& entries, const QDate& day)
{
    Grid2->Clear();
    ShowBusyPointer();
    if (Grid2->ColumnCount() == 0)
        PrepareUpcomingGrid();
    Grid2->FillSwitch(true);
    Grid2->ApplyDisplaySettings();
    FillUpcomingGrid(entries);
    Grid2->Sort(2, 1);
    ShowNormalPointer();
    ShowUpcomingYear(day.year());
    UpdateCountLabels();
}

void Form1::ShowUpcomingYear(int year)
{
    upcomingYear_ = year;
    Label2->setText("Hier sehen Sie eine Liste der noch im Jahr " + QString::number(year) +
                    " anstehenden Tovalineroe.");
}

void Form1::FillUpcomingGrid(const QStringList& lines)
{
    for (const QString& line : lines)
        Grid2->AddRow(upcomingRow(line));
    Grid2->FillSwitch(false);
    Grid2->Refresh();
    Grid2->SetCurrentRow(1);
    Grid2->Refresh();
}

void Form1::ScanBirthdays(const QDateTime& started)
{
    using namespace Globale_Variablen;
    balloonText_.clear();
    const QDate today = started.date();
    const int count = Grid1->RowCount();
    for (int i = 1; i <= count; ++i) {
        // A row without a readable birth date has no birthday to remind of; the walk goes on.
        const auto days = daysToBirthday(*Grid1, i, today);
        if (!days)
            continue;
        // A negative lead time would announce a birthday already past.
        const int leadTime = Settings::ReadWholeNumber(Settings::LeadTimeDays);
        if (leadTime >= 0 && *days == leadTime)
            WarnInTray(Grid1->Cell(i, FirstName) + " " + Grid1->Cell(i, LastName));
        if (*days == 0) {
            PersonFirstName = Grid1->Cell(i, FirstName);
            PersonLastName = Grid1->Cell(i, LastName);
            PersonBirthday = Grid1->Cell(i, Birthday);
            PersonEmail = Grid1->Cell(i, Email);
            PersonStreet = Grid1->Cell(i, Street);
            PersonZip = Grid1->Cell(i, Zip);
            PersonTown = Grid1->Cell(i, Town);
            PersonGreetingHtml = Grid1->Cell(i, GreetingHtml);
            ReminderDate = today;
            if (!sendsAutomatically(Grid1->Cell(i, SendAutomatically))) {
                ShowReminderWindow(ReminderWindow::Manual);
            } else {
                PersonUseStandardText = usesStandardText(Grid1->Cell(i, UseStandardText));
                ShowReminderWindow(ReminderWindow::Automatic);
            }
            ReminderDate = QDate();
            // Ended while the window was open: no further window may appear.
            if (FormRegistry::programEnding())
                return;
        } else if (*days > 0) {
            if (!AppendLine(upcomingFilePath(), upcomingEntry(*Grid1, i, today, *days)))
                throw RuntimeError::pathFileAccess();
        }
    }
    Label5->setText(LastCheckText(started));
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

void Form1::PrepareUpcomingGrid()
{
    Grid2->AddColumn("wer", "Name", 4450, 0);
    Grid2->AddColumn("in", "verbleibende Tage", 1715, 2);
    Grid2->Column(2).sortType = 1;
}

void Form1::LoadUpcomingList()
{
    ShowBusyPointer();
    Grid2->FillSwitch(true);
    Grid2->ApplyDisplaySettings();
    PrepareUpcomingGrid();
    FillUpcomingGrid(readUpcomingFile());
    ShowNormalPointer();
}

QString Form1::LastCheckText(const QDateTime& at) const
{
    return "Letzte Überprüfung der Tovalineroe am " + FormatGermanDate(at.date()) + " um " +
           at.toString(QStringLiteral("HH:mm:ss")) + " Uhr";
}
