#include "common/fileerrors.h"
#include "common/forms.h"
#include "common/htmled.h"
#include "common/textfile.h"
#include "common/warten.h"
#include "common/zeilen_lesen.h"
#include "maintenance/backupfile.h"
#include "maintenance/datensicherung1.h"
#include "settings/settingsfile.h"
#include "support/formfixture.h"
#include "support/programfolderfixture.h"
#include "support/sparsefile.h"

#include <QDir>
#include <QElapsedTimer>
#include <QMap>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <cerrno>
#include <csignal>
#include <functional>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace
{

constexpr mode_t OwnerOnly = 0600;

// What a save frozen half-way shows: the modes of the files in its folder that it holds open,
// and of the other files that stand there by name.
struct FrozenSave {
    QList<mode_t> open;
    QMap<QString, mode_t> named;
};

// Runs write in a child process under umask 022 that stops, instead of dying, at its first
// byte past the limit: the save is frozen half-way while the parent looks at the folder.
FrozenSave freezeWhileWriting(rlim_t bytes, const QString& folder, const std::function<void()>& write)
{
    const QString canonical = QFileInfo(folder).canonicalFilePath() + "/";
    const pid_t child = fork();
    if (child == 0) {
        ::umask(022);
        std::signal(SIGXFSZ, [](int) { ::raise(SIGSTOP); });
        rlimit limit{};
        getrlimit(RLIMIT_FSIZE, &limit);
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
        write();
        _exit(0);
    }
    int status = 0;
    waitpid(child, &status, WUNTRACED);
    FrozenSave seen;
    if (WIFSTOPPED(status)) {
        const QString fds = QStringLiteral("/proc/%1/fd/").arg(child);
        for (const QString& fd :
             QDir(fds).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot)) {
            const QByteArray link = QFile::encodeName(fds + fd);
            char target[4096];
            const ssize_t length = ::readlink(link.constData(), target, sizeof target);
            struct stat info;
            if (length > 0 && QString::fromLocal8Bit(target, length).startsWith(canonical) &&
                ::stat(link.constData(), &info) == 0 && S_ISREG(info.st_mode))
                seen.open << (info.st_mode & 07777);
        }
        for (const QFileInfo& file : QDir(folder).entryInfoList(QDir::Files | QDir::Hidden | QDir::System)) {
            struct stat info;
            if (::lstat(QFile::encodeName(file.filePath()).constData(), &info) == 0)
                seen.named.insert(file.fileName(), info.st_mode & 07777);
        }
    }
    ::kill(child, SIGKILL);
    waitpid(child, &status, 0);
    return seen;
}

// The process's umask for the life of the object.
class Umask
{
public:
    explicit Umask(mode_t mask) : saved_(::umask(mask)) {}
    ~Umask() { ::umask(saved_); }

private:
    mode_t saved_;
};

mode_t modeOf(const QString& path)
{
    struct stat info;
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_mode & 07777 : 0;
}

} // namespace

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
    void readOnlyFileIsNotSavedOver_data();
    void readOnlyFileIsNotSavedOver();
    void personalFilesAreOwnerOnlyFromTheFirstByte_data();
    void personalFilesAreOwnerOnlyFromTheFirstByte();
    void existingModeIsKeptOrNarrowed_data();
    void existingModeIsKeptOrNarrowed();
    void linkLoopIsRefused();
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
    QVERIFY(UnrepresentableCharacters(QStringLiteral("Jürgen € Œ")).isEmpty());
    QCOMPARE(UnrepresentableCharacters(QStringLiteral("Zoë ∑ x")).value(0), QString(QChar(0x2211)));
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
        QCOMPARE(error, QStringLiteral("2,9 MB, höchstens 2,9 MB"));
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
    QCOMPARE(error, QStringLiteral("%1, höchstens 64,0 MB").arg(shown));
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

void TextFilesTest::readOnlyFileIsNotSavedOver_data()
{
    QTest::addColumn<int>("access");
    QTest::addRow("plain") << int(FileAccess::Default);
    QTest::addRow("owner-only") << int(FileAccess::OwnerOnly);
}

