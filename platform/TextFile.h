#pragma once

#include <QString>
#include <QStringList>

// Writes lines to path, each ending with CR LF, in the locale's encoding, replacing the file whole
// and at once: the old file stays until the new one is complete. Throws Failure
// "Cannot create file <path>" when the file cannot be written.
void SaveLinesToFile(const QString &path, const QStringList &lines);
