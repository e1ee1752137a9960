#include "common/grid.h"

#include "common/dates.h"

#include <QHeaderView>
#include <QRegularExpression>
#include <QTextDocument>
#include <algorithm>
#include <numeric>

namespace
{

constexpr int TwipsPerPixel = 15;

Qt::Alignment alignmentOf(int alignment)
{
    switch (alignment) {
    case 1:
        return Qt::AlignRight | Qt::AlignVCenter;
    case 2:
        return Qt::AlignCenter;
    default:
        return Qt::AlignLeft | Qt::AlignVCenter;
    }
}

// A sort key: numbers and dates as numbers ahead of texts, which compare by the locale.
struct SortKey {
    bool numeric = false;
    double number = 0;
    QString text;
};

SortKey sortKeyOf(const QString& cell, int sortType)
{
    SortKey key;
    if (sortType == 1) {
        key.number = QStringView(cell).trimmed().toDouble(&key.numeric);
    } else if (sortType == 2) {
        if (const auto date = ParseGermanDate(cell)) {
            key.numeric = true;
            key.number = date->year() * 10000.0 + date->month() * 100.0 + date->day();
        }
    }
    if (!key.numeric)
        key.text = cell;
    return key;
}

bool keyLess(const SortKey& a, const SortKey& b)
{
    if (a.numeric != b.numeric)
        return a.numeric;
    if (a.numeric)
        return a.number < b.number;
    return QString::localeAwareCompare(a.text, b.text) < 0;
}

// A trailing "*" alone, as the search box passes it, is a plain prefix.
bool isPlainPrefix(const QString& pattern)
{
    static const QRegularExpression wildcard(QStringLiteral("[*?#\\[]"));
    const QString head = pattern.endsWith('*') ? pattern.chopped(1) : pattern;
    return pattern.endsWith('*') && !head.contains(wildcard);
}

} // namespace

namespace
{

// Where cell `column` (from 0) of a TAB-joined text starts and ends; start -1 beyond the last.
template <typename Text> std::pair<qsizetype, qsizetype> cellBounds(const Text& row, qsizetype column)
{
    qsizetype start = 0;
    for (; column > 0; --column) {
        const qsizetype tab = row.indexOf('\t', start);
        if (tab < 0)
            return {-1, -1};
        start = tab + 1;
    }
    const qsizetype end = row.indexOf('\t', start);
    return {start, end < 0 ? row.size() : end};
}

} // namespace

void GridRowText::assign(const QString& text)
{
    const bool latin1 = std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c.unicode() < 0x100; });
    if (latin1) {
        latin1_ = text.toLatin1();
        wide_ = QString();
    } else {
        latin1_ = QByteArray();
        wide_ = text;
    }
}

QString GridRowText::Cell(qsizetype column) const
{
    if (!wide_.isNull()) {
        const auto [start, end] = cellBounds(wide_, column);
        return start < 0 ? QString() : wide_.mid(start, end - start);
    }
    const auto [start, end] = cellBounds(latin1_, column);
    return start < 0 ? QString() : QString::fromLatin1(latin1_.constData() + start, end - start);
}

bool GridRowText::CellStartsWith(qsizetype column, const QString& prefix, Qt::CaseSensitivity cs) const
{
    if (!wide_.isNull()) {
        const auto [start, end] = cellBounds(wide_, column);
        return start >= 0 && QStringView(wide_).mid(start, end - start).startsWith(prefix, cs);
    }
    const auto [start, end] = cellBounds(latin1_, column);
    return start >= 0 && QLatin1String(latin1_.constData() + start, end - start).startsWith(prefix, cs);
}

void GridRowText::SetCell(qsizetype column, const QString& text)
{
    QString cells = Text();
    qsizetype start = 0;
    for (qsizetype k = 0; k < column; ++k) {
        const qsizetype tab = cells.indexOf(QLatin1Char('\t'), start);
        if (tab < 0) {
            // The row gains empty cells up to the one set.
            cells += QString(column - k, QLatin1Char('\t'));
            start = cells.size();
            break;
        }
        start = tab + 1;
    }
    const qsizetype end = cells.indexOf(QLatin1Char('\t'), start);
    cells.replace(start, (end < 0 ? cells.size() : end) - start, text);
    assign(cells);
}

int GridModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(rows.size());
}

int GridModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(columns.size());
}

