#include "app/gui/Unit2.h"

#include "platform/gui/WindowPlacement.h"
#include "ui_Unit2.h"

#include <QShowEvent>

TForm2::TForm2(QWidget *parent) : QDialog(parent), ui(std::make_unique<Ui::TForm2>())
{
    ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
}

TForm2::~TForm2() = default;

void TForm2::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        CenterWindowOn(this, parentWidget()->frameGeometry());
}
