#include "common/callwebsite.h"
#include "common/forms.h"
#include "common/germanlocale.h"
#include "common/helpopen.h"
#include "common/moddraw.h"
#include "platform/help.h"
#include "platform/prompt.h"
#include "support/fakes.h"
#include "support/programfolderfixture.h"

#include <QApplication>
#include <QDialog>
#include <QImage>
#include <QLocale>
#include <QMessageBox>
#include <QPalette>
#include <QPushButton>
#include <QTest>
#include <QTimer>

class HelpersTest : public QObject
{
    Q_OBJECT
private slots:
    void longToColor16_data();
    void longToColor16();
    void gradientCarriesTheChannelsInTheUpperByte();
    void systemColoursComeFromThePalette();
    void bandIsPaintedYellowToOrange();
    void helpFileAndContext();
    void helpPagesResolveContext280();
    void openWebsiteHandsTheAddressToTheShell();
    void registryKeepsOneWindowAndUnloadsAll();
    void dialogFilters_data();
    void dialogFilters();
    void germanWhateverTheEnvironment();
    void messageBoxTakesTheDefaultAnswer_data();
    void messageBoxTakesTheDefaultAnswer();
};

void HelpersTest::longToColor16_data()
{
    QTest::addColumn<int>("value");
    QTest::addColumn<int>("result");
    QTest::addRow("0") << 0 << 0;
    QTest::addRow("below 32768") << 32767 << 32767;
    QTest::addRow("32768") << 32768 << -32768;
    QTest::addRow("0xFF00") << 0xFF00 << -256;
}

void HelpersTest::longToColor16()
{
    QFETCH(int, value);
    QFETCH(int, result);
    QCOMPARE(static_cast<int>(LongToColor16(value)), result);
}

void HelpersTest::gradientCarriesTheChannelsInTheUpperByte()
{
    GradientBand band;
    band.resize(300, 40);
    DrawGradient(&band, RGB(255, 0, 128), BandBottomColor, GradientFillRectV);
    const auto& v = band.vertices();
    QCOMPARE(static_cast<uint16_t>(v[0].red), uint16_t(0xFF00));
    QCOMPARE(static_cast<uint16_t>(v[0].green), uint16_t(0x0000));
    QCOMPARE(static_cast<uint16_t>(v[0].blue), uint16_t(0x8000));
    QCOMPARE(static_cast<uint16_t>(v[1].green), uint16_t(172 << 8));
    QCOMPARE(static_cast<uint16_t>(v[1].blue), uint16_t(66 << 8));
    QCOMPARE(v[0].x, 0);
    QCOMPARE(v[0].y, 0);
    QCOMPARE(v[1].x, 300);
    QCOMPARE(v[1].y, 40);
    QCOMPARE(v[0].alpha, int16_t(0));
    QCOMPARE(band.mode(), GradientFillRectV);
}

void HelpersTest::systemColoursComeFromThePalette()
{
    const QColor face = QApplication::palette().color(QPalette::Button);
    QCOMPARE(ResolveColor(0x8000000F), RGB(face.red(), face.green(), face.blue()));
    QCOMPARE(ResolveColor(RGB(1, 2, 3)), RGB(1, 2, 3));
    GradientBand band;
    band.resize(10, 10);
    DrawGradient(&band, 0x8000000F, 0x8000000F, GradientFillRectV);
    QCOMPARE(static_cast<uint16_t>(band.vertices()[0].red), static_cast<uint16_t>(face.red() << 8));
}

void HelpersTest::bandIsPaintedYellowToOrange()
{
    GradientBand band;
    band.resize(50, 100);
    DrawBottomBand(&band);
    const QImage image = band.grab().toImage();
    QCOMPARE(image.pixelColor(25, 0), QColor(255, 231, 162));
    const QColor bottom = image.pixelColor(25, 99);
    QVERIFY(qAbs(bottom.green() - 172) <= 2 && qAbs(bottom.blue() - 66) <= 2);
}

void HelpersTest::helpFileAndContext()
{
    FakeSeams seams;
    ProgramFolderFixture folder;
    QCOMPARE(GetHelpFile(1), folder.folder() + "/tovalinero.chm");
    QCOMPARE(GetHelpFile(2), QString());
    ShowHelpContext(1, HelpContextOpenList);
    ShowMainHelp();
    QCOMPARE(seams.help.calls, (QStringList{"context " + folder.folder() + "/tovalinero.chm 280",
                                            "topic " + folder.folder() + "/tovalinero.chm"}));
}

void HelpersTest::helpPagesResolveContext280()
{
    ProgramFolderFixture folder;
    const QString file = GetHelpFile(1);
    QCOMPARE(HelpPageFor(file, 280), folder.folder() + "/hilfe/oeffnen.html");
    QCOMPARE(HelpPageFor(file, 0), folder.folder() + "/hilfe/index.html");
    QCOMPARE(HelpPageFor(file, 4711), folder.folder() + "/hilfe/index.html");
    QCOMPARE(HelpPageFor(QString(), 280), QString());
}

void HelpersTest::openWebsiteHandsTheAddressToTheShell()
{
    FakeSeams seams;
    QVERIFY(OpenWebsite("https://www.tovalinero.example/forum/") > 32);
    seams.shell.accept = false;
    QVERIFY(OpenWebsite("https://x.example/") <= 32);
    QCOMPARE(seams.shell.opened,
             (QStringList{"https://www.tovalinero.example/forum/", "https://x.example/"}));
}

class SampleDialog : public QDialog
{
};
class OtherDialog : public QDialog
{
};

