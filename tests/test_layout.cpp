// Every caption of every window shows whole: with the fonts the layouts name, with a wider font in
// their place, and (run again by CTest with QT_SCALE_FACTOR=1.5) at one and a half times the size. The
// main window grown by "More Options" stays on the screen, which at that size is smaller than it.
#include "TestApp.h"
#include "TestMain.h"

#include "app/gui/Forms.h"
#include "app/gui/Unit1.h"
#include "platform/gui/WindowPlacement.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QLabel>
#include <QLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTabBar>
#include <QTabWidget>

namespace {

// The captions of one window that do not show whole, with why.
QStringList clippedCaptions(QWidget *window)
{
    QStringList clipped;
    for (QLabel *label : window->findChildren<QLabel *>()) {
        if (label->window() != window || label->text().isEmpty() || label->textFormat() == Qt::RichText)
            continue;
        const QFontMetrics metrics = label->fontMetrics();
        const QRect room = label->contentsRect();
        const bool fits = label->wordWrap() ? label->heightForWidth(room.width()) <= room.height()
                                            : metrics.horizontalAdvance(label->text()) <= room.width() &&
                                                  metrics.height() <= room.height();
        if (!fits)
            clipped.append(QStringLiteral("%1 \"%2\"").arg(label->objectName(), label->text()));
    }
    for (QAbstractButton *button : window->findChildren<QAbstractButton *>()) {
        if (button->window() != window || button->text().isEmpty() || button->objectName().isEmpty())
            continue;
        const bool box = qobject_cast<QCheckBox *>(button) || qobject_cast<QRadioButton *>(button);
        const int needed = box ? button->sizeHint().width()
                               : button->fontMetrics().horizontalAdvance(button->text()) + 8;
        if (needed > button->width())
            clipped.append(QStringLiteral("%1 \"%2\"").arg(button->objectName(), button->text()));
    }
    for (QTabWidget *pages : window->findChildren<QTabWidget *>()) {
        if (pages->window() != window)
            continue;
        if (pages->tabBar()->sizeHint().width() > pages->width())
            clipped.append(QStringLiteral("%1's tabs").arg(pages->objectName()));
    }
    return clipped;
}

} // namespace

class LayoutTest : public QObject {
    Q_OBJECT

private slots:
    void captionsShowWhole_data();
    void captionsShowWhole();
    void centringKeepsTheCornerOnTheScreen_data();
    void centringKeepsTheCornerOnTheScreen();
    void moreOptionsKeepsTheWindowOnTheScreen_data();
    void moreOptionsKeepsTheWindowOnTheScreen();
};

void LayoutTest::captionsShowWhole_data()
{
    QTest::addColumn<QString>("font");
    QTest::newRow("the font of the layouts") << QString();
    QTest::newRow("a wider font in its place") << QStringLiteral("DejaVu Sans");
}

void LayoutTest::captionsShowWhole()
{
    QFETCH(QString, font);
    if (!font.isEmpty()) {
        QFont::removeSubstitutions(QStringLiteral("MS Sans Serif"));
        QFont::insertSubstitution(QStringLiteral("MS Sans Serif"), font);
    }
    TestApp app;
    if (!font.isEmpty())
        QCOMPARE(QFontInfo(Form1->font()).family(), font);
    Form1->ButtonMoreClick();
    QStringList clipped;
    for (const char *name : {"Form1", "Form2", "Form3", "Form4", "Form5"}) {
        auto *window = app.control<QWidget>(QString::fromLatin1(name));
        window->ensurePolished();
        if (window->layout())
            window->layout()->activate();
        for (QWidget *child : window->findChildren<QWidget *>())
            child->ensurePolished();
        for (const QString &caption : clippedCaptions(window))
            clipped.append(QString::fromLatin1(name) + u' ' + caption);
    }
    QVERIFY2(clipped.isEmpty(), qPrintable(clipped.join(QStringLiteral("; "))));
}

void LayoutTest::centringKeepsTheCornerOnTheScreen_data()
{
    QTest::addColumn<int>("widthOver"); // how much wider than the screen's area, in pixels
    QTest::addColumn<int>("heightOver");
    QTest::newRow("fits") << -200 << -200;
    QTest::newRow("wider, as the main window at twice the text scale") << 34 << -100;
    QTest::newRow("wider and taller") << 60 << 40;
}

// A window is centred on the screen, but one larger than the screen keeps its top left corner on it.
void LayoutTest::centringKeepsTheCornerOnTheScreen()
{
    QFETCH(int, widthOver);
    QFETCH(int, heightOver);
    QWidget window;
    const QRect area = window.screen()->availableGeometry();
    window.resize(area.width() + widthOver, area.height() + heightOver);
    CenterWindowOn(&window, area);
    const QRect frame = window.frameGeometry();
    QVERIFY2(frame.left() >= area.left() && frame.top() >= area.top(), qPrintable(QStringLiteral("%1, %2").arg(frame.left()).arg(frame.top())));
    if (widthOver < 0)
        QVERIFY(std::abs(frame.center().x() - area.center().x()) <= 1);
    if (heightOver < 0)
        QVERIFY(std::abs(frame.center().y() - area.center().y()) <= 1);
}

void LayoutTest::moreOptionsKeepsTheWindowOnTheScreen_data()
{
    QTest::addColumn<int>("startTop");   // where the window starts, from the top of the screen's area
    QTest::newRow("centred, as it starts") << -1;
    QTest::newRow("at the top of the screen") << 0;
    QTest::newRow("dragged partly below the screen") << 500;
}

// More Options moves the window up just as far as it must to keep it whole within the screen's area,
// and never above it, nor sideways; Less Options leaves its top where it is. The window grows and
// shrinks by the panel.
void LayoutTest::moreOptionsKeepsTheWindowOnTheScreen()
{
    QFETCH(int, startTop);
    TestApp app;
    const QRect area = Form1->screen()->availableGeometry();
    if (startTop >= 0)
        Form1->move(Form1->frameGeometry().left(), area.top() + startTop);
    const QRect before = Form1->frameGeometry();

    QTest::mouseClick(app.control<QPushButton>(QStringLiteral("ButtonMore")), Qt::LeftButton);
    const QRect grown = Form1->frameGeometry();
    QCOMPARE(grown.left(), before.left());
    QCOMPARE(grown.height(), before.height() + 489 - 186);
    if (grown.height() > area.height())
        QCOMPARE(grown.top(), area.top());
    else if (before.top() + grown.height() - 1 > area.bottom())
        QCOMPARE(grown.bottom(), area.bottom());
    else
        QCOMPARE(grown.top(), before.top());

    QTest::mouseClick(app.control<QPushButton>(QStringLiteral("ButtonMore")), Qt::LeftButton);
    QTRY_COMPARE(Form1->frameGeometry().height(), before.height());
    QCOMPARE(Form1->frameGeometry().top(), grown.top());
}

QUILLMARK_TEST_MAIN(LayoutTest)
#include "test_layout.moc"
