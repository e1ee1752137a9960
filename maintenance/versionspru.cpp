#include "maintenance/versionspru.h"

#include "common/forms.h"
#include "common/textfile.h"
#include "common/webaddresses.h"
#include "platform/internet.h"
#include "platform/programfolder.h"
#include "platform/prompt.h"

#include <QCoreApplication>
#include <QFile>
#include <QRegularExpression>

namespace
{

void letPendingEventsRun()
{
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

// Digits without leading zeros, so that longer means greater.
QString withoutLeadingZeros(const QString& digits)
{
    qsizetype first = 0;
    while (first + 1 < digits.size() && digits[first] == '0')
        ++first;
    return digits.mid(first);
}

} // namespace

QUrl UpdateInfoAddress()
{
    QString base = WebAddresses::UpdateBase;
    while (base.endsWith('/'))
        base.chop(1);
    return QUrl(base + WebAddresses::UpdateInfoPath);
}

QString UpdateInfoFilePath()
{
    return DataFolder() + "/temp/" + UpdateInfoAddress().fileName();
}

void ReportFailedUpdateCheck()
{
    MsgBox(QStringLiteral("Es konnte nicht geprüft werden, ob ein Update vorhanden ist.\r"
                          "Dies könnte u. a. mit einem Serverproblem zusammenhängen."),
           MsgButtons::Ok, MsgIcon::Critical, QStringLiteral("Fehler"));
}

bool DownloadUpdateInfo()
{
    const QString target = UpdateInfoFilePath();
    letPendingEventsRun();
    QFile::remove(target);
    QString error;
    const auto bytes =
        InternetSeam::get().download(UpdateInfoAddress(), UpdateDownloadTimeout, UpdateInfoMaxBytes, &error);
    letPendingEventsRun();
    if (!bytes || !WriteFileAtomic(target, *bytes, &error, FileAccess::OwnerOnly)) {
        // Closing the program while it waited leaves nobody to tell.
        if (!FormRegistry::programEnding())
            ReportFailedUpdateCheck();
        return false;
    }
    return true;
}

std::optional<VersionNumber> ParseVersion(const QString& text)
{
    static const QRegularExpression version(QStringLiteral("^([0-9]+)(?:\\.([0-9]+))?(?:\\.([0-9]+))?$"));
    const QRegularExpressionMatch match = version.match(text.trimmed());
    if (!match.hasMatch())
        return std::nullopt;
    VersionNumber parts;
    for (int i = 0; i < 3; ++i) {
        const QString digits = match.captured(i + 1);
        parts[i] = digits.isEmpty() ? QStringLiteral("0") : withoutLeadingZeros(digits);
    }
    return parts;
}

bool IsNewerVersion(const VersionNumber& offered, const VersionNumber& running)
{
    for (int i = 0; i < 3; ++i) {
        if (offered[i].size() != running[i].size())
            return offered[i].size() > running[i].size();
        if (offered[i] != running[i])
            return offered[i] > running[i];
    }
    return false;
}
