#include "platform/prompt.h"

#include "common/forms.h"

#include <QAbstractFileIconProvider>
#include <QApplication>
#include <QColorDialog>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QFontDialog>
#include <QHeaderView>
#include <QIdentityProxyModel>
#include <QListView>
#include <QLocale>
#include <QMessageBox>
#include <QPointer>
#include <QPrintDialog>
#include <QPrinter>
#include <QResizeEvent>
#include <QScreen>
#include <QSplitter>
#include <QStyle>
#include <QTreeView>
#include <utility>

namespace
{

// A dialog belongs to the window it is shown over, and that window may be unloaded while the
// dialog runs: the dialog lives on the heap, so the window can take it along, and counts as
// cancelled then.
template <typename Dialog> class OwnedDialog
{
public:
    template <typename... Args>
    explicit OwnedDialog(Args&&... args) : dialog_(new Dialog(std::forward<Args>(args)...))
    {
    }
    ~OwnedDialog() { delete dialog_.data(); }
    OwnedDialog(const OwnedDialog&) = delete;
    OwnedDialog& operator=(const OwnedDialog&) = delete;

    Dialog* operator->() const { return dialog_.data(); }
    Dialog& operator*() const { return *dialog_; }

    int exec()
    {
        const NestedDialogScope nested;
        const int result = dialog_->exec();
        return dialog_ ? result : QDialog::Rejected;
    }

private:
    QPointer<Dialog> dialog_;
};

// The columns of Qt's file dialog.
constexpr int SizeColumn = 1;
constexpr int TypeColumn = 2;
constexpr int DateColumn = 3;

// Qt's file dialog writes sizes and dates in the system's language; the program speaks German
// whatever the desktop's locale says.
class GermanFileColumns : public QIdentityProxyModel
{
public:
    using QIdentityProxyModel::QIdentityProxyModel;

    QVariant data(const QModelIndex& index, int role) const override
    {
        const auto* files = qobject_cast<const QFileSystemModel*>(sourceModel());
        if (!files || role != Qt::DisplayRole ||
            (index.column() != SizeColumn && index.column() != DateColumn))
            return QIdentityProxyModel::data(index, role);
        const QModelIndex source = mapToSource(index);
        if (index.column() == DateColumn)
            return QLocale().toString(files->lastModified(source), QLocale::ShortFormat);
        if (files->isDir(source))
            return QIdentityProxyModel::data(index, role);
        return QLocale().formattedDataSize(files->size(source));
    }
};

void speakGerman(QFileDialog& dialog)
{
    dialog.setProxyModel(new GermanFileColumns(&dialog));
}

// Widens the dialog whenever the columns fitted to their contents make a row wider than the view
// (a long file type), never past the screen, until the user sizes the dialog himself.
class RowFitter : public QObject
{
public:
    RowFitter(QFileDialog& dialog, QTreeView* tree) : QObject(&dialog), dialog_(dialog), tree_(tree)
    {
        expected_ = dialog.size();
        dialog.installEventFilter(this);
        connect(tree->header(), &QHeaderView::sectionResized, this, &RowFitter::fit, Qt::QueuedConnection);
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Show)
            QMetaObject::invokeMethod(this, &RowFitter::fit, Qt::QueuedConnection);
        else if (event->type() == QEvent::Resize && dialog_.isVisible() &&
                 static_cast<QResizeEvent*>(event)->size() != expected_)
            byHand_ = true;
        return false;
    }

private:
    void fit()
    {
        const int missing = tree_->header()->length() - tree_->viewport()->width();
        if (byHand_ || !dialog_.isVisible() || missing <= 0)
            return;
        int width = dialog_.width() + missing;
        if (const QScreen* screen = dialog_.screen())
            width = qMin(width, screen->availableGeometry().width());
        if (width <= dialog_.width())
            return;
        expected_ = QSize(width, dialog_.height());
        dialog_.resize(expected_);
    }

    QFileDialog& dialog_;
    QTreeView* tree_;
    QSize expected_;
    bool byHand_ = false;
};

