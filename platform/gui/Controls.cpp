#include "platform/gui/Controls.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QProxyStyle>
#include <QStyleFactory>
#include <QStyleOptionSlider>
#include <QToolButton>
#include <QVBoxLayout>
#include <QValidator>
#include <algorithm>

namespace {

// Focus that goes with the window's deactivation, to a popup, or to the menu bar taking the keyboard
// (Alt and a menu's letter) is not the user leaving the box: the focus comes back to it afterwards.
bool isFocusMove(const QFocusEvent &event)
{
    return event.reason() != Qt::ActiveWindowFocusReason && event.reason() != Qt::PopupFocusReason &&
           event.reason() != Qt::MenuBarFocusReason;
}

// The application's style, but a drop-down list opens below its box and shows as many rows as its
// owner asks, then scrolls: styles that open it as a menu over the box show every row, past the
// window's edges.
class ListBelowStyle : public QProxyStyle {
public:
    using QProxyStyle::QProxyStyle;

    int styleHint(StyleHint hint, const QStyleOption *option, const QWidget *widget, QStyleHintReturn *returned) const override
    {
        return hint == SH_ComboBox_Popup ? 0 : QProxyStyle::styleHint(hint, option, widget, returned);
    }
};

QStyle *listBelowStyle()
{
    static QPointer<QStyle> style;
    if (!style) {
        style = new ListBelowStyle(QStyleFactory::create(QApplication::style()->name()));
        style->setParent(qApp);
    }
    return style;
}

bool isLineBreak(QChar character)
{
    return character == u'\n' || character == u'\r';
}

class WithoutLineBreaksAround : public QValidator {
public:
    using QValidator::QValidator;

    State validate(QString &input, int &position) const override
    {
        qsizetype first = 0;
        while (first < input.size() && isLineBreak(input[first]))
            ++first;
        qsizetype end = input.size();
        while (end > first && isLineBreak(input[end - 1]))
            --end;
        input = input.mid(first, end - first);
        position = int(std::clamp<qsizetype>(position - first, 0, input.size()));
        return Acceptable;
    }
};

} // namespace

// --- TEdit ---------------------------------------------------------------------------------------

TEdit::TEdit(QWidget *parent) : QLineEdit(parent)
{
    setValidator(new WithoutLineBreaksAround(this));
}

// A box is entered whenever it gets the focus without holding it already, also when its window first
// gives it the focus on being activated; the focus it keeps through a deactivation is no new entry.
void TEdit::focusInEvent(QFocusEvent *event)
{
    QLineEdit::focusInEvent(event);
    if (holdsFocus_)
        return;
    holdsFocus_ = true;
    emit entered();
}

// The menu bar lends the focus as a popup does, and the selection stays as it does for a popup, so
// that typing on afterwards still replaces a selected placeholder.
void TEdit::focusOutEvent(QFocusEvent *event)
{
    QFocusEvent lent(QEvent::FocusOut,
                     event->reason() == Qt::MenuBarFocusReason ? Qt::PopupFocusReason : event->reason());
    QLineEdit::focusOutEvent(&lent);
    if (!holdsFocus_ || !isFocusMove(*event))
        return;
    holdsFocus_ = false;
    emit exited();
}

void TEdit::mouseReleaseEvent(QMouseEvent *event)
{
    QLineEdit::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
}

void TEdit::keyPressEvent(QKeyEvent *event)
{
    QChar key = TypedCharacter(*event);
    if (key.isNull()) {
        QLineEdit::keyPressEvent(event);
        return;
    }
    emit keyPressed(key);
    if (key.isNull())
        event->accept();
    else
        QLineEdit::keyPressEvent(event);
}

QChar TypedCharacter(const QKeyEvent &event)
{
    switch (event.key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter: return QChar(13);
    case Qt::Key_Backspace: return QChar(8);
    case Qt::Key_Tab: return QChar(9);
    case Qt::Key_Escape: return QChar(27);
    default: break;
    }
    const bool control = event.modifiers() & Qt::ControlModifier;
    if (control && event.key() >= Qt::Key_A && event.key() <= Qt::Key_Z)
        return QChar(event.key() - Qt::Key_A + 1);
    const QString text = event.text();
    if (control || text.isEmpty() || event.key() == Qt::Key_Delete)
        return QChar();
    return text.front();
}

// --- TComboBox -----------------------------------------------------------------------------------

TComboBox::TComboBox(QWidget *parent) : QComboBox(parent)
{
    setStyle(listBelowStyle());
    connect(this, &QComboBox::activated, this, [this] {
        typed_ = false;
        emit changed();
    });
}

