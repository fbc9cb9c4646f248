#pragma once

#include <QString>
#include <QStringList>

// The files directly in a folder, by name; hidden files and subfolders are not among them.
QStringList FilesIn(const QString &folder);

// Where a file of a folder source is written: in the output folder, under the source's name
// without its extension, followed by the appendage and ".wmv" for a file with a picture or ".wma"
// for sound alone.
QString BatchOutputName(const QString &source, const QString &folder, const QString &appendage, bool picture);
