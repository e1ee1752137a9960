#include "common/globale_variablen.h"
#include "common/line3d.h"
#include "common/resize.h"

#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTextEdit>

namespace
{

// A window that scales its controls as the editor does: 400 x 300 pixels (6000 x 4500 twips).
class ProbeWindow : public QDialog
{
public:
    explicit ProbeWindow(const QString& name)
    {
        setObjectName(name);
        add(new QPushButton("&OK", this), "Command1", QRect(200, 100, 100, 30));
        add(new QTextEdit(this), "Text1", QRect(0, 0, 400, 90));
        // -72000 twips: parked out of sight, its true place is 3000 twips (200 pixels).
        add(new QLabel("geparkt", this), "Parked", QRect(-4800, 10, 60, 20));
        SetControlIndex(add(new QLabel("null", this), "Label1", QRect(20, 200, 80, 20)), 0);
        SetControlIndex(add(new QLabel("eins", this), "Label1", QRect(120, 200, 80, 20)), 1);
        auto* line = new Line3D(this);
        line->setObjectName("Line1");
        line->SetPoints(0, 240, 400, 240);
        resize(400, 300);
    }
    bool scaleOnResize = true;

protected:
    void resizeEvent(QResizeEvent* event) override
    {
        QDialog::resizeEvent(event);
        if (scaleOnResize)
            ResizeForm(this);
    }

private:
    QWidget* add(QWidget* control, const char* name, const QRect& place)
    {
        control->setObjectName(name);
        control->setGeometry(place);
        return control;
    }
};

QWidget* control(const QWidget& window, const QString& name, int index = 0)
{
    for (QWidget* child : window.findChildren<QWidget*>(name, Qt::FindDirectChildrenOnly))
        if (ControlIndex(child).value_or(0) == index)
            return child;
    return nullptr;
}

QRect placeOf(const QWidget& window, const QString& name, int index = 0)
{
    if (const auto* line = qobject_cast<const Line3D*>(control(window, name, index)))
        return QRect(QPoint(line->X1(), line->Y1()), QPoint(line->X2(), line->Y2()));
    return control(window, name, index)->geometry();
}

LayoutRecord record(int left, int top, int width, int height)
{
    LayoutRecord r;
    r.Left = left;
    r.Top = top;
    r.Width = width;
    r.Height = height;
    return r;
}

int uniqueWindows = 0;
QString uniqueName()
{
    return QStringLiteral("Probe%1").arg(++uniqueWindows);
}

} // namespace

class ResizeTest : public QObject
{
    Q_OBJECT
private slots:
    void cleanup() { Globale_Variablen::Layouts.Resizing = false; }
    void percent_data();
    void percent();
    void scaledPlace_data();
    void scaledPlace();
    void unhideLeft_data();
    void unhideLeft();
    void scaledLineKeepsAParkedEnd();
    void firstResizeRecordsTheWindowAsItIs();
    void resizedDialogScalesItsControls_data();
    void resizedDialogScalesItsControls();
    void innerPartsOfAControlAreLeftToIt();
    void controlThatJoinedLaterStaysPut();
    void secondOpeningIsScaledAgainstTheFirst();
    void zeroClientAreaWaitsForARealSize();
    void windowFarDownKeepsItsControls_data();
    void windowFarDownKeepsItsControls();
    void nestedCallDoesNothing();
};

void ResizeTest::percent_data()
{
    QTest::addColumn<double>("current");
    QTest::addColumn<int>("recorded");
    QTest::addColumn<int>("percent");
    QTest::addRow("first resize") << 6000.0 << 6000 << 100;
    QTest::addRow("6000 to 7000 steps by whole percent") << 7000.0 << 6000 << 116;
    QTest::addRow("6000 to 5999") << 5999.0 << 6000 << 99;
    QTest::addRow("halved") << 3000.0 << 6000 << 50;
    // The scale times 100 is rounded, halves to the even neighbour, before the division.
    QTest::addRow("12.5 rounds down to 12") << 0.125 << 13 << 0;
    QTest::addRow("37.5 rounds up to 38") << 0.375 << 38 << 1;
}

void ResizeTest::percent()
{
    QFETCH(double, current);
    QFETCH(int, recorded);
    QFETCH(int, percent);
    QCOMPARE(ScalePercent(current, recorded), percent);
}

