#include "platform/gui/StringGrid.h"

#include <QHeaderView>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyledItemDelegate>

namespace {

constexpr int FixedColumn = 0;
constexpr int RowHeight = 18;

// Paints the fixed cells in the colour of buttons and never as selected. An editor gets only the part
// of its cell that the grid shows beside the fixed column, so that a long value scrolls inside the
// editor instead of running out of sight.
class CellDelegate : public QStyledItemDelegate {
public:
    explicit CellDelegate(const TStringGrid *grid, QObject *parent) : QStyledItemDelegate(parent), grid_(grid) {}

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        if (index.column() != FixedColumn) {
            QStyledItemDelegate::paint(painter, option, index);
            return;
        }
        painter->fillRect(option.rect, option.palette.button());
        QStyleOptionViewItem fixed = option;
        fixed.state &= ~QStyle::State_Selected;
        QStyledItemDelegate::paint(painter, fixed, index);
    }

    void updateEditorGeometry(QWidget *editor, const QStyleOptionViewItem &option,
                              const QModelIndex &index) const override
    {
        QStyledItemDelegate::updateEditorGeometry(editor, option, index);
        const QRect shown(QPoint(grid_->FixedWidth(), editor->y()),
                          QPoint(grid_->viewport()->width() - 1, editor->geometry().bottom()));
        editor->setGeometry(editor->geometry() & shown);
    }

private:
    const TStringGrid *grid_;
};

// What the grid and its fixed column share: rows of one height, a header row of left-aligned captions
// whose clicks select nothing, no grid lines.
void shapeLikeAGrid(QTableView *view)
{
    view->setShowGrid(false);
    view->verticalHeader()->hide();
    view->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    view->verticalHeader()->setDefaultSectionSize(RowHeight);
    QHeaderView *header = view->horizontalHeader();
    header->setSectionResizeMode(QHeaderView::Interactive);
    header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    header->setStretchLastSection(false);
    header->setHighlightSections(false);
    header->setSectionsClickable(false);
}

} // namespace

TStringGrid::TStringGrid(QWidget *parent) : QTableView(parent), fixedColumn_(new QTableView(this))
{
    shapeLikeAGrid(this);
    setItemDelegate(new CellDelegate(this, this));
    setTabKeyNavigation(true);
    setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                    QAbstractItemView::AnyKeyPressed);
    setSelectionMode(QAbstractItemView::ContiguousSelection);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);

    // The fixed column is a second view of the same model laid over the grid's first column: it
    // scrolls up and down with the grid, never sideways.
    fixedColumn_->setObjectName(QStringLiteral("FixedColumn"));
    shapeLikeAGrid(fixedColumn_);
    fixedColumn_->setItemDelegate(new CellDelegate(this, fixedColumn_));
    fixedColumn_->setFocusPolicy(Qt::NoFocus);
    fixedColumn_->setFrameShape(QFrame::NoFrame);
    fixedColumn_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    fixedColumn_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    fixedColumn_->setSelectionMode(QAbstractItemView::NoSelection);
    fixedColumn_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    fixedColumn_->viewport()->installEventFilter(this);
    connect(verticalScrollBar(), &QScrollBar::valueChanged, fixedColumn_->verticalScrollBar(), &QScrollBar::setValue);
    connect(fixedColumn_->verticalScrollBar(), &QScrollBar::valueChanged, verticalScrollBar(), &QScrollBar::setValue);
    connect(horizontalHeader(), &QHeaderView::sectionResized, this, [this](int column, int, int width) {
        if (column == FixedColumn)
            fixedColumn_->setColumnWidth(FixedColumn, width);
        placeFixedColumn();
    });
    connect(fixedColumn_->horizontalHeader(), &QHeaderView::sectionResized, this, [this](int column, int, int width) {
        if (column == FixedColumn)
            setColumnWidth(FixedColumn, width);
    });
}

QString TStringGrid::ColWidths() const
{
    QStringList widths;
    for (int width : colWidths_)
        widths.append(QString::number(width));
    return widths.join(u',');
}

void TStringGrid::setColWidths(const QString &widths)
{
    colWidths_.clear();
    for (const QString &width : widths.split(u',', Qt::SkipEmptyParts))
        colWidths_.append(width.trimmed().toInt());
    applyColWidths();
}

