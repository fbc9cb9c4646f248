#pragma once

#include <QTableView>

// A string grid on a table model: a fixed header row, and a fixed first column that stays in view
// however far the grid scrolls sideways; rows 18 pixels high, no grid lines drawn, the other cells
// edited in place. Tab and Shift+Tab go from one editable cell to the next, and on out of the grid after
// the last; the current cell is never a fixed one. The user resizes columns by dragging; a click on
// the header selects nothing. ColWidths gives the column widths, separated by commas.
class TStringGrid : public QTableView {
    Q_OBJECT
    Q_PROPERTY(QString ColWidths READ ColWidths WRITE setColWidths)
public:
    explicit TStringGrid(QWidget *parent = nullptr);

    QString ColWidths() const;
    void setColWidths(const QString &widths);
    void setModel(QAbstractItemModel *model) override;
    void scrollTo(const QModelIndex &index, ScrollHint hint = EnsureVisible) override;

    // How much of the viewport, from its left edge, the fixed column covers.
    int FixedWidth() const;

protected:
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;
    void updateGeometries() override;
    void closeEditor(QWidget *editor, QAbstractItemDelegate::EndEditHint hint) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QModelIndex nextEditableCell(bool forward) const;
    void applyColWidths();
    void placeFixedColumn();

    QTableView *fixedColumn_;
    QList<int> colWidths_;
};
