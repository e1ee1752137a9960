#include "common/grid.h"

#include <QSignalSpy>
#include <QTest>
#include <QTextDocument>

class GridTest : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void rowsKeepCellsBeyondTheColumns();
    void addRowAtPositionOnePutsItFirst();
    void findMatchesPrefixFromStartRow_data();
    void findMatchesPrefixFromStartRow();
    void sortOnDaysIsNumeric();
    void sortOnDatesIsByDate();
    void removeCurrentRowKeepsASelection();
    void rowChangeNamesTheNewRow();
    void fillSwitchDefersNotifications();
    void clearEmptiesInOneStep();
    void setCellKeepsTheOtherCells_data();
    void setCellKeepsTheOtherCells();
    void tooltipShowsTheCellAsItIs_data();
    void tooltipShowsTheCellAsItIs();

private:
    std::unique_ptr<Grid> grid_;
};

void GridTest::init()
{
    grid_ = std::make_unique<Grid>();
    grid_->AddColumn("tov_vorname", "Vorname", 2000, 0);
    grid_->AddColumn("tov_nachname", "Nachname", 3000, 0);
}

void GridTest::rowsKeepCellsBeyondTheColumns()
{
    const QString text = "Anna\tMeier\t01.02.1980\t0\t1\t<p>Hi\nda</p>\tWeg 1\t12345\tOrt\ta@b.de";
    grid_->AddRow(text);
    QCOMPARE(grid_->RowText(1), text);
    QCOMPARE(grid_->Cell(1, 10), QStringLiteral("a@b.de"));
    QCOMPARE(grid_->Row(1).GetCell("tov_nachname"), QStringLiteral("Meier"));
    grid_->SetCell(1, 7, "Gasse 2");
    QCOMPARE(grid_->Cell(1, 7), QStringLiteral("Gasse 2"));
    QCOMPARE(grid_->Cell(1, 11), QString());
    QCOMPARE(grid_->Model()->columnCount(), 2);
}

void GridTest::addRowAtPositionOnePutsItFirst()
{
    grid_->AddRow("a\t1");
    grid_->AddRow("b\t2");
    grid_->AddRow("c\t3", 1);
    QCOMPARE(grid_->RowText(1), QStringLiteral("c\t3"));
    QCOMPARE(grid_->RowText(3), QStringLiteral("b\t2"));
}

void GridTest::findMatchesPrefixFromStartRow_data()
{
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("found");
    QTest::addRow("first M") << "M*" << 1 << 1;
    QTest::addRow("next M") << "M*" << 2 << 3;
    QTest::addRow("no further M") << "M*" << 4 << 0;
    QTest::addRow("case ignored") << "mü*" << 1 << 3;
    QTest::addRow("whole name") << "Abel*" << 1 << 2;
    QTest::addRow("no match") << "Z*" << 1 << 0;
    QTest::addRow("wildcard inside") << "M?ller*" << 1 << 3;
    QTest::addRow("empty text matches all") << "*" << 2 << 2;
    QTest::addRow("beyond Latin-1") << "łu*" << 1 << 4;
    QTest::addRow("upper case of a row beyond Latin-1") << "ŁUK*" << 1 << 4;
    QTest::addRow("Latin-1 prefix in a row beyond it") << "Ab*" << 3 << 5;
}

void GridTest::findMatchesPrefixFromStartRow()
{
    QFETCH(QString, pattern);
    QFETCH(int, start);
    QFETCH(int, found);
    for (const char* name : {"Meier", "Abel", "Müller"})
        grid_->AddRow("x\t" + QString::fromUtf8(name));
    grid_->AddRow(QStringLiteral("€\tŁukasz"));
    grid_->AddRow(QStringLiteral("€\tAbel"));
    QCOMPARE(grid_->Find(pattern, 2, start), found);
}