void ResizeTest::scaledPlace_data()
{
    QTest::addColumn<LayoutRecord>("record");
    QTest::addColumn<int>("widthPercent");
    QTest::addColumn<int>("heightPercent");
    QTest::addColumn<bool>("parked");
    QTest::addColumn<ControlPlace>("place");
    QTest::addRow("100 / 100 keeps the record")
        << record(3000, 1200, 1500, 450) << 100 << 100 << false << ControlPlace{3000, 1200, 1500, 450};
    QTest::addRow("116 percent wide")
        << record(3000, 1200, 1500, 450) << 116 << 100 << false << ControlPlace{3480, 1200, 1740, 450};
    QTest::addRow("99 percent wide") << record(3000, 1200, 1500, 450) << 99 << 100 << false
                                     << ControlPlace{2970, 1200, 1485, 450};
    QTest::addRow("products are truncated")
        << record(333, 333, 333, 333) << 50 << 150 << false << ControlPlace{166, 499, 166, 499};
    QTest::addRow("parked stays out of sight")
        << record(3000, 1200, 1500, 450) << 116 << 100 << true << ControlPlace{-71520, 1200, 1740, 450};
}

void ResizeTest::scaledPlace()
{
    QFETCH(LayoutRecord, record);
    QFETCH(int, widthPercent);
    QFETCH(int, heightPercent);
    QFETCH(bool, parked);
    QFETCH(ControlPlace, place);
    QCOMPARE(ScaledPlace(record, widthPercent, heightPercent, parked), place);
}

void ResizeTest::unhideLeft_data()
{
    QTest::addColumn<int>("left");
    QTest::addColumn<int>("trueLeft");
    QTest::addRow("parked at -72000") << -72000 << 3000;
    QTest::addRow("just left of the edge") << -1 << 74999;
    QTest::addRow("zero") << 0 << 0;
    QTest::addRow("visible") << 3000 << 3000;
}

void ResizeTest::unhideLeft()
{
    QFETCH(int, left);
    QFETCH(int, trueLeft);
    QCOMPARE(UnhideLeft(left), trueLeft);
}

void ResizeTest::scaledLineKeepsAParkedEnd()
{
    // A line records Y1, X1, Y2, X2 as Top, Left, Height, Width.
    QCOMPARE(ScaledLine(record(0, 3600, 6000, 3600), 116, 50, false, true),
             (LinePlace{0, 1800, 6960 - ParkOffset, 1800}));
}

