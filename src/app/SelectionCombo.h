#pragma once

#include <QComboBox>

#include <functional>

// The editable drop-down of the main window. Its `clicked` signal is the user's choice of a list
// entry (from the open list, or with the arrow keys and the wheel), never a change of its text by
// the program and never typing: QComboBox also reports `activated` when typed text that matches an
// entry is confirmed with Enter or by leaving the field, and those reports are dropped here.
//
// The wheel and the arrow keys only move through the entries: the wheel only when the list has the
// focus (a pointer passing over a list never changes it), and a moved-to entry becomes the choice
// when the user confirms it with Enter or leaves the list. A choice cannot be taken back but by
// Reset, so one notch or one key press must not make it.
//
// Items added to a combo never replace the text it shows (a prompt such as "inserire CAS" stays
// until the user picks an entry), and a sorted combo keeps its items in the order of its comparison
// whatever order they are added in.
class SelectionCombo final : public QComboBox
{
    Q_OBJECT

public:
    using LessThan = std::function<bool(const QString &, const QString &)>;

    explicit SelectionCombo(QWidget *parent = nullptr);

    // Keep the items sorted by `lessThan` (for example the catalogue collation).
    void setSorted(LessThan lessThan);

    // Add items (at their sorted place in a sorted combo) without touching the shown text.
    // These hide QComboBox's own, so calls through a SelectionCombo keep the rules above.
    void addItem(const QString &text);
    void addItems(const QStringList &texts);

    // Every item, in display order.
    [[nodiscard]] QStringList itemTexts() const;

    // The shown text (the prompt or the chosen entry), and setting it without any click event.
    [[nodiscard]] QString text() const { return currentText(); }
    void setText(const QString &text);

signals:
    void clicked(int index);

protected:
    void wheelEvent(QWheelEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    // Runs a handler of QComboBox's own that moves to another entry, keeping the move as pending.
    template <typename Move> void moveWithoutChoosing(Move move);
    void confirmPendingMove();

    [[nodiscard]] int sortedPosition(const QString &text) const;
    class TypingLineEdit;
    TypingLineEdit *m_edit;
    LessThan m_lessThan;
    bool m_moving = false;
    int m_pendingMove = -1; // the entry moved to and not yet confirmed

};