void HelpersTest::registryKeepsOneWindowAndUnloadsAll()
{
    int ended = 0;
    FormRegistry::setProgramEndHandler([&] { ++ended; });
    SampleDialog& first = Forms::Get<SampleDialog>();
    QCOMPARE(&Forms::Get<SampleDialog>(), &first);
    QPointer<SampleDialog> watch(&first);
    Forms::Unload<SampleDialog>();
    QVERIFY(Forms::Loaded<SampleDialog>() == nullptr);
    FlushDeletedWindows();
    QVERIFY(watch.isNull());

    QPointer<SampleDialog> a(&Forms::Get<SampleDialog>());
    QPointer<OtherDialog> b(&Forms::Get<OtherDialog>());
    QCOMPARE(FormRegistry::loadedCount(), 2);
    UnloadAllForms();
    FlushDeletedWindows();
    QVERIFY(a.isNull() && b.isNull());
    QCOMPARE(FormRegistry::loadedCount(), 0);
    QCOMPARE(ended, 1);
    FormRegistry::setProgramEndHandler({});
}

void HelpersTest::dialogFilters_data()
{
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QString>("patterns");
    QTest::addRow("one type") << "Wave-Datei (*.wav)|*.wav"
                              << "Wave-Datei (*.wav)"
                              << "*.wav";
    QTest::addRow("every file, also without a dot") << "alle Dateien (*.*)|*.*"
                                                    << "alle Dateien (*.*)"
                                                    << "*";
    QTest::addRow("patterns added to the description") << "Listen|*.dat;*.*"
                                                       << "Listen (*.dat *.*)"
                                                       << "*.dat *";
    QTest::addRow("two pairs") << "Text (*.txt)|*.txt|Alle (*.*)|*.*"
                               << "Text (*.txt);;Alle (*.*)"
                               << "*.txt;;*";
    QTest::addRow("a name with dots stays") << "Sicherung (*.dsi)|*.dsi"
                                            << "Sicherung (*.dsi)"
                                            << "*.dsi";
}

// Each type is shown as the program words it; the dialog, which hides the details, matches the
// patterns in the last brackets.
void HelpersTest::dialogFilters()
{
    QFETCH(QString, filter);
    QFETCH(QString, shown);
    QFETCH(QString, patterns);
    QStringList texts;
    QStringList matched;
    for (const QString& entry : ToQtFilter(filter).split(";;")) {
        QVERIFY(entry.endsWith(')'));
        const qsizetype open = entry.lastIndexOf(" (");
        texts << entry.left(open);
        matched << entry.mid(open + 2).chopped(1);
    }
    QCOMPARE(texts.join(";;"), shown);
    QCOMPARE(matched.join(";;"), patterns);
}

// CTest runs the tests under C.UTF-8: what the program sets at its start must make it German.
void HelpersTest::germanWhateverTheEnvironment()
{
    UseGermanLocale();
    QCOMPARE(QLocale().toString(qint64(2392)), QStringLiteral("2.392"));
    QCOMPARE(QLocale().toString(QDate(2026, 12, 10), QStringLiteral("dddd, d. MMMM yyyy")),
             QStringLiteral("Donnerstag, 10. Dezember 2026"));
    QMessageBox box(QMessageBox::Question, "Titel", "Frage?", QMessageBox::Yes | QMessageBox::No);
    QCOMPARE(box.button(QMessageBox::Yes)->text(), QStringLiteral("&Ja"));
    QCOMPARE(box.button(QMessageBox::No)->text(), QStringLiteral("&Nein"));
    UseGermanLocale();
    QCOMPARE(box.button(QMessageBox::No)->text(), QStringLiteral("&Nein"));
}

void HelpersTest::messageBoxTakesTheDefaultAnswer_data()
{
    QTest::addColumn<std::optional<MsgAnswer>>("defaultAnswer");
    QTest::addColumn<int>("defaultButton");
    QTest::addColumn<MsgAnswer>("enterGives");
    QTest::addRow("none: Qt picks, the first button")
        << std::optional<MsgAnswer>() << int(QMessageBox::NoButton) << MsgAnswer::Yes;
    QTest::addRow("Nein") << std::optional<MsgAnswer>(MsgAnswer::No) << int(QMessageBox::No) << MsgAnswer::No;
}

// The real box, answered by Enter: the one test of the adapter itself.
void HelpersTest::messageBoxTakesTheDefaultAnswer()
{
    QFETCH(std::optional<MsgAnswer>, defaultAnswer);
    QFETCH(int, defaultButton);
    QFETCH(MsgAnswer, enterGives);
    int seenDefault = -1;
    QTimer poll;
    connect(&poll, &QTimer::timeout, this, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box || !box->isVisible())
            return;
        poll.stop();
        seenDefault = box->defaultButton() ? int(box->standardButton(box->defaultButton())) : 0;
        QWidget* focused = QApplication::focusWidget() ? QApplication::focusWidget() : box;
        QTest::keyClick(focused, Qt::Key_Return);
        // Whatever Enter did, the box goes.
        if (box->isVisible())
            box->reject();
    });
    poll.start(10);
    QtPrompt prompt;
    const MsgAnswer answer = prompt.message(
        MessageRequest{"Wirklich löschen?", "Test", MsgButtons::YesNo, MsgIcon::Question, defaultAnswer});
    poll.stop();
    QCOMPARE(seenDefault, defaultButton);
    QCOMPARE(answer, enterGives);
}

QTEST_MAIN(HelpersTest)
#include "tst_helpers.moc"
