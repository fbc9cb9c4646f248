#include "source/Unit4.h"

#include "source/MediaPlayer.h"
#include "ui_Unit4.h"

TForm4::TForm4(QWidget *parent) : QWidget(parent), ui(std::make_unique<Ui::TForm4>())
{
    ui->setupUi(this);
    setWindowFlags(Qt::Tool | Qt::WindowStaysOnTopHint | Qt::WindowTitleHint | Qt::WindowMinMaxButtonsHint);
}

TForm4::~TForm4() = default;

TMediaPlayer2 *TForm4::Player() const
{
    return ui->MediaPlayer21;
}

void TForm4::ManualDock(QWidget *site)
{
    setParent(site, Qt::Widget);
    setGeometry(site->contentsRect());
    show();
}

void TForm4::ReleasePlayer()
{
    delete ui->MediaPlayer21;
    ui->MediaPlayer21 = nullptr;
}
