#pragma once

#include <QByteArray>
#include <QStringList>

// The local files and folders a text/uri-list names, as a file manager sends it when files are dragged:
// one address a line, each a file: address of this machine, its percent escapes standing for the bytes
// of the name, which are kept as PathFromNative keeps them. The paths come in the list's order. Empty
// when the list names nothing, or anything but local files and folders: a web address, a file on
// another machine, plain text.
QStringList LocalPathsFromUriList(const QByteArray &uriList);
