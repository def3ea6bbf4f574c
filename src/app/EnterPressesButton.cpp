#include "app/EnterPressesButton.h"

#include <QAbstractButton>
#include <QKeyEvent>

namespace {

class EnterPress final : public QObject
{
public:
    explicit EnterPress(QAbstractButton &button)
        : QObject(&button)
        , m_button(button)
    {
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched != &m_button || event->type() != QEvent::KeyPress)
            return false;
        const auto *key = static_cast<const QKeyEvent *>(event);
        if ((key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter) || key->modifiers() & ~Qt::KeypadModifier)
            return false;
        if (!key->isAutoRepeat() && m_button.isEnabled())
            m_button.animateClick();
        return true;
    }

private:
    QAbstractButton &m_button;
};

} // namespace

void pressWithEnter(QAbstractButton &button)
{
    button.installEventFilter(new EnterPress(button));
}
