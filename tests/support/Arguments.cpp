#include "Arguments.h"

QStringList Arguments(std::initializer_list<QAnyStringView> arguments)
{
    QStringList list;
    list.reserve(qsizetype(arguments.size()));
    for (const QAnyStringView argument : arguments)
        list.append(argument.toString());
    return list;
}
