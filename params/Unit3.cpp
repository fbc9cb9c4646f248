#include "params/Unit3.h"

#include "params/ParamTable.h"
#include "ui_Unit3.h"

TForm3::TForm3(QWidget *parent) : QDialog(parent), ui(std::make_unique<Ui::TForm3>()), table_(new ParamTable(this))
{
    ui->setupUi(this);
    setWindowFlags(Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    ui->SGP->setModel(table_);
}

TForm3::~TForm3() = default;