// A file its owner made read-only is refused with a German reason and keeps its bytes; making
// it owner-only never makes it writable. The superuser writes anything, so the save runs in a
// child under an ordinary user.
void TextFilesTest::readOnlyFileIsNotSavedOver()
{
    QFETCH(int, access);
    const uid_t nobody = 65534;
    QTemporaryDir folder;
    const QString path = folder.filePath("tovalinero.dat");
    QVERIFY(WriteFileAtomic(path, "alt"));
    QVERIFY(::chmod(QFile::encodeName(path).constData(), 0444) == 0);
    const bool asRoot = geteuid() == 0;
    if (asRoot) {
        QVERIFY(::chown(QFile::encodeName(folder.path()).constData(), nobody, nobody) == 0);
        QVERIFY(::chown(QFile::encodeName(path).constData(), nobody, nobody) == 0);
    }
    const pid_t child = fork();
    if (child == 0) {
        if (asRoot && (::setgid(nobody) != 0 || ::setuid(nobody) != 0))
            _exit(3);
        QString reason;
        const bool saved = WriteFileAtomic(path, "neu", &reason, FileAccess(access));
        _exit(saved ? 1 : reason == QStringLiteral("Die Datei ist schreibgeschützt.") ? 0 : 2);
    }
    int status = 0;
    QCOMPARE(waitpid(child, &status, 0), child);
    QVERIFY(WIFEXITED(status));
    QCOMPARE(WEXITSTATUS(status), 0);
    QCOMPARE(ReadFileBytes(path).value(), QByteArray("alt"));
    QVERIFY((modeOf(path) & 0222) == 0);
}

void TextFilesTest::personalFilesAreOwnerOnlyFromTheFirstByte_data()
{
    QTest::addColumn<QString>("writer");
    QTest::addColumn<bool>("existing");
    for (const char* writer : {"list", "settings", "backup", "restore", "template", "plain"}) {
        QTest::addRow("%s, new", writer) << writer << false;
        QTest::addRow("%s, over a file readable by all", writer) << writer << true;
    }
    // A file the user saves over keeps its mode; a new one is his alone.
    QTest::addRow("save-as, new") << "save-as" << false;
}

// Under umask 022, a file of personal data is the owner's alone before its first byte is
// written, whether it is new or replaces a file that others could read; so is what a save
// frozen half-way leaves, and the file once saved.
void TextFilesTest::personalFilesAreOwnerOnlyFromTheFirstByte()
{
    QFETCH(QString, writer);
    QFETCH(bool, existing);
    FormFixture fixture;
    const ProgramFolderFixture& folder = *fixture.folder;
    const QString data = folder.folder() + "/daten";
    const QByteArray content(4096, 'x');
    QString target;
    std::function<void()> write;
    if (writer == "list") {
        target = folder.data("tovalinero.dat");
        fixture.writeList({"Anna~Meier~01.02.1980~0~1~~~~~a@example.org"});
        fixture.form().LoadBirthdayList();
        write = [&fixture] { fixture.form().SaveBirthdayList(); };
    } else if (writer == "settings") {
        target = Settings::Path();
        write = [] { Settings::WriteAll(Settings::DesignTimeLines("/opt/tovalinero")); };
    } else if (writer == "backup") {
        target = folder.folder() + "/sicherung/TovPro_Datensicherung.dsi";
        QDir().mkpath(QFileInfo(target).path());
        QStringList files;
        for (const QString& name : BackupDataFileNames())
            files << folder.data(name);
        write = [files, target] { Forms::Get<datensicherung1>().CreateBackupFile(files, target); };
    } else if (writer == "restore") {
        target = folder.data("einstellungen.dat");
        write = [content, data] {
            WriteBackupEntries({BackupEntry{"C:\\daten\\einstellungen.dat", content}}, data + "/");
        };
    } else if (writer == "save-as") {
        target = folder.folder() + "/liste.dat";
        fixture.writeList({"Anna~Meier~01.02.1980~0~1~~~~~a@example.org"});
        fixture.form().LoadBirthdayList();
        write = [&fixture, target] { fixture.form().WriteBirthdayListTo(target); };
    } else if (writer == "template") {
        target = folder.data("standard.html");
        write = [target] {
            HTMLed editor;
            editor.SetDocumentHTML(QStringLiteral("<p>Alles Gute, &lt;VORNAME&gt;!</p>"));
            editor.SaveFile(target);
        };
    } else {
        target = data + "/neu.dat";
        write = [content, target] { WriteFileAtomic(target, content, nullptr, FileAccess::OwnerOnly); };
    }
    QFile::remove(target);
    if (existing) {
        folder.writeBytes(target, "alt\r\n");
        QVERIFY(QFile::setPermissions(target, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                  QFileDevice::ReadGroup | QFileDevice::ReadOther));
    }
    const QByteArray before = existing ? folder.readBytes(target) : QByteArray();

    const QStringList standing = QDir(QFileInfo(target).path()).entryList(QDir::Files | QDir::Hidden);
    const FrozenSave frozen = freezeWhileWriting(1, QFileInfo(target).path(), write);
    QVERIFY2(!frozen.open.isEmpty(), "the save was not caught while it wrote");
    for (const mode_t mode : frozen.open)
        QCOMPARE(mode, OwnerOnly);
    for (auto it = frozen.named.cbegin(); it != frozen.named.cend(); ++it)
        if (!standing.contains(it.key()))
            QVERIFY2((it.value() & 077) == 0, qPrintable(it.key()));
    // What the frozen save left: the old file as it was, or none.
    QCOMPARE(QFile::exists(target), existing);
    QCOMPARE(folder.readBytes(target), before);

    {
        const Umask usual(022);
        write();
    }
    QVERIFY(QFile::exists(target));
    QCOMPARE(modeOf(target), OwnerOnly);
}

