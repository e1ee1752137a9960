#include "greetings/frmlog.h"

#include "common/forms.h"
#include "common/resize.h"

#include <QCloseEvent>
#include <QFontDatabase>
#include <QPlainTextEdit>
#include <QTextCursor>
#include <QVBoxLayout>

frmlog::frmlog(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("frmlog"));
    setWindowTitle(QStringLiteral("Status"));
    resize(560, 360);
    KeepDesignedSize(this);
    txtStatus = new QPlainTextEdit(this);
    txtStatus->setObjectName(QStringLiteral("txtStatus"));
    txtStatus->setAccessibleName(QStringLiteral("Status"));
    txtStatus->setReadOnly(true);
    txtStatus->setLineWrapMode(QPlainTextEdit::NoWrap);
    txtStatus->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    QFont font(QStringLiteral("Courier New"));
    font.setStyleHint(QFont::Monospace);
    font.setFixedPitch(true);
    txtStatus->setFont(font);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(txtStatus);
}

void frmlog::AddLine(const QString& line)
{
    text_.prepend(line);
    // The field shows CR LF as one line end; the protocol text keeps the bytes as delivered.
    QString shown = line;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    QTextCursor cursor(txtStatus->document());
    cursor.setPosition(0);
    cursor.insertText(shown);
}

void frmlog::closeEvent(QCloseEvent* event)
{
    event->accept();
    Forms::Unload(this);
}
