// Times the list operations, the check run and the program's start-up on generated lists of
// 1,000, 10,000 and 100,000 persons, and reports the memory they take. Each time is the median
// of several runs (--runs N, 3 unless told; --start-up for the start-up figures alone). Run headless:
// QT_QPA_PLATFORM=offscreen.
#include "app/form1.h"
#include "app/programfolderlayout.h"
#include "app/reminders.h"
#include "common/coolbar.h"
#include "common/forms.h"
#include "common/textfile.h"
#include "platform/clock.h"
#include "platform/programfolder.h"
#include "platform/prompt.h"
#include "settings/settingsfile.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QMenu>
#include <QTemporaryDir>
#include <algorithm>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <functional>
#include <malloc.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace
{

// Boxes are printed, never shown: the benchmark runs unattended. A question is answered Yes.
class PrintingPrompt : public Prompt
{
public:
    MsgAnswer message(const MessageRequest& request) override
    {
        if (request.buttons == MsgButtons::YesNo)
            return MsgAnswer::Yes;
        std::fprintf(stderr, "box: %s\n", qPrintable(request.text));
        return MsgAnswer::Ok;
    }
    QString openFile(const FileRequest&) override { return {}; }
    QString saveFile(const FileRequest&) override { return {}; }
    QString chooseFolder(const QString&, const QString&) override { return {}; }
    std::optional<QColor> chooseColor(const QColor&) override { return std::nullopt; }
    std::optional<QFont> chooseFont(const QFont&) override { return std::nullopt; }
    bool setupPrinter(QPrinter&) override { return false; }
};

class BenchClock : public Clock
{
public:
    QDateTime now() override { return QDateTime(today, QTime(12, 0, 0)); }
    QDate today;
};

// 15 June: 54 % of the generated birthdays are still to come. 31 December: none is.
const QDate MidYear(2026, 6, 15);
const QDate YearEnd(2026, 12, 31);

// Persons born on every day of the year from 1 January to 30 December but the day left out, so
// nobody has a birthday on the benchmark's days (nor on the day the start-up is measured).
QByteArray generatedList(int persons, const QDate& leftOut)
{
    QByteArray bytes;
    const QDate first(1980, 1, 1);
    for (int i = 0; i < persons; ++i) {
        QDate born = first.addDays(i % 365);
        if (born.month() == leftOut.month() && born.day() == leftOut.day())
            born = born.addDays(1);
        const QString line =
            QStringLiteral("Vorname%1~Nachname%2~%3~%4~1~<p>Gruß</p>~Weg %1~%5~Ort~p%1@mail.example")
                .arg(i)
                .arg(i % 977)
                .arg(born.toString("dd.MM.yyyy"))
                .arg(i % 2)
                .arg(10000 + i % 89999);
        bytes += EncodeCp1252(line) + "\r\n";
    }
    return bytes;
}

// Lays out a program folder with the list; the settings warn nobody in advance (the lead time
// is longer than a year), so neither tray nor desktop is asked during a check.
void layOutFolder(const QString& folder, const QByteArray& list)
{
    LayOutProgramFolder(TOVALINERO_RESOURCES, folder, folder + "/tovalinero");
    SetProgramFolder(folder);
    QStringList settings = Settings::DesignTimeLines(folder + "/tovalinero");
    settings[Settings::LeadTimeDays - 1] = "400";
    Settings::WriteAll(settings);
    WriteFileAtomic(DataFile("tovalinero.dat"), list);
    TruncateFile(DataFile("demnaechst.dat"));
}

double millisecondsOf(const std::function<void()>& work)
{
    QElapsedTimer timer;
    timer.start();
    work();
    return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

// A figure of /proc/<pid>/status in KiB ("VmRSS", "VmHWM").
long statusKiB(const QString& pid, const char* field)
{
    QFile status("/proc/" + pid + "/status");
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray prefix = QByteArray(field) + ":";
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith(prefix))
            return line.mid(prefix.size()).trimmed().split(' ').value(0).toLong();
    return -1;
}

long ownKiB(const char* field)
{
    return statusKiB("self", field);
}

// The peak resident memory counts from here on.
void resetPeak()
{
    const int fd = ::open("/proc/self/clear_refs", O_WRONLY);
    if (fd >= 0 && ::write(fd, "5", 1) != 1)
        std::perror("clear_refs");
    if (fd >= 0)
        ::close(fd);
}

// The C loop a check run's file traffic comes to: the settings file read whole per person, the
// coming-birthday file opened for appending and closed per entry.
double fileTrafficMs(int persons, int entries)
{
    const QByteArray settings = QFile::encodeName(Settings::Path());
    const QByteArray upcoming = QFile::encodeName(DataFile("demnaechst.dat"));
    const char line[] = "Vorname1 Nachname1   (wird 46);2\r\n";
    const double ms = millisecondsOf([&] {
        char buffer[8192];
        for (int i = 0; i < persons; ++i) {
            const int fd = ::open(settings.constData(), O_RDONLY);
            while (::read(fd, buffer, sizeof buffer) > 0) {
            }
            ::close(fd);
        }
        for (int i = 0; i < entries; ++i) {
            const int fd = ::open(upcoming.constData(), O_WRONLY | O_APPEND | O_CREAT, 0600);
            if (::write(fd, line, sizeof line - 1) < 0)
                std::perror("write");
            ::close(fd);
        }
    });
    TruncateFile(DataFile("demnaechst.dat"));
    return ms;
}

// The time of the main thread on the processor, in ns.
long long cpuNanoseconds(pid_t pid)
{
    QFile stat(QStringLiteral("/proc/%1/task/%1/schedstat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return -1;
    return stat.readAll().split(' ').value(0).toLongLong();
}

struct StartUp {
    double ms = 0;
    long rssKiB = 0;
};

// Starts the program as a user would (its own folder, the offscreen screen) and waits until its
// main thread has been idle for half a second: the start-up, the first check included, is over.
StartUp measureStartUp(const QString& program)
{
    QElapsedTimer clock;
    clock.start();
    const pid_t pid = fork();
    if (pid == 0) {
        const int null = ::open("/dev/null", O_WRONLY);
        ::dup2(null, 1);
        ::dup2(null, 2);
        ::execl(program.toLocal8Bit().constData(), "tovalinero", static_cast<char*>(nullptr));
        _exit(127);
    }
    long long last = -1;
    qint64 lastChange = 0;
    for (;;) {
        ::usleep(1000);
        const long long cpu = cpuNanoseconds(pid);
        const qint64 now = clock.nsecsElapsed();
        if (cpu < 0)
            break;
        if (cpu != last) {
            last = cpu;
            lastChange = now;
        } else if (now - lastChange > 500'000'000) {
            break;
        }
    }
    StartUp result{static_cast<double>(lastChange) / 1e6, statusKiB(QString::number(pid), "VmRSS")};
    ::kill(pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);
    return result;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

struct Figures {
    std::vector<double> deleteOne, deleteAll, deletePeakMiB, firstCheck, repeatedCheck, emptyCheck, cLoop,
        find, load, save, startUp, startUpRssMiB;
    double loadMiB = 0;
    int upcoming = 0;
};

void runOnce(int persons, Figures& figures, BenchClock& clock, bool first)
{
    QTemporaryDir dir;
    layOutFolder(dir.path(), generatedList(persons, MidYear));
    clock.today = MidYear;
    malloc_trim(0);
    const long before = ownKiB("VmRSS");

    Form1& form = Forms::Get<Form1>();
    figures.load.push_back(millisecondsOf([&] { form.LoadBirthdayList(); }));
    if (first)
        figures.loadMiB = (ownKiB("VmRSS") - before) / 1024.0;
    figures.save.push_back(millisecondsOf([&] { form.SaveBirthdayList(); }));
    int found = -1;
    figures.find.push_back(millisecondsOf([&] { found = form.Grid1->Find("Keiner*", 2, 1); }));
    form.LoadUpcomingList();
    figures.firstCheck.push_back(millisecondsOf([&] { form.ueberpr_Click(); }));
    figures.upcoming = form.Grid2->RowCount();
    figures.repeatedCheck.push_back(millisecondsOf([&] { form.ueberpr_Click(); }));
    clock.today = YearEnd;
    figures.emptyCheck.push_back(millisecondsOf([&] { form.ueberpr_Click(); }));
    figures.cLoop.push_back(fileTrafficMs(persons, 0));
    if (found != 0 || form.Grid1->RowCount() != persons || form.Grid2->RowCount() != 0)
        std::fprintf(stderr, "unexpected result: found %d, rows %d, coming %d\n", found,
                     form.Grid1->RowCount(), form.Grid2->RowCount());

    // One person deleted on 15 June: the list saved and its coming birthdays listed anew.
    clock.today = MidYear;
    form.Grid1->SetCurrentRow(1);
    figures.deleteOne.push_back(millisecondsOf([&] { form.Coolbar1_ButtonClick("loeschen"); }));
    if (form.Grid1->RowCount() != persons - 1 || form.Grid2->RowCount() == 0)
        std::fprintf(stderr, "delete left rows %d, coming %d\n", form.Grid1->RowCount(),
                     form.Grid2->RowCount());

    const long loaded = ownKiB("VmRSS");
    resetPeak();
    figures.deleteAll.push_back(
        millisecondsOf([&] { form.Coolbar1->ButtonMenu("loeschen")->actions().constFirst()->trigger(); }));
    figures.deletePeakMiB.push_back((ownKiB("VmHWM") - loaded) / 1024.0);
    if (form.Grid1->RowCount() != 0 || QFileInfo(DataFile("tovalinero.dat")).size() != 0)
        std::fprintf(stderr, "delete-all left rows\n");
    Forms::Unload<Form1>();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void startUpOnce(int persons, Figures& figures)
{
    QTemporaryDir dir;
    layOutFolder(dir.path(), generatedList(persons, QDate::currentDate()));
    const QString program = dir.path() + "/tovalinero";
    QFile::copy(TOVALINERO_PROGRAM, program);
    const StartUp start = measureStartUp(program);
    figures.startUp.push_back(start.ms);
    figures.startUpRssMiB.push_back(start.rssKiB / 1024.0);
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    int runs = 3;
    const QStringList arguments = QCoreApplication::arguments();
    if (const qsizetype at = arguments.indexOf("--runs"); at > 0 && at + 1 < arguments.size())
        runs = std::max(1, arguments[at + 1].toInt());
    // --start-up: only the start-up figures, for profiling the program's start.
    const bool startUpOnly = arguments.contains("--start-up");
    PrintingPrompt prompt;
    BenchClock clock;
    PromptSeam::install(&prompt);
    ClockSeam::install(&clock);
    SetReminderWindowOpener([](ReminderWindow) {});
    FormRegistry::setProgramEndHandler([] {});

    std::printf("medians of %d runs, times in ms, memory in MiB\n", runs);
    std::printf("%-8s %8s %10s %8s %10s %10s %10s %8s %8s %8s %8s %8s %10s %8s %8s\n", "persons", "del-one",
                "del-all", "+peak", "check", "repeated", "nobody", "C loop", "find", "load", "+memory",
                "save", "start-up", "RSS", "coming");
    for (const int persons : {1000, 10000, 100000}) {
        Figures figures;
        for (int run = 0; run < runs && !startUpOnly; ++run)
            runOnce(persons, figures, clock, run == 0);
        for (int run = 0; run < runs; ++run)
            startUpOnce(persons, figures);
        std::printf(
            "%-8d %8.1f %10.1f %8.1f %10.1f %10.1f %10.1f %8.1f %8.2f %8.1f %8.1f %8.1f %10.1f %8.1f %8d\n",
            persons, median(figures.deleteOne), median(figures.deleteAll), median(figures.deletePeakMiB),
            median(figures.firstCheck), median(figures.repeatedCheck), median(figures.emptyCheck),
            median(figures.cLoop), median(figures.find), median(figures.load), figures.loadMiB,
            median(figures.save), median(figures.startUp), median(figures.startUpRssMiB), figures.upcoming);
        std::fflush(stdout);
    }
    return 0;
}