QVariant GridModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= static_cast<int>(rows.size()))
        return QVariant();
    if (role == Qt::DisplayRole)
        return rows[index.row()].Cell(index.column());
    if (role == Qt::ToolTipRole) {
        // A tooltip shows text that looks like markup as markup; a cell shows as it is.
        const QString text = rows[index.row()].Cell(index.column());
        if (!Qt::mightBeRichText(text))
            return text;
        return QStringLiteral("<span style=\"white-space:pre-wrap;\">") + text.toHtmlEscaped() +
               QStringLiteral("</span>");
    }
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(alignmentOf(columns[index.column()].alignment));
    return QVariant();
}

QVariant GridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= static_cast<int>(columns.size()))
        return QAbstractTableModel::headerData(section, orientation, role);
    if (role == Qt::DisplayRole)
        return columns[section].caption;
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(alignmentOf(columns[section].alignment));
    return QVariant();
}

QString GridRow::GetCell(const QString& key) const
{
    return grid_->Cell(row_, grid_->ColumnIndex(key));
}
QString GridRow::GetCell(int column) const
{
    return grid_->Cell(row_, column);
}
void GridRow::SetCell(const QString& key, const QString& text)
{
    grid_->SetCell(row_, grid_->ColumnIndex(key), text);
}
void GridRow::SetCell(int column, const QString& text)
{
    grid_->SetCell(row_, column, text);
}

Grid::Grid(QWidget* parent) : QTableView(parent), model_(new GridModel(this))
{
    setModel(model_);
    ApplyDisplaySettings();
    connect(
        selectionModel(), &QItemSelectionModel::currentRowChanged, this,
        [this](const QModelIndex& current) { emit RowChange(current.isValid() ? current.row() + 1 : 0); });
}

void Grid::ApplyDisplaySettings()
{
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Tab leaves the list for the next control instead of walking its cells.
    setTabKeyNavigation(false);
    setAlternatingRowColors(true);
    setShowGrid(true);
    setSortingEnabled(false);
    setWordWrap(false);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    horizontalHeader()->setHighlightSections(false);
}

void Grid::AddColumn(const QString& key, const QString& caption, int widthTwips, int alignment)
{
    const int column = ColumnCount();
    if (!model_->filling_)
        model_->beginInsertColumns(QModelIndex(), column, column);
    model_->columns.push_back(GridColumnDefinition{key, caption, widthTwips, alignment, {}});
    if (!model_->filling_)
        model_->endInsertColumns();
    setColumnWidth(column, widthTwips / TwipsPerPixel);
}

int Grid::AddRow(const QString& text, int position)
{
    const bool first = position == 1;
    const int row = first ? 0 : RowCount();
    if (!model_->filling_)
        model_->beginInsertRows(QModelIndex(), row, row);
    if (first)
        model_->rows.emplace_front(text);
    else
        model_->rows.emplace_back(text);
    if (!model_->filling_)
        model_->endInsertRows();
    return row + 1;
}

int Grid::CurrentRow() const
{
    const QModelIndex current = selectionModel()->currentIndex();
    return current.isValid() ? current.row() + 1 : 0;
}

void Grid::SetCurrentRow(int row)
{
    if (row < 1 || row > RowCount())
        return;
    const QModelIndex index = model_->index(row - 1, 0);
    selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    scrollTo(index);
}

QString Grid::Cell(int row, int column) const
{
    if (row < 1 || row > RowCount() || column < 1)
        return QString();
    return model_->rows[row - 1].Cell(column - 1);
}

void Grid::setCellQuietly(int row, int column, const QString& text)
{
    model_->rows[row - 1].SetCell(column - 1, text);
}

void Grid::SetCell(int row, int column, const QString& text)
{
    if (row < 1 || row > RowCount() || column < 1)
        return;
    setCellQuietly(row, column, text);
    if (!model_->filling_ && column <= ColumnCount()) {
        const QModelIndex index = model_->index(row - 1, column - 1);
        emit model_->dataChanged(index, index);
    }
}

int Grid::ColumnIndex(const QString& key) const
{
    for (int i = 0; i < ColumnCount(); ++i)
        if (model_->columns[i].key.compare(key, Qt::CaseInsensitive) == 0)
            return i + 1;
    return 0;
}

