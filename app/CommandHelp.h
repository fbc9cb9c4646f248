#pragma once

#include <QString>

// What quillmark --help prints.
QString QuillmarkHelp();
