#include "params/gui/Unit3.h"

#include "params/ParamTable.h"
#include "platform/gui/WindowPlacement.h"
#include "ui_Unit3.h"

#include <QKeyEvent>
#include <QPushButton>
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

// Enter presses the button that has the focus. Neither button is the dialog's default, so Enter
// anywhere else (ending the edit of a cell, say) presses nothing.
void TForm3::keyPressEvent(QKeyEvent *event)
{
    auto *button = qobject_cast<QPushButton *>(focusWidget());
    if (button && (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)) {
        button->click();
        return;
    }
    QDialog::keyPressEvent(event);
}
