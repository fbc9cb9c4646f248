// A seeded random user: types, pastes, chooses rows, moves bars and spinners, ticks boxes, opens and
// closes dialogs, encodes. After every action the table still has its 23 switches in order, the
// configuration it would write has one clean line per filled row, and no modal window is left open.
// QUILLMARK_SOAK_SEEDS (comma-separated) and QUILLMARK_SOAK_ACTIONS make longer runs.
#include "TestApp.h"
#include "TestMain.h"
#include "UserActions.h"

#include "app/gui/Forms.h"
#include "app/gui/Unit1.h"
#include "params/ConfigFile.h"
#include "params/ParamNames.h"
#include "params/ParamTable.h"
#include "params/gui/Unit3.h"
#include "platform/gui/Controls.h"
#include "platform/gui/DockGrip.h"
#include "source/gui/Unit4.h"

#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QDialog>
#include <QDir>
#include <QPushButton>
#include <QRadioButton>
#include <QRandomGenerator>
#include <QTableView>
#include <QToolButton>
#include <functional>

using namespace Qt::StringLiterals;

namespace {

class RandomUser {
public:
    RandomUser(TestApp &app, quint32 seed) : app_(app), random_(seed) { prepareFiles(); }

    // One random action; returns its name for the log.
    QString act()
    {
        using Action = std::pair<const char *, std::function<void()>>;
        const std::vector<Action> actions = {
            {"type", [this] { typeInto(anyBox(), anyText()); }},
            {"paste", [this] { pasteInto(anyBox(), anyText()); }},
            {"key", [this] { pressKey(); }},
            {"choose row", [this] { chooseRow(); }},
            {"type frame rate", [this] { typeInto(app_.control<TComboBox>(QStringLiteral("ComboBoxFramerate"))->lineEdit(), anyText()); }},
            {"move bar", [this] { moveBar(); }},
            {"step spinner", [this] { stepSpinner(); }},
            {"tick box", [this] { tickBox(); }},
            {"click button", [this] { clickButton(); }},
            {"browse", [this] { browse(); }},
            {"encode", [this] { encode(); }},
            {"view source info", [this] { Form1->Viewsourceinfo1Click(); }},
            {"options", [this] { options(); }},
            {"parameter builder", [this] { builder(); }},
            {"about", [this] { about(); }},
            {"ctrl+f", [] { QTest::keyClick(Form1, Qt::Key_F, Qt::ControlModifier); }},
            {"drag preview", [this] { dragPreview(); }},
            {"focus", [this] { anyBox()->setFocus(Qt::MouseFocusReason); }},
        };
        const Action &action = actions[random_.bounded(int(actions.size()))];
        action.second();
        QCoreApplication::processEvents();
        return QString::fromLatin1(action.first);
    }

    bool encodedLast = false;

private:
    int pick(int count) { return int(random_.bounded(count)); }

    void prepareFiles()
    {
        QDir(app_.appDir).mkpath(QStringLiteral("Clips"));
        app_.addMedia(QStringLiteral("clip.avi"), MediaFacts{30, 320, 240, 800000});
        app_.addMedia(QStringLiteral("song.WAV"), MediaFacts{12.5, 0, 0, 1411200});
        app_.addMedia(QStringLiteral("short.avi"), MediaFacts{0.4, 160, 120, 0});
        app_.addMedia(QStringLiteral("long film.avi"), MediaFacts{36000.75, 720, 576, 4000000});
        QFile broken(app_.appPath(QStringLiteral("broken.avi")));
        broken.open(QIODevice::WriteOnly);
    }

    QString anyPath()
    {
        const QStringList paths = {app_.appPath(QStringLiteral("clip.avi")), app_.appPath(QStringLiteral("song.WAV")),
                                   app_.appPath(QStringLiteral("short.avi")), app_.appPath(QStringLiteral("long film.avi")),
                                   app_.appPath(QStringLiteral("broken.avi")), app_.appPath(QStringLiteral("Clips")),
                                   app_.appPath(QStringLiteral("missing.avi")), QStringLiteral("/"), QString()};
        return paths[pick(int(paths.size()))];
    }

