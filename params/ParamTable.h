#pragma once

#include <QAbstractTableModel>
#include <QStringList>

// The parameter table: rows 1 to 23, each a switch name and a value text. An empty value means the
// switch is not passed. Shown and edited in place by the Parameter Builder's grid: column 0 holds the
// switch names (not editable), column 1 the values (edited as typed, without any check).
class ParamTable : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit ParamTable(QObject *parent = nullptr);

    // Row 1 to 23; a row outside that range reads empty and takes no value.
    QString Value(int row) const;
    void SetValue(int row, const QString &value);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

private:
    QStringList values_;
};
