// What a screen reader is told of the windows and what the keyboard alone does in them: every control
// the user can act on has a name and its hint as description, pictures that only decorate are passed
// over, the sliders, the player's bar and the grid's cells tell what they show, every window shows its
// focus from the moment it opens, Tab goes through the main window in order, and a whole encode is
// made with keys only.
#include "TestApp.h"
#include "TestMain.h"
#include "UserActions.h"

#include "app/gui/Forms.h"
#include "app/gui/Unit1.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QSlider>
#include <QTabWidget>

using namespace Qt::StringLiterals;

namespace {

// What a screen reader says a control is: the label it is told of by a relation (how a box beside a
// label is told, and the only way a list box is, whose name is its chosen row), or else its name.
QString spokenLabel(QAccessibleInterface *control)
{
    const auto labels = control->relations(QAccessible::Label);
    return labels.isEmpty() ? control->text(QAccessible::Name) : labels.first().first->text(QAccessible::Name);
}

QString describe(const QWidget *widget)
{
    return widget->objectName().isEmpty() ? QString::fromLatin1(widget->metaObject()->className())
                                          : widget->objectName();
}

// The controls of window a user can act on, on every page of its tabs. A control whose focus goes to
// another (a tab control's to its tabs) is that other.
QList<QWidget *> controlsOf(QWidget *window)
{
    QList<QWidget *> controls;
    const auto collect = [&] {
        for (QWidget *widget : window->findChildren<QWidget *>()) {
            const bool actionable = widget->focusPolicy() != Qt::NoFocus || qobject_cast<QAbstractButton *>(widget);
            if (actionable && !widget->focusProxy() && widget->isVisibleTo(window) && !controls.contains(widget))
                controls.append(widget);
        }
    };
    collect();
    for (QTabWidget *pages : window->findChildren<QTabWidget *>()) {
        for (int page = 0; page < pages->count(); ++page) {
            pages->setCurrentIndex(page);
            collect();
        }
        pages->setCurrentIndex(0);
    }
    return controls;
}

// What is wrong with what a screen reader is told of control and of the parts it tells of (tabs,
// cells, rows).
QStringList faultsOf(QWidget *control)
{
    QStringList faults;
    QAccessibleInterface *spoken = QAccessible::queryAccessibleInterface(control);
    if (spokenLabel(spoken).isEmpty())
        faults.append(describe(control) + u" has no name"_s);
    if (!control->toolTip().isEmpty() && spoken->text(QAccessible::Description) != control->toolTip())
        faults.append(describe(control) + u"'s hint is not its description"_s);
    // Parts not shown are passed over (the grid's hidden row headers), but for a list box's list, which
    // a screen reader finds under the box while it is folded.
    for (int index = 0; index < spoken->childCount(); ++index) {
        QAccessibleInterface *part = spoken->child(index);
        const bool mereLayout = part->role() == QAccessible::Client || part->role() == QAccessible::Pane ||
                                (part->state().invisible && part->role() != QAccessible::List);
        if (!mereLayout && part->text(QAccessible::Name).isEmpty())
            faults.append(u"part %1 of %2 has no name"_s.arg(index).arg(describe(control)));
    }
    return faults;
}

// The object name of the control that has the focus; the part typed into of a list box is the box.
QString focusName()
{
    QWidget *focus = QApplication::focusWidget();
    if (!focus)
        return QString();
    if (auto *list = qobject_cast<QComboBox *>(focus->parentWidget()))
        return list->objectName();
    return focus->objectName();
}

void press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QTest::keyClick(QApplication::focusWidget(), Qt::Key(key), modifiers);
}

void type(const QString &text)
{
    TypeText(QApplication::focusWidget(), text);
}

// Presses Tab (or Shift+Tab) until control has the focus, as a user does who looks for it.
void tabTo(const QString &control, bool backwards = false)
{
    for (int presses = 0; presses < 60 && focusName() != control; ++presses)
        press(backwards ? Qt::Key_Backtab : Qt::Key_Tab);
    QVERIFY2(focusName() == control, qPrintable(u"Tab does not reach "_s + control));
}

} // namespace

class AccessibilityTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void everyControlHasAName_data();
    void everyControlHasAName();
    void controlsTellWhatTheyShow();
    void tabGoesThroughTheMainWindowInOrder();
    void wholeEncodeByKeyboard();

private:
    void openSource();

    std::unique_ptr<TestApp> app;
};

