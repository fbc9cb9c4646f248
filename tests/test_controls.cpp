// The control layer: edit box events, list boxes that only the user changes, the up-down spinner,
// and the default error report for failures raised while an event is handled.
#include "TestMain.h"

#include "FakeDialogs.h"
#include "UserActions.h"
#include "platform/Failure.h"
#include "platform/gui/Controls.h"
#include "platform/gui/Services.h"

#include <QApplication>
#include <QClipboard>
#include <QSignalSpy>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

class ControlsTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void editKeyPressCanSwallow_data();
    void editKeyPressCanSwallow();
    void editEnterExitAndClick();
    void editTakesAPastedLineWithoutItsBreaks_data();
    void editTakesAPastedLineWithoutItsBreaks();
    void editKeepsItsEntryWhileTheFocusIsLent_data();
    void editKeepsItsEntryWhileTheFocusIsLent();
    void listChangesOnlyByTheUser();
    void editableListReportsTypedText();
    void upDownStepsWithinItsRange();
    void failureInAHandlerIsReportedAndTheProgramGoesOn();

private:
    TEdit *shownEdit();

    FakeDialogs dialogs;
    QWidget *window = nullptr;
};

// An edit box in the test's window, shown.
TEdit *ControlsTest::shownEdit()
{
    auto *edit = new TEdit(window);
    window->layout()->addWidget(edit);
    window->show();
    return edit;
}

void ControlsTest::init()
{
    dialogs = FakeDialogs();
    services().dialogs = &dialogs;
    window = new QWidget;
    window->setLayout(new QVBoxLayout);
}

void ControlsTest::cleanup()
{
    delete window;
    services() = Services();
}

void ControlsTest::editKeyPressCanSwallow_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shown");
    QTest::newRow("digits pass, others swallowed") << "1a2-3.4 " << "1234";
    QTest::newRow("non-ASCII letters swallowed") << QString::fromUtf8("5é6") << "56";
}

void ControlsTest::editKeyPressCanSwallow()
{
    QFETCH(QString, typed);
    QFETCH(QString, shown);
    TEdit *edit = shownEdit();
    QList<int> seen;
    connect(edit, &TEdit::keyPressed, this, [&](QChar &key) {
        seen.append(key.unicode());
        if (!key.isDigit() && key != QChar(8))
            key = QChar();
    });
    TypeText(edit, typed);
    QCOMPARE(edit->text(), shown);

    seen.clear();
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_C, Qt::ControlModifier);
    QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
    QTest::keyClick(edit, Qt::Key_Return);
    QTest::keyClick(edit, Qt::Key_Backspace);
    QTest::keyClick(edit, Qt::Key_Left);
    QCOMPARE(seen, (QList<int>{3, 22, 13, 8}));
    QCOMPARE(edit->text(), QString());
}

void ControlsTest::editTakesAPastedLineWithoutItsBreaks_data()
{
    QTest::addColumn<QString>("pasted");
    QTest::addColumn<QString>("shown");
    QTest::newRow("a line copied whole") << "/media/my clip.avi\n" << "/media/my clip.avi";
    QTest::newRow("Windows line ends on both sides") << "\r\n/media/clip.avi\r\n" << "/media/clip.avi";
    QTest::newRow("breaks within kept") << "first\nsecond\n" << "first\nsecond";
}

void ControlsTest::editTakesAPastedLineWithoutItsBreaks()
{
    QFETCH(QString, pasted);
    QFETCH(QString, shown);
    TEdit *edit = shownEdit();
    QSignalSpy changed(edit, &QLineEdit::textChanged);
    QApplication::clipboard()->setText(pasted);
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(edit->text(), shown);
    QCOMPARE(changed.size(), 1);
    QCOMPARE(edit->cursorPosition(), int(shown.size()));
}

void ControlsTest::editEnterExitAndClick()
{
    auto *first = new TEdit(window);
    auto *second = new TEdit(window);
    window->layout()->addWidget(first);
    window->layout()->addWidget(second);
    QSignalSpy firstEntered(first, &TEdit::entered);
    window->show();
    QVERIFY(QTest::qWaitForWindowActive(window));
    // The box the window gives the focus to when it first comes up is entered like any other.
    QVERIFY(first->hasFocus());
    QCOMPARE(firstEntered.size(), 1);

    QSignalSpy entered(second, &TEdit::entered);
    QSignalSpy exited(second, &TEdit::exited);
    QSignalSpy clicked(second, &TEdit::clicked);
    QTest::mouseClick(second, Qt::LeftButton);
    QCOMPARE(entered.size(), 1);
    QCOMPARE(clicked.size(), 1);
    QTest::keyClick(second, Qt::Key_Tab);
    QCOMPARE(exited.size(), 1);
    second->setFocus(Qt::TabFocusReason);
    QCOMPARE(entered.size(), 2);
}

// The focus the box lends to another window, a popup or the menu bar comes back to it: no exit and
// no second entry.
void ControlsTest::editKeepsItsEntryWhileTheFocusIsLent_data()
{
    QTest::addColumn<int>("reason");
    QTest::newRow("the window deactivated") << int(Qt::ActiveWindowFocusReason);
    QTest::newRow("a popup menu") << int(Qt::PopupFocusReason);
    QTest::newRow("the menu bar taking the keyboard") << int(Qt::MenuBarFocusReason);
}