void TextFilesTest::existingModeIsKeptOrNarrowed_data()
{
    QTest::addColumn<int>("access");
    QTest::addColumn<int>("before");
    QTest::addColumn<int>("after");
    const int plain = int(FileAccess::Default);
    const int owner = int(FileAccess::OwnerOnly);
    const int chosen = int(FileAccess::OwnerOnlyWhenNew);
    QTest::addRow("plain, new") << plain << 0 << 0644;
    QTest::addRow("plain, over a group-readable file") << plain << 0640 << 0640;
    QTest::addRow("owner-only, new") << owner << 0 << 0600;
    QTest::addRow("owner-only, over a file readable by all") << owner << 0644 << 0600;
    QTest::addRow("chosen, new") << chosen << 0 << 0600;
    QTest::addRow("chosen, over a group-readable file") << chosen << 0640 << 0640;
    QTest::addRow("chosen, over a file readable by all") << chosen << 0644 << 0644;
}

void TextFilesTest::existingModeIsKeptOrNarrowed()
{
    QFETCH(int, access);
    QFETCH(int, before);
    QFETCH(int, after);
    QTemporaryDir folder;
    const QString path = folder.filePath("liste.dat");
    if (before) {
        QVERIFY(WriteFileAtomic(path, "alt"));
        QCOMPARE(::chmod(QFile::encodeName(path).constData(), mode_t(before)), 0);
    }
    const Umask usual(022);
    QString reason;
    QVERIFY2(WriteFileAtomic(path, "neu", &reason, FileAccess(access)), qPrintable(reason));
    QCOMPARE(ReadFileBytes(path).value(), QByteArray("neu"));
    QCOMPARE(int(modeOf(path)), after);
}

// Links that point at each other lead to no file: the save is refused and both stay.
void TextFilesTest::linkLoopIsRefused()
{
    QTemporaryDir folder;
    const QString first = folder.filePath("eins.dat");
    QVERIFY(QFile::link("zwei.dat", first));
    QVERIFY(QFile::link("eins.dat", folder.filePath("zwei.dat")));
    QString reason;
    QVERIFY(!WriteFileAtomic(first, "neu", &reason, FileAccess::OwnerOnly));
    QCOMPARE(reason, QStringLiteral("Die Verknüpfung führt im Kreis und zu keiner Datei."));
    QCOMPARE(
        QDir(folder.path()).entryList(QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot),
        (QStringList{"eins.dat", "zwei.dat"}));
    QVERIFY(QFileInfo(first).isSymLink());
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
