#pragma once

#include <QDialog>
#include <memory>

namespace Ui {
class TForm2;
}

// The About box. Its controls keep the layout's names (forms/Unit2.ui): Image1 the program's icon,
// Label1 the program's name, Label2 its version, Label3 its authors, Label4 their e-mail address,
// Label5 the link to the web page, Button1 OK.
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