void GridTest::sortOnDaysIsNumeric()
{
    Grid upcoming;
    upcoming.AddColumn("wer", "Name", 4450, 0);
    upcoming.AddColumn("in", "verbleibende Tage", 1715, 2);
    upcoming.Column(2).sortType = 1;
    for (const char* row : {"A   (wird 3)\t10", "B   (wird 4)\t2", "C   (wird 5)\t100", "D   (wird 6)\t2"})
        upcoming.AddRow(row);
    upcoming.Sort(2, 1);
    QStringList order;
    for (int i = 1; i <= upcoming.RowCount(); ++i)
        order << upcoming.Cell(i, 1).left(1);
    QCOMPARE(order, (QStringList{"B", "D", "A", "C"}));
}

void GridTest::sortOnDatesIsByDate()
{
    grid_->AddColumn("tov_tovalinero", "Tovalinero", 1150, 2);
    grid_->Column("tov_tovalinero").sortType = 2;
    grid_->AddRow("a\tx\t01.02.1990");
    grid_->AddRow("b\tx\t31.12.1970");
    grid_->AddRow("c\tx\t15.06.1980");
    grid_->Sort(3, 1);
    QCOMPARE(grid_->Cell(1, 1) + grid_->Cell(2, 1) + grid_->Cell(3, 1), QStringLiteral("bca"));
}

void GridTest::removeCurrentRowKeepsASelection()
{
    for (const char* name : {"a", "b", "c"})
        grid_->AddRow(name);
    grid_->SetCurrentRow(3);
    grid_->RemoveCurrentRow();
    QCOMPARE(grid_->RowCount(), 2);
    QCOMPARE(grid_->CurrentRow(), 2);
    grid_->SetCurrentRow(1);
    grid_->RemoveCurrentRow();
    QCOMPARE(grid_->CurrentRow(), 1);
    QCOMPARE(grid_->Cell(1, 1), QStringLiteral("b"));
    // Calling it as often as there are rows empties the grid.
    for (int i = 0; i < 5; ++i)
        grid_->AddRow("r");
    grid_->SetCurrentRow(4);
    for (int n = grid_->RowCount(); n > 0; --n)
        grid_->RemoveCurrentRow();
    QCOMPARE(grid_->RowCount(), 0);
    QCOMPARE(grid_->CurrentRow(), 0);
}

void GridTest::rowChangeNamesTheNewRow()
{
    for (const char* name : {"a", "b", "c"})
        grid_->AddRow(name);
    QSignalSpy spy(grid_.get(), &Grid::RowChange);
    grid_->SetCurrentRow(2);
    grid_->SetCurrentRow(2);
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy.takeFirst().at(0).toInt(), 2);
    grid_->RemoveCurrentRow();
    QCOMPARE(spy.last().at(0).toInt(), 2);
    QCOMPARE(grid_->Cell(grid_->CurrentRow(), 1), QStringLiteral("c"));
}

void GridTest::fillSwitchDefersNotifications()
{
    QSignalSpy inserted(grid_->Model(), &QAbstractItemModel::rowsInserted);
    QSignalSpy reset(grid_->Model(), &QAbstractItemModel::modelReset);
    grid_->FillSwitch(true);
    for (int i = 0; i < 1000; ++i)
        grid_->AddRow(QString("v%1\tn%1").arg(i));
    grid_->FillSwitch(false);
    QCOMPARE(inserted.count(), 0);
    QCOMPARE(reset.count(), 1);
    QCOMPARE(grid_->RowCount(), 1000);
    QCOMPARE(grid_->Model()->rowCount(), 1000);
}