QString Grid::RowText(int row) const
{
    if (row < 1 || row > RowCount())
        return QString();
    return model_->rows[row - 1].Text();
}

void Grid::RemoveCurrentRow()
{
    const int row = CurrentRow();
    if (row < 1)
        return;
    // The next selection is set by hand once the row is gone, so RowChange names a row that exists.
    selectionModel()->clearCurrentIndex();
    model_->beginRemoveRows(QModelIndex(), row - 1, row - 1);
    model_->rows.erase(model_->rows.begin() + (row - 1));
    model_->endRemoveRows();
    SetCurrentRow(std::min(row, RowCount()));
}

void Grid::ReplaceRows(const QStringList& rowTexts)
{
    selectionModel()->clearCurrentIndex();
    model_->beginResetModel();
    model_->rows.clear();
    for (const QString& text : rowTexts)
        model_->rows.emplace_back(text);
    model_->endResetModel();
}

void Grid::Clear()
{
    selectionModel()->clearCurrentIndex();
    if (!model_->filling_)
        model_->beginResetModel();
    // Swapped out, so the memory goes back at once, not when the next rows come.
    std::deque<GridRowText>().swap(model_->rows);
    if (!model_->filling_)
        model_->endResetModel();
}

int Grid::Find(const QString& pattern, int column, int startRow) const
{
    if (column < 1)
        return 0;
    const int first = std::max(startRow, 1);
    const auto& rows = model_->rows;
    if (isPlainPrefix(pattern)) {
        const QString prefix = pattern.chopped(1);
        for (int i = first - 1; i < RowCount(); ++i)
            if (rows[i].CellStartsWith(column - 1, prefix, Qt::CaseInsensitive))
                return i + 1;
        return 0;
    }
    QString expression = QRegularExpression::escape(pattern);
    expression.replace(QLatin1String("\\*"), QLatin1String(".*"))
        .replace(QLatin1String("\\?"), QLatin1String("."));
    const QRegularExpression matcher(QRegularExpression::anchoredPattern(expression),
                                     QRegularExpression::CaseInsensitiveOption |
                                         QRegularExpression::DotMatchesEverythingOption);
    for (int i = first - 1; i < RowCount(); ++i)
        if (matcher.match(rows[i].Cell(column - 1)).hasMatch())
            return i + 1;
    return 0;
}

void Grid::Sort(int column, int order)
{
    if (column < 1 || column > ColumnCount())
        return;
    const int sortType = model_->columns[column - 1].settings.sortType;
    std::vector<SortKey> keys;
    keys.reserve(model_->rows.size());
    for (const GridRowText& cells : model_->rows)
        keys.push_back(sortKeyOf(cells.Cell(column - 1), sortType));
    std::vector<size_t> order_(keys.size());
    std::iota(order_.begin(), order_.end(), 0);
    std::stable_sort(order_.begin(), order_.end(), [&](size_t a, size_t b) {
        return order == 2 ? keyLess(keys[b], keys[a]) : keyLess(keys[a], keys[b]);
    });

    const int current = CurrentRow();
    model_->beginResetModel();
    std::deque<GridRowText> sorted;
    for (const size_t i : order_)
        sorted.push_back(std::move(model_->rows[i]));
    model_->rows = std::move(sorted);
    model_->endResetModel();
    SetCurrentRow(current);
}

GridColumnSettings& Grid::Column(const QString& key)
{
    return Column(ColumnIndex(key));
}

GridColumnSettings& Grid::Column(int column)
{
    static GridColumnSettings none;
    if (column < 1 || column > ColumnCount())
        return none = GridColumnSettings{};
    return model_->columns[column - 1].settings;
}

void Grid::Refresh()
{
    viewport()->update();
}

void Grid::FillSwitch(bool on)
{
    if (on == model_->filling_)
        return;
    if (on) {
        model_->beginResetModel();
        model_->filling_ = true;
    } else {
        model_->filling_ = false;
        model_->endResetModel();
        for (int i = 0; i < ColumnCount(); ++i)
            setColumnWidth(i, model_->columns[i].widthTwips / TwipsPerPixel);
    }
}

// A double-click anywhere in the grid, on a row or below the last one.
void Grid::mouseDoubleClickEvent(QMouseEvent* event)
{
    QTableView::mouseDoubleClickEvent(event);
    emit DblClick();
}

void Grid::NotifyRowsAdded()
{
    updateGeometries();
}
