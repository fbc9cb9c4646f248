#pragma once

#include "encoder/asked/ConfigReader.h"

#include <QStringList>
#include <vector>

// The switches of the utility's command line, in order, each -config replaced by the switches of
// the file it names (and so on for the files that one names). On the command line a switch's value
// is every argument up to the next switch, joined with single blanks, so that "-time 500 2000"
// reads as it does in a file. A relative -config path is taken from the folder of the file that
// names it. Throws Failure for an unknown switch, a switch without a value, an unreadable file, a
// file that would be read again inside itself, and files nested too deep, too many files or too
// many switches in all.
std::vector<Switch> CollectSwitches(const QStringList &arguments);
