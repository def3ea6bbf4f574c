#include "support/FakePlatform.h"

MessageAnswer FakeMessageBoxes::show(const MessageRequest &request)
{
    m_shown.append(request);
    if (request.buttons == MessageButtons::Ok)
        return MessageAnswer::Ok;
    if (m_answers.empty())
        return request.defaultButton;
    const MessageAnswer answer = m_answers.front();
    m_answers.pop_front();
    return answer;
}

QStringList FakeMessageBoxes::texts() const
{
    QStringList result;
    for (const MessageRequest &request : m_shown)
        result << request.text;
    return result;
}

bool FakeLauncher::start(const QString &commandLine, QString *error)
{
    attempted << commandLine;
    if (failNext) {
        failNext = false;
        if (error)
            *error = launchFailureMessage(commandLine);
        return false;
    }
    started << commandLine;
    return true;
}

FakePlatform::FakePlatform(const QString &driveRoot)
    : platform{DrivePaths(driveRoot), messages, launcher, exit,
               [] { return QDateTime(QDate(2006, 12, 4), QTime(9, 5, 30)); }}
{
}