    QString anyText()
    {
        static const QStringList pieces = {
            u"0"_s, u"7"_s, u"25"_s, u"320"_s, u"1.5"_s, u"12."_s, u"."_s, u"1.2.3"_s, u"-4"_s, u"abc"_s, u" "_s,
            u"  two words "_s, u"\""_s, u"\"quoted\""_s, u"(default)"_s, u"(No file selected)"_s, u"!"_s, u"%1"_s,
            u"%ProgramFiles%"_s, u"&"_s, u"é"_s, u"日本"_s, u"\t"_s, u"\x01"_s, u"\r\n"_s, u"\n"_s,
        };
        switch (pick(6)) {
        case 0: return QString(pick(5000) + 1, QChar(u'0' + pick(10)));
        case 1: return anyPath();
        default: {
            QString text;
            for (int count = pick(4) + 1; count > 0; --count)
                text += pieces[pick(int(pieces.size()))];
            return text;
        }
        }
    }

    QLineEdit *anyBox()
    {
        static const char *const names[] = {"EditInput", "EditOutput", "EditWidth", "EditHeight", "EditBitrate",
                                            "EditBuffer", "EditKeyframe", "EditClipLeft", "EditClipTop",
                                            "EditClipRight", "EditClipBottom", "EditSelStart", "EditSelEnd"};
        return app_.control<QLineEdit>(QString::fromLatin1(names[pick(std::size(names))]));
    }

    void typeInto(QLineEdit *box, const QString &text)
    {
        if (!box->isEnabled())
            return;
        QTest::mouseClick(box, Qt::LeftButton);
        if (pick(2))
            box->selectAll();
        TypeText(box, text.left(200));
        if (pick(3) == 0)
            QTest::keyClick(box, pick(2) ? Qt::Key_Return : Qt::Key_Tab);
    }

    void pasteInto(QLineEdit *box, const QString &text)
    {
        if (!box->isEnabled())
            return;
        box->setFocus(Qt::MouseFocusReason);
        QApplication::clipboard()->setText(text);
        box->paste();
    }

    void pressKey()
    {
        static const Qt::Key keys[] = {Qt::Key_Return, Qt::Key_Tab, Qt::Key_Backspace, Qt::Key_Delete, Qt::Key_Up,
                                       Qt::Key_Down, Qt::Key_Left, Qt::Key_Right, Qt::Key_Home, Qt::Key_End,
                                       Qt::Key_PageUp, Qt::Key_PageDown, Qt::Key_Escape, Qt::Key_Space};
        QWidget *target = QApplication::focusWidget() ? QApplication::focusWidget() : Form1;
        const Qt::KeyboardModifiers modifiers = pick(5) == 0 ? Qt::ControlModifier : Qt::NoModifier;
        QTest::keyClick(target, keys[pick(std::size(keys))], modifiers);
    }

    void chooseRow()
    {
        static const char *const names[] = {"ComboBoxPresets", "ComboBoxAudioBR", "ComboBoxMode", "ComboBoxFramerate",
                                            "ComboBoxPreproc"};
        auto *list = app_.control<TComboBox>(QString::fromLatin1(names[pick(std::size(names))]));
        if (!list->isEnabled() || !list->isVisible())
            return;
        if (pick(2)) {
            ChooseRow(list, pick(list->count()));
        } else {
            list->setFocus(Qt::TabFocusReason);
            QTest::keyClick(list, pick(2) ? Qt::Key_Down : Qt::Key_Up);
        }
    }

    void moveBar()
    {
        static const char *const names[] = {"TrackBarQuality", "TrackBarSelStart", "TrackBarSelEnd"};
        auto *bar = app_.control<TTrackBar>(QString::fromLatin1(names[pick(std::size(names))]));
        if (!bar->isEnabled() || !bar->isVisible())
            return;
        if (pick(2)) {
            QTest::mouseClick(bar, Qt::LeftButton, Qt::NoModifier, QPoint(pick(qMax(1, bar->width())), bar->height() / 2));
        } else {
            bar->setFocus(Qt::TabFocusReason);
            QTest::keyClick(bar, pick(2) ? Qt::Key_Right : Qt::Key_PageDown);
        }
    }

