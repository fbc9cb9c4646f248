#include "encoder/OutputChecks.h"

#include "encoder/check/Comparison.h"
#include "encoder/check/Damage.h"
#include "encoder/check/ReadBack.h"
#include "encoder/common/StopSignals.h"
#include "encoder/folder/FolderFiles.h"
#include "encoder/plan/MadeFrom.h"
#include "encoder/probe/SourceProbe.h"
#include "encoder/write/PendingOutput.h"
#include "platform/Failure.h"
#include "platform/NativeFiles.h"

#include <QFileInfo>
#include <filesystem>

namespace {

// How the file under name differs from the plan where an earlier run wrote it from the same source
// with the same settings; nothing where it holds anything else. Tells why where it is damaged.
std::optional<QStringList> earlierDifferences(const EncodePlan &plan, const QString &name, QStringList &damaged)
{
    if (KindOf(name) != FileKind::Regular)
        return std::nullopt;
    try {
        const std::optional<QStringList> differences = DifferencesOfEarlier(plan, ReadBack(name));
        if (!differences)
            return std::nullopt;
        if (const std::optional<QString> damage = DamageIn(name)) {
            damaged += QStringLiteral("%1 was written earlier from the same source with the same settings, but %2. It is encoded "
                                      "again.").arg(QFileInfo(name).fileName(), *damage);
            return std::nullopt;
        }
        return differences;
    } catch (const Stopped &) {
        throw;
    } catch (const Failure &) {
        return std::nullopt;
    }
}

bool sameFile(const QString &one, const QString &other)
{
    const std::optional<FileIdentity> identity = IdentityOf(one);
    return identity && identity == IdentityOf(other);
}

// For a source folder the output is a folder; a name that does not exist yet and ends like a Windows
// Media file was meant for a file source, and would otherwise become a folder of that name.
void checkFolderOutput(const Settings &settings)
{
    const QString &output = settings.output;
    const FileKind kind = KindOf(output);
    if (kind == FileKind::Regular || kind == FileKind::Special)
        throw Failure(QStringLiteral("-output \"%1\" is a file; for a source folder, name the output folder.").arg(output));
    if (kind == FileKind::Missing && HasAsfExtension(output))
        throw Failure(QStringLiteral("-output \"%1\" names a file, but -input \"%2\" is a folder, whose files are encoded "
                                     "into an output folder; name a folder for -output.").arg(output, settings.input));
}

} // namespace

bool HasAsfExtension(const QString &name)
{
    const QString extension = QFileInfo(name).suffix();
    for (const char *asf : {"wmv", "wma", "asf"})
        if (extension.compare(QLatin1String(asf), Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

void RefuseSpecialOutput(const QString &output)
{
    if (const QString kind = SpecialFileKind(output); !kind.isEmpty())
        throw Failure(QStringLiteral("-output \"%1\" is %2; name a file to write.").arg(output, kind));
}

void CheckOutputFolder(const QString &path)
{
    const QString folder = QFileInfo(path).path();
    const FileKind kind = KindOf(folder);
    if (kind == FileKind::Missing)
        throw Failure(QStringLiteral("Cannot write %1: the folder %2 does not exist.").arg(path, folder));
    if (kind != FileKind::Folder)
        throw Failure(QStringLiteral("Cannot write %1: %2 is a file, not a folder.").arg(path, folder));
}

void CheckFileOutput(const Settings &settings)
{
    const QString &output = settings.output;
    if (sameFile(settings.input, output))
        throw Failure(QStringLiteral("-output \"%1\" is the source itself; name another file.").arg(output));
    // A name ending in a separator is a folder whether or not it exists yet: the window proposes one
    // when the source box names a folder on the way to the file typed into it.
    if (KindOf(output) == FileKind::Folder || output.endsWith(u'/'))
        throw Failure(QStringLiteral("-output \"%1\" is a folder; for a source file, name the output file.").arg(output));
    RefuseSpecialOutput(output);
    CheckOutputFolder(output);
}

// The file is ASF whatever its name. A name that says otherwise is kept, as the user chose it, but
// players that go by the name may take the file for what it is not.
std::optional<QString> ContainerNameNote(const QString &output)
{
    if (HasAsfExtension(output))
        return std::nullopt;
    const QString extension = QFileInfo(output).suffix();
    const QString named = extension.isEmpty() ? QStringLiteral("has no extension") : QStringLiteral("ends in .%1").arg(extension);
    return QStringLiteral("-output \"%1\" %2, but the file is an ASF (Windows Media) file whatever its name; players "
                          "that go by the name may refuse it, where .wmv or .wma would not.").arg(output, named);
}

void PrepareFolderOutput(const Settings &settings)
{
    checkFolderOutput(settings);
    const QString &folder = settings.output;
    std::error_code error;
    std::filesystem::create_directories(NativePath(folder).toStdString(), error);
    if (error || KindOf(folder) != FileKind::Folder)
        throw Failure(QStringLiteral("-output \"%1\": the folder cannot be created: %2.")
                          .arg(folder, QString::fromStdString(error.message())));
}

bool IsOutputOf(const QString &file, const QString &source)
{
    try {
        const InputHandle input = OpenMediaFile(file);
        const AVDictionaryEntry *tag = av_dict_get(input->metadata, MadeFromTag, nullptr, 0);
        return tag && MadeFromSource(ReadRecord(QString::fromUtf8(tag->value)).madeFrom, FileFactsOf(source));
    } catch (const Stopped &) {
        throw;
    } catch (const Failure &) {
        return false;
    }
}

EarlierOutput FindEarlierOutput(const EncodePlan &plan, const QString &output, const QSet<QString> &reserved)
{
    EarlierOutput earlier;
    for (int number = 0;; ++number) {
        const QString name = number == 0 ? output : BesideName(output, DiffersMarker, number);
        if (number > 0 && reserved.contains(name))
            continue;
        // The name the run would write under: no earlier output lies beyond it.
        if (KindOf(name) == FileKind::Missing)
            return earlier;
        const std::optional<QStringList> differences = earlierDifferences(plan, name, earlier.damaged);
        // A differing output took the output's own name where it was free; one beside it that is as
        // asked was not named by such a run.
        if (differences && (number == 0 || !differences->isEmpty())) {
            earlier.path = name;
            earlier.differs = !differences->isEmpty();
            return earlier;
        }
    }
}

