#include "common/textfile.h"
#include "common/warten.h"
#include "common/zeilen_lesen.h"
#include "support/programfolderfixture.h"

#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <sys/stat.h>

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
    void highBytesDecodeWhereverTheyStand();
    void readLineNReadsTheFileAsItStandsNow();
    void readLineNRefusesAFileNoTextFileCanBe();

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

void TextFilesTest::highBytesDecodeWhereverTheyStand()
{
    for (int at = 0; at < 20; ++at) {
        QByteArray bytes(20, 'a');
        bytes[at] = '\x80';
        bytes[19 - at] = '\x9f';
        const QString text = DecodeCp1252(bytes);
        QCOMPARE(text[at], QChar(0x20AC));
        QCOMPARE(text[19 - at], at == 19 - at ? QChar(0x20AC) : QChar(0x0178));
        QCOMPARE(text.count(QChar('a')), at == 19 - at ? 19 : 18);
        if (at != 19 - at)
            QCOMPARE(EncodeCp1252(text), bytes);
    }
}

void TextFilesTest::readLineNReadsTheFileAsItStandsNow()
{
    const QString path = dir_.filePath("einstellungen.dat");
    QVERIFY(WriteFileAtomic(path, "eins\r\nzwei\r\n" + QByteArray(5000, 'x') + "\r\ndrei"));
    QCOMPARE(ReadLineN(path, 2), QStringLiteral("zwei"));
    QCOMPARE(ReadLineN(path, -1), QStringLiteral("drei"));
    // Changed in place, to the same size, and then shorter: every call reads what is there now,
    // nothing of an earlier, longer file.
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadWrite));
    QVERIFY(file.seek(6));
    QCOMPARE(file.write("ZWEI"), 4);
    file.close();
    QCOMPARE(ReadLineN(path, 2), QStringLiteral("ZWEI"));
    QVERIFY(WriteFileAtomic(path, "a\r\nb"));
    QCOMPARE(ReadLineN(path, -1), QStringLiteral("b"));
    QCOMPARE(ReadLineN(path, 3), QString());
    QVERIFY(QFile::remove(path));
    QCOMPARE(ReadLineN(path, 1), QString());
    QVERIFY(WriteFileAtomic(path, "neu"));
    QCOMPARE(ReadLineN(path, 1), QStringLiteral("neu"));
}

void TextFilesTest::readLineNRefusesAFileNoTextFileCanBe()
{
    // A folder, and a file far larger than any the program reads line by line (sparse, so it
    // takes no room): read as nothing, without reading it.
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkdir("ordner"));
    QCOMPARE(ReadLineN(dir.filePath("ordner"), 1), QString());
    const QString huge = dir.filePath("riesig.dat");
    QFile file(huge);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QVERIFY(file.write("a\r\n") == 3);
    QVERIFY(file.resize(qint64(1) << 32));
    file.close();
    QCOMPARE(ReadLineN(huge, 1), QString());
}

QTEST_MAIN(TextFilesTest)
#include "tst_textfiles.moc"
