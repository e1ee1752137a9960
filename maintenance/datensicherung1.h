#pragma once

#include <QDialog>

class DirListBox;
class DriveListBox;
class FileListBox;
class QCheckBox;
class QLabel;
class QProgressBar;
class QPushButton;

// Backs up the four data files into one backup file in a folder the user chooses, restores
// them from such a file into the data folder, and deletes backup files.
class datensicherung1 : public QDialog
{
    Q_OBJECT
public:
    explicit datensicherung1(QWidget* parent = nullptr);

    void Form_Load();
    void Command1_Click();
    void Command2_Click();
    void Command3_Click();
    void Command4_Click();
    void Drive1_Change();
    void Dir1_Change();
    void File1_Click();

    // Both raise RuntimeError on failure. The restore checks the whole file before it writes
    // anything; it gives false when the window was unloaded during its pauses, having written
    // nothing, and then nothing of the window may be touched any more.
    void CreateBackupFile(const QStringList& files, const QString& target);
    bool RestoreBackupFile(const QString& source, const QString& folder);

    // The data folder with a trailing separator, and the day the window was opened.
    QString DataFolderPath;
    QString BackupDateSuffix;

    QLabel* Label3;
    QLabel* Label4;
    DriveListBox* Drive1;
    DirListBox* Dir1;
    FileListBox* File1;
    QCheckBox* xpCheck1;
    QProgressBar* xpProgress1;
    QPushButton* Command1;
    QPushButton* Command2;
    QPushButton* Command3;
    QPushButton* Command4;

    void done(int result) override;

private:
    bool Pause(long seconds);
    void EnableFileButtons(bool enabled);
    QString SelectedBackupPath() const;
};
