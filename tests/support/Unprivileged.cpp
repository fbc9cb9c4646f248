#include "Unprivileged.h"

#include <QCoreApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

namespace {

constexpr uid_t Nobody = 65534;

} // namespace

std::optional<int> RerunUnprivileged()
{
    if (geteuid() != 0)
        return std::nullopt;
    QString testCase = QString::fromLatin1(QTest::currentTestFunction());
    if (QTest::currentDataTag())
        testCase += u':' + QString::fromLocal8Bit(QTest::currentDataTag());

    QTemporaryDir home;
    if (!home.isValid() || ::chown(QFile::encodeName(home.path()).constData(), Nobody, Nobody) != 0)
        return -1;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("HOME"), home.path());
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), home.path());
    QProcess child;
    child.setProcessEnvironment(environment);
    child.setProcessChannelMode(QProcess::ForwardedChannels);
    const QString id = QString::number(Nobody);
    child.start(QStringLiteral("setpriv"), {QStringLiteral("--reuid=") + id, QStringLiteral("--regid=") + id,
                                            QStringLiteral("--clear-groups"), QStringLiteral("--"),
                                            QCoreApplication::applicationFilePath(), testCase});
    if (!child.waitForFinished(-1) || child.exitStatus() != QProcess::NormalExit)
        return -1;
    return child.exitCode();
}
