#include "support/formfixture.h"

#include "app/oeffnen1.h"
#include "app/speichern1.h"
#include "common/forms.h"
#include "common/germanlocale.h"
#include "common/sevtext.h"
#include "platform/prompt.h"

#include <QAbstractProxyModel>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QMessageBox>
#include <QPointer>
#include <QPrinter>
#include <QPushButton>
#include <QStyleOptionViewItem>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QTreeView>
#include <QVBoxLayout>

namespace
{

// Once a dialog or a drop-down list runs its own loop, does what unloads the window under it: a
// screen reader's press on "&Abbrechen", or the end of the program. A dialog that never shows is
// closed after a while, so the test fails instead of hanging.
class WhileDialogRuns : public QObject
{
public:
    explicit WhileDialogRuns(std::function<void()> action) : action_(std::move(action))
    {
        connect(&timer_, &QTimer::timeout, this, &WhileDialogRuns::poll);
        timer_.start(10);
    }

    bool acted = false;
    QPointer<QWidget> dialog;
    QString dialogClass;
    QPointer<QWidget> owner;
    QString ownerName;

private:
    void poll()
    {
        QWidget* running = QApplication::activePopupWidget();
        if (!running)
            running = QApplication::activeModalWidget();
        if (!acted && running && running->isVisible()) {
            acted = true;
            dialog = running;
            dialogClass = QString::fromLatin1(running->metaObject()->className());
            owner = running->parentWidget() ? running->parentWidget()->window() : nullptr;
            ownerName = owner ? owner->objectName() : QString();
            action_();
            return;
        }
        if (++ticks_ < 1000)
            return;
        timer_.stop();
        for (QWidget* widget : QApplication::topLevelWidgets())
            if (auto* box = qobject_cast<QDialog*>(widget); box && box->isModal() && box->isVisible())
                box->reject();
    }

    std::function<void()> action_;
    QTimer timer_;
    int ticks_ = 0;
};

// The real boxes and dialogs for the time of a test; the fixture's fake afterwards.
class RealPrompt
{
public:
    explicit RealPrompt(Prompt& fake) : fake_(fake) { PromptSeam::install(&real_); }
    ~RealPrompt() { PromptSeam::install(&fake_); }
    QtPrompt& get() { return real_; }

private:
    QtPrompt real_;
    Prompt& fake_;
};

bool anyDialogShown()
{
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (widget->isVisible() && (qobject_cast<QDialog*>(widget) || qobject_cast<QMenu*>(widget)))
            return true;
    return false;
}

} // namespace

// A window of the registry that opens boxes and a drop-down list of its own.
class OwnerWindow : public QDialog
{
public:
    OwnerWindow()
    {
        setWindowTitle("Besitzer");
        field = new SevText(this);
        field->AddItem("Hoch");
        field->AddItem("Niedrig");
        auto* layout = new QVBoxLayout(this);
        layout->addWidget(field);
    }
    SevText* field;
};

class PromptTest : public QObject
{
    Q_OBJECT
private slots:
    void cleanup();
    void listFileWindowUnloadedWhileItsDialogRuns_data();
    void listFileWindowUnloadedWhileItsDialogRuns();
    void programEndsWhileTheMenuOpenedWindowChoosesAFile();
    void everyDialogGoesWithItsWindow_data();
    void everyDialogGoesWithItsWindow();
    void dropDownListGoesWithItsWindow();
    void fileDialogWritesSizesAndDatesInGerman();
    void messageShowsItsTextAsItIs();
    void openDialogShowsTheTypesAsWordedAndColumnsWhole();

private:
    OwnerWindow& showOwner();
};

void PromptTest::cleanup()
{
    Forms::Unload<OwnerWindow>();
    FlushDeletedWindows();
    QVERIFY(!anyDialogShown());
}

void PromptTest::listFileWindowUnloadedWhileItsDialogRuns_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("programEnds");
    for (const char* name : {"speichern1", "oeffnen1"}) {
        QTest::addRow("%s, Abbrechen", name) << name << false;
        QTest::addRow("%s, program ends", name) << name << true;
    }
}

