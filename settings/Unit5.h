#pragma once

#include <QDialog>
#include <memory>

namespace Ui {
class TForm5;
}

// The Options dialog.
class TForm5 : public QDialog {
    Q_OBJECT
public:
    explicit TForm5(QWidget *parent = nullptr);
    ~TForm5() override;

private:
    std::unique_ptr<Ui::TForm5> ui;
};
