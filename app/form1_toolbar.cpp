// The toolbar of the list tab and the list grid's events.
#include "app/form1.h"

#include "app/listprint.h"
#include "app/neuer_tov.h"
#include "common/coolbar.h"
#include "common/forms.h"
#include "common/grid.h"
#include "common/mousepointer.h"
#include "common/programicon.h"
#include "common/resize.h"
#include "common/runtimeerror.h"
#include "common/sevtext.h"
#include "platform/prompt.h"

#include <QCheckBox>
#include <QEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QShortcut>
#include <QStyle>
#include <QTabBar>
#include <QToolButton>

namespace
{

QIcon toolbarIcon(const QStyle* style, const char* themeName, QStyle::StandardPixmap fallback)
{
    return QIcon::fromTheme(QString::fromLatin1(themeName), style->standardIcon(fallback));
}

// A check box takes the cell as a whole number; a cell that is no 0 or 1 leaves it as it was.
void copyFlag(QCheckBox* box, const QString& cell)
{
    try {
        const int value = ToWholeNumber(cell);
        if (value == 0 || value == 1)
            box->setChecked(value == 1);
    } catch (const RuntimeError&) {
    }
}

// The entry form for the selected row. An empty list has nothing to change.
void changeSelectedPerson(Form1& form)
{
    if (form.Grid1->RowCount() < 1 || form.Grid1->CurrentRow() < 1 || !form.ListChangeAllowed())
        return;
    neuer_tov& entry = Forms::Get<neuer_tov>();
    entry.SetMode(neuer_tov::Mode::Change);
    // The form is unloaded after every use: it opens with the selected row, never empty.
    form.Grid1_RowChange(form.Grid1->CurrentRow());
    Forms::ShowModal<neuer_tov>();
    form.SaveBirthdayList();
    form.RefreshUpcomingList();
}

// A list wider than its columns together shares the room out among them in proportion to their
// designed widths; a narrower one keeps the designed widths and scrolls.
class ColumnSharer : public QObject
{
public:
    explicit ColumnSharer(Grid* grid) : QObject(grid), grid_(grid)
    {
        grid->viewport()->installEventFilter(this);
        grid->horizontalHeader()->viewport()->installEventFilter(this);
        // A width the user drags (or fits by double-click) is his: the columns are shared no more.
        connect(grid->horizontalHeader(), &QHeaderView::sectionResized, this, [this] {
            if (mouseOnHeader_)
                byHand_ = true;
        });
        // Queued: a new fill sets the designed widths after it has announced itself.
        connect(grid->model(), &QAbstractItemModel::modelReset, this, &ColumnSharer::share,
                Qt::QueuedConnection);
        connect(grid->model(), &QAbstractItemModel::columnsInserted, this, &ColumnSharer::share,
                Qt::QueuedConnection);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == grid_->viewport() && event->type() == QEvent::Resize)
            share();
        else if (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick)
            mouseOnHeader_ = true;
        else if (event->type() == QEvent::MouseButtonRelease)
            mouseOnHeader_ = false;
        return false;
    }

private:
    void share()
    {
        const auto& columns = grid_->Model()->columns;
        if (columns.empty() || byHand_)
            return;
        int designed = 0;
        for (const GridColumnDefinition& column : columns)
            designed += column.widthTwips / TwipsPerPixel;
        const int room = grid_->viewport()->width();
        const bool widen = designed > 0 && room > designed;
        int used = 0;
        for (size_t i = 0; i < columns.size(); ++i) {
            const int width = columns[i].widthTwips / TwipsPerPixel;
            const bool last = i + 1 == columns.size();
            const int shared = !widen ? width : last ? room - used : width * room / designed;
            grid_->setColumnWidth(static_cast<int>(i), shared);
            used += shared;
        }
    }

    Grid* grid_;
    bool mouseOnHeader_ = false;
    bool byHand_ = false;
};

} // namespace

// The grid's viewports are deleted inside the grid's own destruction, and each sends its last
// event to the filters then, when the grid is no grid any more: the sharer stops watching first.
Form1::~Form1()
{
    delete columnSharer_;
}

