#include "app/gui/Forms.h"
#include "app/gui/Unit1.h"
#include "params/ParamTable.h"
#include "params/Placeholders.h"
#include "params/gui/Unit3.h"
#include "platform/Failure.h"
#include "platform/PathHelpers.h"
#include "platform/gui/Application.h"
#include "platform/gui/Dialogs.h"
#include "platform/gui/FileDrops.h"
#include "platform/gui/Services.h"
#include "source/ProposedOutput.h"
#include "source/gui/MediaPlayer.h"
#include "source/gui/Unit4.h"
#include "ui_Unit1.h"

#include <QDir>

namespace {

const char *const InvalidSourceText =
    "The source file you specified may not be supported.\r\r"
    "The Microsoft Windows Media 8 Encoder Utility only supports the following media types:\r"
    "  .avi\r  .wav (16-bit only)\r  .asf (only version 1, uncompressed)\r  .wma (only uncompressed)\r"
    "  .wmv (only uncompressed)\r\rSpecifically, MP3 files are NOT supported.";

const char *const SeveralDroppedSourceText =
    "The source is one file or folder: the first of the %1 dropped is taken.\r\r"
    "To encode several files in one go, put them in a folder of their own and drop that folder.";
const char *const SeveralDroppedOutputText = "The output is one file or folder: the first of the %1 dropped is taken.";

const FileDialogSpec OpenDialog1 = {
    .title = QStringLiteral("Open input file"),
    .filters = {QStringLiteral("Supported media (*.AVI;*.WAV)|*.AVI;*.WAV"), QStringLiteral("Audio (*.WAV)|*.WAV"),
                QStringLiteral("Video (*.AVI)|*.AVI"), QStringLiteral("All files|*.*")},
    .filterIndex = 1,
    .mustExist = true,
};

const FileDialogSpec SaveDialog1 = {
    .title = QStringLiteral("Output filename"),
    .filters = {QStringLiteral("Windows Media Audio (*.WMA)|*.wma"), QStringLiteral("Windows Media Video (*.WMV)|*.wmv"),
                QStringLiteral("All files|*.*")},
    .filterIndex = 2,
    .confirmOverwrite = true,
};

constexpr int AudioFilter = 1;
constexpr int VideoFilter = 2;

bool isWav(const QString &path)
{
    return ExtractFileExt(path).toUpper() == QLatin1String(".WAV");
}

// A path box shows its text in red as a warning: a source that does not exist, an output that would
// overwrite a file.
void showAsWarning(QLineEdit *box, bool warning)
{
    QPalette palette = box->palette();
    palette.setColor(QPalette::Text, warning ? QColor(255, 0, 0) : QApplication::palette(box).color(QPalette::Text));
    box->setPalette(palette);
}

QString outputFolderMiddle()
{
    return PathSeparator() + QStringLiteral("encoded") + PathSeparator();
}

// What a source text names.
enum class SourceKind { None, File, Folder };

SourceKind classifySource(const QString &text)
{
    if (FileExists(text))
        return SourceKind::File;
    return DirectoryExists(text) ? SourceKind::Folder : SourceKind::None;
}

// Where the folder browser starts: in the folder the source names or the one that holds it, else in
// the home folder.
QString browseStartFolder(const QString &source)
{
    if (source == NoFilePlaceholder)
        return QDir::homePath();
    const QString path = AbsolutePath(source);
    if (DirectoryExists(path))
        return path;
    const QString folder = ExtractFileDir(path);
    return DirectoryExists(folder) ? folder : QDir::homePath();
}

// Stores a path box's text in its row, in double quotes; an empty box or one showing "(No file
// selected)" clears the row. The value goes into the row as it stands, "(default)" included, but
// absolute: the utility runs in the program's folder, where a path typed relative to the folder the
// program was started in would name another file or none.
void StorePathParam(QLineEdit *box)
{
    const QString text = box->text();
    const bool named = !text.isEmpty() && text != NoFilePlaceholder;
    Form3->Table().SetValue(box->property("Tag").toInt(), named ? u'"' + AbsolutePath(text) + u'"' : QString());
}

} // namespace

void TForm1::EditInputChange()
{
    ReportFailures([this] { UseSource(); });
}

void TForm1::UseSource()
{
    const QString source = ui->EditInput->text();
    const SourceKind kind = classifySource(source);
    showAsWarning(ui->EditInput, kind == SourceKind::None);
    switch (kind) {
    case SourceKind::File:
        UseSourceFile(source);
        break;
    case SourceKind::Folder:
        if (source.size() > 2)
            UseSourceFolder(source);
        break;
    case SourceKind::None:
        EnableBrowseButtons(true, true);
        if (TMediaPlayer2 *player = Form4->Player())
            player->SetFileName(QString());
        break;
    }
    StorePathParam(ui->EditInput);
}