int TComboBox::ItemIndex() const
{
    return typed_ ? -1 : currentIndex();
}

void TComboBox::SetItemIndex(int index)
{
    typed_ = false;
    setCurrentIndex(index);
}

bool TComboBox::event(QEvent *event)
{
    if (event->type() == QEvent::Polish)
        watchTyping();
    return QComboBox::event(event);
}

// Ctrl+Tab goes on to the tab control the box sits in, to turn its page as it does from any other
// control, rather than being typed into the search for a row.
void TComboBox::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Tab || event->key() == Qt::Key_Backtab) {
        event->ignore();
        return;
    }
    QComboBox::keyPressEvent(event);
}

// An editable box takes the text as typed: no completion, and Enter adds no row.
void TComboBox::watchTyping()
{
    if (watchingTyping_ || !lineEdit())
        return;
    watchingTyping_ = true;
    setCompleter(nullptr);
    setInsertPolicy(QComboBox::NoInsert);
    connect(lineEdit(), &QLineEdit::textEdited, this, [this] {
        typed_ = true;
        emit changed();
    });
}

// --- TTrackBar -----------------------------------------------------------------------------------

TTrackBar::TTrackBar(QWidget *parent) : QSlider(Qt::Horizontal, parent) {}

void TTrackBar::setSelStart(int position)
{
    selStart_ = position;
    update();
}

void TTrackBar::setSelEnd(int position)
{
    selEnd_ = position;
    update();
}

void TTrackBar::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    QStyleOptionSlider option;
    initStyleOption(&option);

    // The groove is drawn as if the bar stood at its minimum: some styles fill it up to the handle,
    // which would hide the highlighted range.
    QStyleOptionSlider emptyBar = option;
    emptyBar.subControls = QStyle::SC_SliderGroove | QStyle::SC_SliderTickmarks;
    emptyBar.sliderPosition = emptyBar.sliderValue = minimum();
    style()->drawComplexControl(QStyle::CC_Slider, &emptyBar, &painter, this);

    if (selEnd_ > selStart_ && maximum() > minimum()) {
        const QRect groove = style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderGroove, this);
        const QRect handle = style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, this);
        const int span = groove.width() - handle.width();
        const int from = groove.left() + handle.width() / 2 +
                         QStyle::sliderPositionFromValue(minimum(), maximum(), selStart_, span);
        const int to = groove.left() + handle.width() / 2 +
                       QStyle::sliderPositionFromValue(minimum(), maximum(), selEnd_, span);
        const QRect range(QPoint(from, groove.center().y() - 2), QPoint(to, groove.center().y() + 2));
        painter.fillRect(range, palette().color(isEnabled() ? QPalette::Highlight : QPalette::Mid));
    }

    option.subControls = QStyle::SC_SliderHandle;
    style()->drawComplexControl(QStyle::CC_Slider, &option, &painter, this);
}

// --- TUpDown -------------------------------------------------------------------------------------

TUpDown::TUpDown(QWidget *parent) : QWidget(parent), up_(new QToolButton(this)), down_(new QToolButton(this))
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    for (QToolButton *button : {up_, down_}) {
        button->setArrowType(button == up_ ? Qt::UpArrow : Qt::DownArrow);
        button->setAutoRepeat(true);
        button->setFocusPolicy(Qt::NoFocus);
        button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
        button->setIconSize(QSize(6, 6));
        layout->addWidget(button);
    }
    connect(up_, &QToolButton::clicked, this, [this] { Step(+1); });
    connect(down_, &QToolButton::clicked, this, [this] { Step(-1); });
}

QLineEdit *TUpDown::AssociatedEdit() const
{
    return window()->findChild<QLineEdit *>(associate_);
}

void TUpDown::Step(int direction)
{
    QLineEdit *edit = AssociatedEdit();
    bool ok = false;
    const int typed = edit ? edit->text().toInt(&ok) : 0;
    setPosition((ok ? qBound(min_, typed, max_) : position_) + direction * increment_);
    if (edit)
        edit->setText(QString::number(position_));
}

// The box is known once the window is built, which it is by the time the spinner is shown.
void TUpDown::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (QLineEdit *edit = AssociatedEdit(); edit && !watchingKeys_) {
        edit->installEventFilter(this);
        watchingKeys_ = true;
    }
}

bool TUpDown::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress && isEnabled()) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Up || key == Qt::Key_Down) {
            Step(key == Qt::Key_Up ? +1 : -1);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}
