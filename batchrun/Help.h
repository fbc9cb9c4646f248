#pragma once

#include <QString>

// What batchrun --help prints.
QString BatchrunHelp();
