#include "common/fileerrors.h"
#include "common/textfile.h"
#include "common/warten.h"
#include "common/zeilen_lesen.h"
#include "support/programfolderfixture.h"
#include "support/sparsefile.h"

#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

class TextFilesTest : public QObject
{
    Q_OBJECT
private slots:
    void everyByteSurvivesARoundTrip();
    void unrepresentableCharactersAreFound();
    void lineReadersEndAtCr_data();
    void lineReadersEndAtCr();
    void readLineN_data();
    void readLineN();
    void waitDeadlineRounds_data();
    void waitDeadlineRounds();
    void waitLetsOtherEventsRun();
    void onlyRegularFilesAreRead();
    void boundedReaderStopsAtItsLimit_data();
    void boundedReaderStopsAtItsLimit();
    void hugeSparseFileIsRefusedUnread_data();
    void hugeSparseFileIsRefusedUnread();
    void writeFailuresAreToldInGerman_data();
    void writeFailuresAreToldInGerman();

private:
    QTemporaryDir dir_;
};

void TextFilesTest::everyByteSurvivesARoundTrip()
{
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all.append(static_cast<char>(b));
    const QString text = DecodeCp1252(all);
    QCOMPARE(text.size(), 256);
    QCOMPARE(text[0x80], QChar(0x20AC));
    QCOMPARE(text[0x9F], QChar(0x0178));
    QCOMPARE(text[0x81], QChar(0x0081));
    QCOMPARE(text[0xFC], QChar(u'ü'));
    QCOMPARE(EncodeCp1252(text), all);

    const QString path = dir_.filePath("all.txt");
    QVERIFY(WriteTextFileAtomic(path, text));
    QCOMPARE(ReadFileBytes(path).value(), all);
}

void TextFilesTest::unrepresentableCharactersAreFound()
{
    QVERIFY(!FirstUnrepresentable(QStringLiteral("Jürgen € Œ")).has_value());
    QCOMPARE(FirstUnrepresentable(QStringLiteral("Zoë ∑ x")).value(), QChar(0x2211));
}

void TextFilesTest::lineReadersEndAtCr_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("lines");
    QTest::addRow("empty") << "" << QStringList();
    QTest::addRow("crlf ended") << "a\r\nb\r\n" << QStringList{"a", "b"};
    QTest::addRow("no final end") << "a\r\nb" << QStringList{"a", "b"};
    QTest::addRow("lone cr ends") << "a\rb" << QStringList{"a", "b"};
    QTest::addRow("lone lf stays") << "a\nb\r\nc" << QStringList{"a\nb", "c"};
    QTest::addRow("empty lines") << "\r\n\r\nx\r\n" << QStringList{"", "", "x"};
}

void TextFilesTest::lineReadersEndAtCr()
{
    QFETCH(QString, text);
    QFETCH(QStringList, lines);
    QCOMPARE(SplitLinesAtCr(text), lines);
}

void TextFilesTest::readLineN_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<int>("n");
    QTest::addColumn<QString>("expected");
    const QByteArray ab = "a\r\nb\r\n";
    QTest::addRow("1") << ab << 1 << "a";
    QTest::addRow("2") << ab << 2 << "b";
    QTest::addRow("3") << ab << 3 << "";
    QTest::addRow("4") << ab << 4 << "";
    QTest::addRow("-1") << ab << -1 << "";
    QTest::addRow("-2") << ab << -2 << "b";
    QTest::addRow("-3") << ab << -3 << "a";
    QTest::addRow("-4") << ab << -4 << "";
    QTest::addRow("0") << ab << 0 << "";
    QTest::addRow("no final crlf, 2") << QByteArray("a\r\nb") << 2 << "b";
    QTest::addRow("no final crlf, -1") << QByteArray("a\r\nb") << -1 << "b";
    QTest::addRow("lone cr inside") << QByteArray("x\ry\r\n") << 1 << "x\ry";
    QTest::addRow("empty file") << QByteArray() << 1 << "";
    QTest::addRow("windows-1252") << QByteArray("M\xfcller \x80\r\n") << 1 << QStringLiteral("Müller €");
}

void TextFilesTest::readLineN()
{
    QFETCH(QByteArray, content);
    QFETCH(int, n);
    QFETCH(QString, expected);
    const QString path = dir_.filePath("lines.txt");
    QVERIFY(WriteFileAtomic(path, content));
    QCOMPARE(ReadLineN(path, n), expected);
    QCOMPARE(ReadLineN(dir_.filePath("missing.txt"), n), QString());
}

void TextFilesTest::waitDeadlineRounds_data()
{
    QTest::addColumn<qint64>("startMs");
    QTest::addColumn<int>("n");
    QTest::addColumn<qint64>("waitMs");
    QTest::addRow("0.3 s into a second") << qint64(10300) << 1 << qint64(700);
    QTest::addRow("0.7 s into a second") << qint64(10700) << 1 << qint64(1300);
    QTest::addRow("half to even, up") << qint64(10500) << 1 << qint64(1500);
    QTest::addRow("half to even, down") << qint64(11500) << 1 << qint64(500);
    QTest::addRow("zero") << qint64(10400) << 0 << qint64(-400);
    QTest::addRow("beyond 32 bits") << qint64(4294967296300) << 2 << qint64(1700);
}

void TextFilesTest::waitDeadlineRounds()
{
    QFETCH(qint64, startMs);
    QFETCH(int, n);
    QFETCH(qint64, waitMs);
    QCOMPARE(WaitDeadlineMs(startMs, n) - startMs, waitMs);
}

