#pragma once

#include <QDialog>
#include <QPointer>
#include <QStringList>
#include <QVariant>
#include <optional>

class Coolbar;
class QDate;
class QDateTime;
class QLabel;
class QListWidget;
class QProgressBar;
class QPushButton;
class QTextEdit;
class SevText;
class SmtpControl;
class TextFormatActions;

// The free e-mail composer, shown modally from the manual reminder window with the recipient
// preset. It sends through its own SMTP control with the mail account of the settings; the
// control leaves the copy daten/emails/<yyyyMMdd HHmmss>.eml ("<yyyyMMdd HHmmss> (2).eml" for a
// second mail in the same second). Whatever a send brings, the window
// keeps recipients, subject, body, attachments, priority and read receipt, so the message can go
// out again. Closing the window discards the message; one that was written and has not gone out
// is discarded only when the user says so (the Esc key does not close the window). The controls
// are placed absolutely and scale with the window (ResizeForm).
class eMail_Fenster : public QDialog
{
    Q_OBJECT
public:
    explicit eMail_Fenster(QWidget* parent = nullptr);

    void Command16_Click();
    void sevSMTP1_SendStart();
    void sevSMTP1_Progress(int percent);
    void sevSMTP1_Log(const QString& line);
    void Coolbar2_ButtonClick(const QString& key);
    void Coolbar2_ButtonMenuClick(int index, const QString& key);
    void ChooseFont();
    void ShowAttachments();
    void Form_Resize();

    // "High", "Normal" or "Low" once a priority button was clicked; empty before, and then the
    // mail carries no priority at all.
    QString MailPriority;
    // 1 or 0 once the read-receipt button was clicked; null before, which counts as 0.
    QVariant ReadReceipt;

    QLabel* lblHeading;
    QLabel* lblHint;
    SevText* sevEmail;
    SevText* sevEmailCC;
    SevText* sevEmailBetreff;
    QLabel* lblAttachments;
    QListWidget* lstAttachments;
    Coolbar* Coolbar2;
    QTextEdit* RichTextBox1;
    QLabel* lblStatus;
    QProgressBar* xpProgress1;
    QPushButton* Command16;
    SmtpControl* sevSMTP1;

    void done(int result) override;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    // What a send would carry.
    struct Draft {
        QString to;
        QString cc;
        QString subject;
        QString body;
        QStringList attachments;
        bool operator==(const Draft&) const = default;
    };
    Draft draft() const;
    // Something the user wrote (body, subject, copy recipients, attachments) that has not gone out
    // as it stands; the preset recipient alone is nothing written.
    bool hasUnsentMessage() const;
    void buildToolbar();
    void setSmtpMembers(const QString& plainText);
    void endSend();
    void insertIntoBody(const QString& text);
    void focusBody();
    TextFormatActions* format_;
    QPointer<QWidget> focusBeforeSend_;
    std::optional<Draft> lastSent_;
};

// Where the control leaves the copy of a mail sent at that moment:
// program folder/daten/emails/<yyyyMMdd HHmmss>.eml, numbered by the control when it is taken.
QString ComposerCopyFilePath(const QDateTime& sentAt);
// 1 for "High", 3 for "Normal", 5 for "Low".
int PriorityNumber(const QString& priority);
// The weekday in the user's language, ", den " and the date: "Mittwoch, den 09.12.2026".
QString LongDateText(const QDate& date);
