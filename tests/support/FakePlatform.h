#pragma once

#include "platform/Platform.h"

#include <QList>
#include <QStringList>

#include <deque>
#include <memory>

// Message boxes that record every request and answer from a queue (Yes/No boxes with no answer
// queued take their default button; OK boxes answer Ok).
class FakeMessageBoxes final : public MessageBoxes
{
public:
    MessageAnswer show(const MessageRequest &request) override;

    void queueAnswer(MessageAnswer answer) { m_answers.push_back(answer); }
    [[nodiscard]] const QList<MessageRequest> &shown() const { return m_shown; }
    [[nodiscard]] QStringList texts() const;
    void clear() { m_shown.clear(); }

private:
    std::deque<MessageAnswer> m_answers;
    QList<MessageRequest> m_shown;
};

// Records the command lines instead of starting them; can be told to fail.
class FakeLauncher final : public ProgramLauncher
{
public:
    bool start(const QString &commandLine, QString *error) override;

    bool failNext = false;
    QStringList started;   // command lines that "started"
    QStringList attempted; // every command line asked for
};

class FakeExit final : public ProgramExit
{
public:
    void endProgram() override { ++m_calls; }
    [[nodiscard]] bool hasEnded() const override { return m_calls > 0; }
    [[nodiscard]] int calls() const { return m_calls; }

private:
    int m_calls = 0;
};

// A whole fake platform on a given drive root, with a fixed clock.
struct FakePlatform
{
    explicit FakePlatform(const QString &driveRoot);

    FakeMessageBoxes messages;
    FakeLauncher launcher;
    FakeExit exit;
    Platform platform;
};
