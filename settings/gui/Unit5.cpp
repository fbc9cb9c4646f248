#include "settings/gui/Unit5.h"

#include "app/gui/Forms.h"
#include "params/ParamNames.h"
#include "params/ParamTable.h"
#include "params/gui/Unit3.h"
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

// The boxes show the table's values without the quotes stored around the content description.
void TForm5::FormShow()
{
    for (QLineEdit *box : TaggedBoxes())
        box->setText(RemoveChar(Form3->Table().Value(box->property("Tag").toInt()), u'"'));
    ShowCodec(CodecButtonFor(Form3->Table().Value(RowVideoCodec)));
}

// Neither button can be shown checked while the two exclude each other, so that is lifted meanwhile.
void TForm5::ShowCodec(CodecButton button)
{
    ui->RadioButton1->setAutoExclusive(false);
    ui->RadioButton2->setAutoExclusive(false);
    ui->RadioButton1->setChecked(button == CodecButton::V8);
    ui->RadioButton2->setChecked(button == CodecButton::V7);
    ui->RadioButton1->setAutoExclusive(true);
    ui->RadioButton2->setAutoExclusive(true);
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
