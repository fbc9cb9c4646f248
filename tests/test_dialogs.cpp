// The Options dialog, the Parameter Builder, the menu bar, the help command and the About box.
#include "TestApp.h"
#include "TestMain.h"
#include "UserActions.h"

#include "app/gui/Forms.h"
#include "app/gui/Unit1.h"
#include "params/gui/Unit3.h"
#include "platform/gui/Controls.h"
#include "platform/gui/StringGrid.h"
#include "settings/Options.h"

#include <QAction>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>

using namespace Qt::StringLiterals;

namespace {

// What the user does in a dialog before closing it with one of its buttons.
FakeDialogs::DialogAction closeWith(const char *button, std::function<void(QDialog &)> before = {})
{
    return [button, before](QDialog &dialog) {
        if (before)
            before(dialog);
        QTest::mouseClick(dialog.findChild<QPushButton *>(QString::fromLatin1(button)), Qt::LeftButton);
        return dialog.result();
    };
}

// Brings the page that holds widget to the front by clicking its tab.
void showPageOf(QWidget *widget)
{
    for (QWidget *page = widget; page; page = page->parentWidget())
        if (auto *pages = qobject_cast<QTabWidget *>(page->parentWidget() ? page->parentWidget()->parentWidget() : nullptr)) {
            QTabBar *tabs = pages->tabBar();
            QTest::mouseClick(tabs, Qt::LeftButton, Qt::NoModifier, tabs->tabRect(pages->indexOf(page)).center());
            return;
        }
}

void retype(QDialog &dialog, const char *box, const QString &text)
{
    auto *edit = dialog.findChild<QLineEdit *>(QString::fromLatin1(box));
    showPageOf(edit);
    edit->setFocus();
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    TypeText(edit, text);
}

// The middle of the part of a cell the grid shows.
QPoint shownCentre(QTableView *grid, int row, int column)
{
    return (grid->visualRect(grid->model()->index(row, column)) & grid->viewport()->rect()).center();
}

// Double-clicks a value cell of the grid and types a new value, ending with Enter unless told not to.
void editCell(QDialog &dialog, int row, const QString &text, bool enter = true)
{
    auto *grid = dialog.findChild<QTableView *>(QStringLiteral("SGP"));
    const QModelIndex cell = grid->model()->index(row - 1, 1);
    grid->scrollTo(cell);
    const QPoint centre = shownCentre(grid, cell.row(), cell.column());
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, Qt::NoModifier, centre);
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, Qt::NoModifier, centre);
    auto *editor = qobject_cast<QLineEdit *>(QApplication::focusWidget());
    QVERIFY(editor);
    editor->selectAll();
    QTest::keyClick(editor, Qt::Key_Delete);
    TypeText(editor, text);
    if (enter)
        QTest::keyClick(editor, Qt::Key_Return);
}

// Clicks widget at position through its window, as the mouse does: the click also moves the focus.
void clickAt(QWidget *widget, QPoint position)
{
    QTest::mouseClick(widget->window()->windowHandle(), Qt::LeftButton, Qt::NoModifier, widget->mapTo(widget->window(), position));
}

// Presses a key where the keyboard focus is, as the user does.
void press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QTest::keyClick(QApplication::focusWidget(), Qt::Key(key), modifiers);
}

