#include "params/ParamTable.h"

#include "params/ParamNames.h"

namespace {
constexpr int NameColumn = 0;
constexpr int ValueColumn = 1;
} // namespace

ParamTable::ParamTable(QObject *parent) : QAbstractTableModel(parent)
{
    for (int row = 0; row < ParamCount; ++row)
        values_.append(QString());
}

QString ParamTable::Value(int row) const
{
    Q_ASSERT(row >= 1 && row <= ParamCount);
    return row >= 1 && row <= ParamCount ? values_[row - 1] : QString();
}

void ParamTable::SetValue(int row, const QString &value)
{
    Q_ASSERT(row >= 1 && row <= ParamCount);
    if (row < 1 || row > ParamCount || values_[row - 1] == value)
        return;
    values_[row - 1] = value;
    const QModelIndex cell = index(row - 1, ValueColumn);
    emit dataChanged(cell, cell);
}

int ParamTable::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ParamCount;
}

int ParamTable::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : 2;
}

QVariant ParamTable::data(const QModelIndex &index, int role) const
{
    if (!index.isValid())
        return {};
    const QString name = ParamName(index.row() + 1);
    const QString value = values_[index.row()];
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole: return index.column() == NameColumn ? name : value;
    // A value cell is read out with the switch it belongs to, and an empty one by the switch alone.
    case Qt::AccessibleTextRole:
        return index.column() == NameColumn || value.isEmpty() ? name : name + QStringLiteral(", ") + value;
    default: return {};
    }
}

bool ParamTable::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (!index.isValid() || index.column() != ValueColumn || role != Qt::EditRole)
        return false;
    SetValue(index.row() + 1, value.toString());
    return true;
}

// The rows show no heading of their own; a screen reader tells each by its switch.
QVariant ParamTable::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Vertical)
        return role == Qt::AccessibleTextRole && section >= 0 && section < ParamCount ? ParamName(section + 1) : QVariant();
    if (role != Qt::DisplayRole)
        return {};
    return section == NameColumn ? QStringLiteral(" Parameter") : QStringLiteral(" Value");
}

Qt::ItemFlags ParamTable::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    const Qt::ItemFlags cell = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    return index.column() == ValueColumn ? cell | Qt::ItemIsEditable : cell;
}
