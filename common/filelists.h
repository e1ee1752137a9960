#pragma once

#include <QComboBox>
#include <QListWidget>
#include <QTreeWidget>

// The drive, folder and file lists of a window that picks files in the classic way. All three
// read the file system synchronously, so they are current right after a change.

// The drives: the file systems mounted on this computer, each named by the folder it starts at.
class DriveListBox : public QComboBox
{
    Q_OBJECT
public:
    explicit DriveListBox(QWidget* parent = nullptr);
    // The folder the chosen drive starts at.
    QString Drive() const;
    // Chooses the drive that holds the path; Change follows when the choice changes.
    void SetDrive(const QString& path);
    // Chooses the drive without Change.
    void SetDriveQuietly(const QString& path);
    void Refresh();

signals:
    void Change();

private:
    int indexOfDriveHolding(const QString& path) const;
};

// The folders: the chosen folder below its parents, and its subfolders. Double-click or Enter
// on a folder opens it.
class DirListBox : public QTreeWidget
{
    Q_OBJECT
public:
    explicit DirListBox(QWidget* parent = nullptr);
    QString Path() const { return path_; }
    // Opens the folder; Change follows when it differs from the one shown.
    void SetPath(const QString& path);
    void Refresh();

signals:
    void Change();

private:
    QString path_;
};

// The files of a folder that match the pattern. Click is raised when the user selects a file
// with the mouse or the keyboard.
class FileListBox : public QListWidget
{
    Q_OBJECT
public:
    explicit FileListBox(QWidget* parent = nullptr);
    QString Path() const { return path_; }
    void SetPath(const QString& path);
    QString Pattern() const { return pattern_; }
    void SetPattern(const QString& pattern);
    // The selected file's name; empty when none is selected.
    QString FileName() const;
    void SelectFile(const QString& name);
    // Reads the folder again; the selected file stays selected while it is there.
    void Refresh();

signals:
    void Click();

private:
    QString path_;
    QString pattern_ = QStringLiteral("*");
};
