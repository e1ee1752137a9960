#include "common/textfile.h"
#include "settings/settingsfile.h"
#include "support/programfolderfixture.h"

#include <QDir>
#include <QFile>
#include <QTest>

class ProgramFolderTest : public QObject
{
    Q_OBJECT
private slots:
    void settingsFileHoldsTheDesignTimeLines();
    void commentBoxIsSeventyThreeWide();
    void folderHasEverythingTheProgramNeeds();
    void standardGreetingUsesEveryPlaceholder();
    void standardGreetingNamesNoCharset();
    void buildLaidOutTheFolderBesideTheProgram();
};

void ProgramFolderTest::settingsFileHoldsTheDesignTimeLines()
{
    ProgramFolderFixture folder;
    QStringList expected = {"3600", " 0 ",   "",     folder.programPath(),
                            " 0 ",  "",      "",     "",
                            "",     " 0 ",   "",     "",
                            "",     " 0 ",   "",     " 0 ",
                            "10",   "",      "10",   " 0 ",
                            "",     "",      "2",    " 0 ",
                            "True", "False", "False"};
    for (int n = 28; n <= 60; ++n)
        expected << QStringLiteral("<Zeile %1>").arg(n);
    expected << QString(73, '#')
             << "#               Einstellungen von Tovalinero Pro V2                     #";
    const QByteArray bytes = folder.readBytes(Settings::Path());
    QVERIFY(bytes.endsWith("\r\n"));
    QStringList lines = DecodeCp1252(bytes).split("\r\n");
    QCOMPARE(lines.takeLast(), QString());
    QCOMPARE(lines.size(), 64);
    QCOMPARE(lines.mid(0, 62), expected);
    QCOMPARE(lines[63], QString(73, '#'));
    QVERIFY(lines[62].contains("www.tovalinero.example"));
    QCOMPARE(QFile::permissions(Settings::Path()) & (QFileDevice::ReadOther | QFileDevice::ReadGroup),
             QFileDevice::Permissions());
}

void ProgramFolderTest::commentBoxIsSeventyThreeWide()
{
    const QStringList lines = Settings::FixedLines();
    QCOMPARE(lines.size(), 37);
    for (int i = 33; i < 37; ++i)
        QCOMPARE(lines[i].size(), 73);
    // The address is centred: the odd blank goes after it.
    const QString address = lines[35];
    const qsizetype before = address.indexOf('w') - 1;
    const qsizetype after = address.size() - 2 - before - QStringLiteral("www.tovalinero.example").size();
    QVERIFY(after == before || after == before + 1);
}

void ProgramFolderTest::folderHasEverythingTheProgramNeeds()
{
    ProgramFolderFixture folder;
    QCOMPARE(QFileInfo(folder.data("tovalinero.dat")).size(), 0);
    QVERIFY(QDir(folder.data("emails")).exists());
    QVERIFY(QDir(folder.data("temp")).exists());
    const QByteArray wav = folder.readBytes(folder.folder() + "/sounds/erinnerung.wav");
    QVERIFY(wav.startsWith("RIFF") && wav.mid(8, 4) == "WAVE" && wav.size() > 1000);
    QVERIFY(QFile::exists(folder.folder() + "/hilfe/index.html"));
    QVERIFY(QFile::exists(folder.folder() + "/hilfe/oeffnen.html"));
}

void ProgramFolderTest::standardGreetingUsesEveryPlaceholder()
{
    ProgramFolderFixture folder;
    const QString html = DecodeCp1252(folder.readBytes(folder.data("standard.html")));
    for (const char* name :
         {"VORNAME", "NACHNAME", "TOVALINERO", "EMAIL", "STRASSE", "PLZ", "WOHNORT", "ABSENDERNAME"})
        QVERIFY2(html.contains(QStringLiteral("&lt;%1&gt;").arg(name)), name);
    QVERIFY(html.contains(QStringLiteral("Glückwunsch")));
}

// The template is stored in Windows-1252 and sent in UTF-8: a charset it named would be wrong
// for one of the two.
void ProgramFolderTest::standardGreetingNamesNoCharset()
{
    ProgramFolderFixture folder;
    const QString html = DecodeCp1252(folder.readBytes(folder.data("standard.html")));
    QVERIFY2(!html.contains(QStringLiteral("charset"), Qt::CaseInsensitive), qPrintable(html));
}

void ProgramFolderTest::buildLaidOutTheFolderBesideTheProgram()
{
    const QString built = QStringLiteral(TOVALINERO_BUILD_DIR);
    QVERIFY(QFile::exists(built + "/daten/tovalinero.dat"));
    QVERIFY(QFile::exists(built + "/daten/standard.html"));
    QCOMPARE(
        DecodeCp1252(ReadFileBytes(built + "/daten/einstellungen.dat").value_or("")).split("\r\n").value(3),
        built + "/tovalinero");
}

QTEST_MAIN(ProgramFolderTest)
#include "tst_programfolder.moc"