// The file dialog belongs to the window; closing the window while the dialog runs closes the
// dialog, touches no file, and the window goes once the dialog has returned.
void PromptTest::listFileWindowUnloadedWhileItsDialogRuns()
{
    QFETCH(QString, name);
    QFETCH(bool, programEnds);
    FormFixture fixture;
    fixture.writeList({"Anna~Meier~01.02.1980~0~1~~~~~"});
    fixture.form().LoadBirthdayList();
    const QByteArray list = fixture.folder->readBytes(fixture.folder->data("tovalinero.dat"));
    const QStringList files = QDir(fixture.folder->folder()).entryList(QDir::Files);
    RealPrompt prompt(fixture.seams->prompt);

    ListFileWindow* window = name == "speichern1" ? static_cast<ListFileWindow*>(&Forms::Get<speichern1>())
                                                  : &Forms::Get<oeffnen1>();
    window->show();
    window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window));
    const QPointer<ListFileWindow> alive(window);
    WhileDialogRuns during([&] {
        if (programEnds)
            UnloadAllForms();
        else
            alive->Command1->click();
    });
    window->sevText1->Button()->click();

    QVERIFY(during.acted);
    QCOMPARE(during.dialogClass, QStringLiteral("QFileDialog"));
    QCOMPARE(during.owner.data(), static_cast<QWidget*>(window));
    QVERIFY(!Forms::Loaded<speichern1>() && !Forms::Loaded<oeffnen1>());
    // The code that opened the dialog still runs in the window: it is hidden, not deleted yet.
    QVERIFY(alive);
    QVERIFY(!alive->isVisible());
    QVERIFY(alive->sevText1->Text().isEmpty());
    QVERIFY(!alive->Label3->isVisible());
    QVERIFY(!anyDialogShown());
    FlushDeletedWindows();
    QVERIFY(!alive);
    QVERIFY(!during.dialog);
    QCOMPARE(fixture.programEnds, programEnds ? 1 : 0);
    QCOMPARE(fixture.folder->readBytes(fixture.folder->data("tovalinero.dat")), list);
    QCOMPARE(QDir(fixture.folder->folder()).entryList(QDir::Files), files);
}

// The menu opens the window modally; ending the program while it shows its file dialog closes
// the dialog and every window, and nothing is written.
void PromptTest::programEndsWhileTheMenuOpenedWindowChoosesAFile()
{
    FormFixture fixture;
    fixture.writeList({"Anna~Meier~01.02.1980~0~1~~~~~"});
    fixture.form().LoadBirthdayList();
    const QByteArray list = fixture.folder->readBytes(fixture.folder->data("tovalinero.dat"));
    RealPrompt prompt(fixture.seams->prompt);
    const QPointer<Form1> main(&fixture.form());

    // Once the window runs, its "..." button; while the file dialog runs, the program's end.
    std::unique_ptr<WhileDialogRuns> during;
    QTimer choose;
    connect(&choose, &QTimer::timeout, &choose, [&choose, &during] {
        if (oeffnen1* window = Forms::Loaded<oeffnen1>(); window && window->isVisible()) {
            // The dialog belongs to the active window, as when the user clicks the button.
            if (!window->isActiveWindow()) {
                window->activateWindow();
                return;
            }
            choose.stop();
            during = std::make_unique<WhileDialogRuns>([] { UnloadAllForms(); });
            window->sevText1->Button()->click();
        }
    });
    choose.start(10);
    fixture.form().offen1_Click();

    QVERIFY(during && during->acted);
    QCOMPARE(during->dialogClass, QStringLiteral("QFileDialog"));
    QCOMPARE(during->ownerName, QStringLiteral("oeffnen1"));
    QCOMPARE(fixture.programEnds, 1);
    FlushDeletedWindows();
    QVERIFY(!main);
    QVERIFY(!Forms::Loaded<oeffnen1>());
    QCOMPARE(fixture.folder->readBytes(fixture.folder->data("tovalinero.dat")), list);
}

OwnerWindow& PromptTest::showOwner()
{
    OwnerWindow& window = Forms::Get<OwnerWindow>();
    window.show();
    window.activateWindow();
    if (!QTest::qWaitForWindowActive(&window))
        qWarning("the owner window did not become active");
    return window;
}

void PromptTest::everyDialogGoesWithItsWindow_data()
{
    QTest::addColumn<QString>("dialog");
    for (const char* dialog : {"question", "message", "openFile", "saveFile", "chooseFolder", "chooseColor",
                               "chooseFont", "setupPrinter"})
        QTest::addRow("%s", dialog) << dialog;
}