void TStringGrid::setModel(QAbstractItemModel *model)
{
    QTableView::setModel(model);
    fixedColumn_->setModel(model);
    for (int column = 0; model && column < model->columnCount(); ++column)
        fixedColumn_->setColumnHidden(column, column != FixedColumn);
    applyColWidths();
}

void TStringGrid::applyColWidths()
{
    for (int column = 0; column < colWidths_.size(); ++column)
        setColumnWidth(column, colWidths_[column]);
    fixedColumn_->setColumnWidth(FixedColumn, columnWidth(FixedColumn));
}

int TStringGrid::FixedWidth() const
{
    return qMin(columnWidth(FixedColumn), viewport()->width());
}

void TStringGrid::updateGeometries()
{
    QTableView::updateGeometries();
    placeFixedColumn();
}

void TStringGrid::placeFixedColumn()
{
    fixedColumn_->horizontalHeader()->setFixedHeight(horizontalHeader()->height());
    fixedColumn_->setGeometry(frameWidth(), frameWidth(), FixedWidth(),
                              horizontalHeader()->height() + viewport()->height());
    fixedColumn_->verticalScrollBar()->setValue(verticalScrollBar()->value());
    fixedColumn_->raise();
}

// Rows scroll into view as usual. Sideways the grid moves only as far as it must to bring the cell's
// beginning out from under the fixed column, or its end into view while its beginning stays in view:
// a cell wider than the view shows from its beginning.
void TStringGrid::scrollTo(const QModelIndex &index, ScrollHint hint)
{
    QScrollBar *sideways = horizontalScrollBar();
    const int offset = sideways->value();
    QTableView::scrollTo(index, hint);
    sideways->setValue(offset);
    if (!index.isValid() || index.column() == FixedColumn)
        return;
    const QRect cell = visualRect(index);
    const int underFixed = FixedWidth() - cell.left();
    const int beyondView = cell.right() + 1 - viewport()->width();
    if (underFixed > 0)
        sideways->setValue(offset - underFixed);
    else if (beyondView > 0)
        sideways->setValue(offset + qMin(beyondView, -underFixed));
}

QModelIndex TStringGrid::moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers)
{
    if (action == MoveNext || action == MovePrevious)
        return nextEditableCell(action == MoveNext);
    const QModelIndex moved = QTableView::moveCursor(action, modifiers);
    if (moved.column() != FixedColumn || !model() || model()->columnCount(rootIndex()) <= FixedColumn + 1)
        return moved;
    return moved.siblingAtColumn(FixedColumn + 1);
}

// The editable cell after (or before) the current one in reading order; none past the last (or the
// first), so that Tab then moves the focus on out of the grid.
QModelIndex TStringGrid::nextEditableCell(bool forward) const
{
    if (!model())
        return {};
    const int columns = model()->columnCount(rootIndex());
    const int cells = model()->rowCount(rootIndex()) * columns;
    const QModelIndex current = currentIndex();
    const int step = forward ? 1 : -1;
    int cell = current.isValid() ? current.row() * columns + current.column() : (forward ? -1 : cells);
    for (cell += step; cell >= 0 && cell < cells; cell += step) {
        const QModelIndex index = model()->index(cell / columns, cell % columns, rootIndex());
        if ((index.flags() & Qt::ItemIsEditable) && !isIndexHidden(index))
            return index;
    }
    return {};
}

// Tab in the editor of the last editable cell closes it and moves on, as Tab on that cell does.
void TStringGrid::closeEditor(QWidget *editor, QAbstractItemDelegate::EndEditHint hint)
{
    const bool onward = hint == QAbstractItemDelegate::EditNextItem || hint == QAbstractItemDelegate::EditPreviousItem;
    const bool leave = onward && !nextEditableCell(hint == QAbstractItemDelegate::EditNextItem).isValid();
    QTableView::closeEditor(editor, hint);
    if (leave)
        focusNextPrevChild(hint == QAbstractItemDelegate::EditNextItem);
}

// The fixed cells take no clicks: nothing in them can be chosen or edited.
bool TStringGrid::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == fixedColumn_->viewport() && dynamic_cast<QMouseEvent *>(event))
        return true;
    return QTableView::eventFilter(watched, event);
}
