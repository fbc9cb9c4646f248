#include "source/gui/MediaModule.h"

#include "platform/Failure.h"

#include <QFileInfo>
#include <QLibrary>

namespace {

Failure cannotOpenMedia(const QString &why)
{
    return Failure(QStringLiteral("The preview cannot open media: %1. Reinstall Quillmark").arg(why));
}

} // namespace

// The module stays loaded for the rest of the run: the engines it made, and the windows holding their
// pictures, run its code until the program ends.
std::unique_ptr<MediaBackend> MakeModuleMediaBackend(const QString &folder)
{
    const QString path = folder + u'/' + QLatin1String(MediaModuleFileName);
    // Looked for first: a library that is not found is also looked for under other names.
    if (!QFileInfo::exists(path))
        throw cannotOpenMedia(QStringLiteral("its engine %1 is missing").arg(path));
    QLibrary module(path);
    if (!module.load())
        throw cannotOpenMedia(QStringLiteral("its engine could not be loaded (%1)").arg(module.errorString()));
    auto *make = reinterpret_cast<MakeMediaBackendEntry *>(module.resolve(MediaModuleEntry));
    if (!make)
        throw cannotOpenMedia(QStringLiteral("%1 holds no media engine").arg(path));
    return std::unique_ptr<MediaBackend>(make());
}
