#include "app/SelectionCombo.h"

#include <QEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QWheelEvent>

#include <algorithm>
#include <utility>

// The combo's text field. It tells when the event it is handling is one that ends typing (Enter,
// leaving the field): QComboBox turns those into `activated` when the text matches an entry.
// It also tells the combo when the user confirms (Enter) or leaves the list; opening the list's
// own popup or switching to another window is not leaving it.
class SelectionCombo::TypingLineEdit final : public QLineEdit
{
public:
    explicit TypingLineEdit(std::function<void()> confirmed)
        : m_confirmed(std::move(confirmed))
    {
    }

    [[nodiscard]] bool endingTyping() const { return m_endingTyping > 0; }

protected:
    bool event(QEvent *event) override
    {
        if (!endsTyping(event))
            return QLineEdit::event(event);
        ++m_endingTyping;
        const bool handled = QLineEdit::event(event);
        --m_endingTyping;
        if (confirms(event))
            m_confirmed();
        return handled;
    }

private:
    static bool endsTyping(const QEvent *event)
    {
        if (event->type() == QEvent::FocusOut)
            return true;
        if (event->type() != QEvent::KeyPress)
            return false;
        const int key = static_cast<const QKeyEvent *>(event)->key();
        return key == Qt::Key_Return || key == Qt::Key_Enter;
    }

    static bool confirms(const QEvent *event)
    {
        if (event->type() != QEvent::FocusOut)
            return true;
        const Qt::FocusReason reason = static_cast<const QFocusEvent *>(event)->reason();
        return reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason;
    }

    std::function<void()> m_confirmed;
    int m_endingTyping = 0;
};

SelectionCombo::SelectionCombo(QWidget *parent)
    : QComboBox(parent)
    , m_edit(new TypingLineEdit([this] { confirmPendingMove(); }))
{
    setEditable(true);
    setLineEdit(m_edit);
    // Typed text never becomes a list entry.
    setInsertPolicy(QComboBox::NoInsert);
    // The wheel never gives the focus, so passing over a list cannot make it take the wheel.
    setFocusPolicy(Qt::StrongFocus);
    connect(this, &QComboBox::activated, this, [this](int index) {
        if (m_edit->endingTyping())
            return;
        if (m_moving) {
            m_pendingMove = index;
            return;
        }
        m_pendingMove = -1;
        emit clicked(index);
    });
    // Typing over a moved-to entry drops the move.
    connect(m_edit, &QLineEdit::textEdited, this, [this] { m_pendingMove = -1; });
}

template <typename Move> void SelectionCombo::moveWithoutChoosing(Move move)
{
    m_moving = true;
    move();
    m_moving = false;
}

void SelectionCombo::wheelEvent(QWheelEvent *event)
{
    if (!hasFocus()) {
        event->ignore(); // to the window under the list, which may scroll
        return;
    }
    moveWithoutChoosing([&] { QComboBox::wheelEvent(event); });
}

void SelectionCombo::keyPressEvent(QKeyEvent *event)
{
    moveWithoutChoosing([&] { QComboBox::keyPressEvent(event); });
}

void SelectionCombo::confirmPendingMove()
{
    const int moved = std::exchange(m_pendingMove, -1);
    if (moved >= 0 && moved == currentIndex() && isEnabled())
        emit clicked(moved);
}

void SelectionCombo::setSorted(LessThan lessThan)
{
    m_lessThan = std::move(lessThan);
}

int SelectionCombo::sortedPosition(const QString &text) const
{
    // After any equal items, as a list that sorts on insertion does.
    int low = 0;
    int high = count();
    while (low < high) {
        const int middle = (low + high) / 2;
        if (m_lessThan(text, itemText(middle)))
            high = middle;
        else
            low = middle + 1;
    }
    return low;
}

void SelectionCombo::addItem(const QString &text)
{
    addItems({text});
}

void SelectionCombo::addItems(const QStringList &texts)
{
    if (texts.isEmpty())
        return;
    const QString shown = currentText();
    const bool noEntryChosen = currentIndex() < 0;

    if (!m_lessThan) {
        QComboBox::addItems(texts);
    } else if (count() == 0) {
        QStringList sorted = texts;
        std::stable_sort(sorted.begin(), sorted.end(), m_lessThan);
        QComboBox::addItems(sorted);
    } else {
        for (const QString &text : texts)
            insertItem(sortedPosition(text), text);
    }

    // QComboBox makes the first item current when an empty list gets items; the prompt stays.
    if (noEntryChosen && currentIndex() >= 0)
        setCurrentIndex(-1);
    if (currentText() != shown)
        setText(shown);
}

QStringList SelectionCombo::itemTexts() const
{
    QStringList texts;
    texts.reserve(count());
    for (int i = 0; i < count(); ++i)
        texts << itemText(i);
    return texts;
}

void SelectionCombo::setText(const QString &text)
{
    setEditText(text);
    // A text longer than the field shows its beginning.
    m_edit->setCursorPosition(0);
}
