#include "platform/help.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QScreen>
#include <QTextBrowser>
#include <QUrl>

namespace
{

QString pagesFolder(const QString& helpFile)
{
    return QFileInfo(helpFile).absolutePath() + "/hilfe";
}

QString contextPage(const QString& folder, int context)
{
    QFile map(folder + "/kontext.map");
    if (!map.open(QIODevice::ReadOnly))
        return QString();
    const QString wanted = QString::number(context);
    for (const QByteArray& raw : map.readAll().split('\n')) {
        const QString line = QString::fromLatin1(raw).trimmed();
        const int equals = line.indexOf('=');
        if (equals > 0 && line.left(equals).trimmed() == wanted)
            return line.mid(equals + 1).trimmed();
    }
    return QString();
}

// The program's own help window, one for the whole program. Help asked for while a modal window
// is open belongs to that window: as its child it stays above it and takes input, where a window
// of its own would sit behind it, blocked until the modal window closes.
void showPage(const QString& page)
{
    static QPointer<QTextBrowser> viewer;
    QWidget* owner = QApplication::activeModalWidget();
    if (viewer && viewer->parentWidget() != owner) {
        const QRect placed = viewer->geometry();
        viewer->setParent(owner, viewer->windowFlags());
        viewer->setGeometry(placed);
    }
    if (!viewer) {
        viewer = new QTextBrowser(owner);
        viewer->setWindowFlags(Qt::Window);
        viewer->setAttribute(Qt::WA_DeleteOnClose);
        viewer->setObjectName("HelpViewer");
        viewer->setWindowTitle(QStringLiteral("Tovalinero Pro - Hilfe"));
        viewer->setOpenExternalLinks(true);
        // Whole on the screen of the window it was asked from, whatever the window manager's
        // placement would make of a child window.
        const QWidget* asking = owner ? owner : QApplication::activeWindow();
        const QScreen* screen = asking ? asking->screen() : QGuiApplication::primaryScreen();
        const QRect area = screen ? screen->availableGeometry() : QRect(0, 0, 800, 600);
        viewer->resize(QSize(760, 560).boundedTo(area.size() * 9 / 10));
        viewer->move(area.center() - viewer->rect().center());
    }
    if (page.isEmpty())
        viewer->setHtml(QStringLiteral("<p>Die Hilfeseiten wurden nicht gefunden.</p>"));
    else
        viewer->setSource(QUrl::fromLocalFile(page));
    viewer->show();
    viewer->raise();
    viewer->activateWindow();
}

} // namespace

QString HelpPageFor(const QString& helpFile, int context)
{
    if (helpFile.isEmpty())
        return QString();
    const QString folder = pagesFolder(helpFile);
    QString page = context != 0 ? contextPage(folder, context) : QString();
    if (page.isEmpty() || !QFileInfo::exists(folder + "/" + page))
        page = "index.html";
    const QString path = folder + "/" + page;
    return QFileInfo::exists(path) ? path : QString();
}

void HelpWindowHelp::showTopic(const QString& helpFile)
{
    showPage(HelpPageFor(helpFile, 0));
}

void HelpWindowHelp::showContext(const QString& helpFile, int context)
{
    showPage(HelpPageFor(helpFile, context));
}
