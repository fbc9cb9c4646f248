#pragma once

#include <QComboBox>
#include <QLineEdit>
#include <QSlider>
#include <QWidget>

class QToolButton;

// An edit box with the events the handlers rely on: entered and exited when the focus moves within
// the program (not when another window, a popup or the menu bar takes it for a while), clicked on a
// mouse click, and keyPressed for every character typed, which the handler can swallow by setting it
// to 0.
class TEdit : public QLineEdit {
    Q_OBJECT
public:
    // Text pasted with line breaks around it, as a line copied whole from a terminal or a list, goes
    // in without them: the box holds one line.
    explicit TEdit(QWidget *parent = nullptr);

signals:
    void entered();
    void exited();
    void clicked();
    void keyPressed(QChar &key);

protected:
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    bool holdsFocus_ = false;
};

// The character a key press types, as the keyboard gives it to an edit box: Enter is 13, Backspace 8,
// Escape 27, Ctrl with a letter the control character of that letter (Ctrl+V is 22). 0 for keys that
// type nothing (arrows, Delete).
QChar TypedCharacter(const QKeyEvent &event);

// A list box whose change event, changed, is raised only by the user: choosing a row with the mouse,
// the keyboard or the wheel, and, when the box is editable, every keystroke typed into it. Selecting
// a row from code (SetItemIndex) raises nothing. Open, it shows maxVisibleItems rows at a time.
class TComboBox : public QComboBox {
    Q_OBJECT
public:
    explicit TComboBox(QWidget *parent = nullptr);

    // The selected row; -1 while the text typed into an editable box stands.
    int ItemIndex() const;
    void SetItemIndex(int index);

signals:
    void changed();

protected:
    bool event(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void watchTyping();

    bool typed_ = false;
    bool watchingTyping_ = false;
};

// A track bar that also draws a highlighted range, SelStart to SelEnd, along its groove.
class TTrackBar : public QSlider {
    Q_OBJECT
    Q_PROPERTY(int SelStart READ SelStart WRITE setSelStart)
    Q_PROPERTY(int SelEnd READ SelEnd WRITE setSelEnd)
public:
    explicit TTrackBar(QWidget *parent = nullptr);

    int SelStart() const { return selStart_; }
    int SelEnd() const { return selEnd_; }
    void setSelStart(int position);
    void setSelEnd(int position);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    int selStart_ = 0;
    int selEnd_ = 0;
};

// An up-down spinner tied to the edit box named by Associate: each step reads the box's number, moves
// it by Increment within Min to Max (no wrap) and writes the new number into the box, without a
// thousands separator. The Up and Down keys in the box step it too.
class TUpDown : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QString Associate READ Associate WRITE setAssociate)
    Q_PROPERTY(int Min READ Min WRITE setMin)
    Q_PROPERTY(int Max READ Max WRITE setMax)
    Q_PROPERTY(int Increment READ Increment WRITE setIncrement)
    Q_PROPERTY(int Position READ Position WRITE setPosition)
public:
    explicit TUpDown(QWidget *parent = nullptr);

    QString Associate() const { return associate_; }
    void setAssociate(const QString &name) { associate_ = name; }
    int Min() const { return min_; }
    void setMin(int value) { min_ = value; }
    int Max() const { return max_; }
    void setMax(int value) { max_ = value; }
    int Increment() const { return increment_; }
    void setIncrement(int value) { increment_ = value; }
    int Position() const { return position_; }
    void setPosition(int value) { position_ = qBound(min_, value, max_); }

    // One step up (+1) or down (-1).
    void Step(int direction);

    QLineEdit *AssociatedEdit() const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    QToolButton *up_;
    QToolButton *down_;
    QString associate_;
    int min_ = 0;
    int max_ = 100;
    int increment_ = 1;
    int position_ = 0;
    bool watchingKeys_ = false;
};