    void stepSpinner()
    {
        auto *spinner = app_.control<TUpDown>(QStringLiteral("UpDown%1").arg(pick(4) + 1));
        const QList<QToolButton *> arrows = spinner->findChildren<QToolButton *>();
        if (spinner->isVisible() && !arrows.isEmpty())
            QTest::mouseClick(arrows[pick(int(arrows.size()))], Qt::LeftButton);
    }

    void tickBox()
    {
        auto *box = app_.control<QCheckBox>(pick(2) ? QStringLiteral("CheckBox1") : QStringLiteral("CheckBox2"));
        if (box->isVisible())
            QTest::mouseClick(box, Qt::LeftButton, Qt::NoModifier, QPoint(6, box->height() / 2));
    }

    void queueFileAnswers()
    {
        for (int i = 0; i < 2; ++i) {
            app_.dialogs.fileAnswers.append(pick(4) == 0 ? QString() : anyPath());
            app_.dialogs.folderAnswers.append(pick(4) == 0 ? QString() : anyPath());
        }
    }

    void clickButton()
    {
        static const char *const names[] = {"ButtonMore", "SpeedButton1", "SpeedButton2", "SpeedButton3", "SpeedButton4"};
        queueFileAnswers();
        auto *button = app_.control<QAbstractButton>(QString::fromLatin1(names[pick(std::size(names))]));
        QTest::mouseClick(button, Qt::LeftButton);
    }

    void browse()
    {
        queueFileAnswers();
        pick(2) ? Form1->Open1Click() : Form1->SelectOutput1Click();
    }

    void encode()
    {
        QTest::mouseClick(app_.control<QPushButton>(QStringLiteral("EncodeButton")), Qt::LeftButton);
        encodedLast = true;
    }

    // A dialog closed by one of its buttons after the user typed into some of its boxes.
    FakeDialogs::DialogAction closeDialogAfterTyping(const char *okButton, const char *cancelButton)
    {
        return [this, okButton, cancelButton](QDialog &dialog) {
            const QList<QLineEdit *> boxes = dialog.findChildren<QLineEdit *>();
            for (int count = pick(3); count > 0 && !boxes.isEmpty(); --count) {
                QLineEdit *box = boxes[pick(int(boxes.size()))];
                box->setFocus();
                TypeText(box, anyText().left(100));
            }
            const QList<QRadioButton *> radios = dialog.findChildren<QRadioButton *>();
            if (!radios.isEmpty() && pick(2))
                QTest::mouseClick(radios[pick(int(radios.size()))], Qt::LeftButton, Qt::NoModifier, QPoint(8, 8));
            QTest::mouseClick(dialog.findChild<QPushButton *>(QString::fromLatin1(pick(2) ? okButton : cancelButton)),
                              Qt::LeftButton);
            return dialog.result();
        };
    }

    void options()
    {
        app_.dialogs.dialogActions.push_back(closeDialogAfterTyping("Button1", "Button2"));
        Form1->Options1Click();
    }

    void builder()
    {
        app_.dialogs.dialogActions.push_back([this](QDialog &dialog) {
            auto *grid = dialog.findChild<QTableView *>(QStringLiteral("SGP"));
            const QModelIndex cell = grid->model()->index(pick(23), pick(2));
            const QString text = anyText();
            grid->model()->setData(cell, text);
            QTest::mouseClick(dialog.findChild<QPushButton *>(pick(2) ? QStringLiteral("Button2") : QStringLiteral("Button1")),
                              Qt::LeftButton);
            return dialog.result();
        });
        Form1->View1Click();
        encodedLast = true;
    }

    void about()
    {
        app_.dialogs.dialogActions.push_back([](QDialog &dialog) {
            QTest::mouseClick(dialog.findChild<QPushButton *>(QStringLiteral("Button1")), Qt::LeftButton);
            return dialog.result();
        });
        Form1->About1Click();
    }

