#include "batchrun/Variables.h"

#include "batchrun/BatchText.h"

Variables Variables::FromEnvironment(const QStringList &entries)
{
    Variables variables;
    for (const QString &entry : entries) {
        const qsizetype equals = entry.indexOf(u'=', 1);
        if (equals > 0 && !variables.Value(entry.left(equals)))
            variables.Set(entry.left(equals), entry.mid(equals + 1));
    }
    return variables;
}

qsizetype Variables::indexOf(const QString &name) const
{
    for (qsizetype i = 0; i < entries_.size(); ++i)
        if (entries_[i].first.compare(name, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

std::optional<QString> Variables::Value(const QString &name) const
{
    const qsizetype index = indexOf(name);
    return index < 0 ? std::nullopt : std::optional<QString>(entries_[index].second);
}

void Variables::Set(const QString &name, const QString &value)
{
    const qsizetype index = indexOf(name);
    if (index < 0) {
        if (!value.isEmpty())
            entries_.append({name, value});
    } else if (value.isEmpty()) {
        entries_.removeAt(index);
    } else {
        entries_[index].second = value;
    }
}

QStringList Variables::ToEnvironment() const
{
    QStringList environment;
    for (const auto &[name, value] : entries_)
        environment.append(PlainText(name + u'=' + value));
    return environment;
}
