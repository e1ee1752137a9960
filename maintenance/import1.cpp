#include "maintenance/import1.h"

#include "app/form1.h"
#include "common/fileerrors.h"
#include "common/forms.h"
#include "common/grid.h"
#include "common/listfile.h"
#include "common/mousepointer.h"
#include "common/resize.h"
#include "common/runtimeerror.h"
#include "common/textfile.h"
#include "common/warten.h"
#include "maintenance/dialogparts.h"
#include "platform/programfolder.h"

#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace
{

struct ImportColumn {
    const char* key;
    const char* caption;
    int widthTwips;
    int alignment;
};

constexpr ImportColumn SourceColumns[] = {
    {"tov_vorname", "Vorname", 2000, 0},
    {"tov_nachname", "Nachname", 3000, 0},
    {"tov_tovalinero", "Tovalinero", 1150, 2},
};

constexpr ImportColumn TargetColumns[] = {
    {"tov_vorname", "Vorname", 2000, 0},       {"tov_nachname", "Nachname", 3000, 0},
    {"tov_tovalinero", "Tovalinero", 1150, 2}, {"tov_erinnern", "Check 1", 1715, 2},
    {"tov_erinner1", "Check 2", 1715, 2},      {"tov_erinner2", "HTML", 1715, 2},
    {"tov_erinner3", "Str.", 1715, 2},         {"tov_erinner4", "PLZ", 1715, 2},
    {"tov_erinner5", "Wohnort", 1715, 2},      {"tov_erinner6", "eMail", 1715, 2},
};

constexpr int SourceFields = 3;

template <size_t N> void addColumns(Grid* grid, const ImportColumn (&columns)[N])
{
    grid->ApplyDisplaySettings();
    for (const ImportColumn& column : columns)
        grid->AddColumn(column.key, QString::fromUtf8(column.caption), column.widthTwips, column.alignment);
}

QString characterName(char32_t c)
{
    if (c == U'\t')
        return QStringLiteral("Tabulator");
    if (c == 0)
        return QStringLiteral("NUL (Nullzeichen)");
    const QString shown = QString::fromUcs4(&c, 1);
    if (c <= 0xFFFF && IsCp1252Representable(QChar(static_cast<char16_t>(c))))
        return "\"" + shown + "\"";
    const QString code = QStringLiteral("U+%1").arg(static_cast<uint>(c), 4, 16, QChar('0')).toUpper();
    return QChar::isSurrogate(c) ? code : "\"" + shown + "\" (" + code + ")";
}

void showLoadError(const RuntimeError& error)
{
    MsgBox("Fehler-Nr.:\r" + QString::number(error.number()) + "\r\rBeschreibung:\r" + error.description(),
           MsgButtons::Ok, MsgIcon::Critical, "Fehler");
}

} // namespace

import1::import1(QWidget* parent) : QDialog(parent)
{
    setObjectName("import1");
    setWindowTitle("Import der Daten aus der Free-Version von \"Tovalinero\"");

    Label3 = NewHeading("Importieren der Tovalinerosliste aus der Free-Version", "Label3", this);
    Label4 = NewExplanation(
        "Wenn Sie bisher die Freeware-Version von \"Tovalinero\" verwendet haben, dann haben Sie hier die "
        "Möglichkeit Ihre Tovalinerosliste aus der Free-Version zu übernehmen. Die Liste wird für die "
        "Pro-Version angepasst und kann danach nicht für die Free-Version verwendet werden. Die zu "
        "importierende Datei bleibt unangetastet!",
        "Label4", this);
    Grid1 = new Grid(this);
    Grid1->setObjectName("Grid1");
    Grid1->setAccessibleName("Einträge der Free-Version");
    Grid2 = new Grid(this);
    Grid2->setObjectName("Grid2");
    Grid2->setAccessibleName("Importierte Einträge");
    Label1 =
        NewExplanation("Klicken Sie auf \"Importieren\" um die Übernahme zu starten. Im ersten Durchlauf "
                       "wird die Datei  angepasst und im zweiten Durchlauf gespeichert.",
                       "Label1", this);
    ProgressBar1a = new QProgressBar(this);
    ProgressBar1a->setObjectName("ProgressBar1a");
    ProgressBar1a->setAccessibleName("Fortschritt");
    ProgressBar1a->hide();
    // No default button: Enter in a grid must not start the import.
    Command1 = NewButton("&Importieren", "Command1", this);
    Command2 = NewButton("&Abbrechen", "Command2", this);

    auto* body = new QVBoxLayout;
    body->addWidget(Grid1, 1);
    body->addWidget(Grid2, 1);
    body->addWidget(Label1);
    body->addWidget(ProgressBar1a);
    LayOutDialog(this, NewHeaderBand(Label3, Label4, this), body,
                 NewButtonBand({Command1, nullptr, Command2}, this));
    resize(640, 480);
    KeepDesignedSize(this);

    connect(Command1, &QPushButton::clicked, this, &import1::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &import1::Command2_Click);

    Form_Load();
}

void import1::Form_Load()
{
    ProgressBar1a->setRange(0, 100);
    ProgressBar1a->setValue(0);
    Grid2->hide();
    Grid1->show();
    PrepareSourceGrid();
    try {
        SourcePath = PromptSeam::get().openFile(CommonDialog1);
        if (!SourcePath.isEmpty())
            LoadFreeEditionList();
    } catch (const RuntimeError& error) {
        ShowNormalPointer();
        showLoadError(error);
    }
    SetupTargetGrid();
}

void import1::PrepareSourceGrid()
{
    Grid1->FillSwitch(true);
    addColumns(Grid1, SourceColumns);
    Grid1->Column("tov_tovalinero") = GridColumnSettings{2, 2, 2};
    Grid1->FillSwitch(false);
}