void ControlsTest::editKeepsItsEntryWhileTheFocusIsLent()
{
    QFETCH(int, reason);
    TEdit *edit = shownEdit();
    QVERIFY(QTest::qWaitForWindowActive(window));
    QSignalSpy entered(edit, &TEdit::entered);
    QSignalSpy exited(edit, &TEdit::exited);

    QFocusEvent out(QEvent::FocusOut, Qt::FocusReason(reason));
    QCoreApplication::sendEvent(edit, &out);
    QFocusEvent back(QEvent::FocusIn, Qt::FocusReason(reason));
    QCoreApplication::sendEvent(edit, &back);
    QCOMPARE(exited.size(), 0);
    QCOMPARE(entered.size(), 0);
}

void ControlsTest::listChangesOnlyByTheUser()
{
    auto *list = new TComboBox(window);
    list->addItems({u"zero"_s, u"one"_s, u"two"_s});
    window->layout()->addWidget(list);
    window->show();
    QSignalSpy changed(list, &TComboBox::changed);

    list->SetItemIndex(2);
    list->setCurrentIndex(1);
    QCOMPARE(changed.size(), 0);

    list->setFocus();
    QTest::keyClick(list, Qt::Key_Down);
    QCOMPARE(changed.size(), 1);
    QCOMPARE(list->ItemIndex(), 2);
}

void ControlsTest::editableListReportsTypedText()
{
    auto *list = new TComboBox(window);
    list->addItems({u"(Same as source)"_s, u"15.000 (Multimedia)"_s, u"23.976"_s});
    list->setEditable(true);
    window->layout()->addWidget(list);
    window->show();
    QSignalSpy changed(list, &TComboBox::changed);

    list->lineEdit()->clear();
    QTest::keyClicks(list->lineEdit(), QStringLiteral("12.5"));
    QCOMPARE(changed.size(), 4);
    QCOMPARE(list->ItemIndex(), -1);
    QCOMPARE(list->currentText(), QStringLiteral("12.5"));
    QCOMPARE(list->count(), 3);

    QTest::keyClick(list->lineEdit(), Qt::Key_Return);
    QCOMPARE(list->count(), 3);

    list->SetItemIndex(0);
    QCOMPARE(list->ItemIndex(), 0);
    QCOMPARE(list->currentText(), QStringLiteral("(Same as source)"));
    QCOMPARE(changed.size(), 4);
}

void ControlsTest::upDownStepsWithinItsRange()
{
    auto *edit = new TEdit(window);
    edit->setObjectName(QStringLiteral("Margin"));
    edit->setText(QStringLiteral("0"));
    auto *spinner = new TUpDown(window);
    spinner->setAssociate(QStringLiteral("Margin"));
    spinner->setMin(0);
    spinner->setMax(2048);
    spinner->setIncrement(4);
    window->layout()->addWidget(edit);
    window->layout()->addWidget(spinner);
    window->show();
    QSignalSpy changes(edit, &QLineEdit::textChanged);

    spinner->Step(+1);
    QCOMPARE(edit->text(), QStringLiteral("4"));
    spinner->Step(-1);
    spinner->Step(-1);
    QCOMPARE(edit->text(), QStringLiteral("0"));
    edit->setText(QStringLiteral("2046"));
    spinner->Step(+1);
    QCOMPARE(edit->text(), QStringLiteral("2048"));
    spinner->Step(+1);
    QCOMPARE(edit->text(), QStringLiteral("2048"));
    edit->setText(QStringLiteral("1998"));
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_Up);
    QCOMPARE(edit->text(), QStringLiteral("2002"));
    QCOMPARE(changes.size(), 6);
}

void ControlsTest::failureInAHandlerIsReportedAndTheProgramGoesOn()
{
    TEdit *edit = shownEdit();
    int after = 0;
    connect(edit, &QLineEdit::textChanged, this, [](const QString &text) {
        if (text == QLatin1String("7"))
            throw Failure(QStringLiteral("'%1' is not a valid floating point value").arg(text));
    });
    connect(edit, &QLineEdit::textChanged, this, [&] { ++after; });

    QTest::keyClicks(edit, QStringLiteral("7"));
    QCOMPARE(edit->text(), QStringLiteral("7"));
    QCOMPARE(dialogs.messages.size(), 1);
    QCOMPARE(dialogs.messages[0].title, QStringLiteral("Quillmark"));
    QCOMPARE(dialogs.messages[0].text, QStringLiteral("'7' is not a valid floating point value."));
    QCOMPARE(dialogs.messages[0].icon, MessageIcon::Error);
    QCOMPARE(after, 0);

    QTest::keyClicks(edit, QStringLiteral("8"));
    QCOMPARE(edit->text(), QStringLiteral("78"));
    QCOMPARE(after, 1);
}

QUILLMARK_TEST_MAIN(ControlsTest)
#include "test_controls.moc"