void TForm1::EnableBrowseButtons(bool outputFile, bool outputFolder)
{
    ui->SpeedButton1->setEnabled(true);
    ui->SpeedButton3->setEnabled(true);
    ui->SpeedButton4->setEnabled(outputFile);
    ui->SpeedButton2->setEnabled(outputFolder);
}

void TForm1::UseSourceFile(const QString &source)
{
    EnableBrowseButtons(true, false);
    if (const QString output = ProposedOutputFile(source); !output.isEmpty()) {
        ui->EditOutput->setText(output);
        ui->PageControl1->setTabVisible(ui->PageControl1->indexOf(ui->TabSheet1), !isWav(source));
    } else {
        services().dialogs->Message(QStringLiteral("Invalid source"), QString::fromLatin1(InvalidSourceText),
                                    MessageIcon::Error);
    }
    if (TMediaPlayer2 *player = Form4->Player()) {
        // The row follows the box even when the player cannot open the file, so that ENCODE hands
        // the utility the file the user sees.
        try {
            player->Open(source);
        } catch (const Failure &) {
            StorePathParam(ui->EditInput);
            ForgetMedia();
            throw;
        }
    }
    if (ui->CheckBox2->isChecked()) {
        ui->TrackBarSelStart->setEnabled(true);
        ui->TrackBarSelEnd->setEnabled(true);
    }
}

// The output folder is proposed beside the absolute source folder: a bare folder name has no folder
// part, and the proposal would otherwise land in the root folder.
void TForm1::UseSourceFolder(const QString &source)
{
    EnableBrowseButtons(false, true);
    ui->EditOutput->setText(BuildOutputName(AbsolutePath(source), outputFolderMiddle()));
}

void TForm1::EditOutputChange()
{
    showAsWarning(ui->EditOutput, FileExists(ui->EditOutput->text()));
    StorePathParam(ui->EditOutput);
}

void TForm1::EditInputEnter()
{
    auto *box = qobject_cast<QLineEdit *>(sender());
    if (box->text() == NoFilePlaceholder)
        box->setText(QString());
    else
        box->selectAll();
}

void TForm1::EditInputExit()
{
    auto *box = qobject_cast<QLineEdit *>(sender());
    if (box->text().isEmpty())
        box->setText(NoFilePlaceholder);
}

void TForm1::SpeedButton1Click()
{
    if (const auto folder = services().dialogs->BrowseFolder(QStringLiteral("Browse for source folder..."),
                                                             browseStartFolder(ui->EditInput->text())))
        ui->EditInput->setText(*folder);
}

void TForm1::SpeedButton3Click()
{
    if (const auto file = services().dialogs->OpenFile(OpenDialog1))
        ui->EditInput->setText(*file);
}

void TForm1::SpeedButton2Click()
{
    if (const auto folder = services().dialogs->BrowseFolder(QStringLiteral("Browse for output folder..."),
                                                             browseStartFolder(ui->EditInput->text())))
        ui->EditOutput->setText(*folder);
}

void TForm1::SpeedButton4Click()
{
    FileDialogSpec dialog = SaveDialog1;
    dialog.filterIndex = isWav(ui->EditInput->text()) ? AudioFilter : VideoFilter;
    if (const auto file = services().dialogs->SaveFile(dialog))
        ui->EditOutput->setText(*file);
}

// The main window and the preview, docked or floating, take files dragged onto them.
void TForm1::TakeFileDrops()
{
    auto *drops = new FileDrops(this);
    drops->Watch(this);
    drops->Watch(Form4);
    connect(drops, &FileDrops::dropped, this, &TForm1::FilesDropped);
}

// A file or folder dropped on the output box becomes the output, dropped anywhere else the source, as
// if its path were typed into the box.
void TForm1::FilesDropped(QWidget *onto, const QStringList &paths)
{
    const bool output = onto == ui->EditOutput;
    (output ? ui->EditOutput : ui->EditInput)->setText(paths.first());
    if (paths.size() > 1)
        services().dialogs->Message(QStringLiteral("Several files dropped"),
                                    QString::fromLatin1(output ? SeveralDroppedOutputText : SeveralDroppedSourceText)
                                        .arg(paths.size()),
                                    MessageIcon::Information);
}

// The menu commands act even while the buttons they stand for are disabled.
void TForm1::Open1Click()
{
    SpeedButton3Click();
}

void TForm1::SelectOutput1Click()
{
    SpeedButton4Click();
}
