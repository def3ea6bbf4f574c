#include "platform/LibraryMessages.h"

#include <QtGlobal>

#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace {

QtMessageHandler g_previous = nullptr;

void quietHandler(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (type == QtCriticalMsg || type == QtFatalMsg)
        g_previous(type, context, message);
}

} // namespace

void keepLibraryMessagesQuiet()
{
    if (qEnvironmentVariableIsEmpty("ZEFRO_DEBUG"))
        g_previous = qInstallMessageHandler(quietHandler);
}

QuietStandardError::QuietStandardError()
{
    if (!qEnvironmentVariableIsEmpty("ZEFRO_DEBUG"))
        return;
    std::fflush(stderr);
    const int nowhere = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (nowhere < 0)
        return;
    m_saved = ::fcntl(STDERR_FILENO, F_DUPFD_CLOEXEC, 0);
    if (m_saved >= 0)
        ::dup2(nowhere, STDERR_FILENO);
    ::close(nowhere);
}

QuietStandardError::~QuietStandardError()
{
    if (m_saved < 0)
        return;
    std::fflush(stderr);
    ::dup2(m_saved, STDERR_FILENO);
    ::close(m_saved);
}
