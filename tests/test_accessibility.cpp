// What a screen reader is told of the windows and what the keyboard alone does in them: every object
// a screen reader lists has a name, and its hint as description, list boxes are named by their labels,
// pictures that only decorate are passed over, the sliders, the list boxes, the player's bar and the
// grid's cells tell what they show, every window shows its focus from the moment it opens, Tab goes
// through the main window in order, and a whole encode is made with keys only.
#include "TestApp.h"
#include "TestMain.h"
#include "UserActions.h"

#include "app/gui/Forms.h"
#include "app/gui/Unit1.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QSlider>

using namespace Qt::StringLiterals;

namespace {

// The object's name in the layout, or what it is and the nearest named object it lies in.
QString describe(QAccessibleInterface *object)
{
    if (object->object() && !object->object()->objectName().isEmpty())
        return object->object()->objectName();
    QString what = object->object() ? QString::fromLatin1(object->object()->metaObject()->className())
                                    : u"part %1"_s.arg(object->parent()->indexOfChild(object));
    for (QAccessibleInterface *up = object->parent(); up; up = up->parent())
        if (up->object() && !up->object()->objectName().isEmpty())
            return what + u" of "_s + up->object()->objectName();
    return what;
}

// What a screen reader passes over, and so needs no name: a filler that only lays other objects out or
// decorates, a menu's separator, a table's corner, and a row of a list that shows nothing.
bool passedOver(QAccessibleInterface *object)
{
    switch (object->role()) {
    case QAccessible::Client:
    case QAccessible::Separator:
    case QAccessible::Pane: return true;
    case QAccessible::ListItem: {
        const auto *list = qobject_cast<QAbstractItemView *>(object->parent()->object());
        const QAccessibleTableCellInterface *row = object->tableCellInterface();
        return list && row &&
               list->model()->index(row->rowIndex(), row->columnIndex(), list->rootIndex()).data().toString().isEmpty();
    }
    default: return false;
    }
}

// What is wrong with what a screen reader is told of object and of everything it lists under it.
QStringList faultsOf(QAccessibleInterface *object, int depth = 0)
{
    QStringList faults;
    const QString name = object->text(QAccessible::Name);
    if (name.isEmpty() && !passedOver(object))
        faults.append(describe(object) + u" has no name"_s);
    if (const auto *widget = qobject_cast<QWidget *>(object->object())) {
        if (!widget->toolTip().isEmpty() && object->text(QAccessible::Description) != widget->toolTip())
            faults.append(describe(object) + u"'s hint is not its description"_s);
        if (const auto *label = qobject_cast<const QLabel *>(widget); label && !label->pixmap().isNull() && !passedOver(object))
            faults.append(describe(object) + u" is a decoration that is announced"_s);
    }
    // A list box is named by its label, and its chosen row is its value.
    if (const auto *box = qobject_cast<QComboBox *>(object->object())) {
        const auto labels = object->relations(QAccessible::Label);
        if (!labels.isEmpty() && name != labels.first().first->text(QAccessible::Name))
            faults.append(describe(object) + u" is named \""_s + name + u"\", not by its label"_s);
        if (object->text(QAccessible::Value) != box->currentText())
            faults.append(describe(object) + u" does not tell its chosen row"_s);
    }
    if (depth > 40)
        return faults << describe(object) + u" lists a tree without end"_s;
    for (int index = 0; index < object->childCount(); ++index)
        faults += faultsOf(object->child(index), depth + 1);
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

    void everyObjectHasAName_data();
    void everyObjectHasAName();
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

void AccessibilityTest::everyObjectHasAName_data()
{
    QTest::addColumn<QString>("window");
    QTest::newRow("main window, with the preview docked") << u"Form1"_s;
    QTest::newRow("Parameter Builder") << u"Form3"_s;
    QTest::newRow("Options") << u"Form5"_s;
    QTest::newRow("About") << u"Form2"_s;
}

// Every object a screen reader lists, on every page of the tabs, shown or not: hidden ones are listed
// too. The panel of "More Options" stays closed, as the window starts.
void AccessibilityTest::everyObjectHasAName()
{
    QFETCH(QString, window);
    openSource();
    auto *form = app->control<QWidget>(window);
    form->show();
    QVERIFY2(form->testAttribute(Qt::WA_KeyboardFocusChange), "the focus shows only once Tab is pressed");

    const QStringList faults = faultsOf(QAccessible::queryAccessibleInterface(form));
    QVERIFY2(faults.isEmpty(), qPrintable(faults.join(u"; "_s)));
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
    // Screen readers here read a list box's chosen row as its text.
    QAccessibleTextInterface *modeText = spoken("ComboBoxMode")->textInterface();
    QCOMPARE(modeText->text(0, modeText->characterCount()), u"CBR, one pass"_s);
    QCOMPARE(value("TrackBarQuality"), u"75%"_s);
    QCOMPARE(spoken("TrackBarQuality")->valueInterface()->currentValue().toDouble(), 75.0);

    // A list box is named by its label; its value is its chosen row, or what was typed into it.
    QCOMPARE(spoken("ComboBoxFramerate")->text(QAccessible::Name), u"Framerate:"_s);
    QCOMPARE(value("ComboBoxFramerate"), u"(Same as source)"_s);
    auto *framerate = app->control<QComboBox>(u"ComboBoxFramerate"_s);
    framerate->lineEdit()->selectAll();
    TypeText(framerate->lineEdit(), u"12.5"_s);
    QCOMPARE(value("ComboBoxFramerate"), u"12.5"_s);
    QCOMPARE(spoken("ComboBoxFramerate")->child(1)->text(QAccessible::Name), u"Framerate:"_s);
    QCOMPARE(spoken("UpDown2")->child(0)->text(QAccessible::Name), u"Clip top, up"_s);
    QCOMPARE(spoken("UpDown2")->child(1)->text(QAccessible::Name), u"Clip top, down"_s);

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
