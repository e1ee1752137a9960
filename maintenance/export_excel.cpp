#include "maintenance/export_excel.h"

#include "app/form1.h"
#include "common/forms.h"
#include "common/grid.h"
#include "common/mousepointer.h"
#include "common/resize.h"
#include "maintenance/dialogparts.h"
#include "maintenance/namelistworkbook.h"
#include "platform/clock.h"
#include "platform/office.h"
#include "platform/programfolder.h"
#include "platform/prompt.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QMap>
#include <QProgressBar>
#include <QPushButton>
#include <QStandardPaths>
#include <QVBoxLayout>

namespace
{

// The numbers the spreadsheet hand-over has always reported.
constexpr int NoSpreadsheetProgram = 429;
constexpr int FileAccessError = 75;

const char* const ExportedColumns[] = {"tov_vorname", "tov_nachname", "tov_tovalinero"};

void showExportError(int number, const QString& description)
{
    MsgBox(QFileInfo(ProgramPath()).completeBaseName() + "   " + QString::number(number) + "\r\n" +
               description,
           MsgButtons::Ok, MsgIcon::Critical);
}

QList<QStringList> peopleOf(Grid* list)
{
    QList<QStringList> people;
    const int rows = list ? list->RowCount() : 0;
    for (int i = 1; i <= rows; ++i) {
        QStringList cells;
        for (const char* key : ExportedColumns)
            cells << list->Row(i).GetCell(QString::fromLatin1(key));
        people << cells;
    }
    return people;
}

// The persons whose entries did not fit into a cell, by their row in the list and their name
// (itself shortened for the box); the list keeps every entry whole.
QString shortenedCellsText(const QList<QStringList>& people, const QList<ShortenedCell>& cells)
{
    static const QStringList columnNames = {QStringLiteral("Vorname"), QStringLiteral("Nachname"),
                                            QStringLiteral("Tovalinero")};
    constexpr int MaxNamedPersons = 10;
    constexpr qsizetype MaxShownName = 60;
    QMap<int, QStringList> columnsOfPerson;
    for (const ShortenedCell& cell : cells)
        columnsOfPerson[cell.person] << columnNames.value(cell.column);
    QStringList lines;
    for (auto it = columnsOfPerson.cbegin(); it != columnsOfPerson.cend(); ++it) {
        if (lines.size() == MaxNamedPersons) {
            lines << QStringLiteral("und %1 weitere").arg(columnsOfPerson.size() - MaxNamedPersons);
            break;
        }
        const QStringList& person = people[it.key()];
        QString name = (person.value(0) + ' ' + person.value(1)).simplified();
        if (name.size() > MaxShownName)
            name = name.left(MaxShownName) + QStringLiteral("…");
        if (name.isEmpty())
            name = QStringLiteral("(ohne Namen)");
        lines << QStringLiteral("Zeile %1: %2 (%3)").arg(it.key() + 1).arg(name, it.value().join(", "));
    }
    return QStringLiteral("Eine Zelle der Tabelle fasst höchstens 32.767 Zeichen. Diese Einträge sind "
                          "länger und wurden in der Tabelle nach 32.767 Zeichen abgeschnitten:\r\n\r\n") +
           lines.join("\r\n") +
           QStringLiteral("\r\n\r\nIn der Tovalinerosliste bleiben sie vollständig erhalten.");
}

} // namespace

