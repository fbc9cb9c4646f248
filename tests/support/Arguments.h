#pragma once

#include <QAnyStringView>
#include <QStringList>
#include <initializer_list>

// A command line as a test writes it: switches and fixed values as literals, read as UTF-8, among the
// QString values they frame, so that a list such as {"-input", clip, "-v_mode", "2"} reads as it would
// be typed in a terminal.
QStringList Arguments(std::initializer_list<QAnyStringView> arguments);
