#pragma once

#include "settings/Options.h"

#include <QDialog>
#include <memory>

class QLineEdit;

namespace Ui {
class TForm5;
}

// The Options dialog: content description, the batch file name appendage and the codec. It keeps
// nothing of its own: each showing loads its boxes from the parameter table.
//
// The controls keep the layout's names (forms/Unit5.ui):
//   PageControl1  the tabs: TabSheet1 "Content Description", TabSheet2 "Advanced Encoding"
//   Edit3 .. Edit7  the content description's title, author, copyright, description and rating,
//                 captioned by Label4 .. Label8
//   Edit1         the name appendage of batch-encoded files, captioned by Label1
//   RadioButton1, RadioButton2  the codec: Windows Media v8, v7; captioned by Label3, Bevel1 the line
//                 beside that caption
//   Button1, Button2  OK, Cancel
class TForm5 : public QDialog {
    Q_OBJECT
public:
    explicit TForm5(QWidget *parent = nullptr);
    ~TForm5() override;

    // The edit boxes that carry a parameter-table row, in the dialog's order.
    QList<QLineEdit *> TaggedBoxes() const;

    CodecButton CheckedCodec() const;

protected:
    void showEvent(QShowEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void FormShow();
    void ShowCodec(CodecButton button);

    std::unique_ptr<Ui::TForm5> ui;
};
