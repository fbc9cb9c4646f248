#include "batchrun/Help.h"

#include "platform/ProgramInfo.h"

QString BatchrunHelp()
{
    return QStringLiteral("Usage: batchrun FILE [ARGUMENT]...\n"
                          "  or:  batchrun OPTION\n")
        + WrapText(QStringLiteral(
            "Runs the batch file FILE as the Windows command interpreter would, with each ARGUMENT as one batch "
            "argument (%1 to %9), taken as it stands with any quotes it has. Quillmark starts it in a terminal "
            "window to run its launch.bat."))
        + u'\n'
        + WrapText(QStringLiteral(
            "It runs @ and ECHO ON or OFF, ECHO and ECHO., SET, IF [/I] [NOT] EXIST, DEFINED, ERRORLEVEL and A==B, "
            "GOTO and :labels, PAUSE, REM, EXIT, %0 to %9, %* and %~1, %NAME% and %%, and programs with their "
            "arguments; another batch file named as a command takes the script's place. A line it cannot run is "
            "reported with its line number on the error stream. \\ and / both separate folders, file names match "
            "without regard to letter case, and a command named without extension is found as .COM, .EXE, .BAT or "
            ".CMD, in that order. PAUSE waits for a key only when a terminal is there to press one."))
        + u'\n'
        + HelpAndVersionItems()
        + QStringLiteral("\nExit status:\n")
        + HelpItem(QStringLiteral("0"), QStringLiteral("the script ended and nothing set another code"))
        + HelpItem(QStringLiteral("1"), QStringLiteral("FILE cannot be found or read, or an error ended the script"))
        + HelpItem(QStringLiteral("2"), QStringLiteral("no FILE was given"))
        + HelpItem(QStringLiteral("255"),
                   QStringLiteral("the last command named no program that could be started (9009 in the Windows "
                                  "command interpreter)"))
        + WrapText(QStringLiteral(
            "Otherwise the code of the last program the script ran, or the one EXIT gave; codes past 255 end as "
            "255."))
        + QStringLiteral("\nFiles:\n")
        + HelpItem(QStringLiteral("FILE"), QStringLiteral("the batch file, read whole before its first line runs; "
                                                          "batchrun itself writes no file, the programs it runs may"))
        + QStringLiteral("\nEnvironment:\n")
        + HelpItem(QStringLiteral("PATH"), QStringLiteral("where a command named without a folder is looked for, after "
                                                          "the current folder; folders separated by \":\""))
        + HelpItem(QStringLiteral("PATHEXT"),
                   QStringLiteral("not consulted: the extensions tried are always .COM, .EXE, .BAT and .CMD"))
        + HelpItem(QStringLiteral("ProgramFiles"),
                   QStringLiteral("launch.bat looks for WM8EUTIL.EXE under $ProgramFiles/Windows Media Components/"
                                  "Tools when it is not in the current folder"))
        + WrapText(QStringLiteral("Every variable of the environment is the script's %NAME%; SET changes it for the "
                                  "script and the programs it runs."))
        + QStringLiteral("\nExamples:\n")
        + HelpItem(QStringLiteral("batchrun launch.bat \"$HOME/.local/share/quillmark/tmpconfig.weu\""),
                   QStringLiteral("runs Quillmark's launch script on its configuration file, as ENCODE does"))
        + HelpItem(QStringLiteral("batchrun build.cmd release"),
                   QStringLiteral("runs build.cmd with %1 set to release"));
}
