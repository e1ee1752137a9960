#pragma once

#include "greetings/greetingsender.h"

#include <QDialog>

class GreetingWorkBox;
class QLabel;
class QMenu;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QTabWidget;
class QToolButton;
class SmtpControl;

// The manual reminder window: names the person whose birthday is today with the age, the zodiac
// sign and the lifetime figures, and leaves the greeting to the user.
class erinnerung1 : public QDialog
{
    Q_OBJECT
public:
    explicit erinnerung1(QWidget* parent = nullptr);

    void Form_Load();
    void Form_Activate();
    void Command1_Click();
    void Command1_MenuClick(int index, const QString& key);
    void Command2_Click();
    void Command3_Click();
    void Command4_Click();

    void SendStandardGreeting();
    void SendIndividualGreeting();
    void sevSMTP1_SendStart();
    void sevSMTP1_Progress(int percent);
    void sevSMTP1_Log(const QString& line);

    QString SoundFile;

    QLabel* Image1;
    QLabel* Label2;
    QTabWidget* sevTabStrip1;
    QLabel* Label1;
    QLabel* Label4;
    QPlainTextEdit* sevBerechnung;
    QToolButton* Command4;
    QLabel* Label6;
    QLabel* Label3;
    QToolButton* Command1;
    QMenu* Command1Menu;
    QPushButton* Command2;
    QPushButton* Command3;
    QProgressBar* ProgressBar1;
    GreetingWorkBox* sevText1;
    SmtpControl* sevSMTP1;

    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    GreetingSender::WindowParts parts();
    bool activated_ = false;
};

// "Dies entspricht eine Lebenszeit von: " and the age in months, weeks, days, hours, minutes and
// seconds (years of 365 days), the numbers grouped by the user's locale, none shown for 0; the
// lines joined by CR LF.
QString LifetimeText(int age);

// The mail link of a prepared greeting: no recipient, the subject and "Hallo " + the name line,
// percent-encoded as mail links are.
QString GreetingMailLink(const QString& nameLine);
