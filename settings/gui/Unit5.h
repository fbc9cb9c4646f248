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
