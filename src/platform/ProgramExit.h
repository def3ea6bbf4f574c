#pragma once

// Ending the program: one call, so that tests can observe it instead of the process exiting.
class ProgramExit
{
public:
    virtual ~ProgramExit() = default;
    virtual void endProgram() = 0;
    [[nodiscard]] virtual bool hasEnded() const = 0;
};
