#include "common/filelists.h"

#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QKeyEvent>
#include <QSignalBlocker>
#include <QStorageInfo>
#include <QStyle>

namespace
{

constexpr int PathRole = Qt::UserRole;

QString cleanFolder(const QString& path)
{
    return QDir::cleanPath(QDir(path).absolutePath());
}

bool isInside(const QString& path, const QString& root)
{
    if (root == QLatin1String("/"))
        return true;
    return path == root || path.startsWith(root.endsWith('/') ? root : root + '/');
}

} // namespace

DriveListBox::DriveListBox(QWidget* parent) : QComboBox(parent)
{
    Refresh();
    connect(this, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (index >= 0)
            emit Change();
    });
}

QString DriveListBox::Drive() const
{
    return currentData(PathRole).toString();
}

int DriveListBox::indexOfDriveHolding(const QString& path) const
{
    const QString folder = cleanFolder(path);
    int best = -1;
    qsizetype bestLength = -1;
    for (int i = 0; i < count(); ++i) {
        const QString root = itemData(i, PathRole).toString();
        if (isInside(folder, root) && root.size() > bestLength) {
            best = i;
            bestLength = root.size();
        }
    }
    return best;
}

void DriveListBox::SetDrive(const QString& path)
{
    const int index = indexOfDriveHolding(path);
    if (index >= 0)
        setCurrentIndex(index);
}

void DriveListBox::SetDriveQuietly(const QString& path)
{
    const QSignalBlocker quiet(this);
    SetDrive(path);
}

void DriveListBox::Refresh()
{
    const QSignalBlocker quiet(this);
    const QString chosen = Drive();
    clear();
    QStringList roots;
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes())
        if (volume.isValid() && QFileInfo(volume.rootPath()).isDir())
            roots << cleanFolder(volume.rootPath());
    for (const QFileInfo& drive : QDir::drives())
        roots << cleanFolder(drive.absoluteFilePath());
    roots.removeDuplicates();
    roots.sort();
    const QIcon icon = style()->standardIcon(QStyle::SP_DriveHDIcon);
    for (const QString& root : roots)
        addItem(icon, QDir::toNativeSeparators(root), root);
    if (!chosen.isEmpty())
        SetDrive(chosen);
}

DirListBox::DirListBox(QWidget* parent) : QTreeWidget(parent)
{
    setHeaderHidden(true);
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setExpandsOnDoubleClick(false);
    connect(this, &QTreeWidget::itemActivated, this,
            [this](QTreeWidgetItem* item) { SetPath(item->data(0, PathRole).toString()); });
}

void DirListBox::SetPath(const QString& path)
{
    const QString folder = cleanFolder(path);
    const bool changed = folder != path_;
    path_ = folder;
    Refresh();
    if (changed)
        emit Change();
}

void DirListBox::Refresh()
{
    clear();
    const QIcon open = style()->standardIcon(QStyle::SP_DirOpenIcon);
    const QIcon closed = style()->standardIcon(QStyle::SP_DirClosedIcon);
    QStringList chain;
    for (QDir dir(path_);;) {
        chain.prepend(dir.absolutePath());
        if (!dir.cdUp())
            break;
    }
    QTreeWidgetItem* parent = nullptr;
    for (const QString& folder : chain) {
        const QString name = QFileInfo(folder).fileName();
        auto* item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(this);
        item->setText(0, name.isEmpty() ? QDir::toNativeSeparators(folder) : name);
        item->setIcon(0, open);
        item->setData(0, PathRole, folder);
        parent = item;
    }
    // A folder that cannot be read simply shows no subfolders.
    const QFileInfoList subfolders =
        QDir(path_).entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase);
    for (const QFileInfo& sub : subfolders) {
        auto* item = new QTreeWidgetItem(parent);
        item->setText(0, sub.fileName());
        item->setIcon(0, closed);
        item->setData(0, PathRole, cleanFolder(sub.absoluteFilePath()));
    }
    expandAll();
    setCurrentItem(parent);
}

FileListBox::FileListBox(QWidget* parent) : QListWidget(parent)
{
    setSelectionMode(QAbstractItemView::SingleSelection);
    connect(this, &QListWidget::currentRowChanged, this, [this](int row) {
        if (row >= 0)
            emit Click();
    });
    connect(this, &QListWidget::itemClicked, this, [this] { emit Click(); });
}

void FileListBox::SetPath(const QString& path)
{
    path_ = cleanFolder(path);
    clear();
    Refresh();
}

void FileListBox::SetPattern(const QString& pattern)
{
    pattern_ = pattern;
    Refresh();
}

QString FileListBox::FileName() const
{
    const QListWidgetItem* item = currentItem();
    return item && item->isSelected() ? item->text() : QString();
}

void FileListBox::SelectFile(const QString& name)
{
    const QList<QListWidgetItem*> found = findItems(name, Qt::MatchExactly);
    if (!found.isEmpty())
        setCurrentItem(found.first());
}

void FileListBox::Refresh()
{
    const QSignalBlocker quiet(this);
    const QString selected = FileName();
    clear();
    if (!path_.isEmpty())
        addItems(QDir(path_).entryList({pattern_}, QDir::Files, QDir::Name | QDir::IgnoreCase));
    setCurrentRow(-1);
    if (!selected.isEmpty())
        SelectFile(selected);
}