    void dragPreview()
    {
        auto *grip = app_.control<TDockGrip>(QStringLiteral("DockGrip"));
        if (!grip->isVisible())
            return;
        const QPoint from = grip->mapToGlobal(QPoint(10, 4));
        const QPoint to = pick(2) ? app_.control<QWidget>(QStringLiteral("Panel2"))->mapToGlobal(QPoint(30, 30))
                                  : from + QPoint(pick(600) - 300, pick(600) - 300);
        DragWithMouse(grip, from, to);
    }

    TestApp &app_;
    QRandomGenerator random_;
};

// What must hold after every action; empty when it holds.
QString brokenInvariant(const TestApp &app, bool checkFile)
{
    const ParamTable &table = Form3->Table();
    int filled = 0;
    for (int row = 1; row <= ParamCount; ++row) {
        if (table.index(row - 1, 0).data().toString() != ParamName(row))
            return QStringLiteral("row %1 lost its switch name").arg(row);
        filled += table.Value(row).isEmpty() ? 0 : 1;
    }
    const QStringList lines = ConfigLines(table);
    if (lines.size() != filled)
        return QStringLiteral("%1 lines for %2 filled rows").arg(lines.size()).arg(filled);
    if (QApplication::activeModalWidget())
        return QStringLiteral("a modal window is left open");
    if (QApplication::activePopupWidget())
        return QStringLiteral("a popup is left open");
    if (!Form1->isVisible())
        return QStringLiteral("the main window is gone");
    if (!checkFile)
        return {};
    const QByteArray written = app.appFile(QStringLiteral("tmpconfig.weu"));
    if (written.isEmpty())
        return {};
    if (!written.endsWith("\r\n"))
        return QStringLiteral("tmpconfig.weu does not end its last line");
    const QList<QByteArray> fileLines = written.chopped(2).split('\n');
    for (const QByteArray &line : fileLines) {
        if (!line.endsWith('\r') && &line != &fileLines.back())
            return QStringLiteral("a line of tmpconfig.weu does not end in CR LF");
        const QByteArray text = line.endsWith('\r') ? line.chopped(1) : line;
        const int blank = text.indexOf(' ');
        if (blank <= 0 || ParamRow(QString::fromLatin1(text.left(blank))) == 0)
            return QStringLiteral("tmpconfig.weu holds a line that is no switch: %1").arg(QString::fromUtf8(text.left(80)));
        if (text.contains('\r'))
            return QStringLiteral("a value carries a line break");
    }
    return {};
}

QList<quint32> seeds()
{
    QList<quint32> chosen;
    for (const QString &seed : qEnvironmentVariable("QUILLMARK_SOAK_SEEDS", QStringLiteral("1,2,3")).split(u','))
        chosen.append(seed.trimmed().toUInt());
    return chosen;
}

} // namespace

class SoakTest : public QObject {
    Q_OBJECT

private slots:
    void randomUse_data();
    void randomUse();
};

void SoakTest::randomUse_data()
{
    QTest::addColumn<quint32>("seed");
    for (quint32 seed : seeds())
        QTest::addRow("seed %u", seed) << seed;
}

void SoakTest::randomUse()
{
    QFETCH(quint32, seed);
    const int actions = qEnvironmentVariableIntValue("QUILLMARK_SOAK_ACTIONS") > 0
                            ? qEnvironmentVariableIntValue("QUILLMARK_SOAK_ACTIONS")
                            : 2000;
    TestApp app;
    RandomUser user(app, seed);
    QStringList log;
    for (int step = 0; step < actions; ++step) {
        user.encodedLast = false;
        try {
            log.append(user.act());
        } catch (const std::exception &escaped) {
            QFAIL(qPrintable(QStringLiteral("seed %1, action %2: %3 escaped (last actions: %4)")
                                 .arg(seed).arg(step).arg(QString::fromUtf8(escaped.what()), log.join(QStringLiteral(", ")))));
        }
        if (log.size() > 12)
            log.removeFirst();
        const QString broken = brokenInvariant(app, user.encodedLast);
        if (!broken.isEmpty())
            QFAIL(qPrintable(QStringLiteral("seed %1, action %2: %3 (last actions: %4)")
                                 .arg(seed).arg(step).arg(broken, log.join(QStringLiteral(", ")))));
    }
}

QUILLMARK_TEST_MAIN(SoakTest)
#include "test_soak.moc"
