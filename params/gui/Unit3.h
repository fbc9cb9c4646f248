#pragma once

#include <QDialog>
#include <memory>

class ParamTable;

namespace Ui {
class TForm3;
}

// The Parameter Builder: a dialog around the grid SGP, which shows the parameter table and edits its
// values in place. The table lives here for the whole run, whether or not the dialog is shown.
// Its other controls keep the layout's names (forms/Unit3.ui): Image1 the dialog's picture, Label1 the
// line on how to use it, Button2 ENCODE, Button1 Cancel.
class TForm3 : public QDialog {
    Q_OBJECT
public:
    explicit TForm3(QWidget *parent = nullptr);
    ~TForm3() override;

    ParamTable &Table() const { return *table_; }

protected:
    void showEvent(QShowEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    std::unique_ptr<Ui::TForm3> ui;
    ParamTable *table_;
    bool shownBefore_ = false;
};
