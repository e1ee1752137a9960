// The version check at start-up and the menu's update question.
#include "app/form1.h"

#include "common/callwebsite.h"
#include "common/forms.h"
#include "common/version.h"
#include "common/webaddresses.h"
#include "common/zeilen_lesen.h"
#include "maintenance/online.h"
#include "maintenance/update_vorhanden.h"
#include "maintenance/versionspru.h"

#include <QFile>
#include <QLabel>
#include <QPointer>

void Form1::CheckForUpdate()
{
    if (GetOnlineState() == QLatin1String("Offline"))
        return;
    const QPointer<Form1> alive(this);
    const bool downloaded = DownloadUpdateInfo();
    if (!alive || FormRegistry::programEnding())
        return;
    const QString path = UpdateInfoFilePath();
    const QString offered = ReadLineN(path, 1);
    if (IsFilePath(path))
        QFile::remove(path);
    if (!downloaded)
        return;
    // Anything but a version (an error page of a proxy, say) means the check failed.
    const auto offeredVersion = ParseVersion(offered);
    if (!offeredVersion) {
        ReportFailedUpdateCheck();
        return;
    }
    if (!IsNewerVersion(*offeredVersion, *ParseVersion(VersionText())))
        return;
    update_vorhanden& notice = Forms::Get<update_vorhanden>();
    notice.updVersion->setText(offered.trimmed());
    // A window of its own, so it shows also while the main window sits in the tray.
    notice.show();
    notice.raise();
    notice.activateWindow();
}

void Form1::ShowUpdateWebsitePrompt()
{
    if (AskToOpenVersionPage())
        OpenWebsite(WebAddresses::VersionPage);
}
