#include "params/Unit3.h"

#include "params/ParamTable.h"
#include "platform/WindowPlacement.h"
#include "ui_Unit3.h"

#include <QShowEvent>

TForm3::TForm3(QWidget *parent) : QDialog(parent), ui(std::make_unique<Ui::TForm3>()), table_(new ParamTable(this))
{
    ui->setupUi(this);
    setWindowFlags(Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    ui->SGP->setModel(table_);
}

TForm3::~TForm3() = default;

void TForm3::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (event->spontaneous())
        return;
    CenterWindowOn(this, parentWidget()->frameGeometry());
    // ENCODE has the focus when the dialog first opens; the grid, a compound widget, would otherwise
    // come first in the focus chain although it comes last in the tab order.
    if (!shownBefore_)
        ui->Button2->setFocus();
    shownBefore_ = true;
}
