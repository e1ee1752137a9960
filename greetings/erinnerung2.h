#pragma once

#include <QDialog>

class QLabel;
class QProgressBar;
class QPushButton;
class QTimer;
class GreetingWorkBox;
class SmtpControl;

// The automatic greeting window: names the person with the age reached today, sends the
// greeting by itself one second after it opened and closes on "&Okay" or after its countdown.
class erinnerung2 : public QDialog
{
    Q_OBJECT
public:
    explicit erinnerung2(QWidget* parent = nullptr);

    void SendStandardGreeting();
    void SendIndividualGreeting();
    static bool FileExists(const QString& sFile);
    bool IsSending() const { return sending_; }

    QString SoundFile;

    QLabel* Image1;
    QLabel* Label3;
    QLabel* Label1;
    QLabel* lblStatus;
    QLabel* Label2;
    QProgressBar* ProgressBar1;
    QPushButton* Command1;
    QTimer* Timer1;
    QTimer* Timer2;
    GreetingWorkBox* sevText1;
    SmtpControl* sevSMTP1;

public slots:
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void Form_Load();
    void Form_Activate();
    void Timer1_Timer();
    void Timer2_Timer();
    void Command1_Click();
    void sevSMTP1_SendStart();
    void sevSMTP1_Progress(int percent);
    void sevSMTP1_Log(const QString& line);
    void send(bool standard);
    void unloadWindow();

    bool activated_ = false;
    bool sending_ = false;
    bool unloaded_ = false;
};