// Every box and dialog of the adapter belongs to the active window; unloading that window while
// it runs closes it as cancelled, and the window goes only after the dialog has returned.
void PromptTest::everyDialogGoesWithItsWindow()
{
    QFETCH(QString, dialog);
    FakeSeams seams;
    ProgramFolderFixture folder;
    RealPrompt prompt(seams.prompt);
    QtPrompt& real = prompt.get();
    OwnerWindow& window = showOwner();
    QCOMPARE(QApplication::activeWindow(), static_cast<QWidget*>(&window));
    const QPointer<OwnerWindow> alive(&window);
    WhileDialogRuns during([&] { Forms::Unload(alive.data()); });

    const FileRequest files{"Datei", folder.folder(), QString(), "Alle Dateien (*.*)|*.*", ".dat"};
    bool cancelled = false;
    if (dialog == "question")
        cancelled =
            real.message({"Wirklich?", "Frage", MsgButtons::YesNo, MsgIcon::Question}) == MsgAnswer::No;
    else if (dialog == "message")
        cancelled = real.message({"Hinweis", "Titel", MsgButtons::Ok, MsgIcon::Information}) == MsgAnswer::Ok;
    else if (dialog == "openFile")
        cancelled = real.openFile(files).isEmpty();
    else if (dialog == "saveFile")
        cancelled = real.saveFile(files).isEmpty();
    else if (dialog == "chooseFolder")
        cancelled = real.chooseFolder("Ordner", folder.folder()).isEmpty();
    else if (dialog == "chooseColor")
        cancelled = !real.chooseColor(Qt::red).has_value();
    else if (dialog == "chooseFont")
        cancelled = !real.chooseFont(QFont("Arial", 10)).has_value();
    else if (dialog == "setupPrinter") {
        QPrinter printer;
        cancelled = !real.setupPrinter(printer);
    }

    QVERIFY(during.acted);
    QCOMPARE(during.owner.data(), static_cast<QWidget*>(&window));
    QVERIFY(cancelled);
    QVERIFY(!Forms::Loaded<OwnerWindow>());
    QVERIFY(alive);
    QVERIFY(!alive->isVisible());
    QVERIFY(!anyDialogShown());
    FlushDeletedWindows();
    QVERIFY(!alive);
    QVERIFY(!during.dialog);
}

// The drop-down list of a text field closes with its window and chooses nothing.
void PromptTest::dropDownListGoesWithItsWindow()
{
    FakeSeams seams;
    OwnerWindow& window = showOwner();
    window.field->SetText("Normal");
    const QPointer<OwnerWindow> alive(&window);
    WhileDialogRuns during([&] { Forms::Unload(alive.data()); });
    window.field->Button()->click();

    QVERIFY(during.acted);
    QCOMPARE(during.dialogClass, QStringLiteral("QMenu"));
    QCOMPARE(during.owner.data(), static_cast<QWidget*>(&window));
    QVERIFY(alive);
    QCOMPARE(alive->field->Text(), QStringLiteral("Normal"));
    QVERIFY(!anyDialogShown());
    FlushDeletedWindows();
    QVERIFY(!alive);
    QVERIFY(!during.dialog);
}

// The tests run under C.UTF-8: the file dialog's columns still read as the program's German.
void PromptTest::fileDialogWritesSizesAndDatesInGerman()
{
    UseGermanLocale();
    QTemporaryDir folder;
    const QString path = folder.filePath("liste.dat");
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(QByteArray(1536, 'x')) == 1536);
    file.close();
    const QDateTime modified(QDate(2026, 12, 10), QTime(21, 15));
    QVERIFY(file.open(QIODevice::ReadWrite) && file.setFileTime(modified, QFileDevice::FileModificationTime));
    file.close();

    QString size;
    QString date;
    QtPrompt prompt;
    // Closes the dialog should the columns never fill, so the test fails instead of hanging.
    WhileDialogRuns during([] {});
    QTimer reader;
    connect(&reader, &QTimer::timeout, this, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        const QAbstractItemModel* model = dialog->proxyModel();
        const auto* files =
            model ? qobject_cast<QFileSystemModel*>(dialog->proxyModel()->sourceModel()) : nullptr;
        if (!files)
            return;
        const QModelIndex row = dialog->proxyModel()->mapFromSource(files->index(path));
        size = row.siblingAtColumn(1).data().toString();
        date = row.siblingAtColumn(3).data().toString();
        if (!size.isEmpty() && !date.isEmpty())
            dialog->reject();
    });
    reader.start(20);
    prompt.openFile(FileRequest{"Datei", folder.path(), QString(), "Listen (*.dat)|*.dat", ".dat"});
    reader.stop();
    QCOMPARE(size, QStringLiteral("1,50 KiB"));
    QCOMPARE(date, QStringLiteral("10.12.26 21:15"));
}

// A message that names a person shows the name as the list holds it, though it reads like markup.
void PromptTest::messageShowsItsTextAsItIs()
{
    FakeSeams seams;
    RealPrompt prompt(seams.prompt);
    showOwner();
    const QString text = "<b>Fett</b> Herz &lt;3\r\nDora&lt;EMAIL&gt;";
    QString shown;
    Qt::TextFormat format = Qt::AutoText;
    WhileDialogRuns during([&] {
        if (auto* box = qobject_cast<QMessageBox*>(during.dialog.data())) {
            shown = box->text();
            format = box->textFormat();
            box->reject();
        }
    });
    prompt.get().message({text, "Titel", MsgButtons::Ok, MsgIcon::Information});
    QVERIFY(during.acted);
    QCOMPARE(shown, QStringLiteral("<b>Fett</b> Herz &lt;3\nDora&lt;EMAIL&gt;"));
    QCOMPARE(format, Qt::PlainText);
}

