#include "common/germanlocale.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

void UseGermanLocale()
{
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    // Loaded by its file name, not by the user's languages, so no environment can swap it.
    static QTranslator* qtTranslation = nullptr;
    if (!qtTranslation) {
        qtTranslation = new QTranslator(QCoreApplication::instance());
        if (qtTranslation->load(QStringLiteral("qtbase_de"),
                                QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
            QCoreApplication::installTranslator(qtTranslation);
    }
}