QString NewExportWorkbookPath(QString* error)
{
    const QString location = QStandardPaths::writableLocation(QStandardPaths::TempLocation);
    // An empty location (a temporary folder that does not exist) would mean the current folder.
    if (location.isEmpty()) {
        if (error)
            *error = QStringLiteral("Der Ordner für temporäre Dateien ist nicht vorhanden.");
        return QString();
    }
    const QDir folder(location);
    const QDateTime now = Now();
    const QString stem = "Tovalinerosliste-" + now.toString("yyyy-MM-dd") + "-" + now.toString("HHmmss");
    QString reason;
    for (int attempt = 1; attempt <= 100; ++attempt) {
        const QString name =
            attempt == 1 ? stem + ".xlsx" : QStringLiteral("%1-%2.xlsx").arg(stem).arg(attempt);
        QFile file(folder.filePath(name));
        // Created here with the owner's rights only: the workbook holds names and birth dates.
        if (file.open(QIODevice::WriteOnly | QIODevice::NewOnly,
                      QFileDevice::ReadOwner | QFileDevice::WriteOwner))
            return file.fileName();
        reason = file.errorString();
        if (!file.exists())
            break;
    }
    if (error)
        *error = QDir::toNativeSeparators(folder.path()) + ": " + reason;
    return QString();
}

export_excel::export_excel(QWidget* parent) : QDialog(parent)
{
    setObjectName("export_excel");
    setWindowTitle("Export der Tovalinerosliste zu Ecxel");

    Label3 = NewHeading("Übertragung der Tovalineroe in eine Excel-Tabelle", "Label3", this);
    Label4 = NewExplanation("Es werden alle Namen und die Tovalineroe aus Ihrer Tovalinerosliste in eine "
                            "Excel-Tabelle übertragen. Die Tabellle wird anschließend geöffnet. ",
                            "Label4", this);
    xpProgress1 = new QProgressBar(this);
    xpProgress1->setObjectName("xpProgress1");
    xpProgress1->setAccessibleName("Fortschritt");
    Command1 = NewButton("Daten -> &Excel", "Command1", this);
    Command1->setDefault(true);
    Command2 = NewButton("&Abbrechen", "Command2", this);

    auto* body = new QVBoxLayout;
    body->addStretch(1);
    body->addWidget(xpProgress1);
    LayOutDialog(this, NewHeaderBand(Label3, Label4, this), body,
                 NewButtonBand({Command1, nullptr, Command2}, this));
    resize(480, 240);
    KeepDesignedSize(this);

    connect(Command1, &QPushButton::clicked, this, &export_excel::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &export_excel::Command2_Click);

    Form_Load();
}

void export_excel::Form_Load()
{
    xpProgress1->setRange(0, 100);
    xpProgress1->setValue(0);
    xpProgress1->show();
}

void export_excel::Command1_Click()
{
    ShowBusyPointer();
    Command1->setEnabled(false);
    ExportToExcel();
    Command1->setEnabled(true);
    Forms::Unload(this);
    ShowNormalPointer();
}

void export_excel::Command2_Click()
{
    Forms::Unload(this);
}

void export_excel::ExportToExcel()
{
    Form1* main = Forms::Loaded<Form1>();
    const QList<QStringList> people = peopleOf(main ? main->Grid1 : nullptr);
    const double step = people.isEmpty() ? 100.0 : 100.0 / people.size();
    QString reason;
    const QString path = NewExportWorkbookPath(&reason);
    if (path.isEmpty()) {
        ShowNormalPointer();
        showExportError(FileAccessError, reason);
        return;
    }
    QList<ShortenedCell> shortened;
    const bool written = WriteNameListWorkbook(
        path, people, [this, step](int row) { xpProgress1->setValue(qRound(row * step)); }, &reason,
        &shortened);
    if (!written) {
        QFile::remove(path);
        ShowNormalPointer();
        showExportError(FileAccessError, QDir::toNativeSeparators(path) + ": " + reason);
        return;
    }
    xpProgress1->setValue(100);
    if (!shortened.isEmpty()) {
        ShowNormalPointer();
        MsgBox(shortenedCellsText(people, shortened), MsgButtons::Ok, MsgIcon::Exclamation);
    }
    // The file stays: the spreadsheet program opens it from there.
    if (!OfficeSeam::get().openSpreadsheet(path, &reason)) {
        QFile::remove(path);
        ShowNormalPointer();
        showExportError(NoSpreadsheetProgram, reason);
    }
}

void export_excel::done(int result)
{
    QDialog::done(result);
    Forms::Unload(this);
}
