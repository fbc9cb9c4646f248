#pragma once

#include <QString>
#include <QStringList>

// Writes lines to path, each ending with CR LF, in the system's encoding (UTF-8), the bytes of a name
// that is not UTF-8 as they are (see PathFromNative), replacing the file whole and at once: the old
// file stays until the new one is complete. Throws Failure "Cannot create file <path>" when the file
// cannot be written.
void SaveLinesToFile(const QString &path, const QStringList &lines);