// What the user sees of the grid's current cell: it is a value cell shown from its beginning and over
// the whole room right of the names, the names stay at the left with the header above them, and the
// name beside it is the name of its row. An open editor lies inside the view too.
void verifyCurrentCellShown(TStringGrid *grid, const QString &step)
{
    const QByteArray stepText = step.toUtf8();
    const char *where = stepText.constData();
    auto *names = grid->findChild<QTableView *>(QStringLiteral("FixedColumn"));
    const QModelIndex current = grid->currentIndex();
    QVERIFY2(current.isValid() && current.column() == 1, where);
    const QRect view = grid->viewport()->rect();
    const QRect cell = grid->visualRect(current);
    QVERIFY2(cell.top() >= 0 && cell.bottom() <= view.bottom(), where);
    QVERIFY2(cell.left() == 128, where);
    QVERIFY2((cell & view).width() == view.width() - 128, where);

    QVERIFY2(names->isVisible() && names->horizontalHeader()->isVisible(), where);
    QCOMPARE(names->x(), grid->frameWidth());
    QCOMPARE(names->width(), 128);
    const QModelIndex nameIndex = names->model()->index(current.row(), 0);
    const QRect name = names->visualRect(nameIndex);
    QVERIFY2(names->viewport()->rect().contains(name), where);
    QCOMPARE(names->viewport()->mapToGlobal(name.topLeft()).y(), grid->viewport()->mapToGlobal(cell.topLeft()).y());

    if (auto *editor = qobject_cast<QLineEdit *>(QApplication::focusWidget()); editor && editor->parent() == grid->viewport())
        QVERIFY2(view.contains(editor->geometry()) && editor->x() >= 128, where);
}

QStringList captions(const QMenu *menu)
{
    QStringList texts;
    for (const QAction *action : menu->actions())
        texts.append(action->isSeparator() ? QStringLiteral("-") : action->text());
    return texts;
}

} // namespace

class DialogsTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void optionsStoresOnOkWithQuotesAndShowsThemWithout();
    void optionsQuotesInsideATitleAreLost();
    void optionsCancelKeepsTheTable();
    void optionsEmptiedBoxClearsItsRow();
    void optionsCodec_data();
    void optionsCodec();
    void removeChar();

    void builderShowsTheTableAndProtectsTheNames();
    void builderEditsStayAfterCancel();
    void builderEncodeWithAMissingSource();
    void builderKeepsItsSizeAndColumns();
    void builderGridKeepsTheCurrentCellInView_data();
    void builderGridKeepsTheCurrentCellInView();
    void builderTabGoesThroughTheValuesAndOnToTheButtons();
    void builderEnterPressesTheFocusedButton_data();
    void builderEnterPressesTheFocusedButton();
    void builderHeaderAndNamesTakeNoClicks();

    void menuBarHoldsEveryCommand();
    void helpOpensTheFileBesideTheProgramFirst();
    void aboutBoxShowsAndLinks();
    void aboutBoxEnterPressesOkUnlessTheLinkIsTabbedTo();

private:
    std::unique_ptr<TestApp> app;
};

void DialogsTest::init()
{
    app = std::make_unique<TestApp>();
}

void DialogsTest::cleanup()
{
    app.reset();
}

void DialogsTest::optionsStoresOnOkWithQuotesAndShowsThemWithout()
{
    app->dialogs.dialogActions.push_back(closeWith("Button1", [](QDialog &dialog) {
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Options"));
        retype(dialog, "Edit3", QStringLiteral("Holiday 2002"));
        retype(dialog, "Edit7", QStringLiteral("PG"));
        retype(dialog, "Edit1", QStringLiteral("_small"));
    }));
    Form1->Options1Click();
    QCOMPARE(app->row(19), QStringLiteral("\"Holiday 2002\""));
    QCOMPARE(app->row(23), QStringLiteral("\"PG\""));
    QCOMPARE(app->row(16), QStringLiteral("_small"));
    QCOMPARE(app->row(20), QString());
    QCOMPARE(app->row(4), QString());

    QString shownTitle;
    app->dialogs.dialogActions.push_back([&](QDialog &dialog) {
        shownTitle = dialog.findChild<QLineEdit *>(QStringLiteral("Edit3"))->text();
        return int(QDialog::Rejected);
    });
    Form1->Options1Click();
    QCOMPARE(shownTitle, QStringLiteral("Holiday 2002"));

    app->control<TEdit>(QStringLiteral("EditInput"))->setText(app->addMedia(QStringLiteral("clip.avi")));
    Form1->EncodeButtonClick();
    QVERIFY(app->appFile(QStringLiteral("tmpconfig.weu"))
                .endsWith("-outputstring _small\r\n-title \"Holiday 2002\"\r\n-rating \"PG\"\r\n"));
}