void import1::LoadFreeEditionList()
{
    ShowBusyPointer();
    if (!QFileInfo::exists(SourcePath))
        throw RuntimeError::fileNotFound();
    QString reason;
    bool tooLarge = false;
    const auto bytes = ReadFileBytesUpTo(SourcePath, MaxFreeEditionListSize, &reason, &tooLarge);
    if (tooLarge)
        throw RuntimeError(RuntimeError::pathFileAccess().number(),
                           QStringLiteral("Die Datei ist zu groß für eine Tovalinerosliste der Free-Version "
                                          "(%1). Es wurde nichts geladen.")
                               .arg(reason));
    if (!bytes)
        throw RuntimeError(RuntimeError::pathFileAccess().number(),
                           RuntimeError::pathFileAccess().description() + " (" + reason + ")");
    sourceLines_ = FreeEditionLinesFromText(DecodeFreeEditionList(*bytes));
    Grid1->FillSwitch(true);
    for (const FreeEditionLine& line : sourceLines_)
        Grid1->AddRow(line.fields.join('\t'));
    Grid1->FillSwitch(false);
    Grid1->Refresh();
    Grid1->NotifyRowsAdded();
    Grid1->SetCurrentRow(1);
    Grid1->Refresh();
    QDir(ProgramFolder()).mkdir("report");
    ShowNormalPointer();
}

void import1::SetupTargetGrid()
{
    ShowBusyPointer();
    Grid2->FillSwitch(true);
    addColumns(Grid2, TargetColumns);
    Grid2->FillSwitch(false);
    Grid2->Refresh();
    Grid2->SetCurrentRow(1);
    Grid2->Refresh();
    ShowNormalPointer();
}

void import1::Command1_Click()
{
    if (sourceLines_.isEmpty()) {
        MsgBox(
            "Es sind keine Einträge zum Importieren vorhanden.\r\rDie Tovalinerosliste bleibt unverändert.",
            MsgButtons::Ok, MsgIcon::Information);
        return;
    }
    // A "~" or TAB would shift every later field of the person in the list file; a NUL or a
    // character without a Windows-1252 byte would not survive it.
    if (const auto bad = FindForbiddenCharacter(sourceLines_)) {
        MsgBox(
            QStringLiteral("Zeile %1 der Datei enthält das Zeichen %2, das in der Tovalinerosliste nicht "
                           "vorkommen darf.\r\rEs wurde nichts importiert. Bitte entfernen Sie das Zeichen "
                           "und starten Sie den Import erneut.")
                .arg(bad->lineNumber)
                .arg(characterName(bad->character)),
            MsgButtons::Ok, MsgIcon::Exclamation);
        return;
    }
    Command1->setEnabled(false);
    ShowBusyPointer();
    Grid2->show();
    Grid1->hide();
    ProgressBar1a->show();
    const int rows = Grid1->RowCount();
    const double step = 100.0 / rows;
    for (int i = 1; i <= rows; ++i) {
        QStringList fields;
        for (int column = 1; column <= SourceFields; ++column)
            fields << Grid1->Row(i).GetCell(column);
        Grid2->AddRow(ImportedRowText(fields), 0);
        ProgressBar1a->setValue(qRound(i * step));
        if (!Pause(1)) {
            ShowNormalPointer();
            return;
        }
    }
    Grid2->SetCurrentRow(1);
    SaveImportedList();
    ShowNormalPointer();
}

void import1::SaveImportedList()
{
    ProgressBar1a->show();
    const int rows = Grid2->RowCount();
    const double step = 100.0 / rows;
    ShowBusyPointer();
    QStringList rowTexts;
    for (int i = 1; i <= rows; ++i) {
        rowTexts << Grid2->RowText(i);
        ProgressBar1a->setValue(qRound(i * step));
        if (!Pause(0))
            return;
    }
    // The whole list goes through a temporary file: a failed write keeps the old list.
    const QString path = DataFile("tovalinero.dat");
    const QByteArray bytes = ListFileBytes(rowTexts);
    QString error;
    const bool saved = WriteFileAtomic(path, bytes, &error, FileAccess::OwnerOnly);
    ShowNormalPointer();
    Grid2->Refresh();
    if (!saved) {
        MsgBox(
            QStringLiteral("Die importierte Tovalinerosliste konnte nicht gespeichert werden:\r%1\r\r%2\r\r"
                           "Die bisherige Tovalinerosliste bleibt unverändert.")
                .arg(QDir::toNativeSeparators(path), error),
            MsgButtons::Ok, MsgIcon::Critical);
        return;
    }
    // The main window shows the imported list, so its next save cannot bring the old one back.
    if (Form1* main = Forms::Loaded<Form1>())
        main->ShowBirthdayRows(rowTexts);
    if (MsgBox("Ihre Tovalinerosliste wurde erfolgreich importiert.\r\r"
               "Das Programm muss nun beendet werden, damit Ihnen nach einem \r"
               "Programmneustart die importierte Tovalinerosliste zur Verfügung steht.\r\r"
               "Soll das Programm nun beendet werden?",
               MsgButtons::YesNo, MsgIcon::Exclamation, "Import abgeschlossen!") == MsgAnswer::Yes)
        UnloadAllForms();
}

void import1::Command2_Click()
{
    Forms::Unload(this);
}

void import1::UnloadAllForms()
{
    ::UnloadAllForms();
}

bool import1::Pause(long seconds)
{
    QPointer<import1> self(this);
    WaitSeconds(seconds);
    return self && Forms::Loaded<import1>() == self.data();
}

void import1::done(int result)
{
    QDialog::done(result);
    Forms::Unload(this);
}
