#include "source/gui/Unit4.h"

#include "source/gui/MediaPlayer.h"
#include "ui_Unit4.h"

#include <QApplication>
#include <QRubberBand>
#include <QWindow>

namespace {

constexpr Qt::WindowFlags FloatingFlags = Qt::Tool | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint |
                                          Qt::WindowTitleHint | Qt::WindowMinMaxButtonsHint;
constexpr QPoint FirstFloatingPlace(199, 324);

} // namespace

TForm4::TForm4(QWidget *parent)
    : QWidget(parent), ui(std::make_unique<Ui::TForm4>()), dropOutline_(new QRubberBand(QRubberBand::Rectangle))
{
    ui->setupUi(this);
    // The window first floats at this place with the layout's size (the layout gives a window its
    // size, not its place).
    floatingGeometry_ = QRect(FirstFloatingPlace, size());
    setWindowFlags(FloatingFlags);
}

TForm4::~TForm4()
{
    delete dropOutline_;
}

TMediaPlayer2 *TForm4::Player() const
{
    return ui->MediaPlayer21;
}

bool TForm4::Docked() const
{
    return !isWindow();
}

void TForm4::ManualDock(QWidget *site)
{
    if (!Docked() && isVisible())
        floatingGeometry_ = geometry();
    dockSite_ = site;
    setParent(site, Qt::Widget);
    setGeometry(site->contentsRect());
    show();
    // A window that was the active one forgets it on becoming a child, and the platform, whose focus
    // is on the main window by then, tells nothing new: the main window would take no keys.
    if (!QApplication::activeWindow() && QGuiApplication::focusWindow() == window()->windowHandle())
        QApplication::setActiveWindow(window());
}

void TForm4::Float(const QRect &geometry)
{
    if (Docked())
        FormUnDock();
    setParent(dockSite_ ? dockSite_->window() : parentWidget(), FloatingFlags);
    setGeometry(geometry);
    floatingGeometry_ = geometry;
    show();
}

bool TForm4::OverDockSite(QPoint globalPosition) const
{
    return dockSite_ && dockSite_->isVisible() && dockSite_->rect().contains(dockSite_->mapFromGlobal(globalPosition));
}

QRect TForm4::FloatingGeometryAt(QPoint globalPosition) const
{
    return QRect(globalPosition - ui->DockGrip->GrabOffset(), floatingGeometry_.size());
}

void TForm4::RefreshControls()
{
    if (TMediaPlayer2 *player = Player()) {
        player->SetShowControls(false);
        player->SetShowControls(true);
    }
}

void TForm4::MovePlayerTo(QWidget *host)
{
    TMediaPlayer2 *player = Player();
    if (!player)
        return;
    if (host) {
        player->setParent(host);
        player->setGeometry(host->contentsRect());
    } else {
        ui->ClientArea->addWidget(player);
    }
    player->show();
}

void TForm4::ReleasePlayer()
{
    delete ui->MediaPlayer21;
    ui->MediaPlayer21 = nullptr;
}
