#pragma once

#include "platform/ProgramExit.h"

// The real one: hides every window and leaves the event loop (or, before it runs, tells main()
// not to enter it).
class ApplicationExit final : public ProgramExit
{
public:
    void endProgram() override;
    [[nodiscard]] bool hasEnded() const override { return m_ended; }

private:
    bool m_ended = false;
};
