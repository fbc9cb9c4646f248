// Takes the README's pictures of the program: the main window collapsed and with each tab, the
// Options dialog's two tabs, the Parameter Builder with a filled table, the About box, and the
// floating preview playing a generated clip. Run under an X server (make screenshots uses Xvfb):
//   quillmark_screenshots OUTPUT-FOLDER
#include "app/gui/Forms.h"
#include "app/gui/Unit1.h"
#include "params/ParamTable.h"
#include "params/gui/Unit3.h"
#include "platform/gui/Application.h"
#include "platform/gui/Controls.h"
#include "platform/gui/Dialogs.h"
#include "platform/gui/Services.h"
#include "platform/gui/Shell.h"
#include "source/engine/AvMediaBackend.h"
#include "source/gui/MediaPlayer.h"
#include "source/gui/Unit4.h"

#include <QCheckBox>
#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// Dialogs that answer nothing: the pictures are taken of windows shown directly.
class QuietDialogs : public Dialogs {
public:
    void Message(const QString &, const QString &, MessageIcon) override {}
    std::optional<QString> OpenFile(const FileDialogSpec &) override { return std::nullopt; }
    std::optional<QString> SaveFile(const FileDialogSpec &) override { return std::nullopt; }
    std::optional<QString> BrowseFolder(const QString &, const QString &) override { return std::nullopt; }
    int Execute(QDialog &) override { return QDialog::Rejected; }
};

class QuietShell : public Shell {
public:
    void Open(const QString &, const QString &, const QString &, int) override {}
};

template <class T>
T *control(const char *name)
{
    for (QWidget *form : std::initializer_list<QWidget *>{Form1, Form3, Form4})
        if (T *found = form->findChild<T *>(QString::fromLatin1(name)))
            return found;
    qFatal("no control %s", name);
}

void settle(int milliseconds = 300)
{
    QTest::qWait(milliseconds);
}

void save(QWidget *window, const QDir &folder, const QString &name)
{
    settle();
    const QString path = folder.filePath(name);
    if (!window->grab().save(path))
        qFatal("cannot save %s", qPrintable(path));
    QTextStream(stdout) << path << '\n';
}

QString makeClip(const QTemporaryDir &dir)
{
    const QString clip = dir.filePath(QStringLiteral("Holiday clip.avi"));
    QProcess ffmpeg;
    ffmpeg.start(QStringLiteral("ffmpeg"),
                 {u"-v"_s, u"error"_s, u"-y"_s, u"-f"_s, u"lavfi"_s, u"-i"_s, u"testsrc2=size=320x240:rate=25:duration=20"_s, u"-f"_s, u"lavfi"_s,
                  u"-i"_s, u"sine=frequency=330:duration=20"_s, u"-c:v"_s, u"mjpeg"_s, u"-q:v"_s, u"4"_s, u"-c:a"_s, u"pcm_s16le"_s, u"-shortest"_s, clip});
    if (!ffmpeg.waitForFinished(60000) || ffmpeg.exitCode() != 0)
        qFatal("ffmpeg could not make the clip");
    return clip;
}

void typeSettings()
{
    control<TComboBox>("ComboBoxPresets")->SetItemIndex(6);
    Form1->ComboBoxPresetsChange();
    control<TComboBox>("ComboBoxMode")->SetItemIndex(2);
    Form1->ComboBoxModeChange();
    control<TEdit>("EditBitrate")->setText(QStringLiteral("225000"));
    control<TEdit>("EditClipLeft")->setText(QStringLiteral("8"));
    control<TEdit>("EditClipRight")->setText(QStringLiteral("16"));
    control<TComboBox>("ComboBoxAudioBR")->SetItemIndex(6);
    Form1->ComboBoxAudioBRChange();
    control<QCheckBox>("CheckBox2")->setChecked(true);
    control<TEdit>("EditSelStart")->setText(QStringLiteral("2.5"));
    control<TEdit>("EditSelEnd")->setText(QStringLiteral("12"));
    Form1->EditSelEndExit();
    Form1->EditSelStartExit();
    ParamTable &table = Form3->Table();
    table.SetValue(19, QStringLiteral("\"Summer holiday\""));
    table.SetValue(20, QStringLiteral("\"The Quillmark team\""));
    table.SetValue(22, QStringLiteral("\"A walk along the coast\""));
    table.SetValue(16, QStringLiteral("_web"));
}

void showTab(const char *pages, int index)
{
    control<QTabWidget>(pages)->setCurrentIndex(index);
}

} // namespace

int main(int argc, char *argv[])
{
    TApplication app(argc, argv);
    if (argc != 2) {
        QTextStream(stderr) << "Usage: quillmark_screenshots OUTPUT-FOLDER\n";
        return 2;
    }
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    QDir().mkpath(folder.path());
    QuietDialogs dialogs;
    QuietShell shell;
    services().dialogs = &dialogs;
    services().shell = &shell;
    services().makeMediaBackend = [] { return std::make_unique<AvMediaBackend>(); };
    services().programPath = QCoreApplication::applicationFilePath();
    const QTemporaryDir media;
    const QString clip = makeClip(media);

    CreateForms();
    app.SetHintHidePause(10000);
    Form1->show();
    if (!QTest::qWaitForWindowExposed(Form1))
        qFatal("the main window was not shown");
    control<TEdit>("EditInput")->setText(clip);
    if (!QTest::qWaitFor([] { return !control<QPlainTextEdit>("Memo1")->toPlainText().isEmpty(); }, 10000))
        qFatal("the preview did not open the clip");
    typeSettings();
    save(Form1, folder, QStringLiteral("main-collapsed.png"));

    Form1->ButtonMoreClick();
    const char *const tabs[] = {"main-video.png", "main-audio.png", "main-selection.png"};
    for (int index = 0; index < 3; ++index) {
        showTab("PageControl1", index);
        save(Form1, folder, QString::fromLatin1(tabs[index]));
    }

    QDialog *options = Form1->findChild<QDialog *>(QStringLiteral("Form5"));
    options->show();
    showTab("PageControl1", 0);
    save(options, folder, QStringLiteral("options-content.png"));
    options->findChild<QTabWidget *>(QStringLiteral("PageControl1"))->setCurrentIndex(1);
    save(options, folder, QStringLiteral("options-advanced.png"));
    options->hide();

    Form3->show();
    save(Form3, folder, QStringLiteral("parameter-builder.png"));
    Form3->hide();

    QDialog *about = Form1->findChild<QDialog *>(QStringLiteral("Form2"));
    about->show();
    save(about, folder, QStringLiteral("about.png"));
    about->hide();

    Form4->Float(QRect(Form1->geometry().right() + 20, Form1->geometry().top(), 286, 281));
    Form4->Player()->Play();
    settle(2500);
    save(Form4, folder, QStringLiteral("preview-floating.png"));

    DestroyForms();
    return 0;
}
