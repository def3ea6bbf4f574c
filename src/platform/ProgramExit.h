#pragma once

// Ending the program: one call, so that tests can observe it instead of the process exiting.
class ProgramExit
{
public:
    virtual ~ProgramExit() = default;
    virtual void endProgram() = 0;
    [[nodiscard]] virtual bool hasEnded() const = 0;
};

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
