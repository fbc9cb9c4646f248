#pragma once

#include "platform/Failure.h"

// A line in a form the command interpreter runs but batchrun does not: it is reported with its line
// number and the script goes on with the next line.
class NotSupported : public Failure {
public:
    using Failure::Failure;
};

// An error that ends the script, as the command interpreter ends it: a syntax error, a missing label.
class ScriptError : public Failure {
public:
    using Failure::Failure;
};

// The command interpreter's report of a malformed command.
inline ScriptError SyntaxError()
{
    return ScriptError(QStringLiteral("The syntax of the command is incorrect."));
}
