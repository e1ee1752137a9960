#include "platform/office.h"

#include <QDesktopServices>
#include <QDir>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryFile>
#include <QTextDocument>
#include <QTextDocumentWriter>
#include <QUrl>

namespace
{

constexpr auto OpenDocumentTextType = "application/vnd.oasis.opendocument.text";
constexpr auto SpreadsheetType = "application/vnd.openxmlformats-officedocument.spreadsheetml.sheet";

// On a freedesktop system the desktop's choice for the type can be asked; an empty answer means
// that no program opens it. Where the question cannot be asked, the opener decides.
bool desktopHasNoProgramFor(const char* mimeType)
{
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
    const QString query = QStandardPaths::findExecutable(QStringLiteral("xdg-mime"));
    if (query.isEmpty())
        return false;
    QProcess process;
    process.start(query, {QStringLiteral("query"), QStringLiteral("default"), QString::fromLatin1(mimeType)});
    if (!process.waitForFinished(5000)) {
        process.kill();
        process.waitForFinished(1000);
        return false;
    }
    return process.exitStatus() == QProcess::NormalExit &&
           process.readAllStandardOutput().trimmed().isEmpty();
#else
    Q_UNUSED(mimeType);
    return false;
#endif
}

} // namespace

bool WriteEmptyTextDocument(const QString& path, QString* error)
{
    QTextDocument document;
    QTextDocumentWriter writer(path, "odf");
    if (writer.write(&document))
        return true;
    if (error)
        *error = writer.device() ? writer.device()->errorString() : QStringLiteral("unbekannter Fehler");
    return false;
}

bool DesktopOffice::openNewTextDocument(QString* error)
{
    if (desktopHasNoProgramFor(OpenDocumentTextType)) {
        if (error)
            *error = QStringLiteral("Auf diesem Rechner ist kein Programm für Textdokumente eingerichtet.");
        return false;
    }
    // The document stays after the program ends: the word processor holds it open.
    QTemporaryFile file(QDir(QStandardPaths::writableLocation(QStandardPaths::TempLocation))
                            .filePath(QStringLiteral("Tovalinero-Dokument-XXXXXX.odt")));
    file.setAutoRemove(false);
    if (!file.open()) {
        if (error)
            *error = file.errorString();
        return false;
    }
    const QString path = file.fileName();
    file.close();
    if (!WriteEmptyTextDocument(path, error)) {
        QFile::remove(path);
        return false;
    }
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(path))) {
        QFile::remove(path);
        if (error)
            *error = QStringLiteral("Das Textdokument konnte nicht geöffnet werden.");
        return false;
    }
    return true;
}

bool DesktopOffice::openSpreadsheet(const QString& path, QString* error)
{
    if (desktopHasNoProgramFor(SpreadsheetType)) {
        if (error)
            *error =
                QStringLiteral("Auf diesem Rechner ist kein Tabellenkalkulationsprogramm für Excel-Dateien "
                               "eingerichtet.");
        return false;
    }
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(path))) {
        if (error)
            *error = QStringLiteral("Die Tabelle konnte nicht geöffnet werden.");
        return false;
    }
    return true;
}
