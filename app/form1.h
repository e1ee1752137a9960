#pragma once

#include "ui_form1.h"

#include <QDateTime>
#include <QMainWindow>
#include <QTimer>
#include <array>

class QAction;
class QMenu;
class Coolbar;

// The main window: the tabs, the list grid Grid1, the coming-birthday grid Grid2, the
// countdown of the periodic check, the menus, the toolbar, the search box and the tray.
class Form1 : public QMainWindow, public Ui::Form1
{
    Q_OBJECT
public:
    explicit Form1(QWidget* parent = nullptr);
    ~Form1() override;

    // Start-up and shut-down.
    void Form_Load();
    void UpdateCountLabels();

    // The list and its file.
    void LoadBirthdayList();
    bool SaveBirthdayList();
    // Writes the list in the grid to a list file at path (the list's own or another); a failure
    // is told to the user and leaves the file as it was.
    bool WriteBirthdayListTo(const QString& path);
    // Replaces the whole list by the list file at path and saves it as the program's list. The
    // file is read completely first: when it cannot be read, or a file other than the program's
    // own list is no list, nothing changes (false).
    bool ReplaceBirthdayList(const QString& path);
    // Shows rows that the list file now holds (an import or a restore has just written it).
    void ShowBirthdayRows(const QStringList& rows);
    // Whether the list on disk reached the grid; until then nothing may rewrite the list file.
    bool ListLoaded() const { return listLoaded_; }
    // True while changes of the list may be saved; otherwise says so and gives false.
    bool ListChangeAllowed();
    static bool IsFilePath(const QString& path);

    // The countdown of the periodic check.
    void StartCheckTimer();
    void Timer1_Timer();
    void Check_Pruefung_Click();
    void ApplyContinuousCheck();

    // The birthday check and the coming-birthday list.
    void RunBirthdayCheck();
    void ueberpr_Click();
    void LoadUpcomingList();
    // After a change of the list: the coming birthdays a check would list now, in the grid, the
    // coming-birthday file and the count lines. No reminder window, no balloon.
    void RefreshUpcomingList();

    // Menus.
    void offen1_Click();
    void spunter_Click();
    void import_free_Click();
    void expoexcel_Click();
    void datensich_Click();
    void onlup_Click();
    void exi_Click();
    void einst_Click();
    void standtext_Click();
    void log_Click();
    void hel_Click();
    void supportforum_Click();
    void cop_Click();

    // Search box.
    void sevText2_Change();
    void sevText2_ButtonClick();
    void sevText2_GotFocus();
    void sevText2_LostFocus();

    // Toolbar and list events.
    void Coolbar1_ButtonClick(const QString& key);
    void Coolbar1_ButtonMenuClick(int index, const QString& key);
    void Grid1_DblClick();
    void Grid1_RowChange(int row);
    void PrintBirthdayList();

    // The version check at start-up and the menu's update question.
    void CheckForUpdate();
    void ShowUpdateWebsitePrompt();

    // Tray.
    void Form_Resize();
    void sevTray1_DblClick();
    void sevTray1_MouseUp(int button);
    void sevTray1_MenuClick(int index, const QString& key);

    QTimer* Timer1;
    std::array<QLabel*, 3> Label4{};

    // --- Menu bar (built by BuildMenus) ---
    QMenu* datt = nullptr;
    QMenu* opt = nullptr;
    QMenu* frg = nullptr;
    QAction* offen1 = nullptr;
    QAction* spunter = nullptr;
    QAction* import_free = nullptr;
    QAction* expoexcel = nullptr;
    QAction* datensich = nullptr;
    QAction* ueberpr = nullptr;
    QAction* onlup = nullptr;
    QAction* exi = nullptr;
    QAction* einst = nullptr;
    QAction* standtext = nullptr;
    QAction* log = nullptr;
    QAction* hel = nullptr;
    QAction* supportforum = nullptr;
    QAction* cop = nullptr;
    // --- end of menu bar ---

    // --- Toolbar of the list tab (built by BuildToolbar) ---
    Coolbar* Coolbar1 = nullptr;
    // --- end of toolbar ---

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void BuildMenus();
    void BuildToolbar();
    void BuildTray();
    bool StartUpEnded();
    void PrepareListGrid();
    void ScanBirthdays(const QDateTime& started);
    QStringList UpcomingEntries(const QDate& day) const;
    void ShowUpcomingEntries(const QStringList& entries, const QDate& day);
    void ListUpcoming(const QDate& day);
    void ShowUpcomingYear(int year);
    void WarnInTray(const QString& name);
    void RestartCheckTimer();
    void SwitchCountdown(bool restartOnly);
    void SetWindowShown(bool shown);
    void PrepareUpcomingGrid();
    void FillUpcomingGrid(const QStringList& lines);
    QString LastCheckText(const QDateTime& at) const;

    // Watches the list grid's viewports; it must go before the grid does.
    QObject* columnSharer_ = nullptr;
    bool checkRunning_ = false;
    // The list changed while a run waited for a reminder window: the run's end shows it anew.
    bool listChangedInRun_ = false;
    // The year the coming-birthday grid lists; 0 before anything was listed.
    int upcomingYear_ = 0;
    bool listLoaded_ = false;
    // The start-up found no list file: the first change may create it.
    bool listMissing_ = false;
    QString balloonText_;
};
