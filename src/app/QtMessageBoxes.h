#pragma once

#include "platform/MessageBoxes.h"

// The real message boxes, modal QMessageBox windows.
class QtMessageBoxes final : public MessageBoxes
{
public:
    MessageAnswer show(const MessageRequest &request) override;
};
