#include "maintenance/datensicherung1.h"

#include "app/form1.h"
#include "common/fileerrors.h"
#include "common/filelists.h"
#include "common/forms.h"
#include "common/listfile.h"
#include "common/mousepointer.h"
#include "common/resize.h"
#include "common/runtimeerror.h"
#include "common/textfile.h"
#include "common/warten.h"
#include "maintenance/backupfile.h"
#include "maintenance/dialogparts.h"
#include "platform/clock.h"
#include "platform/programfolder.h"
#include "platform/prompt.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QStorageInfo>
#include <QVBoxLayout>
#include <algorithm>
#include <memory>

namespace
{

const QString BackupPattern = QStringLiteral("*.dsi");
const QString ListFileName = QStringLiteral("tovalinero.dat");
constexpr int InvalidFileFormat = 321;
constexpr int DeviceUnavailable = 68;

QString native(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

void showError(const RuntimeError& error)
{
    MsgBox("Es ist folgender Fehler aufgetreten:\r\rFehler-Nr.:\r" + QString::number(error.number()) +
               "\r\rBeschreibung:\r" + error.description(),
           MsgButtons::Ok, MsgIcon::Critical, "Fehler - Error");
}

RuntimeError accessError(const QString& path, const QString& reason)
{
    return RuntimeError(RuntimeError::pathFileAccess().number(),
                        RuntimeError::pathFileAccess().description() + "\r" + native(path) + "\r" + reason);
}

// A data file that does not exist is backed up empty; one that cannot be read is an error,
// since an empty entry would later restore as an empty file.
QByteArray readDataFile(const QString& path)
{
    const QFileInfo info(path);
    if (!info.dir().exists())
        throw RuntimeError(RuntimeError::pathNotFound().number(),
                           RuntimeError::pathNotFound().description() + "\r" + native(info.path()));
    if (!info.exists())
        return QByteArray();
    QString reason;
    bool tooLarge = false;
    const auto bytes = ReadFileBytesUpTo(path, MaxBackupContentSize, &reason, &tooLarge);
    if (tooLarge)
        throw accessError(path,
                          QStringLiteral("Die Datei ist zu groß für eine Datensicherung (%1).").arg(reason));
    if (!bytes)
        throw accessError(path, reason);
    return *bytes;
}

RuntimeError formatError(const QString& reason)
{
    return RuntimeError(InvalidFileFormat,
                        "Ungültiges Dateiformat: " + reason + "\rEs wurden keine Daten zurückgeschrieben.");
}

// A backup file held open while it is restored: its entries are checked from their lengths,
// and each content is read only when it is written.
struct OpenedBackup {
    std::unique_ptr<QFile> file;
    QList<BackupEntryPlace> places;
};

OpenedBackup openBackup(const QString& source)
{
    const QFileInfo info(source);
    if (!info.exists())
        throw RuntimeError(RuntimeError::fileNotFound().number(),
                           RuntimeError::fileNotFound().description() + "\r" + native(source));
    // A pipe or a device would block the reader or never end.
    if (!info.isFile())
        throw accessError(source, QStringLiteral("Keine gewöhnliche Datei"));
    OpenedBackup backup{std::make_unique<QFile>(source), {}};
    if (!backup.file->open(QIODevice::ReadOnly))
        throw accessError(source, backup.file->errorString());
    QString reason;
    auto places = ReadBackupPlaces(*backup.file, &reason);
    if (!places)
        throw formatError(reason);
    backup.places = std::move(*places);
    return backup;
}

QByteArray readContent(OpenedBackup& backup, const BackupEntryPlace& place)
{
    QString reason;
    auto content = ReadBackupContent(*backup.file, place, &reason);
    if (!content)
        throw accessError(backup.file->fileName(), reason);
    return std::move(*content);
}

// The files written so far, or that none was, for the message of a restore that stopped.
QString replacedFilesText(const QStringList& replaced)
{
    if (replaced.isEmpty())
        return QStringLiteral("Es wurde keine Datei zurückgeschrieben.");
    QStringList shown;
    for (const QString& path : replaced)
        shown << native(path);
    return "Bereits zurückgeschrieben wurden:\r" + shown.join('\r') +
           "\rDie übrigen Dateien sind unverändert.";
}

bool driveReadable(const QString& root)
{
    return QStorageInfo(root).isReady() && QFileInfo(root).isDir() && QFileInfo(root).isReadable();
}

} // namespace

datensicherung1::datensicherung1(QWidget* parent) : QDialog(parent)
{
    setObjectName("datensicherung1");
    setWindowTitle("Datensicherung");

    Label3 = NewHeading("Datensicherung und Rücksicherung", "Label3", this);
    Label4 = NewExplanation(
        "Hier haben Sie die Möglichkeit eine Sicherung von Ihren bisher eingegebenen Daten zu erstellen. "
        "Bitte "
        "wählen Sie ein Laufwerk und ein Verzeichnis in welches die Sicherung gespeichert werden soll. Mit "
        "einer "
        "Rücksicherung Ihrer Daten verhält es sich ebenso. Sicherung suchen und auf \"Rücksichern\" klicken.",
        "Label4", this);
    Drive1 = new DriveListBox(this);
    Drive1->setObjectName("Drive1");
    Drive1->setAccessibleName("Laufwerk");
    Dir1 = new DirListBox(this);
    Dir1->setObjectName("Dir1");
    Dir1->setAccessibleName("Verzeichnis");
    File1 = new FileListBox(this);
    File1->setObjectName("File1");
    File1->setAccessibleName("Sicherungsdateien");
    File1->SetPattern(BackupPattern);
    xpCheck1 = new QCheckBox("Datum zur Sicherung hinzufügen", this);
    xpCheck1->setObjectName("xpCheck1");
    xpProgress1 = new QProgressBar(this);
    xpProgress1->setObjectName("xpProgress1");
    xpProgress1->setAccessibleName("Fortschritt");
    // No default button: Enter opens a folder in the folder list.
    Command1 = NewButton("&Datensicherung", "Command1", this);
    Command2 = NewButton("&Rücksicherung", "Command2", this);
    Command3 = NewButton("&Zurück", "Command3", this);
    Command4 = NewButton("Sicherung &löschen", "Command4", this);

    auto* lists = new QGridLayout;
    lists->addWidget(Drive1, 0, 0);
    lists->addWidget(Dir1, 1, 0);
    lists->addWidget(File1, 0, 1, 2, 1);
    lists->setRowStretch(1, 1);
    auto* body = new QVBoxLayout;
    body->addLayout(lists, 1);
    body->addWidget(xpCheck1);
    body->addWidget(xpProgress1);
    LayOutDialog(this, NewHeaderBand(Label3, Label4, this), body,
                 NewButtonBand({Command1, Command2, Command4, nullptr, Command3}, this));
    QWidget* const order[] = {Drive1, Dir1, File1, xpCheck1, Command1, Command2, Command4, Command3};
    for (size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);
    resize(600, 460);
    KeepDesignedSize(this);

    connect(Command1, &QPushButton::clicked, this, &datensicherung1::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &datensicherung1::Command2_Click);
    connect(Command3, &QPushButton::clicked, this, &datensicherung1::Command3_Click);
    connect(Command4, &QPushButton::clicked, this, &datensicherung1::Command4_Click);
    connect(Drive1, &DriveListBox::Change, this, &datensicherung1::Drive1_Change);
    connect(Dir1, &DirListBox::Change, this, &datensicherung1::Dir1_Change);
    connect(File1, &FileListBox::Click, this, &datensicherung1::File1_Click);

    Form_Load();
}

void datensicherung1::Form_Load()
{
    xpProgress1->hide();
    xpProgress1->setRange(0, 100);
    xpProgress1->setValue(0);
    EnableFileButtons(false);
    Drive1->SetDrive(ProgramFolder());
    Dir1->SetPath(ProgramFolder());
    DataFolderPath = DataFolder() + "/";
    BackupDateSuffix = ::BackupDateSuffix(Today());
}

void datensicherung1::Drive1_Change()
{
    const QString drive = Drive1->Drive();
    if (!driveReadable(drive)) {
        Drive1->SetDriveQuietly(Dir1->Path());
        showError(RuntimeError(DeviceUnavailable, "Gerät nicht verfügbar\r" + native(drive)));
        return;
    }
    Dir1->SetPath(drive);
}

void datensicherung1::Dir1_Change()
{
    File1->SetPath(Dir1->Path());
    if (File1->FileName().isEmpty())
        EnableFileButtons(false);
}

void datensicherung1::File1_Click()
{
    if (File1->Pattern() == BackupPattern)
        EnableFileButtons(true);
}

void datensicherung1::Command1_Click()
{
    ShowBusyPointer();
    Command1->setEnabled(false);
    xpCheck1->setEnabled(false);
    const QString target =
        QDir(Dir1->Path()).filePath(BackupFileName(xpCheck1->isChecked(), BackupDateSuffix));
    xpProgress1->show();
    QStringList files;
    for (const QString& name : BackupDataFileNames()) {
        files << DataFolderPath + name;
        xpProgress1->setValue(xpProgress1->value() + 25);
        if (!Pause(1)) {
            ShowNormalPointer();
            return;
        }
    }
    QPointer<datensicherung1> self(this);
    try {
        CreateBackupFile(files, target);
        MsgBox("Die Datensicherung wurde unter:\r\r" + native(target) +
                   "\r\rangelegt. Aus diesem Verzeichnis können Sie später die\rRücksicherung vornehmen.",
               MsgButtons::Ok, MsgIcon::Information, "Datensicherung");
    } catch (const RuntimeError& error) {
        ShowNormalPointer();
        showError(error);
    }
    if (!self)
        return;
    xpProgress1->hide();
    File1->Refresh();
    if (File1->FileName().isEmpty())
        EnableFileButtons(false);
    Command1->setEnabled(true);
    xpCheck1->setEnabled(true);
    xpProgress1->setValue(0);
    ShowNormalPointer();
}

void datensicherung1::CreateBackupFile(const QStringList& files, const QString& target)
{
    ShowBusyPointer();
    QList<BackupEntry> entries;
    for (const QString& path : files)
        entries.append(BackupEntry{StoredBackupPath(path), readDataFile(path)});
    QString reason;
    const auto bytes = BackupFileBytes(entries, &reason);
    if (!bytes)
        throw accessError(target, reason);
    // Through a temporary file, so a failed backup keeps an older one of the same name; the
    // backup holds the mail password, so it is the owner's only.
    if (!QFileInfo(target).dir().exists())
        throw RuntimeError(RuntimeError::pathNotFound().number(), RuntimeError::pathNotFound().description() +
                                                                      "\r" +
                                                                      native(QFileInfo(target).path()));
    if (!WriteFileAtomic(target, *bytes, &reason, FileAccess::OwnerOnly))
        throw accessError(target, reason);
    ShowNormalPointer();
}

void datensicherung1::Command2_Click()
{
    const QString source = SelectedBackupPath();
    if (source.isEmpty())
        return;
    ShowBusyPointer();
    Command2->setEnabled(false);
    QPointer<datensicherung1> self(this);
    try {
        if (!RestoreBackupFile(source, DataFolderPath)) {
            ShowNormalPointer();
            return;
        }
    } catch (const RuntimeError& error) {
        ShowNormalPointer();
        if (self)
            xpProgress1->hide();
        showError(error);
    }
    ShowNormalPointer();
    if (!self)
        return;
    xpProgress1->setValue(0);
    Command2->setEnabled(true);
}

bool datensicherung1::RestoreBackupFile(const QString& source, const QString& folder)
{
    OpenedBackup backup = openBackup(source);
    // The list is checked as an opened list is, before anything is written.
    qsizetype listIndex = -1;
    QByteArray listContent;
    QStringList listRows;
    for (qsizetype i = 0; i < backup.places.size(); ++i) {
        if (DataFileNameOf(backup.places[i].FilePath) != ListFileName)
            continue;
        listIndex = i;
        listContent = readContent(backup, backup.places[i]);
        QString problem;
        const auto rows = ChosenListRows(listContent, &problem);
        if (!rows)
            throw formatError("Die gesicherte Tovalinerosliste ist beschädigt: " + problem);
        listRows = *rows;
    }
    xpProgress1->show();
    const double step = 100.0 / backup.places.size();
    for (qsizetype i = 1; i <= backup.places.size(); ++i) {
        xpProgress1->setValue(qRound(i * step));
        if (!Pause(1))
            return false;
    }
    // Only the file name of a stored path counts: every entry goes into this data folder. Once
    // the list file is replaced the main window shows it, so that its next save cannot bring the
    // old list back, also when a later entry fails.
    QStringList replaced;
    const auto showRestoredList = [&] {
        if (Form1* main = Forms::Loaded<Form1>(); main && replaced.contains(folder + ListFileName))
            main->ShowBirthdayRows(listRows);
    };
    for (qsizetype i = 0; i < backup.places.size(); ++i) {
        const BackupEntryPlace& place = backup.places[i];
        const QString path = folder + DataFileNameOf(place.FilePath);
        BackupEntry entry{place.FilePath, i == listIndex ? listContent : QByteArray()};
        QString reason;
        try {
            if (i != listIndex)
                entry.Content = readContent(backup, place);
        } catch (const RuntimeError& error) {
            showRestoredList();
            throw RuntimeError(error.number(), error.description() + "\r\r" + replacedFilesText(replaced));
        }
        if (!WriteBackupEntry(entry, folder, &reason)) {
            showRestoredList();
            throw RuntimeError(RuntimeError::pathFileAccess().number(),
                               RuntimeError::pathFileAccess().description() + "\r" + native(path) + "\r" +
                                   reason + "\r\r" + replacedFilesText(replaced));
        }
        replaced << path;
    }
    showRestoredList();
    QPointer<datensicherung1> self(this);
    MsgBox("Die Rücksicherung Ihrer Daten war erfolgreich.\r\r"
           "Bitte beenden Sie nun das Programm und rufen Sie es erneut auf.\r"
           "Erst dann ist die Rücksicherung der Daten vollkommen abgeschlossen.",
           MsgButtons::Ok, MsgIcon::Information, "Rücksicherung");
    if (self)
        xpProgress1->hide();
    return true;
}

void datensicherung1::Command3_Click()
{
    Forms::Unload(this);
}

void datensicherung1::Command4_Click()
{
    const QString path = SelectedBackupPath();
    if (path.isEmpty())
        return;
    Command4->setEnabled(false);
    if (MsgBox("Sind Sie sicher, dass Sie die Datei:\r\n\r\n" + native(path) +
                   "\r\n\r\nvon Ihrem Datenträger löschen wollen?",
               MsgButtons::YesNo, MsgIcon::Question, "Sicherungsdatei löschen",
               MsgAnswer::No) == MsgAnswer::Yes) {
        ShowBusyPointer();
        QFile file(path);
        if (!file.exists()) {
            ShowNormalPointer();
            showError(RuntimeError(RuntimeError::fileNotFound().number(),
                                   RuntimeError::fileNotFound().description() + "\r" + native(path)));
        } else if (!file.remove()) {
            ShowNormalPointer();
            showError(accessError(path, file.errorString()));
        }
        File1->Refresh();
        File1->SetPattern(BackupPattern);
    }
    ShowNormalPointer();
    // With the file gone nothing is selected, and restore and deletion wait for the next click.
    if (File1->FileName().isEmpty())
        EnableFileButtons(false);
    else
        Command4->setEnabled(true);
}

void datensicherung1::EnableFileButtons(bool enabled)
{
    Command2->setEnabled(enabled);
    Command4->setEnabled(enabled);
}

QString datensicherung1::SelectedBackupPath() const
{
    const QString name = File1->FileName();
    return name.isEmpty() ? QString() : QDir(File1->Path()).filePath(name);
}

bool datensicherung1::Pause(long seconds)
{
    QPointer<datensicherung1> self(this);
    WaitSeconds(seconds);
    return self && Forms::Loaded<datensicherung1>() == self.data();
}

void datensicherung1::done(int result)
{
    QDialog::done(result);
    Forms::Unload(this);
}
