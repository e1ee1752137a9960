#pragma once

#include <QString>

// The maker's web addresses, in one place. The host is a reserved example domain.
namespace WebAddresses
{
inline const QString PublisherHost = QStringLiteral("www.tovalinero.example");
inline const QString SupportForum = QStringLiteral("https://www.tovalinero.example/forum/");
inline const QString VersionPage = QStringLiteral("https://www.tovalinero.example/download/");
// The about box's links: the maker's contact address and home page.
inline const QString ContactMail = QStringLiteral("mailto:info@tovalinero.example");
inline const QString MakerHomePage = QStringLiteral("https://www.tovalinero.example/");
// The base of the update information, set at configure time; the file lies at UpdateInfoPath.
inline const QString UpdateBase = QStringLiteral(TOVALINERO_UPDATE_BASE);
inline const QString UpdateInfoPath = QStringLiteral("/update/tov_pro.ini");
} // namespace WebAddresses