void AccessibilityTest::init()
{
    app = std::make_unique<TestApp>();
}

void AccessibilityTest::cleanup()
{
    app.reset();
}

void AccessibilityTest::openSource()
{
    app->control<QLineEdit>(u"EditInput"_s)->setText(app->addMedia(u"clip.avi"_s, MediaFacts{20, 320, 240, 500000}));
    QTRY_COMPARE(app->control<QSlider>(u"TrackBarSelEnd"_s)->maximum(), 20);
}

void AccessibilityTest::everyControlHasAName_data()
{
    QTest::addColumn<QString>("window");
    QTest::newRow("main window, with the preview docked") << u"Form1"_s;
    QTest::newRow("Parameter Builder") << u"Form3"_s;
    QTest::newRow("Options") << u"Form5"_s;
    QTest::newRow("About") << u"Form2"_s;
}

void AccessibilityTest::everyControlHasAName()
{
    QFETCH(QString, window);
    openSource();
    Form1->ButtonMoreClick();
    auto *form = app->control<QWidget>(window);
    form->show();
    QVERIFY2(form->testAttribute(Qt::WA_KeyboardFocusChange), "the focus shows only once Tab is pressed");

    QStringList faults;
    const QList<QWidget *> controls = controlsOf(form);
    for (QWidget *control : controls)
        faults += faultsOf(control);
    for (QLabel *label : form->findChildren<QLabel *>()) {
        QAccessibleInterface *spoken = QAccessible::queryAccessibleInterface(label);
        const bool announced = spoken->role() != QAccessible::Client || !spoken->text(QAccessible::Name).isEmpty();
        if (!label->pixmap().isNull() && announced)
            faults.append(describe(label) + u" is a decoration that is announced"_s);
    }
    QVERIFY2(faults.isEmpty(), qPrintable(faults.join(u"; "_s)));
    QVERIFY(!controls.isEmpty());
}

void AccessibilityTest::controlsTellWhatTheyShow()
{
    openSource();
    Form1->ButtonMoreClick();
    app->setRow(10, u"350000"_s);
    const auto spoken = [this](const char *name) {
        return QAccessible::queryAccessibleInterface(app->findControl(QString::fromLatin1(name)));
    };
    const auto value = [&](const char *name) { return spoken(name)->text(QAccessible::Value); };
    const auto cell = [&](int row) {
        return spoken("SGP")->tableInterface()->cellAt(row - 1, 1)->text(QAccessible::Name);
    };

    QCOMPARE(value("TrackBarQuality"), u"(default)"_s);
    ChooseRow(app->control<QComboBox>(u"ComboBoxMode"_s), 1);
    QCOMPARE(value("TrackBarQuality"), u"75%"_s);
    QCOMPARE(spoken("TrackBarQuality")->valueInterface()->currentValue().toDouble(), 75.0);

    QCOMPARE(value("TrackBarSelStart"), u"0 seconds"_s);
    QCOMPARE(value("TrackBarSelEnd"), u"20 seconds"_s);

    // The player's bar counts milliseconds; a screen reader hears the time and numbers in seconds.
    QCOMPARE(value("PositionBar"), u"0:00 / 0:20"_s);
    spoken("PositionBar")->valueInterface()->setCurrentValue(5.0);
    QCOMPARE(app->media->calls.last(), u"SetPosition 5"_s);
    QCOMPARE(spoken("PositionBar")->valueInterface()->maximumValue().toDouble(), 20.0);

    QCOMPARE(cell(10), u"-v_bitrate, 350000"_s);
    QCOMPARE(cell(7), u"-v_mode, 0"_s);
    QCOMPARE(cell(13), u"-v_preproc"_s);
}

