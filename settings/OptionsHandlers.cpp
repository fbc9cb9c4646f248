#include "app/Forms.h"
#include "app/Unit1.h"
#include "params/ParamNames.h"
#include "params/ParamTable.h"
#include "params/StoreParam.h"
#include "params/Unit3.h"
#include "platform/Dialogs.h"
#include "platform/Services.h"
#include "settings/Unit5.h"

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