void DialogsTest::optionsQuotesInsideATitleAreLost()
{
    app->dialogs.dialogActions.push_back(closeWith("Button1", [](QDialog &dialog) {
        retype(dialog, "Edit3", QStringLiteral("The \"Best\" Bits"));
    }));
    Form1->Options1Click();
    QCOMPARE(app->row(19), QStringLiteral("\"The \"Best\" Bits\""));

    app->dialogs.dialogActions.push_back(closeWith("Button1", [](QDialog &dialog) {
        QCOMPARE(dialog.findChild<QLineEdit *>(QStringLiteral("Edit3"))->text(), QStringLiteral("The Best Bits"));
    }));
    Form1->Options1Click();
    QCOMPARE(app->row(19), QStringLiteral("\"The Best Bits\""));
}

void DialogsTest::optionsCancelKeepsTheTable()
{
    app->setRow(21, QStringLiteral("\"(c) us\""));
    app->dialogs.dialogActions.push_back(closeWith("Button2", [](QDialog &dialog) {
        QCOMPARE(dialog.findChild<QLineEdit *>(QStringLiteral("Edit5"))->text(), QStringLiteral("(c) us"));
        retype(dialog, "Edit5", QStringLiteral("changed"));
        QTest::keyClick(&dialog, Qt::Key_Escape);
        QVERIFY(dialog.isVisible());
    }));
    Form1->Options1Click();
    QCOMPARE(app->row(21), QStringLiteral("\"(c) us\""));

    app->dialogs.dialogActions.push_back(closeWith("Button2", [](QDialog &dialog) {
        QCOMPARE(dialog.findChild<QLineEdit *>(QStringLiteral("Edit5"))->text(), QStringLiteral("(c) us"));
    }));
    Form1->Options1Click();
}

void DialogsTest::optionsEmptiedBoxClearsItsRow()
{
    app->setRow(22, QStringLiteral("\"words\""));
    app->setRow(16, QStringLiteral("(default)"));
    app->dialogs.dialogActions.push_back(closeWith("Button1", [](QDialog &dialog) {
        retype(dialog, "Edit6", QString());
        QCOMPARE(dialog.findChild<QLineEdit *>(QStringLiteral("Edit1"))->text(), QStringLiteral("(default)"));
    }));
    Form1->Options1Click();
    QCOMPARE(app->row(22), QString());
    QCOMPARE(app->row(16), QString());
}

void DialogsTest::optionsCodec_data()
{
    QTest::addColumn<QString>("row");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QString>("choose");
    QTest::addColumn<QString>("stored");
    QTest::newRow("empty shows v8, v7 chosen") << "" << "v8" << "RadioButton2" << "WMV7";
    QTest::newRow("WMV8 shows v8 and is kept") << "WMV8" << "v8" << "" << "";
    QTest::newRow("WMV7 shows v7, v8 chosen") << "WMV7" << "v7" << "RadioButton1" << "";
    QTest::newRow("other text shows neither and is kept") << "WMV9" << "neither" << "" << "WMV9";
    QTest::newRow("other text, v7 chosen") << "wmv7" << "neither" << "RadioButton2" << "WMV7";
}

void DialogsTest::optionsCodec()
{
    QFETCH(QString, row);
    QFETCH(QString, shown);
    QFETCH(QString, choose);
    QFETCH(QString, stored);
    app->setRow(4, row);
    app->dialogs.dialogActions.push_back(closeWith("Button1", [&](QDialog &dialog) {
        const bool v8 = dialog.findChild<QRadioButton *>(QStringLiteral("RadioButton1"))->isChecked();
        const bool v7 = dialog.findChild<QRadioButton *>(QStringLiteral("RadioButton2"))->isChecked();
        QCOMPARE(v8 ? QStringLiteral("v8") : v7 ? QStringLiteral("v7") : QStringLiteral("neither"), shown);
        if (!choose.isEmpty()) {
            auto *button = dialog.findChild<QRadioButton *>(choose);
            showPageOf(button);
            QTest::mouseClick(button, Qt::LeftButton, Qt::NoModifier, QPoint(8, button->height() / 2));
        }
    }));
    Form1->Options1Click();
    QCOMPARE(app->row(4), stored);
}