void TextFilesTest::waitLetsOtherEventsRun()
{
    int ticks = 0;
    QTimer timer;
    connect(&timer, &QTimer::timeout, [&] { ++ticks; });
    timer.start(50);
    QElapsedTimer clock;
    clock.start();
    WaitSeconds(1);
    const qint64 waited = clock.elapsed();
    QVERIFY2(waited > 450 && waited < 1600, qPrintable(QString::number(waited)));
    QVERIFY(ticks >= 5);

    clock.restart();
    WaitSeconds(0);
    QVERIFY(clock.elapsed() < 600);
}

void TextFilesTest::onlyRegularFilesAreRead()
{
    // A pipe would block the reader for ever, a folder has no text: both read as unreadable.
    QTemporaryDir dir;
    const QString pipe = dir.filePath("einstellungen.dat");
    QCOMPARE(mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    QString error;
    QVERIFY(!ReadFileBytes(pipe, &error));
    QVERIFY(!error.isEmpty());
    QCOMPARE(ReadLineN(pipe, 1), QString());
    QVERIFY(QDir(dir.path()).mkdir("ordner"));
    QVERIFY(!ReadFileBytes(dir.filePath("ordner")));
}

void TextFilesTest::boundedReaderStopsAtItsLimit_data()
{
    QTest::addColumn<int>("size");
    QTest::addColumn<bool>("read");
    QTest::addRow("empty") << 0 << true;
    QTest::addRow("at the limit") << 3000000 << true;
    QTest::addRow("one byte more") << 3000001 << false;
}

void TextFilesTest::boundedReaderStopsAtItsLimit()
{
    QFETCH(int, size);
    QFETCH(bool, read);
    const QString path = dir_.filePath("bounded.dat");
    QByteArray content(size, 'x');
    for (int i = 0; i < size; i += 4099)
        content[i] = static_cast<char>(i);
    QVERIFY(WriteFileAtomic(path, content));
    QString error;
    bool tooLarge = true;
    const auto bytes = ReadFileBytesUpTo(path, 3000000, &error, &tooLarge);
    QCOMPARE(bytes.has_value(), read);
    QCOMPARE(tooLarge, !read);
    if (read)
        QCOMPARE(*bytes, content);
    else
        QVERIFY(error.startsWith("Die Datei ist "));
}

void TextFilesTest::hugeSparseFileIsRefusedUnread_data()
{
    QTest::addColumn<qint64>("size");
    QTest::addColumn<QString>("shown");
    QTest::addRow("40 GiB") << 40 * GiB << "40,0 GB";
    QTest::addRow("4 GiB") << 4 * GiB << "4,0 GB";
}

void TextFilesTest::hugeSparseFileIsRefusedUnread()
{
    QFETCH(qint64, size);
    QFETCH(QString, shown);
    const QString path = dir_.filePath("riesig.dat");
    if (!MakeSparseFile(path, size, "Anna~Meier~01.02.1980\r\n"))
        QSKIP("no sparse files here");
    const long before = PeakMemoryKiB();
    QString error;
    bool tooLarge = false;
    QVERIFY(!ReadFileBytesUpTo(path, 64 << 20, &error, &tooLarge));
    QVERIFY(tooLarge);
    QCOMPARE(error, QStringLiteral("Die Datei ist %1 groß, erlaubt sind höchstens 64,0 MB.").arg(shown));
    QVERIFY(PeakMemoryKiB() - before < BoundedMemoryKiB);
    QFile::remove(path);
}

void TextFilesTest::writeFailuresAreToldInGerman_data()
{
    QTest::addColumn<QString>("where");
    QTest::addColumn<QString>("reason");
    QTest::addColumn<QString>("german");
    QTest::addRow("full disk") << "file" << qt_error_string(ENOSPC)
                               << "Auf dem Datenträger ist nicht genügend Speicherplatz frei.";
    QTest::addRow("file size limit") << "file" << qt_error_string(EFBIG)
                                     << "Die Datei ist größer, als der Datenträger oder das System erlaubt.";
    QTest::addRow("read-only file system")
        << "file" << qt_error_string(EROFS) << "Der Datenträger ist schreibgeschützt.";
    QTest::addRow("Qt's own text, read-only file") << "readonly"
                                                   << "Existing file x is not writable"
                                                   << "Die Datei ist schreibgeschützt.";
    QTest::addRow("Qt's own text, folder gone") << "missing"
                                                << "Unknown error"
                                                << "Der Ordner ist nicht vorhanden.";
    QTest::addRow("nothing known") << "file"
                                   << "Unknown error"
                                   << "Die Datei konnte nicht vollständig geschrieben werden.";
}

void TextFilesTest::writeFailuresAreToldInGerman()
{
    QFETCH(QString, where);
    QFETCH(QString, reason);
    QFETCH(QString, german);
    QString path = dir_.filePath("ziel.dat");
    QVERIFY(WriteFileAtomic(path, "alt"));
    if (where == "readonly") {
        if (geteuid() == 0)
            QSKIP("the superuser writes read-only files");
        QFile::setPermissions(path, QFile::ReadOwner);
    } else if (where == "missing") {
        path = dir_.filePath("weg/ziel.dat");
    }
    QCOMPARE(GermanWriteReason(path, reason, 10), german);
    QFile::setPermissions(dir_.filePath("ziel.dat"), QFile::ReadOwner | QFile::WriteOwner);
}

QTEST_MAIN(TextFilesTest)
#include "tst_textfiles.moc"
