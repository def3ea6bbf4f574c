#pragma once

// The libraries under ZEFRO (Qt's image readers, libpng through them, the platform plugins) write
// warnings and notes of their own to the terminal. They mean nothing to an analyst, whose messages
// come from ZEFRO itself, so they are kept off the terminal unless ZEFRO_DEBUG is set; critical and
// fatal messages always pass. Called once at the start of each program.
void keepLibraryMessagesQuiet();

// While it lives, what a library prints straight to standard error (libpng's own error lines, for
// one) goes nowhere, unless ZEFRO_DEBUG is set. For short calls into such a library only.
class QuietStandardError
{
public:
    QuietStandardError();
    QuietStandardError(const QuietStandardError &) = delete;
    QuietStandardError &operator=(const QuietStandardError &) = delete;
    ~QuietStandardError();

private:
    int m_saved = -1;
};
