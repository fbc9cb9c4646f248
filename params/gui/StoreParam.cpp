#include "params/gui/StoreParam.h"

#include "app/gui/Forms.h"
#include "params/ParamNames.h"
#include "params/ParamTable.h"
#include "params/Placeholders.h"
#include "params/gui/Unit3.h"
#include "platform/gui/Application.h"
#include "platform/gui/Dialogs.h"
#include "platform/gui/Services.h"

#include <QAbstractSlider>
#include <QComboBox>
#include <QLineEdit>

namespace {

bool isContentDescription(int row)
{
    return row >= RowTitle && row <= RowRating;
}

QString editValue(const QLineEdit &edit, int row, const QString &explicitValue)
{
    if (!explicitValue.isEmpty()) {
        if (explicitValue == QLatin1String("!"))
            return {};
        return QString(explicitValue).replace(DefaultPlaceholder, QLatin1String("?"), Qt::CaseInsensitive);
    }
    const QString text = edit.text();
    if (IsPlaceholder(text))
        return {};
    if (isContentDescription(row) && !text.isEmpty())
        return u'"' + text + u'"';
    return text;
}

QString trackBarValue(const QAbstractSlider &bar)
{
    return bar.value() == -1 ? QString() : QString::number(bar.value());
}

} // namespace

bool StoreParam(ParamTable &table, QObject *control, const QString &explicitValue)
{
    const int row = control->property("Tag").toInt();
    QString value;
    if (const auto *edit = qobject_cast<const QLineEdit *>(control))
        value = editValue(*edit, row, explicitValue);
    else if (const auto *bar = qobject_cast<const QAbstractSlider *>(control))
        value = trackBarValue(*bar);
    else if (qobject_cast<const QComboBox *>(control))
        value = explicitValue;
    else {
        services().dialogs->Message(TApplication::Title(),
                                    QStringLiteral("Unable to determine component so cannot extract value"),
                                    MessageIcon::None);
        return false;
    }
    table.SetValue(row, value);
    return true;
}

bool StoreParam(QObject *control, const QString &explicitValue)
{
    return StoreParam(Form3->Table(), control, explicitValue);
}

void ResetToDefault(QLineEdit *box)
{
    box->setText(DefaultPlaceholder);
    StoreParam(box, QStringLiteral("!"));
}
