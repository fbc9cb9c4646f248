#pragma once

#include <QDialog>
#include <memory>

namespace Ui {
class TForm2;
}

// The About box.
class TForm2 : public QDialog {
    Q_OBJECT
public:
    explicit TForm2(QWidget *parent = nullptr);
    ~TForm2() override;

public slots:
    void Label5Click(const QString &link);

protected:
    void showEvent(QShowEvent *event) override;

private:
    std::unique_ptr<Ui::TForm2> ui;
};