void DialogsTest::removeChar()
{
    QCOMPARE(RemoveChar(QStringLiteral("\"a\"b\"\""), u'"'), QStringLiteral("ab"));
    QCOMPARE(RemoveChar(QString(), u'"'), QString());
}

void DialogsTest::builderShowsTheTableAndProtectsTheNames()
{
    app->setRow(17, QStringLiteral("av100"));
    app->dialogs.dialogActions.push_back(closeWith("Button1", [](QDialog &dialog) {
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Parameter Builder"));
        QCOMPARE(QApplication::focusWidget(), dialog.findChild<QPushButton *>(QStringLiteral("Button2")));
        auto *grid = dialog.findChild<QTableView *>(QStringLiteral("SGP"));
        QCOMPARE(grid->model()->index(16, 1).data().toString(), QStringLiteral("av100"));
        QCOMPARE(grid->horizontalHeader()->model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral(" Parameter"));
        QCOMPARE(grid->columnWidth(0), 128);
        QCOMPARE(grid->columnWidth(1), 1131);
        QCOMPARE(grid->rowHeight(0), 18);

        const QModelIndex name = grid->model()->index(0, 0);
        QTest::mouseDClick(grid->viewport(), Qt::LeftButton, Qt::NoModifier, grid->visualRect(name).center());
        QVERIFY(!qobject_cast<QLineEdit *>(QApplication::focusWidget()));
        QCOMPARE(name.data().toString(), QStringLiteral("-input"));
    }));
    Form1->View1Click();
    QVERIFY(app->shell.calls.isEmpty());
}

void DialogsTest::builderEditsStayAfterCancel()
{
    app->dialogs.dialogActions.push_back(closeWith("Button1", [](QDialog &dialog) {
        editCell(dialog, 18, QStringLiteral("/etc/other.weu"));
        editCell(dialog, 5, QStringLiteral("(default)"));
        editCell(dialog, 17, QStringLiteral("a64"));
    }));
    Form1->View1Click();
    QCOMPARE(app->row(18), QStringLiteral("/etc/other.weu"));
    QCOMPARE(app->row(5), QStringLiteral("(default)"));

    app->control<TEdit>(QStringLiteral("EditInput"))->setText(app->addMedia(QStringLiteral("clip.avi")));
    app->dialogs.dialogActions.push_back(closeWith("Button2", [](QDialog &dialog) {
        editCell(dialog, 17, QString());
    }));
    Form1->View1Click();
    QCOMPARE(app->shell.calls.size(), 1);
    const QByteArray config = app->appFile(QStringLiteral("tmpconfig.weu"));
    QVERIFY2(config.contains("\r\n-v_width (default)\r\n") && config.endsWith("-config /etc/other.weu\r\n")
                 && !config.contains("-profile"),
             config.constData());
}

void DialogsTest::builderEncodeWithAMissingSource()
{
    app->control<TEdit>(QStringLiteral("EditInput"))->setText(app->appPath(QStringLiteral("gone.avi")));
    bool openWhenTold = true;
    app->dialogs.onMessage = [&](const FakeDialogs::Shown &) { openWhenTold = Form3->isVisible(); };
    app->dialogs.dialogActions.push_back(closeWith("Button2", [](QDialog &dialog) { editCell(dialog, 19, QStringLiteral("x")); }));
    Form1->View1Click();
    QCOMPARE(app->dialogs.messages.size(), 1);
    QCOMPARE(app->dialogs.messages[0].title, QStringLiteral("File not found"));
    QVERIFY(!openWhenTold);
    QCOMPARE(app->row(19), QStringLiteral("x"));
    QVERIFY(app->shell.calls.isEmpty());
}

