#include "app/CommandHelp.h"

#include "platform/ProgramInfo.h"

QString QuillmarkHelp()
{
    return QStringLiteral("Usage: quillmark [OPTION]\n")
        + WrapText(QStringLiteral(
            "Opens Quillmark's window, for encoding media into Windows Media files. Name a source file or folder "
            "and an output, choose a preset or set the video, audio, section and content options, and press "
            "ENCODE: Quillmark writes every setting to tmpconfig.weu and runs launch.bat, which starts the encoding "
            "utility WM8EUTIL.EXE on it in a terminal window. Quillmark keeps no settings from one run to the next "
            "and takes no other arguments."))
        + u'\n'
        + HelpAndVersionItems()
        + QStringLiteral("\nExit status:\n")
        + HelpItem(QStringLiteral("0"),
                   QStringLiteral("the window was closed or File > Exit chosen; also when Quillmark ends at start "
                                  "because WM8EUTIL.EXE cannot be found, after saying so"))
        + QStringLiteral("\nFiles:\n")
        + HelpItem(QStringLiteral("launch.bat"),
                   QStringLiteral("the script that ENCODE runs with batchrun: written from the built-in script at "
                                  "start when it is missing, and run as it stands when it is there"))
        + HelpItem(QStringLiteral("tmpconfig.weu"),
                   QStringLiteral("the settings of the last ENCODE or View Source Info, one switch per line, written "
                                  "anew each time"))
        + WrapText(QStringLiteral(
            "Both lie in the program's own folder when it can be written there (a build, or make install into a "
            "folder of your own); else, as for the package's /usr/lib/quillmark, in $XDG_DATA_HOME/quillmark, by "
            "default ~/.local/share/quillmark. WM8EUTIL.EXE and batchrun are always looked for beside quillmark, "
            "and launch.bat runs in that folder."))
        + QStringLiteral("\nEnvironment:\n")
        + HelpItem(QStringLiteral("TERMINAL"),
                   QStringLiteral("the terminal that shows launch.bat running, with its own options if any; by "
                                  "default x-terminal-emulator, else xterm"))
        + HelpItem(QStringLiteral("ProgramFiles"),
                   QStringLiteral("where else WM8EUTIL.EXE and its help file WMEnUtil.chm are looked for: in "
                                  "$ProgramFiles/Windows Media Components/Tools"))
        + HelpItem(QStringLiteral("XDG_DATA_HOME"), QStringLiteral("the user's data folder (see Files)"))
        + QStringLiteral("\nExamples:\n")
        + HelpItem(QStringLiteral("quillmark"), QStringLiteral("opens the window"))
        + HelpItem(QStringLiteral("TERMINAL=\"xterm -geometry 120x40\" quillmark"),
                   QStringLiteral("shows each encode in a larger xterm"));
}