void ResizeTest::firstResizeRecordsTheWindowAsItIs()
{
    const QString name = uniqueName();
    ProbeWindow window(name);
    QList<QRect> designed;
    for (QWidget* child : window.findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        designed << child->geometry();
    window.show();
    QList<QRect> shown;
    for (QWidget* child : window.findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        shown << child->geometry();
    QCOMPARE(shown, designed);
    const int form = FindFormLayout(&window);
    QVERIFY(form >= 0);
    QCOMPARE(Globale_Variablen::Layouts.FormLayouts[form].ScaleWidth, 6000);
    QCOMPARE(Globale_Variablen::Layouts.FormLayouts[form].ScaleHeight, 4500);
    QCOMPARE(WidthPercent(&window), 100);
    QCOMPARE(HeightPercent(&window), 100);
    const LayoutRecord parked =
        Globale_Variablen::Layouts.ControlLayouts[FindControlLayout(control(window, "Parked"), name)];
    QCOMPARE(parked.Left, 3000);
}

void ResizeTest::resizedDialogScalesItsControls_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("index");
    QTest::addColumn<QRect>("place");
    // 467 x 150 pixels: 7005 x 2250 twips against 6000 x 4500, so 116 and 50 percent.
    QTest::addRow("button") << "Command1" << 0 << QRect(232, 50, 116, 15);
    QTest::addRow("text field") << "Text1" << 0 << QRect(0, 0, 464, 45);
    QTest::addRow("parked label") << "Parked" << 0 << QRect(-4768, 5, 70, 10);
    QTest::addRow("array member 0") << "Label1" << 0 << QRect(23, 100, 93, 10);
    QTest::addRow("array member 1") << "Label1" << 1 << QRect(139, 100, 93, 10);
    QTest::addRow("line") << "Line1" << 0 << QRect(QPoint(0, 120), QPoint(464, 120));
}

void ResizeTest::resizedDialogScalesItsControls()
{
    QFETCH(QString, name);
    QFETCH(int, index);
    QFETCH(QRect, place);
    ProbeWindow window(uniqueName());
    window.show();
    window.resize(467, 150);
    QCOMPARE(window.contentsRect().size(), QSize(467, 150));
    QCOMPARE(placeOf(window, name, index), place);
    // Back to the first size: every control is at its record again, nothing accumulated.
    const QRect before = placeOf(ProbeWindow(uniqueName()), name, index);
    window.resize(400, 300);
    QCOMPARE(placeOf(window, name, index), before);
}

void ResizeTest::innerPartsOfAControlAreLeftToIt()
{
    const QString name = uniqueName();
    ProbeWindow window(name);
    window.show();
    QStringList recorded;
    for (const LayoutRecord& r : Globale_Variablen::Layouts.ControlLayouts)
        if (r.FormName == name)
            recorded << r.Name;
    recorded.sort();
    QCOMPARE(recorded, (QStringList{"Command1", "Label1", "Label1", "Line1", "Parked", "Text1"}));
    auto* text = qobject_cast<QTextEdit*>(control(window, "Text1"));
    window.resize(600, 450);
    QCOMPARE(text->geometry(), QRect(0, 0, 600, 135));
    // The text field still lays out its own viewport inside itself.
    QVERIFY(text->rect().contains(text->viewport()->geometry()));
    QVERIFY(text->viewport()->width() > 500);
}

void ResizeTest::controlThatJoinedLaterStaysPut()
{
    ProbeWindow window(uniqueName());
    window.show();
    auto* late = new QLabel("später", &window);
    late->setObjectName("Late");
    late->setGeometry(5, 260, 30, 10);
    late->show();
    window.resize(467, 150);
    QCOMPARE(late->geometry(), QRect(5, 260, 30, 10));
    QCOMPARE(placeOf(window, "Command1"), QRect(232, 50, 116, 15));
}

void ResizeTest::secondOpeningIsScaledAgainstTheFirst()
{
    const QString name = uniqueName();
    {
        ProbeWindow first(name);
        first.show();
        first.resize(800, 600);
    }
    const qsizetype records = Globale_Variablen::Layouts.ControlLayouts.size();
    ProbeWindow second(name);
    second.resize(467, 150);
    second.show();
    QCOMPARE(placeOf(second, "Command1"), QRect(232, 50, 116, 15));
    QCOMPARE(Globale_Variablen::Layouts.ControlLayouts.size(), records);
}

void ResizeTest::zeroClientAreaWaitsForARealSize()
{
    const QString name = uniqueName();
    ProbeWindow window(name);
    window.scaleOnResize = false;
    window.setContentsMargins(0, 300, 0, 0); // no client area left, as when minimised
    ResizeForm(&window);
    QCOMPARE(FindFormLayout(&window), -1);
    QCOMPARE(placeOf(window, "Command1"), QRect(200, 100, 100, 30));
    window.setContentsMargins(0, 0, 0, 0);
    ResizeForm(&window);
    QVERIFY(FindFormLayout(&window) >= 0);
    QCOMPARE(placeOf(window, "Command1"), QRect(200, 100, 100, 30));
    window.resize(467, 150);
    ResizeForm(&window);
    QCOMPARE(placeOf(window, "Command1"), QRect(232, 50, 116, 15));
}

void ResizeTest::windowFarDownKeepsItsControls_data()
{
    QTest::addColumn<int>("top");
    QTest::addColumn<QRect>("place");
    QTest::addRow("29985 twips") << 1999 << QRect(232, 50, 116, 15);
    QTest::addRow("30000 twips") << 2000 << QRect(200, 100, 100, 30);
}

void ResizeTest::windowFarDownKeepsItsControls()
{
    QFETCH(int, top);
    QFETCH(QRect, place);
    ProbeWindow window(uniqueName());
    window.scaleOnResize = false;
    ResizeForm(&window);
    window.move(0, top);
    window.resize(467, 150);
    ResizeForm(&window);
    QCOMPARE(placeOf(window, "Command1"), place);
    QVERIFY(!Globale_Variablen::Layouts.Resizing);
}

void ResizeTest::nestedCallDoesNothing()
{
    ProbeWindow window(uniqueName());
    window.scaleOnResize = false;
    ResizeForm(&window);
    window.resize(467, 150);
    Globale_Variablen::Layouts.Resizing = true; // a re-layout of some window is under way
    ResizeForm(&window);
    QCOMPARE(placeOf(window, "Command1"), QRect(200, 100, 100, 30));
    QVERIFY(Globale_Variablen::Layouts.Resizing);
    Globale_Variablen::Layouts.Resizing = false;
    ResizeForm(&window);
    QCOMPARE(placeOf(window, "Command1"), QRect(232, 50, 116, 15));
}

QTEST_MAIN(ResizeTest)
#include "tst_resize.moc"