void GridTest::clearEmptiesInOneStep()
{
    for (int i = 0; i < 500; ++i)
        grid_->AddRow(QString("v%1\tn%1").arg(i));
    grid_->SetCurrentRow(250);
    QSignalSpy removed(grid_->Model(), &QAbstractItemModel::rowsRemoved);
    QSignalSpy reset(grid_->Model(), &QAbstractItemModel::modelReset);
    QSignalSpy rowChange(grid_.get(), &Grid::RowChange);
    grid_->Clear();
    QCOMPARE(grid_->RowCount(), 0);
    QCOMPARE(grid_->Model()->rowCount(), 0);
    QCOMPARE(grid_->CurrentRow(), 0);
    QCOMPARE(removed.count(), 0);
    QCOMPARE(reset.count(), 1);
    // No row is named on the way: nothing would be there to show.
    for (const QList<QVariant>& change : rowChange)
        QCOMPARE(change.at(0).toInt(), 0);
    grid_->AddRow("neu");
    QCOMPARE(grid_->RowText(1), QStringLiteral("neu"));
}

void GridTest::setCellKeepsTheOtherCells_data()
{
    QTest::addColumn<QString>("row");
    QTest::addColumn<int>("column");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("after");
    QTest::addRow("middle") << "a\tb\tc\td" << 3 << "x"
                            << "a\tb\tx\td";
    QTest::addRow("empty cell filled") << "a\t\tc" << 2 << "b"
                                       << "a\tb\tc";
    QTest::addRow("first emptied") << "a\tb" << 1 << ""
                                   << "\tb";
    QTest::addRow("last made longer") << "a\tb" << 2 << "Gasse 2"
                                      << "a\tGasse 2";
    QTest::addRow("beyond the last cell") << "a" << 5 << "e"
                                          << "a\t\t\t\te";
    QTest::addRow("empty row") << "" << 2 << "b"
                               << "\tb";
    QTest::addRow("row beyond Latin-1") << "Zoë\tŁukasz\tx" << 2 << "Lukas"
                                        << "Zoë\tLukas\tx";
    QTest::addRow("becomes one beyond Latin-1") << "a\tb" << 2 << "€"
                                                << "a\t€";
    QTest::addRow("Latin-1 again") << "€\tb" << 1 << "E"
                                   << "E\tb";
}

void GridTest::setCellKeepsTheOtherCells()
{
    QFETCH(QString, row);
    QFETCH(int, column);
    QFETCH(QString, text);
    QFETCH(QString, after);
    grid_->AddRow("vorher");
    grid_->AddRow(row);
    grid_->AddRow("nachher");
    grid_->SetCell(2, column, text);
    QCOMPARE(grid_->RowText(2), after);
    QCOMPARE(grid_->Cell(2, column), text);
    const QStringList cells = after.split('\t');
    for (int i = 1; i <= cells.size() + 1; ++i)
        QCOMPARE(grid_->Cell(2, i), cells.value(i - 1));
    QCOMPARE(grid_->RowText(1), QStringLiteral("vorher"));
    QCOMPARE(grid_->RowText(3), QStringLiteral("nachher"));
}

void GridTest::tooltipShowsTheCellAsItIs_data()
{
    QTest::addColumn<QString>("name");
    QTest::addRow("tags") << "<b>Fett</b>";
    QTest::addRow("a character reference") << "Herz &lt;3";
    QTest::addRow("a placeholder's text") << "Dora&lt;EMAIL&gt;";
    QTest::addRow("blanks") << "<i>a</i>  b";
    QTest::addRow("plain") << "Anna";
}

// A tooltip reads what looks like markup as markup; a name's tooltip shows the name as the list
// holds it.
void GridTest::tooltipShowsTheCellAsItIs()
{
    QFETCH(QString, name);
    grid_->AddRow(name + "\tMeier");
    const QString tip = grid_->Model()->index(0, 0).data(Qt::ToolTipRole).toString();
    QTextDocument shown;
    if (Qt::mightBeRichText(tip))
        shown.setHtml(tip);
    else
        shown.setPlainText(tip);
    QCOMPARE(shown.toPlainText(), name);
    QCOMPARE(grid_->Model()->index(0, 0).data(Qt::DisplayRole).toString(), name);
}

QTEST_MAIN(GridTest)
#include "tst_grid.moc"
