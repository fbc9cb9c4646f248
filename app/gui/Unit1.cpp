#include "app/gui/Unit1.h"

#include "platform/gui/WindowPlacement.h"
#include "ui_Unit1.h"

#include <QCloseEvent>
#include <QLayout>
#include <QScreen>

namespace {

// The media information shows in the colours of the system's tooltips. A layout cannot name those
// colours: a style sheet here knows no tooltip role of the palette.
void showInToolTipColours(QWidget *widget)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Base, palette.color(QPalette::ToolTipBase));
    palette.setColor(QPalette::Text, palette.color(QPalette::ToolTipText));
    widget->setPalette(palette);
}

} // namespace

TForm1::TForm1(QWidget *parent) : QMainWindow(parent), ui(std::make_unique<Ui::TForm1>())
{
    ui->setupUi(this);
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    showInToolTipColours(ui->Memo1);
    FormCreate();
}

TForm1::~TForm1() = default;

void TForm1::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    if (shown_ || event->spontaneous())
        return;
    shown_ = true;
    CenterWindowOn(this, screen()->availableGeometry());
    FormShow();
}

void TForm1::closeEvent(QCloseEvent *event)
{
    FormClose();
    QMainWindow::closeEvent(event);
}