// Qt gives the size and type columns fixed widths too narrow for German ("Verzeichnis", "25,39
// KiB"), and a wider dialog does not widen them: they follow their contents, and the dialog
// opens wide enough for a folder's type and any size, and for the files it lists.
void fitColumns(QFileDialog& dialog)
{
    auto* tree = dialog.findChild<QTreeView*>(QStringLiteral("treeView"));
    const auto* files =
        dialog.proxyModel() ? qobject_cast<QFileSystemModel*>(dialog.proxyModel()->sourceModel()) : nullptr;
    if (!tree || !files)
        return;
    QHeaderView* header = tree->header();
    const QFontMetrics metrics(tree->font());
    const int margins = 2 * (tree->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, tree) + 1);
    const auto room = [&](int column, const QStringList& texts) {
        int width = header->sectionSizeHint(column);
        for (const QString& text : texts)
            width = qMax(width, metrics.horizontalAdvance(text) + margins);
        return width;
    };
    QStringList sizes{QLocale().formattedDataSize(1023)};
    for (qint64 unit = 1024; unit <= qint64(1024) * 1024 * 1024; unit *= 1024)
        sizes << QLocale().formattedDataSize(unit * 1024 - 1);
    const QString folderType = files->iconProvider()
                                   ? files->iconProvider()->type(QFileInfo(dialog.directory().absolutePath()))
                                   : QString();
    int wider = 0;
    for (const auto& [column, width] : {std::pair{SizeColumn, room(SizeColumn, sizes)},
                                        std::pair{TypeColumn, room(TypeColumn, {folderType})}}) {
        wider += qMax(0, width - header->sectionSize(column));
        header->resizeSection(column, width);
        header->setSectionResizeMode(column, QHeaderView::ResizeToContents);
    }
    dialog.resize(dialog.width() + wider, dialog.height());
    new RowFitter(dialog, tree);
}

// The places on the dialog's left ("Computer", the home folder) show whole: their pane opens as
// wide as its widest entry, and the dialog grows by what the pane gained.
void fitPlaces(QFileDialog& dialog)
{
    auto* places = dialog.findChild<QListView*>(QStringLiteral("sidebar"));
    auto* splitter = dialog.findChild<QSplitter*>(QStringLiteral("splitter"));
    if (!places || !splitter || splitter->count() < 2)
        return;
    const int needed = places->sizeHintForColumn(0) + 2 * places->frameWidth() +
                       places->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, places);
    QList<int> sizes = splitter->sizes();
    if (sizes.size() < 2 || sizes[0] >= needed)
        return;
    const int wider = needed - sizes[0];
    sizes[0] = needed;
    splitter->setSizes(sizes);
    dialog.resize(dialog.width() + wider, dialog.height());
}

// Qt's file dialog with the program's filter: each type described as the program words it, the
// columns fitted.
void prepare(QFileDialog& dialog, const QString& filter)
{
    speakGerman(dialog);
    if (!filter.isEmpty()) {
        // The patterns Qt matches stand in brackets of their own, which the dialog hides.
        dialog.setOption(QFileDialog::HideNameFilterDetails);
        dialog.setNameFilter(ToQtFilter(filter));
    }
    fitColumns(dialog);
    fitPlaces(dialog);
}

QMessageBox::StandardButtons standardButtons(MsgButtons buttons)
{
    switch (buttons) {
    case MsgButtons::Ok:
        return QMessageBox::Ok;
    case MsgButtons::OkCancel:
        return QMessageBox::Ok | QMessageBox::Cancel;
    case MsgButtons::YesNo:
        return QMessageBox::Yes | QMessageBox::No;
    case MsgButtons::YesNoCancel:
        return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    case MsgButtons::RetryCancel:
        return QMessageBox::Retry | QMessageBox::Cancel;
    }
    return QMessageBox::Ok;
}

