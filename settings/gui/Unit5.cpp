#include "settings/gui/Unit5.h"

#include "platform/gui/WindowPlacement.h"
#include "ui_Unit5.h"

#include <QKeyEvent>

TForm5::TForm5(QWidget *parent) : QDialog(parent), ui(std::make_unique<Ui::TForm5>())
{
    ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
}

TForm5::~TForm5() = default;

QList<QLineEdit *> TForm5::TaggedBoxes() const
{
    QList<QLineEdit *> boxes;
    for (QLineEdit *box : findChildren<QLineEdit *>())
        if (box->property("Tag").toInt() > 0)
            boxes.append(box);
    return boxes;
}

void TForm5::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous()) {
        CenterWindowOn(this, parentWidget()->frameGeometry());
        FormShow();
    }
}

CodecButton TForm5::CheckedCodec() const
{
    if (ui->RadioButton1->isChecked())
        return CodecButton::V8;
    return ui->RadioButton2->isChecked() ? CodecButton::V7 : CodecButton::Neither;
}

// Cancel is a button only: Escape does not close this dialog.
void TForm5::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}
