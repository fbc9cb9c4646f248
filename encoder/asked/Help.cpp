#include "encoder/asked/Help.h"

#include "encoder/asked/ExitCodes.h"
#include "encoder/asked/Jobs.h"
#include "encoder/asked/Settings.h"
#include "params/ParamNames.h"
#include "platform/ProgramInfo.h"

#include <array>

namespace {

// A switch as the help shows it: the name of its value and what it asks for. The values it takes
// come from the checks themselves (AllowedValues).
struct SwitchHelp {
    const char *value;
    const char *purpose;
};

constexpr std::array<SwitchHelp, ParamCount> SwitchHelps = {{
    {"SOURCE", "the sound or video file to encode, or a folder: each sound or video file directly in it is encoded"},
    {"OUTPUT", "the file to write (.wmv with a picture, .wma for sound alone), or for a source folder the folder to "
               "write into; without -output the source is only reported on"},
    {"SETTING", "the sound of the output"},
    {"CODEC", "the picture codec"},
    {"PIXELS", "the width of the output picture"},
    {"PIXELS", "the height of the output picture"},
    {"MODE", "how the picture's bit rate is controlled"},
    {"FPS", "the frame rate of the output"},
    {"SECONDS", "the longest time between two key frames"},
    {"BITS", "the picture's bit rate"},
    {"QUALITY", "the picture quality: in the CBR modes 0 is the smoothest motion and 100 the crispest pictures; "
                "in mode 2 the quality of the whole output"},
    {"MS", "the decoder's buffer"},
    {"METHOD", "how interlaced or telecined pictures become whole frames"},
    {"LEFT TOP RIGHT BOTTOM", "the part of the picture to keep"},
    {"START END", "the section of the source to encode"},
    {"TEXT", "for a source folder, the text added to each output's name before its extension"},
    {"PROFILE", "a preset that sets the picture and the sound; the switches given beside it change what it set"},
    {"FILE", "a configuration file whose switches are read in its place"},
    {"TEXT", "the title in the output's content description"},
    {"TEXT", "the author in the content description"},
    {"TEXT", "the copyright notice in the content description"},
    {"TEXT", "the description in the content description"},
    {"TEXT", "the rating in the content description"},
}};

QString switchList()
{
    QString text;
    for (int row = 1; row <= ParamCount; ++row) {
        const SwitchHelp &help = SwitchHelps[size_t(row - 1)];
        text += HelpItem(ParamName(row) + u' ' + QLatin1String(help.value),
                         QLatin1String(help.purpose) + QStringLiteral("; ") + AllowedValues(row) + u'.');
    }
    return text;
}

// The usage, with the second form's line led by lead: blanks, or "  or:  " as in GNU programs' help.
QString usage(const char *lead)
{
    QStringList names;
    for (int row = 1; row <= ParamCount; ++row)
        names += ParamName(row);
    return QStringLiteral("Usage: WM8EUTIL.EXE -config FILE\n") + QLatin1String(lead)
        + QStringLiteral("WM8EUTIL.EXE -input SOURCE [-output OUTPUT] [SWITCH VALUE ...]\n"
                         "Encodes a sound or video file, or every such file in a folder, into Windows Media files.\n"
                         "Without -output it reports on the source and encodes nothing.\n"
                         "The switches are ")
        + names.join(QStringLiteral(", ")) + QStringLiteral(".\n");
}

// The exit codes and the files the utility writes.
QString exitAndFilesHelp()
{
    return QStringLiteral("\nExit status:\n")
        + HelpItem(QString::number(ExitDone), QStringLiteral("done"))
        + HelpItem(QString::number(ExitRefused),
                   QStringLiteral("a switch, a value, the source or the output was refused before any encoding"))
        + HelpItem(QString::number(ExitUsage), QStringLiteral("no arguments"))
        + HelpItem(QString::number(ExitFailed),
                   QStringLiteral("an encode failed or was stopped (for a source folder: at least one file, or one left "
                                  "alone because its output would have written over a file of the source folder)"))
        + HelpItem(QString::number(ExitDiffers), QStringLiteral("an output was written but differs from what was asked"))
        + QStringLiteral("\nFiles:\n")
        + HelpItem(QStringLiteral("OUTPUT"), QStringLiteral("the output file, or each file in the output folder"))
        + HelpItem(QStringLiteral(".NAME.XXXXXXXX.part"),
                   QStringLiteral("an output while it is written, beside it; it takes the output's name only when "
                                  "whole and as asked, and is removed when the encode fails or is stopped; one left "
                                  "behind by a run that was killed is removed by the next run writing that output"))
        + HelpItem(QStringLiteral("NAME.differs.EXT"),
                   QStringLiteral("an output that differs from what was asked, kept beside an older file of the "
                                  "output's name, which it does not replace"));
}

// The environment the utility reads, and examples.
QString environmentAndExamplesHelp()
{
    return QStringLiteral("\nEnvironment:\n")
        + HelpItem(QLatin1String(JobsVariable),
                   QStringLiteral("how many files of a source folder are encoded at once, from 1 to %1; by default one "
                                  "per core. Each file's lines are shown together once it is done, and the results are "
                                  "those of the files encoded one after another; 1 encodes them one after another, "
                                  "showing each file's lines as they come. A single file's picture, from ten seconds "
                                  "long, is cut into pieces, each beginning with a key frame and with a rate control of "
                                  "its own, and that many are encoded at once; 1 encodes it in one piece").arg(MostJobs))
        + HelpItem(QStringLiteral("ProgramFiles"),
                   QStringLiteral("not read by WM8EUTIL.EXE itself: Quillmark and its launch.bat look for the utility "
                                  "beside quillmark, else in $ProgramFiles/Windows Media Components/Tools"))
        + QStringLiteral("\nExamples:\n")
        + HelpItem(QStringLiteral("WM8EUTIL.EXE -input clip.avi"), QStringLiteral("reports on clip.avi and encodes nothing"))
        + HelpItem(QStringLiteral("WM8EUTIL.EXE -input clip.avi -output clip.wmv -profile av350 -time 500 2000"),
                   QStringLiteral("encodes half a second to two seconds of clip.avi with the preset av350"))
        + HelpItem(QStringLiteral("WM8EUTIL.EXE -input ~/Music -output ~/wma -a_setting 64_44_2"),
                   QStringLiteral("encodes every sound or video file of ~/Music into ~/wma"))
        + HelpItem(QStringLiteral("WM8EUTIL.EXE -config ~/.local/share/quillmark/tmpconfig.weu"),
                   QStringLiteral("encodes what Quillmark asked for last"));
}

} // namespace

