#include "app/gui/Forms.h"
#include "app/gui/Unit1.h"
#include "params/ParamNames.h"
#include "params/ParamTable.h"
#include "params/gui/StoreParam.h"
#include "params/gui/Unit3.h"
#include "platform/gui/Dialogs.h"
#include "platform/gui/Services.h"
#include "settings/gui/Unit5.h"
#include "ui_Unit5.h"

#include <QLineEdit>

void TForm1::Options1Click()
{
    if (services().dialogs->Execute(*Form5) != QDialog::Accepted)
        return;
    for (QLineEdit *box : Form5->TaggedBoxes())
        StoreParam(box, QString());
    if (const auto codec = CodecRowFor(Form5->CheckedCodec()))
        Form3->Table().SetValue(RowVideoCodec, *codec);
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
