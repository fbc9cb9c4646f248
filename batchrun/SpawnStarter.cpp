#include "batchrun/SpawnStarter.h"

#include "platform/Failure.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <spawn.h>
#include <sys/wait.h>
#include <vector>

namespace {

// A list of texts as the null-terminated array of C strings that exec takes.
class CStrings {
public:
    explicit CStrings(const QStringList &texts)
    {
        for (const QString &text : texts)
            bytes_.push_back(text.toLocal8Bit());
        for (QByteArray &item : bytes_)
            pointers_.push_back(item.data());
        pointers_.push_back(nullptr);
    }
    char *const *data() { return pointers_.data(); }

private:
    std::vector<QByteArray> bytes_;
    std::vector<char *> pointers_;
};

// Ignores the terminal's interrupt and quit signals in this process for its lifetime.
class TerminalSignalsIgnored {
public:
    TerminalSignalsIgnored()
    {
        struct sigaction ignore{};
        ignore.sa_handler = SIG_IGN;
        sigaction(SIGINT, &ignore, &savedInterrupt_);
        sigaction(SIGQUIT, &ignore, &savedQuit_);
    }
    ~TerminalSignalsIgnored()
    {
        sigaction(SIGINT, &savedInterrupt_, nullptr);
        sigaction(SIGQUIT, &savedQuit_, nullptr);
    }
    TerminalSignalsIgnored(const TerminalSignalsIgnored &) = delete;
    TerminalSignalsIgnored &operator=(const TerminalSignalsIgnored &) = delete;

private:
    struct sigaction savedInterrupt_{};
    struct sigaction savedQuit_{};
};

int exitCodeOf(int status)
{
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

} // namespace

int SpawnStarter::Run(const QString &program, const QStringList &arguments, const QString &folder,
                      const QStringList &environment)
{
    CStrings argv(QStringList{program} + arguments);
    CStrings envp(environment);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    const QByteArray folderBytes = folder.toLocal8Bit();
    posix_spawn_file_actions_addchdir_np(&actions, folderBytes.constData());
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t terminalSignals;
    sigemptyset(&terminalSignals);
    sigaddset(&terminalSignals, SIGINT);
    sigaddset(&terminalSignals, SIGQUIT);
    posix_spawnattr_setsigdefault(&attributes, &terminalSignals);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF);

    const TerminalSignalsIgnored ignored;
    pid_t child = 0;
    const int error = posix_spawn(&child, argv.data()[0], &actions, &attributes, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    if (error != 0)
        throw Failure(QString::fromLocal8Bit(std::strerror(error)));

    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    return exitCodeOf(status);
}
