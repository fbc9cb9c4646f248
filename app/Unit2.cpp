#include "app/Unit2.h"

#include "ui_Unit2.h"

TForm2::TForm2(QWidget *parent) : QDialog(parent), ui(std::make_unique<Ui::TForm2>())
{
    ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
}

TForm2::~TForm2() = default;