QString UsageText()
{
    return usage("       ");
}

QString UtilityHelp()
{
    return usage("  or:  ") + u'\n'
        + WrapText(QStringLiteral(
            "Each output is read back once written and compared with what was asked. A switch given twice counts "
            "once, the later one. A value of several words runs up to the next switch; double quotes around a value "
            "are removed."))
        + QStringLiteral("\nSwitches:\n") + switchList()
        + HelpItem(QStringLiteral("--list-jobs"),
                   QStringLiteral("with a source folder and an output folder: print, one line each, a command that "
                                  "encodes one file of the folder alone, as the folder run would, for every file it has "
                                  "yet to encode, for a scheduler such as GNU parallel or Slurm to run; the rest of what "
                                  "the utility shows goes to the error stream"))
        + HelpItem(QStringLiteral("--job NAME"),
                   QStringLiteral("given first, as in the lines --list-jobs prints: the folder run for the file NAME of the "
                                  "source folder alone, encoded as the folder run encodes it; in NAME and the arguments "
                                  "after it a backslash and three octal digits stand for a byte (\\012 a line break)"))
        + HelpAndVersionItems()
        + u'\n'
        + WrapText(QStringLiteral(
            "A configuration file holds one switch per line: the switch, one blank and the value, as Quillmark "
            "writes tmpconfig.weu; lines may end in CR LF or LF.\n\n"
            "A folder run leaves alone an output that an earlier run wrote as asked from the same source (of the "
            "same size, changed at the same time, with the same first and last megabyte) with the same switches, as "
            "each output records in its header, and that still holds what its header promises; so too its own "
            "earlier output that differs from what was asked, counted as differing. Delete the outputs to encode "
            "them afresh."))
        + exitAndFilesHelp() + environmentAndExamplesHelp();
}