void DialogsTest::builderKeepsItsSizeAndColumns()
{
    app->dialogs.dialogActions.push_back([](QDialog &dialog) {
        dialog.resize(700, 400);
        dialog.findChild<QTableView *>(QStringLiteral("SGP"))->setColumnWidth(0, 200);
        dialog.resize(100, 100);
        return int(QDialog::Rejected);
    });
    Form1->View1Click();
    QSize sizeAtSecondOpening;
    int columnAtSecondOpening = 0;
    app->dialogs.dialogActions.push_back([&](QDialog &dialog) {
        sizeAtSecondOpening = dialog.size();
        columnAtSecondOpening = dialog.findChild<QTableView *>(QStringLiteral("SGP"))->columnWidth(0);
        return int(QDialog::Rejected);
    });
    Form1->View1Click();
    QCOMPARE(sizeAtSecondOpening, QSize(397, 173));
    QCOMPARE(columnAtSecondOpening, 200);
}

void DialogsTest::builderGridKeepsTheCurrentCellInView_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("Down to the last row and Up again") << "arrows";
    QTest::newRow("a click, then a long value typed") << "typing";
    QTest::newRow("scrolled sideways by the user, then Up") << "scrolled";
}

void DialogsTest::builderGridKeepsTheCurrentCellInView()
{
    QFETCH(QString, how);
    app->dialogs.dialogActions.push_back(closeWith("Button1", [&](QDialog &dialog) {
        auto *grid = dialog.findChild<TStringGrid *>(QStringLiteral("SGP"));
        clickAt(grid->viewport(), shownCentre(grid, 0, 1));
        QCOMPARE(QApplication::focusWidget(), grid);
        // The view follows a click after the double-click time has passed.
        QTest::qWait(QApplication::doubleClickInterval() + 50);
        verifyCurrentCellShown(grid, QStringLiteral("clicked"));
        if (how == QLatin1String("arrows")) {
            for (int row = 2; row <= 23; ++row) {
                press(Qt::Key_Down);
                verifyCurrentCellShown(grid, QStringLiteral("Down to row %1").arg(row));
            }
            QCOMPARE(grid->currentIndex().row(), 22);
            for (int row = 22; row >= 1; --row)
                press(Qt::Key_Up);
            verifyCurrentCellShown(grid, QStringLiteral("Up to row 1"));
        } else if (how == QLatin1String("typing")) {
            const QString value = QStringLiteral("\"%1/clip.avi\"").arg(QString(300, u'x'));
            TypeText(grid, value.left(1));
            TypeText(QApplication::focusWidget(), value.mid(1));
            auto *editor = qobject_cast<QLineEdit *>(QApplication::focusWidget());
            QVERIFY(editor);
            editor->repaint();
            verifyCurrentCellShown(grid, QStringLiteral("typing"));
            QVERIFY(editor->inputMethodQuery(Qt::ImCursorRectangle).toRect().center().x() < editor->width());
            press(Qt::Key_Return);
            QTRY_COMPARE(app->row(1), value);
            verifyCurrentCellShown(grid, QStringLiteral("typed"));
        } else {
            press(Qt::Key_Down);
            grid->horizontalScrollBar()->setValue(grid->horizontalScrollBar()->maximum());
            QVERIFY(grid->horizontalScrollBar()->value() > 0);
            auto *names = grid->findChild<QTableView *>(QStringLiteral("FixedColumn"));
            QCOMPARE(names->x(), grid->frameWidth());
            QVERIFY(names->isVisible());
            press(Qt::Key_Up);
            verifyCurrentCellShown(grid, QStringLiteral("Up after scrolling"));
        }
    }));
    Form1->View1Click();
}