// The open dialog of "Tovalinerosliste öffnen": its types read as the program words them, "Alle
// Dateien (*.*)" lists also a file without a dot, and a folder's type and a file's size show
// whole in a dialog wide enough for every column.
void PromptTest::openDialogShowsTheTypesAsWordedAndColumnsWhole()
{
    UseGermanLocale();
    QTemporaryDir folder;
    QVERIFY(QDir(folder.path()).mkdir("Unterordner"));
    for (const char* name : {"liste", "liste.txt"})
        QVERIFY(QFile(folder.filePath(name)).open(QIODevice::WriteOnly));
    QFile list(folder.filePath("liste.dat"));
    QVERIFY(list.open(QIODevice::WriteOnly) && list.write(QByteArray(26000, 'x')) == 26000);
    list.close();

    QStringList types;
    QStringList listedUnderAll;
    QStringList cut;
    int rowLength = 0;
    int viewWidth = -1;
    int stage = 0;
    int polls = 0;
    QtPrompt prompt;
    WhileDialogRuns during([] {});
    QTimer reader;
    connect(&reader, &QTimer::timeout, this, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        auto* tree = dialog ? dialog->findChild<QTreeView*>("treeView") : nullptr;
        auto* combo = dialog ? dialog->findChild<QComboBox*>("fileTypeCombo") : nullptr;
        const auto* files =
            dialog ? qobject_cast<QFileSystemModel*>(dialog->proxyModel()->sourceModel()) : nullptr;
        if (!tree || !combo || !files)
            return;
        const auto row = [&](const char* name) {
            return dialog->proxyModel()->mapFromSource(files->index(folder.filePath(name)));
        };
        if (stage == 0) {
            if (!row("Unterordner").isValid() || !row("liste.dat").isValid() ||
                row("liste.dat").siblingAtColumn(1).data().toString().isEmpty())
                return;
            // The dialog widens to its rows as they come.
            if (tree->header()->length() > tree->viewport()->width() && ++polls < 50)
                return;
            for (int i = 0; i < combo->count(); ++i)
                types << combo->itemText(i);
            QStyleOptionViewItem option;
            option.initFrom(tree);
            for (const QModelIndex& cell :
                 {row("Unterordner").siblingAtColumn(2), row("liste.dat").siblingAtColumn(1)})
                if (tree->header()->sectionSize(cell.column()) <
                    tree->itemDelegate()->sizeHint(option, cell).width())
                    cut << cell.data().toString();
            rowLength = tree->header()->length();
            viewWidth = tree->viewport()->width();
            if (auto* places = dialog->findChild<QListView*>("sidebar"))
                for (int i = 0; i < places->model()->rowCount(); ++i)
                    if (places->viewport()->width() <
                        places->sizeHintForIndex(places->model()->index(i, 0)).width())
                        cut << places->model()->index(i, 0).data().toString();
            // The third type, chosen from the keyboard.
            combo->setFocus();
            QTest::keyClick(combo, Qt::Key_Down);
            QTest::keyClick(combo, Qt::Key_Down);
            stage = 1;
        } else if (row("liste").isValid() && row("liste.txt").isValid()) {
            for (const char* name : {"liste", "liste.dat", "liste.txt"})
                if (row(name).isValid())
                    listedUnderAll << QString::fromLatin1(name);
            dialog->reject();
        }
    });
    reader.start(20);
    prompt.openFile(FileRequest{
        "Tovalinerosliste öffnen", folder.path(), QString(),
        "Tovalinerosliste (*.dat)|*.dat|Textdateien (*.txt)|*.txt|Alle Dateien (*.*)|*.*", ".dat"});
    reader.stop();
    QCOMPARE(types, (QStringList{"Tovalinerosliste (*.dat)", "Textdateien (*.txt)", "Alle Dateien (*.*)"}));
    QCOMPARE(cut, QStringList());
    QVERIFY2(rowLength <= viewWidth, qPrintable(QStringLiteral("%1 > %2").arg(rowLength).arg(viewWidth)));
    QCOMPARE(listedUnderAll, (QStringList{"liste", "liste.dat", "liste.txt"}));
}

QTEST_MAIN(PromptTest)
#include "tst_prompt.moc"
