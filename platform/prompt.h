#pragma once

#include "platform/seam.h"

#include <QColor>
#include <QFont>
#include <QList>
#include <QString>
#include <optional>

class QPrinter;
class QWidget;

enum class MsgButtons { Ok, OkCancel, YesNo, YesNoCancel, RetryCancel };
enum class MsgIcon { None, Critical, Question, Exclamation, Information };
enum class MsgAnswer { Ok, Cancel, Yes, No, Retry };

// The program's title, shown by every box that passes no title of its own.
inline const QString ProgramTitle = QStringLiteral("Tovalinero");

struct MessageRequest {
    QString text;
    QString title = ProgramTitle;
    MsgButtons buttons = MsgButtons::Ok;
    MsgIcon icon = MsgIcon::None;
    // The button that Enter presses; none leaves the first button the default.
    std::optional<MsgAnswer> defaultAnswer = std::nullopt;
};

// An open or save dialog as the program asks for it. The filter is given in the
// "Beschreibung (*.ext)|*.ext|..." form; the dialogs convert it.
struct FileRequest {
    QString title;
    QString folder;
    QString fileName;
    QString filter;
    QString defaultExtension;
};

class Prompt
{
public:
    virtual ~Prompt() = default;
    virtual MsgAnswer message(const MessageRequest& request) = 0;
    // The chosen full path, or an empty text when the user cancels.
    virtual QString openFile(const FileRequest& request) = 0;
    virtual QString saveFile(const FileRequest& request) = 0;
    virtual QString chooseFolder(const QString& title, const QString& folder) = 0;
    virtual std::optional<QColor> chooseColor(const QColor& initial) = 0;
    virtual std::optional<QFont> chooseFont(const QFont& initial) = 0;
    // Lets the user pick and set up the printer; false when cancelled.
    virtual bool setupPrinter(QPrinter& printer) = 0;
};

class QtPrompt : public Prompt
{
public:
    MsgAnswer message(const MessageRequest& request) override;
    QString openFile(const FileRequest& request) override;
    QString saveFile(const FileRequest& request) override;
    QString chooseFolder(const QString& title, const QString& folder) override;
    std::optional<QColor> chooseColor(const QColor& initial) override;
    std::optional<QFont> chooseFont(const QFont& initial) override;
    bool setupPrinter(QPrinter& printer) override;
};

using PromptSeam = Seam<Prompt, QtPrompt>;

// The program's message box: text, buttons and icon, title (the program's title by default), and
// the button that Enter presses.
MsgAnswer MsgBox(const QString& text, MsgButtons buttons = MsgButtons::Ok, MsgIcon icon = MsgIcon::None,
                 const QString& title = ProgramTitle, std::optional<MsgAnswer> defaultAnswer = std::nullopt);

// "Alle Dateien (*.*)|*.*" -> "Alle Dateien (*.*) (*)", pairs joined by ";;": the description as
// the program words it, then in brackets of their own the patterns Qt matches ("*.*" matching
// every file, also one without a dot), which the program's file dialogs hide.
QString ToQtFilter(const QString& filter);