void DialogsTest::builderTabGoesThroughTheValuesAndOnToTheButtons()
{
    app->dialogs.dialogActions.push_back(closeWith("Button1", [this](QDialog &dialog) {
        auto *grid = dialog.findChild<TStringGrid *>(QStringLiteral("SGP"));
        auto *encode = dialog.findChild<QPushButton *>(QStringLiteral("Button2"));
        auto *cancel = dialog.findChild<QPushButton *>(QStringLiteral("Button1"));
        QCOMPARE(QApplication::focusWidget(), encode);
        press(Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), cancel);
        press(Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), grid);
        for (int row = 1; row <= 23; ++row) {
            QCOMPARE(grid->currentIndex(), grid->model()->index(row - 1, 1));
            verifyCurrentCellShown(grid, QStringLiteral("Tab to row %1").arg(row));
            if (row < 23)
                press(Qt::Key_Tab);
        }
        press(Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), encode);
        press(Qt::Key_Backtab, Qt::ShiftModifier);
        QCOMPARE(QApplication::focusWidget(), grid);
        for (int row = 23; row > 1; --row)
            press(Qt::Key_Backtab, Qt::ShiftModifier);
        QCOMPARE(grid->currentIndex(), grid->model()->index(0, 1));
        press(Qt::Key_Backtab, Qt::ShiftModifier);
        QCOMPARE(QApplication::focusWidget(), cancel);

        // Tab in the editor of a cell stores it and goes on editing the next value; past the last
        // value it goes on to the buttons.
        editCell(dialog, 22, QStringLiteral("PG"), false);
        press(Qt::Key_Tab);
        QCOMPARE(app->row(22), QStringLiteral("PG"));
        QCOMPARE(grid->currentIndex(), grid->model()->index(22, 1));
        TypeText(QApplication::focusWidget(), QStringLiteral("x"));
        press(Qt::Key_Tab);
        QCOMPARE(app->row(23), QStringLiteral("x"));
        QCOMPARE(QApplication::focusWidget(), encode);
    }));
    Form1->View1Click();
}

void DialogsTest::builderEnterPressesTheFocusedButton_data()
{
    QTest::addColumn<QString>("focus");
    QTest::addColumn<bool>("closed");
    QTest::addColumn<int>("encodes");
    QTest::newRow("ENCODE") << "Button2" << true << 1;
    QTest::newRow("Cancel") << "Button1" << true << 0;
    QTest::newRow("a value cell") << "SGP" << false << 0;
    QTest::newRow("the editor of a value cell") << "editor" << false << 0;
}

void DialogsTest::builderEnterPressesTheFocusedButton()
{
    QFETCH(QString, focus);
    QFETCH(bool, closed);
    QFETCH(int, encodes);
    app->control<TEdit>(QStringLiteral("EditInput"))->setText(app->addMedia(QStringLiteral("clip.avi")));
    bool stillOpen = true;
    app->dialogs.dialogActions.push_back([&](QDialog &dialog) {
        if (focus == QLatin1String("editor")) {
            editCell(dialog, 19, QStringLiteral("Title"), false);
        } else {
            dialog.findChild<QWidget *>(focus)->setFocus(Qt::TabFocusReason);
        }
        press(Qt::Key_Return);
        stillOpen = dialog.isVisible();
        return dialog.result();
    });
    Form1->View1Click();
    QCOMPARE(!stillOpen, closed);
    QCOMPARE(app->shell.calls.size(), encodes);
    if (focus == QLatin1String("editor"))
        QCOMPARE(app->row(19), QStringLiteral("Title"));
}

void DialogsTest::builderHeaderAndNamesTakeNoClicks()
{
    app->dialogs.dialogActions.push_back(closeWith("Button1", [](QDialog &dialog) {
        auto *grid = dialog.findChild<TStringGrid *>(QStringLiteral("SGP"));
        auto *names = grid->findChild<QTableView *>(QStringLiteral("FixedColumn"));
        clickAt(grid->viewport(), shownCentre(grid, 4, 1));
        const QModelIndex chosen = grid->currentIndex();

        QHeaderView *header = grid->horizontalHeader();
        clickAt(header->viewport(), QPoint(header->sectionViewportPosition(1) + 200, header->height() / 2));
        clickAt(names->horizontalHeader()->viewport(), QPoint(40, 5));
        const QPoint name = names->visualRect(names->model()->index(9, 0)).center();
        clickAt(names->viewport(), name);
        QTest::mouseDClick(names->window()->windowHandle(), Qt::LeftButton, Qt::NoModifier,
                           names->viewport()->mapTo(names->window(), name));

        QCOMPARE(grid->currentIndex(), chosen);
        QCOMPARE(grid->selectionModel()->selectedIndexes(), QModelIndexList{chosen});
        QVERIFY(!qobject_cast<QLineEdit *>(QApplication::focusWidget()));
    }));
    Form1->View1Click();
}

