// The list: Grid1 in memory, daten/tovalinero.dat on disk.
#include "app/form1.h"

#include "common/listfile.h"

#include "common/fileerrors.h"
#include "common/mousepointer.h"
#include "common/runtimeerror.h"
#include "common/textfile.h"
#include "platform/programfolder.h"
#include "platform/prompt.h"

#include <QDir>
#include <QFileInfo>

namespace
{

struct ListColumn {
    const char* key;
    const char* caption;
    int widthTwips;
    int alignment;
};

constexpr ListColumn ListColumns[] = {
    {"tov_vorname", "Vorname", 2000, 0},
    {"tov_nachname", "Nachname", 3000, 0},
    {"tov_tovalinero", "Tovalinero", 1150, 2},
    {"tov_erinnern", "Erinnern", 1715, 2},
};

QString listFilePath()
{
    return DataFile("tovalinero.dat");
}

QByteArray readListFile(const QString& path)
{
    // A damaged file larger than any list is refused from its size, never read into memory.
    QString reason;
    bool tooLarge = false;
    const auto bytes = ReadFileBytesUpTo(path, MaxListFileSize, &reason, &tooLarge);
    if (tooLarge)
        throw RuntimeError(7, "Die Tovalinerosliste ist zu groß (" + reason + ")");
    if (!bytes)
        throw FileRuntimeError(reason, path);
    return *bytes;
}

} // namespace

void Form1::PrepareListGrid()
{
    Grid1->FillSwitch(true);
    Grid1->ApplyDisplaySettings();
    for (const ListColumn& column : ListColumns)
        Grid1->AddColumn(column.key, QString::fromUtf8(column.caption), column.widthTwips, column.alignment);
    Grid1->Column("tov_tovalinero") = GridColumnSettings{2, 2, 2};
}

void Form1::LoadBirthdayList()
{
    ShowBusyPointer();
    PrepareListGrid();
    try {
        const QString path = listFilePath();
        if (!QFileInfo(path).dir().exists())
            throw RuntimeError::pathNotFound();
        // Nothing is lost when the first change creates the file.
        listMissing_ = !QFileInfo::exists(path);
        if (listMissing_)
            throw RuntimeError::fileNotFound();
        ForEachListRow(readListFile(path), [this](const QString& row) { Grid1->AddRow(row); });
    } catch (...) {
        // The grid keeps what was loaded so far; the start-up reports the error.
        Grid1->FillSwitch(false);
        throw;
    }
    Grid1->FillSwitch(false);
    Grid1->Refresh();
    Grid1->NotifyRowsAdded();
    Grid1->SetCurrentRow(1);
    Grid1->Refresh();
    listLoaded_ = true;
    QDir(ProgramFolder()).mkdir("report");
    ShowNormalPointer();
}

bool Form1::ListChangeAllowed()
{
    // A list file that appeared since the start was never read; it is not written over.
    if (listLoaded_ || (listMissing_ && !QFileInfo::exists(listFilePath())))
        return true;
    MsgBox(QStringLiteral("Die Tovalinerosliste konnte beim Programmstart nicht geladen werden.\n"
                          "Es wurde nichts geändert.\n\n%1")
               .arg(QDir::toNativeSeparators(listFilePath())),
           MsgButtons::Ok, MsgIcon::Exclamation);
    return false;
}

bool Form1::SaveBirthdayList()
{
    return WriteBirthdayListTo(listFilePath());
}

bool Form1::WriteBirthdayListTo(const QString& path)
{
    // A list that never reached the grid must not be written over the one on disk, also not
    // when save-as is pointed at it or at a link to it.
    const bool ownList =
        WriteTarget(path) == WriteTarget(listFilePath()) || QFileInfo(path) == QFileInfo(listFilePath());
    if (ownList && !ListChangeAllowed())
        return false;
    ShowBusyPointer();
    // Row by row into the file's bytes: the rows' texts never all exist at once.
    QByteArray bytes;
    const int count = Grid1->RowCount();
    // Room for rows of a usual length; pages the rows do not fill are never touched.
    bytes.reserve(qsizetype(count) * 256);
    for (int i = 1; i <= count; ++i)
        AppendListFileLine(bytes, Grid1->RowText(i));
    QString error;
    // The program's own list is the owner's alone; a file the user chose keeps its mode.
    const bool saved =
        WriteFileAtomic(path, bytes, &error, ownList ? FileAccess::OwnerOnly : FileAccess::OwnerOnlyWhenNew);
    if (saved && ownList)
        listLoaded_ = true;
    ShowNormalPointer();
    Grid1->Refresh();
    if (!saved)
        MsgBox(QStringLiteral("Die Tovalinerosliste konnte nicht gespeichert werden:\n%1\n\n%2")
                   .arg(QDir::toNativeSeparators(path), error),
               MsgButtons::Ok, MsgIcon::Critical);
    return saved;
}

bool Form1::ReplaceBirthdayList(const QString& path)
{
    // The program's own list file is taken as it stands; any other file must look like a list
    // before it replaces this one.
    const bool ownList = QFileInfo(path) == QFileInfo(listFilePath());
    QString error;
    const auto rows = ReadListFileRows(path, &error, ownList ? ListSource::Written : ListSource::Chosen);
    if (!rows) {
        MsgBox(QStringLiteral("Die Tovalinerosliste konnte nicht gelesen werden:\n%1\n\n%2\n\n"
                              "Die bisherige Liste bleibt unverändert.")
                   .arg(QDir::toNativeSeparators(path), error),
               MsgButtons::Ok, MsgIcon::Critical);
        return false;
    }
    ShowBirthdayRows(*rows);
    return SaveBirthdayList();
}

void Form1::ShowBirthdayRows(const QStringList& rows)
{
    ShowBusyPointer();
    if (Grid1->ColumnCount() == 0) {
        PrepareListGrid();
        Grid1->FillSwitch(false);
    }
    Grid1->ReplaceRows(rows);
    Grid1->NotifyRowsAdded();
    Grid1->SetCurrentRow(1);
    Grid1->Refresh();
    listLoaded_ = true;
    ShowNormalPointer();
    RefreshUpcomingList();
}

bool Form1::IsFilePath(const QString& path)
{
    return !path.isEmpty() && QFileInfo::exists(path);
}
