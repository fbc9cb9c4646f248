#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <optional>
#include <utility>

// The script's environment variables. Names match without regard to letter case; a name keeps the
// spelling it was first given.
class Variables {
public:
    // From "NAME=value" entries, as a process's environment lists them.
    static Variables FromEnvironment(const QStringList &entries);

    std::optional<QString> Value(const QString &name) const;

    // Sets the variable; the empty value removes it.
    void Set(const QString &name, const QString &value);

    // "NAME=value" entries for a program the script starts, with plain text.
    QStringList ToEnvironment() const;

private:
    // The entry's index, -1 when there is none.
    qsizetype indexOf(const QString &name) const;

    QList<std::pair<QString, QString>> entries_;
};
