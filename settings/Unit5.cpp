#include "settings/Unit5.h"

#include "ui_Unit5.h"

TForm5::TForm5(QWidget *parent) : QDialog(parent), ui(std::make_unique<Ui::TForm5>())
{
    ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
}

TForm5::~TForm5() = default;
