#pragma once

#include "platform/Platform.h"

#include <QStringList>

#include <deque>
#include <memory>
#include <utility>
#include <vector>

// Message boxes that record every request and answer Yes/No boxes from a queue, else by default.
class FakeMessageBoxes final : public MessageBoxes
{
public:
    MessageAnswer show(const MessageRequest &request) override
    {
        m_shown.append(request);
        if (request.buttons == MessageButtons::Ok || m_answers.empty())
            return request.buttons == MessageButtons::Ok ? MessageAnswer::Ok : request.defaultButton;
        const MessageAnswer answer = m_answers.front();
        m_answers.pop_front();
        return answer;
    }
    void queueAnswer(MessageAnswer answer) { m_answers.push_back(answer); }
    [[nodiscard]] const QList<MessageRequest> &shown() const { return m_shown; }
    [[nodiscard]] QStringList texts() const
    {
        QStringList result;
        for (const MessageRequest &request : m_shown)
            result << request.text;
        return result;
    }
    void clear() { m_shown.clear(); }

private:
    std::deque<MessageAnswer> m_answers;
    QList<MessageRequest> m_shown;
};

// Records the command lines instead of starting them; can be told to fail at the start, and makes
// the programs "started" so far end when the test says, each watch told once.
class FakeLauncher final : public ProgramLauncher
{
public:
    Status start(const QString &commandLine, LaunchWatch watch) override
    {
        attempted << commandLine;
        if (std::exchange(failNext, false))
            return launchFailure(commandLine);
        m_watches.push_back(std::move(watch));
        return Done{};
    }
    void endStarted(const LaunchResult &result)
    {
        for (const LaunchWatch &watch : std::exchange(m_watches, {}))
            if (watch)
                watch(result);
    }

    bool failNext = false;
    QStringList attempted; // every command line asked for

private:
    std::vector<LaunchWatch> m_watches;
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

// A whole fake platform on a given drive root, with a fixed clock (2006-12-04 09:05:30).
struct FakePlatform
{
    explicit FakePlatform(const QString &driveRoot)
        : platform{DrivePaths(driveRoot), messages, launcher, exit,
                   [] { return QDateTime(QDate(2006, 12, 4), QTime(9, 5, 30)); }}
    { }

    FakeMessageBoxes messages;
    FakeLauncher launcher;
    FakeExit exit;
    Platform platform;
};
