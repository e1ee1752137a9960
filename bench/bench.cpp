// Times the list operations and the check run on generated lists of 1,000, 10,000 and 100,000
// persons, and reports the process's peak memory. Run headless: QT_QPA_PLATFORM=offscreen.
#include "app/form1.h"
#include "app/programfolderlayout.h"
#include "app/reminders.h"
#include "common/forms.h"
#include "common/textfile.h"
#include "platform/clock.h"
#include "platform/programfolder.h"
#include "platform/prompt.h"
#include "settings/settingsfile.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <cstdio>
#include <functional>
#include <sys/resource.h>

namespace
{

// Boxes are printed, never shown: the benchmark runs unattended.
class PrintingPrompt : public Prompt
{
public:
    MsgAnswer message(const MessageRequest& request) override
    {
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
    QDateTime now() override { return QDateTime(QDate(2026, 6, 15), QTime(12, 0, 0)); }
};

// Persons born on every day of the year but 15 June, the benchmark's today.
QByteArray generatedList(int persons)
{
    QByteArray bytes;
    const QDate first(1980, 1, 1);
    for (int i = 0; i < persons; ++i) {
        QDate born = first.addDays(i % 365);
        if (born.month() == 6 && born.day() == 15)
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

double millisecondsOf(const std::function<void()>& work)
{
    QElapsedTimer timer;
    timer.start();
    work();
    return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

long peakMemoryKiB()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    PrintingPrompt prompt;
    BenchClock clock;
    PromptSeam::install(&prompt);
    ClockSeam::install(&clock);
    SetReminderWindowOpener([](ReminderWindow) {});
    FormRegistry::setProgramEndHandler([] {});

    std::printf("%-8s %12s %12s %12s %12s %14s\n", "persons", "load ms", "save ms", "find ms", "check ms",
                "peak KiB");
    for (const int persons : {1000, 10000, 100000}) {
        QTemporaryDir dir;
        LayOutProgramFolder(TOVALINERO_RESOURCES, dir.path(), dir.path() + "/tovalinero");
        SetProgramFolder(dir.path());
        WriteFileAtomic(DataFile("tovalinero.dat"), generatedList(persons));
        TruncateFile(DataFile("demnaechst.dat"));

        Form1& form = Forms::Get<Form1>();
        const double load = millisecondsOf([&] { form.LoadBirthdayList(); });
        const double save = millisecondsOf([&] { form.SaveBirthdayList(); });
        int found = 0;
        const double find = millisecondsOf([&] { found = form.Grid1->Find("Nachname976*", 2, 1); });
        form.LoadUpcomingList();
        const double check = millisecondsOf([&] { form.RunBirthdayCheck(); });
        std::fflush(stdout);
        std::printf("%-8d %12.1f %12.1f %12.2f %12.1f %14ld\n", persons, load, save, find, check,
                    peakMemoryKiB());
        if (found < 1 || form.Grid1->RowCount() != persons)
            std::fprintf(stderr, "unexpected result: found %d, rows %d\n", found, form.Grid1->RowCount());
        Forms::Unload<Form1>();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    return 0;
}
