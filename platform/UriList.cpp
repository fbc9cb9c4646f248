#include "platform/UriList.h"

#include "platform/NativeFiles.h"

#include <QSysInfo>
#include <optional>

namespace {

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// The bytes an escaped path stands for: %XY is the byte XY. A "%" without two hex digits after it is
// itself, as a sender that forgot to escape it meant. Nothing else is unescaped: a "#" or "?" in the
// path is part of the name, since a file address has no use for a fragment or a query, and taking it
// for one would name another file than the one dragged.
QByteArray percentDecoded(QByteArrayView text)
{
    QByteArray bytes;
    bytes.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const int high = text[i] == '%' && i + 2 < text.size() ? hexDigit(text[i + 1]) : -1;
        const int low = high < 0 ? -1 : hexDigit(text[i + 2]);
        if (low < 0) {
            bytes += text[i];
            continue;
        }
        bytes += char(high << 4 | low);
        i += 2;
    }
    return bytes;
}

bool isThisMachine(QByteArrayView host)
{
    return host.isEmpty() || host.compare("localhost", Qt::CaseInsensitive) == 0 ||
           host.compare(QSysInfo::machineHostName().toUtf8(), Qt::CaseInsensitive) == 0;
}

// The escaped path of a file address of this machine: file:///path, file://localhost/path,
// file://<this machine's name>/path or file:/path. Nothing for any other address or text.
std::optional<QByteArrayView> localPathPart(QByteArrayView address)
{
    constexpr QByteArrayView scheme("file:");
    if (address.size() < scheme.size() || address.first(scheme.size()).compare(scheme, Qt::CaseInsensitive) != 0)
        return std::nullopt;
    QByteArrayView rest = address.sliced(scheme.size());
    if (rest.startsWith("//")) {
        const qsizetype pathStart = rest.indexOf('/', 2);
        if (pathStart < 0 || !isThisMachine(rest.sliced(2, pathStart - 2)))
            return std::nullopt;
        rest = rest.sliced(pathStart);
    }
    if (!rest.startsWith('/'))
        return std::nullopt;
    return rest;
}

} // namespace

QStringList LocalPathsFromUriList(const QByteArray &uriList)
{
    // Some senders end the list with a NUL byte, as a C string.
    QByteArrayView list(uriList);
    while (list.endsWith('\0'))
        list.chop(1);
    QStringList paths;
    for (const QByteArray &line : list.toByteArray().split('\n')) {
        const QByteArray address = line.trimmed();
        if (address.isEmpty() || address.startsWith('#'))
            continue;
        const std::optional<QByteArrayView> escaped = localPathPart(address);
        if (!escaped)
            return {};
        const QByteArray bytes = percentDecoded(*escaped);
        if (bytes.contains('\0'))
            return {};
        paths.append(PathFromNative(bytes));
    }
    return paths;
}
