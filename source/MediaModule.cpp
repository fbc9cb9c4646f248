#include "source/MediaModule.h"

#include "platform/Failure.h"

#include <QLibrary>

namespace {

Failure engineMissing(const QString &reason)
{
    return Failure(QStringLiteral("The preview cannot open media: its engine could not be loaded (%1). "
                                  "Reinstall Quillmark")
                       .arg(reason));
}

} // namespace

// The module stays loaded for the rest of the run: the engines it made, and the windows holding their
// pictures, run its code until the program ends.
std::unique_ptr<MediaBackend> MakeModuleMediaBackend(const QString &folder)
{
    QLibrary module(folder + u'/' + QLatin1String(MediaModuleFileName));
    if (!module.load())
        throw engineMissing(module.errorString());
    auto *make = reinterpret_cast<MakeMediaBackendEntry *>(module.resolve(MediaModuleEntry));
    if (!make)
        throw engineMissing(module.errorString());
    return std::unique_ptr<MediaBackend>(make());
}