// The main controls keep their order; each browse button follows its box, and the
// preview's grip and player close the round, right before the source box the focus starts in.
void AccessibilityTest::tabGoesThroughTheMainWindowInOrder()
{
    openSource();
    Form1->ButtonMoreClick();
    QTRY_COMPARE(focusName(), u"EditInput"_s);
    QStringList round;
    do {
        round.append(focusName());
        press(Qt::Key_Tab);
    } while (focusName() != u"EditInput"_s && round.size() < 60);
    // A file source leaves no use for an output folder, and no deinterlace method is chosen before
    // "Deinterlace" is; paused, the player offers no Pause.
    const QStringList expected = {
        u"EditInput"_s, u"SpeedButton3"_s, u"SpeedButton1"_s, u"EditOutput"_s, u"SpeedButton4"_s,
        u"ComboBoxPresets"_s, u"EncodeButton"_s, u"ButtonMore"_s, u"qt_tabwidget_tabbar"_s, u"CheckBox1"_s,
        u"EditClipTop"_s, u"EditClipLeft"_s, u"EditClipRight"_s, u"EditClipBottom"_s, u"EditWidth"_s,
        u"EditHeight"_s, u"ComboBoxMode"_s, u"EditBitrate"_s, u"EditBuffer"_s, u"TrackBarQuality"_s,
        u"EditKeyframe"_s, u"ComboBoxFramerate"_s, u"Memo1"_s, u"DockGrip"_s, u"PlayButton"_s,
        u"StopButton"_s, u"PositionBar"_s,
    };
    QCOMPARE(round, expected);
}

// Source, preset, a setting on each tab, a section, the Options dialog and ENCODE, with keys only: what
// reaches the configuration file is what was chosen.
void AccessibilityTest::wholeEncodeByKeyboard()
{
    const QString source = app->addMedia(u"clip.avi"_s, MediaFacts{20, 320, 240, 500000});
    QTRY_COMPARE(focusName(), u"EditInput"_s);
    type(source);
    QTRY_COMPARE(app->control<QSlider>(u"TrackBarSelEnd"_s)->maximum(), 20);

    tabTo(u"ComboBoxPresets"_s);
    type(u"L"_s);
    tabTo(u"ButtonMore"_s);
    press(Qt::Key_Space);

    tabTo(u"CheckBox1"_s);
    press(Qt::Key_Space);
    tabTo(u"EditClipLeft"_s);
    type(u"8"_s);
    tabTo(u"ComboBoxMode"_s);
    press(Qt::Key_Down);
    tabTo(u"EditBitrate"_s);
    type(u"350000"_s);
    press(Qt::Key_Tab);

    press(Qt::Key_Tab, Qt::ControlModifier);
    tabTo(u"ComboBoxAudioBR"_s);
    press(Qt::Key_Down);
    press(Qt::Key_Down);

    press(Qt::Key_Tab, Qt::ControlModifier);
    tabTo(u"CheckBox2"_s);
    press(Qt::Key_Space);
    tabTo(u"TrackBarSelStart"_s);
    press(Qt::Key_Right);
    press(Qt::Key_Right);
    tabTo(u"EditSelEnd"_s);
    type(u"12.5"_s);
    press(Qt::Key_Tab);

    app->dialogs.dialogActions.push_back([](QDialog &dialog) {
        dialog.activateWindow();
        [&] { QTRY_VERIFY(dialog.isActiveWindow()); }();
        tabTo(u"Edit3"_s);
        type(u"Holiday"_s);
        press(Qt::Key_Tab, Qt::ControlModifier);
        tabTo(u"RadioButton1"_s);
        press(Qt::Key_Down);
        press(Qt::Key_Return);
        return dialog.result();
    });
    press(Qt::Key_U, Qt::AltModifier);
    QTRY_VERIFY(QApplication::activePopupWidget());
    QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_Up);
    QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_Return);
    QCOMPARE(app->dialogs.executed, 1);

    // The window manager gives the keyboard back to the main window when the dialog closes.
    Form1->activateWindow();
    QTRY_VERIFY(Form1->isActiveWindow());
    tabTo(u"EncodeButton"_s, true);
    press(Qt::Key_Space);

    const QString output = source.chopped(4) + u".wmv"_s;
    const QString expected = u"-input \"%1\"\r\n-output \"%2\"\r\n-a_setting 160_48_2\r\n-v_codec WMV7\r\n"
                             "-v_width 320\r\n-v_height 240\r\n-v_mode 0\r\n-v_bitrate 350000\r\n-v_quality 75\r\n"
                             "-v_preproc 1\r\n-v_clip 8 0 320 240\r\n-time 2000 12500\r\n-profile av100\r\n"
                             "-title \"Holiday\"\r\n"_s.arg(source, output);
    QCOMPARE(QString::fromUtf8(app->appFile(u"tmpconfig.weu"_s)), expected);
    QCOMPARE(app->shell.calls.size(), 1);
    QVERIFY(app->dialogs.messages.isEmpty());
}

QUILLMARK_TEST_MAIN(AccessibilityTest)
#include "test_accessibility.moc"