void DialogsTest::menuBarHoldsEveryCommand()
{
    auto *bar = app->control<QMenuBar>(QStringLiteral("MainMenu1"));
    QStringList menus;
    for (const QAction *menu : bar->actions())
        menus.append(menu->text());
    QCOMPARE(menus, (QStringList{u"&File"_s, u"&Utilities"_s, u"&Help"_s}));
    QCOMPARE(captions(app->control<QMenu>(QStringLiteral("File1"))),
             (QStringList{u"&Open Source..."_s, u"&Select Output..."_s, u"-"_s, u"E&xit"_s}));
    QCOMPARE(captions(app->control<QMenu>(QStringLiteral("Utilities1"))),
             (QStringList{u"Parameter Builder..."_s, u"View Source Info"_s, u"-"_s, u"Options..."_s}));
    QCOMPARE(captions(app->control<QMenu>(QStringLiteral("Help1"))),
             (QStringList{u"Windows Media Encoding Util Help"_s, u"-"_s, u"&About"_s}));
    for (const char *pictured : {"Open1", "View1", "Viewsourceinfo1", "WindowsMediaEncodingUtilHelp1"})
        QVERIFY(!app->control<QAction>(QString::fromLatin1(pictured))->icon().isNull());
    QVERIFY(app->control<QAction>(QStringLiteral("Exit1"))->icon().isNull());
    auto *floatable = app->control<QAction>(QStringLiteral("FloatablePreviewWindow1"));
    QCOMPARE(floatable->shortcut(), QKeySequence(QStringLiteral("Ctrl+F")));

    app->dialogs.fileAnswers = {app->appPath(QStringLiteral("out.wmv"))};
    app->control<QAction>(QStringLiteral("SelectOutput1"))->trigger();
    QCOMPARE(app->control<TEdit>(QStringLiteral("EditOutput"))->text(), app->appPath(QStringLiteral("out.wmv")));
    app->control<QAction>(QStringLiteral("Open1"))->trigger();
    QCOMPARE(app->dialogs.fileDialogs.last().title, QStringLiteral("Open input file"));
    app->control<QAction>(QStringLiteral("Options1"))->trigger();
    app->control<QAction>(QStringLiteral("View1"))->trigger();
    QCOMPARE(app->dialogs.executed, 2);
    app->control<QAction>(QStringLiteral("Exit1"))->trigger();
    QCOMPARE(app->terminations, 1);
}

void DialogsTest::helpOpensTheFileBesideTheProgramFirst()
{
    QTemporaryDir programFiles;
    const QString tools = programFiles.filePath(QStringLiteral("Windows Media Components/Tools"));
    QVERIFY(QDir().mkpath(tools));
    QFile(tools + QStringLiteral("/WMEnUtil.chm")).open(QIODevice::WriteOnly);
    qputenv("ProgramFiles", programFiles.path().toLocal8Bit());

    Form1->WindowsMediaEncodingUtilHelp1Click();
    QFile(app->appPath(QStringLiteral("wmenutil.CHM"))).open(QIODevice::WriteOnly);
    Form1->WindowsMediaEncodingUtilHelp1Click();
    qputenv("ProgramFiles", "/nowhere");
    QFile::remove(app->appPath(QStringLiteral("wmenutil.CHM")));
    Form1->WindowsMediaEncodingUtilHelp1Click();
    qunsetenv("ProgramFiles");

    QCOMPARE(app->shell.calls.size(), 3);
    QCOMPARE(app->shell.calls[0].file, tools + QStringLiteral("/WMEnUtil.chm"));
    QCOMPARE(app->shell.calls[1].file, app->appPath(QStringLiteral("wmenutil.CHM")));
    QCOMPARE(app->shell.calls[2].file, QStringLiteral("/nowhere/Windows Media Components/Tools/WMEnUtil.chm"));
    QCOMPARE(app->shell.calls[2].parameters, QString());
    QCOMPARE(app->shell.calls[2].folder, QString());
    QCOMPARE(app->shell.calls[2].showMode, 1);
}

