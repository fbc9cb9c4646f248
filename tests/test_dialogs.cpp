// The Options dialog, the Parameter Builder, the menu bar, the help command and the About box.
#include "TestApp.h"
#include "TestMain.h"
#include "UserActions.h"

#include "app/Forms.h"
#include "app/Unit1.h"
#include "params/Unit3.h"
#include "platform/Controls.h"
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
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>

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

// Double-clicks a value cell of the grid and types a new value, ending with Enter.
void editCell(QDialog &dialog, int row, const QString &text)
{
    auto *grid = dialog.findChild<QTableView *>(QStringLiteral("SGP"));
    const QModelIndex cell = grid->model()->index(row - 1, 1);
    grid->scrollTo(cell);
    const QPoint centre = grid->visualRect(cell).center();
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, Qt::NoModifier, centre);
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, Qt::NoModifier, centre);
    auto *editor = qobject_cast<QLineEdit *>(QApplication::focusWidget());
    QVERIFY(editor);
    editor->selectAll();
    QTest::keyClick(editor, Qt::Key_Delete);
    TypeText(editor, text);
    QTest::keyClick(editor, Qt::Key_Return);
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

    void menuBarHoldsEveryCommand();
    void helpOpensTheFileBesideTheProgramFirst();
    void aboutBoxShowsAndLinks();

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

void DialogsTest::menuBarHoldsEveryCommand()
{
    auto *bar = app->control<QMenuBar>(QStringLiteral("MainMenu1"));
    QStringList menus;
    for (const QAction *menu : bar->actions())
        menus.append(menu->text());
    QCOMPARE(menus, (QStringList{"&File", "&Utilities", "&Help"}));
    QCOMPARE(captions(app->control<QMenu>(QStringLiteral("File1"))),
             (QStringList{"&Open Source...", "&Select Output...", "-", "E&xit"}));
    QCOMPARE(captions(app->control<QMenu>(QStringLiteral("Utilities1"))),
             (QStringList{"Parameter Builder...", "View Source Info", "-", "Options..."}));
    QCOMPARE(captions(app->control<QMenu>(QStringLiteral("Help1"))),
             (QStringList{"Windows Media Encoding Util Help", "-", "&About"}));
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
        auto *link = dialog.findChild<QLabel *>(QStringLiteral("Label5"));
        emit link->linkActivated(QStringLiteral("https://quillmark.org"));
    }));
    app->control<QAction>(QStringLiteral("About1"))->trigger();
    QCOMPARE(app->shell.calls.size(), 1);
    QCOMPARE(app->shell.calls[0].file, QStringLiteral("https://quillmark.org"));
}

QUILLMARK_TEST_MAIN(DialogsTest)
#include "test_dialogs.moc"
