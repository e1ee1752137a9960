#pragma once

#include <QAbstractTableModel>
#include <QByteArray>
#include <QStringList>
#include <QTableView>
#include <deque>
#include <vector>

class Grid;

// The three settings a column carries. The sort type decides how Sort compares the column:
// 0 as text, 1 as numbers, 2 as dates "dd.mm.yyyy".
struct GridColumnSettings {
    int headerAlignment = 0;
    int cellAlignment = 0;
    int sortType = 0;
};

struct GridColumnDefinition {
    QString key;
    QString caption;
    int widthTwips = 1500;
    int alignment = 0; // 0 left, 1 right, 2 centred
    GridColumnSettings settings;
};

// One row's cell texts, also those beyond the defined columns, joined by TAB in one buffer: as
// Latin-1 bytes while every character fits (names, dates and addresses nearly always do), else as
// UTF-16. A list of 100,000 persons stays small and loads with few allocations.
class GridRowText
{
public:
    GridRowText() = default;
    explicit GridRowText(const QString& text) { assign(text); }

    QString Text() const { return wide_.isNull() ? QString::fromLatin1(latin1_) : wide_; }
    // Cell `column` (from 0); empty beyond the last.
    QString Cell(qsizetype column) const;
    bool CellStartsWith(qsizetype column, const QString& prefix, Qt::CaseSensitivity cs) const;
    void SetCell(qsizetype column, const QString& text);

private:
    void assign(const QString& text);
    QByteArray latin1_;
    QString wide_;
};

// The rows of a grid.
class GridModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    using QAbstractTableModel::QAbstractTableModel;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    std::vector<GridColumnDefinition> columns;
    std::deque<GridRowText> rows;

private:
    friend class Grid;
    bool filling_ = false;
};

// One row of a grid, reached by its number; cells by column key or by index from 1.
class GridRow
{
public:
    GridRow(Grid* grid, int row) : grid_(grid), row_(row) {}
    QString GetCell(const QString& key) const;
    QString GetCell(int column) const;
    void SetCell(const QString& key, const QString& text);
    void SetCell(int column, const QString& text);
    int Index() const { return row_; }

private:
    Grid* grid_;
    int row_;
};

// The list grid. Rows and columns are numbered from 1; a row is given and read as its cell
// texts joined by TAB.
class Grid : public QTableView
{
    Q_OBJECT
public:
    explicit Grid(QWidget* parent = nullptr);

    void ApplyDisplaySettings();
    void AddColumn(const QString& key, const QString& caption, int widthTwips, int alignment);
    // Position 1 puts the row first; none (or any other position) puts it last.
    int AddRow(const QString& text, int position = -1);
    GridRow Row(int row) { return GridRow(this, row); }
    int RowCount() const { return static_cast<int>(model_->rows.size()); }
    int ColumnCount() const { return static_cast<int>(model_->columns.size()); }

    int CurrentRow() const;
    void SetCurrentRow(int row);

    QString Cell(int row, int column) const;
    void SetCell(int row, int column, const QString& text);
    int ColumnIndex(const QString& key) const;

    QString RowText(int row) const;
    void RemoveCurrentRow();
    // Replaces every row at once (one model reset); nothing is selected afterwards.
    void ReplaceRows(const QStringList& rowTexts);
    // Removes every row at once (one model reset); nothing is selected afterwards.
    void Clear();

    // The first row from startRow on whose cell in the column matches the pattern ("*" any
    // text, "?" one character; case is ignored); 0 when none.
    int Find(const QString& pattern, int column, int startRow = 1) const;
    // Sorts the rows on the column by its sort type; order 1 ascending, 2 descending.
    void Sort(int column, int order);

    GridColumnSettings& Column(const QString& key);
    GridColumnSettings& Column(int column);

    void Refresh();
    void FillSwitch(bool on);
    void NotifyRowsAdded();

    GridModel* Model() const { return model_; }

signals:
    void DblClick();
    void RowChange(int row);

protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    void setCellQuietly(int row, int column, const QString& text);
    GridModel* model_;
};