void DialogsTest::aboutBoxShowsAndLinks()
{
    app->dialogs.dialogActions.push_back(closeWith("Button1", [](QDialog &dialog) {
        QCOMPARE(dialog.windowTitle(), QStringLiteral("About"));
        QCOMPARE(dialog.size(), QSize(384, 138));
        QCOMPARE(dialog.findChild<QLabel *>(QStringLiteral("Label1"))->text(), QStringLiteral("Quillmark"));
        QCOMPARE(dialog.findChild<QLabel *>(QStringLiteral("Label2"))->text(), QStringLiteral("Version 1.3"));
        // OK has the focus; Tab goes on to the link's line and to the link, and Enter opens it.
        dialog.activateWindow();
        QTRY_COMPARE(QApplication::focusWidget(), dialog.findChild<QPushButton *>(QStringLiteral("Button1")));
        press(Qt::Key_Tab);
        press(Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), dialog.findChild<QLabel *>(QStringLiteral("Label5")));
        press(Qt::Key_Return);
    }));
    app->control<QAction>(QStringLiteral("About1"))->trigger();
    QCOMPARE(app->shell.calls.size(), 1);
    QCOMPARE(app->shell.calls[0].file, QStringLiteral("https://quillmark.org"));
}

// A click on the link opens it and leaves the focus where it was, so that Enter presses OK, which it
// does on every opening of the box, until Tab brings the focus to the link. The main window's keys work
// on once the box is closed.
void DialogsTest::aboutBoxEnterPressesOkUnlessTheLinkIsTabbedTo()
{
    auto *about = app->control<QDialog>(u"Form2"_s);
    auto *ok = about->findChild<QPushButton *>(u"Button1"_s);
    auto *link = about->findChild<QLabel *>(u"Label5"_s);
    // Opens the box from the main window, which the window manager gives the keyboard back to whenever
    // the box closes, does what act does, and tells how the box ended: -1 while it is still open.
    const auto openAbout = [&](const std::function<void()> &act) {
        Form1->activateWindow();
        [] { QTRY_VERIFY(Form1->isActiveWindow()); }();
        int result = 0;
        app->dialogs.dialogActions.push_back([&](QDialog &dialog) {
            dialog.activateWindow();
            [&] { QTRY_COMPARE(QApplication::focusWidget(), ok); }();
            act();
            result = dialog.isVisible() ? -1 : dialog.result();
            return result;
        });
        Form1->About1Click();
        return result;
    };

    const int afterClick = openAbout([&] {
        clickAt(link, QPoint(10, link->height() / 2));
        QCOMPARE(app->shell.calls.size(), 1);
        QCOMPARE(QApplication::focusWidget(), ok);
        press(Qt::Key_Return);
    });
    QCOMPARE(afterClick, int(QDialog::Accepted));
    QCOMPARE(app->shell.calls.size(), 1);

    const int afterTab = openAbout([&] {
        press(Qt::Key_Tab);
        press(Qt::Key_Tab);
        press(Qt::Key_Return);
    });
    QCOMPARE(afterTab, -1);
    QCOMPARE(app->shell.calls.size(), 2);
    QCOMPARE(openAbout([] { press(Qt::Key_Return); }), int(QDialog::Accepted));
    QCOMPARE(app->shell.calls.size(), 2);

    Form1->activateWindow();
    QTRY_VERIFY(Form1->isActiveWindow());
    press(Qt::Key_F, Qt::ControlModifier);
    QVERIFY(!app->control<QAction>(u"FloatablePreviewWindow1"_s)->isChecked());
    press(Qt::Key_F, Qt::AltModifier);
    QTRY_VERIFY(QApplication::activePopupWidget());
    QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_X);
    QCOMPARE(app->terminations, 1);
}

QUILLMARK_TEST_MAIN(DialogsTest)
#include "test_dialogs.moc"
