// The main window: start-up, the countdown of the periodic check, the count line, shut-down.
#include "app/form1.h"

#include "common/fileerrors.h"
#include "common/forms.h"
#include "common/globale_variablen.h"
#include "common/mousepointer.h"
#include "common/programicon.h"
#include "common/resize.h"
#include "common/runtimeerror.h"
#include "common/textfile.h"
#include "common/version.h"
#include "platform/clock.h"
#include "platform/programfolder.h"
#include "platform/prompt.h"
#include "settings/settingsfile.h"

#include <QCloseEvent>
#include <QCoreApplication>

namespace
{
constexpr int DefaultCheckIntervalSeconds = 3600;
constexpr int TabWelcome = 0;
constexpr int TabUpcoming = 1;
constexpr int TabList = 2;

QString upcomingFilePath()
{
    return DataFile("demnaechst.dat");
}
} // namespace

Form1::Form1(QWidget* parent) : QMainWindow(parent), Timer1(new QTimer(this))
{
    setupUi(this);
    KeepDesignedSize(this);
    setWindowIcon(ProgramIcon());
    Label4 = {Label4_0, Label4_1, Label4_2};
    Timer1->setObjectName("Timer1");
    Timer1->setInterval(0);
    connect(Timer1, &QTimer::timeout, this, &Form1::Timer1_Timer);
    connect(Check_Pruefung, &QCheckBox::clicked, this, &Form1::Check_Pruefung_Click);
    // The bar keeps its room while hidden: the check box above it stays where the user clicked.
    QSizePolicy barRoom = xpProgress1->sizePolicy();
    barRoom.setRetainSizeWhenHidden(true);
    xpProgress1->setSizePolicy(barRoom);
    BuildMenus();
    BuildToolbar();
    BuildTray();
}

void Form1::Form_Load()
{
    try {
        ShowBusyPointer();
        ShowUpcomingYear(Today().year());
        Label3->setText("Version " + VersionText());
        xpProgress1->hide();
        Label5->clear();
        show();
        sevTabStrip1->setCurrentIndex(TabWelcome);
        Globale_Variablen::SenderName = Settings::Read(Settings::GreetingSenderName);
        Globale_Variablen::ContinuousCheck = Settings::ReadWholeNumber(Settings::ContinuousCheckEnabled);
        Check_Pruefung->setChecked(Globale_Variablen::ContinuousCheck == 1);
        LoadBirthdayList();
        QString reason;
        if (!TruncateFile(upcomingFilePath(), &reason))
            throw FileRuntimeError(reason, upcomingFilePath());
        LoadUpcomingList();
        RunBirthdayCheck();
        if (StartUpEnded())
            return;
        ApplyContinuousCheck();
        const QString startMode = Settings::Read(Settings::StartMinimized);
        if (!startMode.isEmpty()) {
            const int mode = ToWholeNumber(startMode);
            if (mode == 0)
                showNormal();
            else if (mode == 1)
                showMinimized();
        }
        UpdateCountLabels();
        if (Settings::ReadTruthValue(Settings::CheckUpdateAtStart))
            CheckForUpdate();
        if (StartUpEnded())
            return;
        if (Settings::Read(Settings::StartTabWelcome) != Settings::StartTabMarker) {
            if (Settings::ReadTruthValue(Settings::StartTabWelcome))
                sevTabStrip1->setCurrentIndex(TabWelcome);
            if (Settings::ReadTruthValue(Settings::StartTabUpcoming))
                sevTabStrip1->setCurrentIndex(TabUpcoming);
            if (Settings::ReadTruthValue(Settings::StartTabList))
                sevTabStrip1->setCurrentIndex(TabList);
            QCoreApplication::processEvents();
            ShowNormalPointer();
        }
    } catch (const RuntimeError& error) {
        ShowNormalPointer();
        MsgBox("Fehler: " + QString::number(error.number()) + " - " + error.description());
    }
}

// A reminder window, a box or the version check lets other events run meanwhile: the program
// may have been ended by then, and the rest of the start-up must not bring its window back.
bool Form1::StartUpEnded()
{
    if (!FormRegistry::programEnding())
        return false;
    ShowNormalPointer();
    return true;
}

void Form1::StartCheckTimer()
{
    QString interval = Settings::Read(Settings::CheckIntervalSeconds);
    if (interval.isEmpty())
        interval = QString::number(DefaultCheckIntervalSeconds);
    int seconds = ToWholeNumber(interval);
    // An interval below one second would run the check at every tick.
    if (seconds < 1)
        seconds = DefaultCheckIntervalSeconds;
    Timer1->setInterval(1000);
    xpProgress1->setMaximum(seconds);
    xpProgress1->setValue(0);
    Timer1->start();
}

// Restarting the countdown after the box or a run never stops the program: an interval that
// is not a number counts as an hour.
void Form1::RestartCheckTimer()
{
    try {
        StartCheckTimer();
    } catch (const RuntimeError&) {
        Timer1->setInterval(1000);
        xpProgress1->setMaximum(DefaultCheckIntervalSeconds);
        xpProgress1->setValue(0);
        Timer1->start();
    }
}

void Form1::Timer1_Timer()
{
    if (xpProgress1->value() >= xpProgress1->maximum()) {
        Timer1->stop();
        ueberpr_Click();
        // The box may have been unticked while the run waited for a reminder window.
        if (Check_Pruefung->isChecked())
            RestartCheckTimer();
    } else {
        xpProgress1->setValue(xpProgress1->value() + 1);
    }
}

void Form1::SwitchCountdown(bool restartOnly)
{
    if (Check_Pruefung->isChecked()) {
        xpProgress1->show();
        if (restartOnly)
            RestartCheckTimer();
        else
            StartCheckTimer();
    } else {
        xpProgress1->hide();
        Timer1->setInterval(0);
        Timer1->stop();
    }
}

void Form1::Check_Pruefung_Click()
{
    SwitchCountdown(true);
}

void Form1::ApplyContinuousCheck()
{
    SwitchCountdown(false);
}

void Form1::UpdateCountLabels()
{
    // The year the coming birthdays are listed for, which a run across midnight keeps.
    const int year = upcomingYear_ ? upcomingYear_ : Today().year();
    const QString text = "Tovalineroe: " + QString::number(Grid1->RowCount()) + " - In " +
                         QString::number(year) + ": " + QString::number(Grid2->RowCount());
    for (QLabel* label : Label4)
        label->setText(text);
}

void Form1::closeEvent(QCloseEvent* event)
{
    // Closing never cancels: every window goes, and with them the program.
    event->accept();
    UnloadAllForms();
}
