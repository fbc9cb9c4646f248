#include "app/gui/Forms.h"
#include "app/gui/Unit1.h"
#include "params/ParamNames.h"
#include "params/ParamTable.h"
#include "params/gui/StoreParam.h"
#include "params/gui/Unit3.h"
#include "platform/gui/Dialogs.h"
#include "platform/gui/Services.h"
#include "settings/gui/Unit5.h"

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
