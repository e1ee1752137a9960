#pragma once

#include "platform/clock.h"
#include "platform/help.h"
#include "platform/notification.h"
#include "platform/prompt.h"
#include "platform/shell.h"
#include "platform/sound.h"
#include "platform/tray.h"
#include "support/fake_internet.h"

#include <QList>
#include <QPageSize>
#include <QStringList>

// Records every box and dialog and answers from a script; without a scripted answer a box
// gets its first button and a dialog is cancelled.
class FakePrompt : public Prompt
{
public:
    MsgAnswer message(const MessageRequest& request) override;
    QString openFile(const FileRequest& request) override;
    QString saveFile(const FileRequest& request) override;
    QString chooseFolder(const QString& title, const QString& folder) override;
    std::optional<QColor> chooseColor(const QColor& initial) override;
    std::optional<QFont> chooseFont(const QFont& initial) override;
    bool setupPrinter(QPrinter& printer) override;

    QList<MessageRequest> messages;
    QList<MsgAnswer> answers;
    QList<FileRequest> fileRequests;
    QStringList fileAnswers;
    QStringList folderAnswers;
    QList<std::optional<QColor>> colorAnswers;
    QList<std::optional<QFont>> fontAnswers;
    // Where the print goes (a PDF); empty cancels the print dialog.
    QString printToPdf;
    // The paper chosen in the print dialog; the printer's default without one.
    std::optional<QPageSize> printPageSize;
    int printDialogs = 0;
    QStringList texts() const;
};

class FixedClock : public Clock
{
public:
    explicit FixedClock(QDateTime at) : at_(std::move(at)) {}
    QDateTime now() override { return at_; }
    void set(const QDateTime& at) { at_ = at; }

private:
    QDateTime at_;
};

class FakeShell : public Shell
{
public:
    bool open(const QString& address) override
    {
        opened << address;
        return accept;
    }
    QStringList opened;
    bool accept = true;
};

class FakeHelp : public Help
{
public:
    void showTopic(const QString& helpFile) override { calls << QStringLiteral("topic %1").arg(helpFile); }
    void showContext(const QString& helpFile, int context) override
    {
        calls << QStringLiteral("context %1 %2").arg(helpFile).arg(context);
    }
    QStringList calls;
};

class FakeSound : public Sound
{
public:
    void play(const QString& path) override { played << path; }
    QStringList played;
};

struct Balloon {
    QString title;
    QString text;
    int icon = 0;
};

class FakeTray : public Tray
{
    Q_OBJECT
public:
    bool available() const override { return trayAvailable; }
    void setIcon(const QIcon& icon) override { this->icon = icon; }
    void setToolTip(const QString& text) override { toolTip = text; }
    void addIcon() override { shown = true; }
    void removeIcon() override { shown = false; }
    bool iconShown() const override { return shown; }
    void showBalloon(const QString& title, const QString& text, int icon) override
    {
        balloons.append(Balloon{title, text, icon});
    }
    void addMenuItem(const QString& caption, const QString& key) override { menu.append({caption, key}); }
    void showMenu() override { menusShown++; }

    bool trayAvailable = true;
    bool shown = false;
    QIcon icon;
    QString toolTip;
    QList<Balloon> balloons;
    QList<QPair<QString, QString>> menu;
    int menusShown = 0;
};

// Records every notification; without a service it takes none (as on a desktop without one).
class FakeNotifier : public Notifier
{
public:
    bool notify(const QString& title, const QString& text) override
    {
        attempts.append(Balloon{title, text, 0});
        return serviceAvailable;
    }
    bool serviceAvailable = true;
    QList<Balloon> attempts;
};

// Installs fakes for every seam the windows touch, for the life of a test.
struct FakeSeams {
    FakeSeams();
    ~FakeSeams();
    FakePrompt prompt;
    FixedClock clock{QDateTime(QDate(2026, 1, 30), QTime(10, 15, 30))};
    FakeShell shell;
    FakeHelp help;
    FakeTray tray;
    FakeSound sound;
    FakeNotifier notifier;
    FakeInternet internet;
};
