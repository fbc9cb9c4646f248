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

// Each opening starts on OK, so that Enter closes the box unless Tab has brought the focus to the link
// in this opening.
void TForm2::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (event->spontaneous())
        return;
    CenterWindowOn(this, parentWidget()->frameGeometry());
    ui->Button1->setFocus();
}
