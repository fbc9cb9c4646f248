#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

// The value of a variable by name, or nothing when it is not defined.
using VariableLookup = std::function<std::optional<QString>(const QString &name)>;

// Expands the percent signs of a script line in one pass from left to right, as the command
// interpreter does when it reads the line: "%%" gives "%", "%0" to "%9" the arguments (arguments[0]
// is the script as it was named) and "%*" all arguments from the first, each with its quotes; "%~1"
// an argument without its outer quotes; "%NAME%" the variable's value, nothing when it is undefined;
// a "%" without a closing one is dropped. Nothing that an expansion inserts is expanded again, and "!"
// is an ordinary character. Throws NotSupported for the other "%~" modifiers and for "%NAME:...%".
QString ExpandPercents(const QString &line, const QStringList &arguments, const VariableLookup &variable);
