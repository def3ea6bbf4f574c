#pragma once

#include <QString>

// Every notice and question goes through this interface, so that tests can record the boxes and
// answer them from a script instead of blocking on a modal window.
// OkAction: OK and one more button, named by actionText, that answers Action.
enum class MessageButtons { Ok, YesNo, OkAction };
enum class MessageIcon { None, Information, Warning, Critical, Question };
enum class MessageAnswer { Ok, Yes, No, Action };

struct MessageRequest
{
    QString text;
    QString title;
    MessageButtons buttons = MessageButtons::Ok;
    MessageIcon icon = MessageIcon::None;
    MessageAnswer defaultButton = MessageAnswer::Ok;
    QString details = {}; // shown on request below the text, when not empty
    QString actionText = {}; // the extra button of OkAction
};

// The title a box gets when the system gives none.
inline const QString kDefaultMessageTitle = QStringLiteral("ZEFRO");

class MessageBoxes
{
public:
    virtual ~MessageBoxes() = default;
    virtual MessageAnswer show(const MessageRequest &request) = 0;

    // A plain notice with an OK button and the default title.
    MessageAnswer notify(const QString &text, MessageIcon icon = MessageIcon::None)
    {
        return show({text, kDefaultMessageTitle, MessageButtons::Ok, icon, MessageAnswer::Ok});
    }
};

// The quit question of the main window and of the map window; its default answer, No, ends the
// program. True when the user answered Yes: the program goes on.
[[nodiscard]] inline bool askToContinue(MessageBoxes &messages)
{
    return messages.show({QStringLiteral("Do you want to continue ?"), QStringLiteral("MsgBox Quit"),
                          MessageButtons::YesNo, MessageIcon::Critical, MessageAnswer::No})
        == MessageAnswer::Yes;
}