QMessageBox::Icon boxIcon(MsgIcon icon)
{
    switch (icon) {
    case MsgIcon::Critical:
        return QMessageBox::Critical;
    case MsgIcon::Question:
        return QMessageBox::Question;
    case MsgIcon::Exclamation:
        return QMessageBox::Warning;
    case MsgIcon::Information:
        return QMessageBox::Information;
    case MsgIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::StandardButton standardButton(MsgAnswer answer)
{
    switch (answer) {
    case MsgAnswer::Ok:
        return QMessageBox::Ok;
    case MsgAnswer::Cancel:
        return QMessageBox::Cancel;
    case MsgAnswer::Yes:
        return QMessageBox::Yes;
    case MsgAnswer::No:
        return QMessageBox::No;
    case MsgAnswer::Retry:
        return QMessageBox::Retry;
    }
    return QMessageBox::NoButton;
}

MsgAnswer answerOf(int button, MsgButtons buttons)
{
    switch (button) {
    case QMessageBox::Ok:
        return MsgAnswer::Ok;
    case QMessageBox::Yes:
        return MsgAnswer::Yes;
    case QMessageBox::No:
        return MsgAnswer::No;
    case QMessageBox::Retry:
        return MsgAnswer::Retry;
    default:
        // Closing the box by its frame counts as its escape button.
        return buttons == MsgButtons::Ok      ? MsgAnswer::Ok
               : buttons == MsgButtons::YesNo ? MsgAnswer::No
                                              : MsgAnswer::Cancel;
    }
}

QString startPath(const FileRequest& request)
{
    if (request.fileName.isEmpty())
        return request.folder;
    return QDir(request.folder).filePath(request.fileName);
}

} // namespace

QString ToQtFilter(const QString& filter)
{
    const QStringList parts = filter.split('|');
    QStringList entries;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        const QStringList patterns = parts[i + 1].split(';', Qt::SkipEmptyParts);
        QString description = parts[i];
        if (!description.contains('('))
            description += " (" + patterns.join(' ') + ")";
        // "*.*" means every file, also one without a dot in its name.
        QStringList matching;
        for (const QString& pattern : patterns)
            matching << (pattern.trimmed() == QLatin1String("*.*") ? QStringLiteral("*") : pattern.trimmed());
        entries << description + " (" + matching.join(' ') + ")";
    }
    if (entries.isEmpty() && !filter.isEmpty())
        entries << filter;
    return entries.join(";;");
}

// The program's texts break lines with CR, CR LF or LF; a message box breaks at LF only.
static QString displayText(const QString& text)
{
    return QString(text).replace(QLatin1String("\r\n"), QLatin1String("\n")).replace('\r', '\n');
}

MsgAnswer QtPrompt::message(const MessageRequest& request)
{
    OwnedDialog<QMessageBox> box(boxIcon(request.icon), request.title, displayText(request.text),
                                 standardButtons(request.buttons), QApplication::activeWindow());
    // The texts name persons and files as they are, never as markup.
    box->setTextFormat(Qt::PlainText);
    if (request.defaultAnswer)
        box->setDefaultButton(standardButton(*request.defaultAnswer));
    return answerOf(box.exec(), request.buttons);
}

QString QtPrompt::openFile(const FileRequest& request)
{
    OwnedDialog<QFileDialog> dialog(QApplication::activeWindow(), request.title, startPath(request));
    prepare(*dialog, request.filter);
    dialog->setFileMode(QFileDialog::ExistingFile);
    if (dialog.exec() != QDialog::Accepted || dialog->selectedFiles().isEmpty())
        return QString();
    return dialog->selectedFiles().first();
}

QString QtPrompt::saveFile(const FileRequest& request)
{
    OwnedDialog<QFileDialog> dialog(QApplication::activeWindow(), request.title, startPath(request));
    prepare(*dialog, request.filter);
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    QString suffix = request.defaultExtension;
    dialog->setDefaultSuffix(suffix.startsWith('.') ? suffix.mid(1) : suffix);
    if (dialog.exec() != QDialog::Accepted || dialog->selectedFiles().isEmpty())
        return QString();
    return dialog->selectedFiles().first();
}

QString QtPrompt::chooseFolder(const QString& title, const QString& folder)
{
    OwnedDialog<QFileDialog> dialog(QApplication::activeWindow(), title, folder);
    prepare(*dialog, QString());
    dialog->setFileMode(QFileDialog::Directory);
    dialog->setOption(QFileDialog::ShowDirsOnly);
    if (dialog.exec() != QDialog::Accepted || dialog->selectedFiles().isEmpty())
        return QString();
    return dialog->selectedFiles().first();
}

std::optional<QColor> QtPrompt::chooseColor(const QColor& initial)
{
    OwnedDialog<QColorDialog> dialog(initial, QApplication::activeWindow());
    if (dialog.exec() != QDialog::Accepted || !dialog->selectedColor().isValid())
        return std::nullopt;
    return dialog->selectedColor();
}

std::optional<QFont> QtPrompt::chooseFont(const QFont& initial)
{
    OwnedDialog<QFontDialog> dialog(initial, QApplication::activeWindow());
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog->selectedFont();
}

bool QtPrompt::setupPrinter(QPrinter& printer)
{
    OwnedDialog<QPrintDialog> dialog(&printer, QApplication::activeWindow());
    return dialog.exec() == QDialog::Accepted;
}

MsgAnswer MsgBox(const QString& text, MsgButtons buttons, MsgIcon icon, const QString& title,
                 std::optional<MsgAnswer> defaultAnswer)
{
    return PromptSeam::get().message(MessageRequest{text, title, buttons, icon, defaultAnswer});
}