void Form1::BuildToolbar()
{
    Coolbar1 = new Coolbar(toolbarArea);
    Coolbar1->setObjectName("Coolbar1");
    auto* layout = new QHBoxLayout(toolbarArea);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(Coolbar1);

    const QStyle* look = style();
    Coolbar1->AddButton("neu", "Neu", toolbarIcon(look, "document-new", QStyle::SP_FileIcon),
                        "Neuen Tovalinero anlegen");
    Coolbar1->AddSeparator();
    Coolbar1->AddButton("aendern", "Ändern",
                        toolbarIcon(look, "document-edit", QStyle::SP_FileDialogDetailedView),
                        "Eintrag ändern");
    Coolbar1->AddButton("drucken", QString(), PrinterIcon(), "Alle Einträge drucken...");
    Coolbar1->AddSeparator();
    Coolbar1->AddButton("loeschen", "Löschen", toolbarIcon(look, "edit-delete", QStyle::SP_TrashIcon),
                        "Eintrag löschen", "Vorsicht!");
    Coolbar1->AddButtonMenu("loeschen", "alle_loeschen", "Gesamte Liste löschen...");
    // The buttons' keys; Alt+Down on the focused "Löschen" opens its drop-down.
    Coolbar1->Button("neu")->setShortcut(QKeySequence::New);
    Coolbar1->Button("aendern")->setShortcut(Qt::Key_F2);
    Coolbar1->Button("drucken")->setShortcut(QKeySequence::Print);
    Coolbar1->Button("loeschen")->setShortcut(QKeySequence::Delete);

    // Enter on a row opens it for a change, as a double-click does.
    for (const int key : {Qt::Key_Return, Qt::Key_Enter})
        connect(new QShortcut(QKeySequence(key), Grid1, nullptr, nullptr, Qt::WidgetShortcut),
                &QShortcut::activated, this, [this] { changeSelectedPerson(*this); });
    columnSharer_ = new ColumnSharer(Grid1);

    // Tab goes through the list tab as it reads: the toolbar, the search box, the list.
    QWidget* order[] = {sevTabStrip1->tabBar(), Coolbar1->Button("neu"), Coolbar1->Button("aendern"),
                        Coolbar1->Button("drucken"), Coolbar1->Button("loeschen")};
    for (size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);

    connect(Coolbar1, &Coolbar::ButtonClick, this, &Form1::Coolbar1_ButtonClick);
    connect(Coolbar1, &Coolbar::ButtonMenuClick, this, &Form1::Coolbar1_ButtonMenuClick);
    connect(Grid1, &Grid::DblClick, this, &Form1::Grid1_DblClick);
    connect(Grid1, &Grid::RowChange, this, &Form1::Grid1_RowChange);
}

void Form1::Coolbar1_ButtonClick(const QString& key)
{
    if ((key == "neu" || key == "loeschen") && !ListChangeAllowed())
        return;
    if (key == "neu") {
        neuer_tov& entry = Forms::Get<neuer_tov>();
        entry.SetMode(neuer_tov::Mode::NewPerson);
        entry.ClearFields();
        Forms::ShowModal<neuer_tov>();
        SaveBirthdayList();
        Grid1->NotifyRowsAdded();
        Grid1->Refresh();
        RefreshUpcomingList();
    } else if (key == "aendern") {
        changeSelectedPerson(*this);
    } else if (key == "drucken") {
        PrintBirthdayList();
    } else if (key == "loeschen") {
        // Enter alone must never delete: the question's default is "Nein".
        if (MsgBox("Sind Sie sicher, dass Sie diesen Eintrag löschen wollen?", MsgButtons::YesNo,
                   MsgIcon::Question, "Datensatz löschen", MsgAnswer::No) != MsgAnswer::Yes)
            return;
        Grid1->RemoveCurrentRow();
        SaveBirthdayList();
        RefreshUpcomingList();
    }
}

void Form1::Coolbar1_ButtonMenuClick(int, const QString& key)
{
    if (key != "alle_loeschen" || !ListChangeAllowed())
        return;
    const QString question =
        QStringLiteral("Wenn Sie jetzt auf \"JA\" klicken, wird die gesamte Tovalinerosliste\r"
                       "gelöscht. Die Daten sind dann endgültig verloren.\r\r"
                       "Wollen Sie die gesamte Liste jetzt löschen?");
    if (MsgBox(question, MsgButtons::YesNo, MsgIcon::Question, "VORSICHT !!!", MsgAnswer::No) !=
        MsgAnswer::Yes)
        return;
    // All rows go in one step: removed one by one, every removal would also refill the entry form.
    if (Grid1->RowCount() > 0) {
        Grid1->Clear();
        RefreshUpcomingList();
    }
    SaveBirthdayList();
}

void Form1::Grid1_DblClick()
{
    changeSelectedPerson(*this);
}

void Form1::Grid1_RowChange(int row)
{
    if (row <= 0)
        return;
    neuer_tov& entry = Forms::Get<neuer_tov>();
    for (int i = 0; i < 3; ++i)
        entry.sevText1[i]->SetText(Grid1->Cell(row, i + 1));
    copyFlag(entry.Check_Standard, Grid1->Cell(row, 4));
    copyFlag(entry.Check_Automatisch, Grid1->Cell(row, 5));
    entry.HTML_Text->setPlainText(Grid1->Cell(row, 6));
    for (int i = 3; i <= 6; ++i)
        entry.sevText1[i]->SetText(Grid1->Cell(row, i + 4));
}

void Form1::PrintBirthdayList()
{
    QPrinter printer(QPrinter::HighResolution);
    // Cancelling the print dialog prints nothing.
    if (!PromptSeam::get().setupPrinter(printer))
        return;
    // A long list takes seconds: the dialog is gone from the screen and the hourglass shows before
    // the first page is made.
    ShowBusyPointerNow();
    QList<PrintedPerson> persons;
    const int count = Grid1->RowCount();
    for (int i = 1; i <= count; ++i) {
        const GridRow row = Grid1->Row(i);
        persons.append(
            {row.GetCell("tov_vorname"), row.GetCell("tov_nachname"), row.GetCell("tov_tovalinero")});
    }
    QString error;
    const bool printed = PrintPersonList(printer, persons, &error);
    ShowNormalPointer();
    if (!printed)
        MsgBox("Die Tovalinerosliste konnte nicht gedruckt werden.\n\n" + error, MsgButtons::Ok,
               MsgIcon::Critical);
}
