#include "app/SysInfo.h"

#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

#ifdef Q_OS_WIN
#include <windows.h>

#include <memory>
#include <type_traits>
#endif

#ifdef Q_OS_WIN
namespace {

struct RegistryKeyCloser
{
    void operator()(HKEY key) const { RegCloseKey(key); }
};
using RegistryKey = std::unique_ptr<std::remove_pointer_t<HKEY>, RegistryKeyCloser>;

} // namespace
#endif

RegistryValue GetKeyValue(RegistryRoot root, const QString &keyName, const QString &valueName)
{
#ifdef Q_OS_WIN
    Q_UNUSED(root); // the machine-wide root is the only one there is
    const HKEY rootKey = HKEY_LOCAL_MACHINE;
    HKEY opened = nullptr;
    if (RegOpenKeyExW(rootKey, reinterpret_cast<LPCWSTR>(keyName.utf16()), 0, KEY_QUERY_VALUE, &opened)
        != ERROR_SUCCESS)
        return {};
    const RegistryKey key(opened); // closed on every path

    // A buffer of 1024 characters; a string value is taken up to its terminating zero.
    wchar_t buffer[1024] = {};
    DWORD type = 0;
    DWORD size = sizeof(buffer) - sizeof(wchar_t);
    if (RegQueryValueExW(key.get(), reinterpret_cast<LPCWSTR>(valueName.utf16()), nullptr, &type,
                         reinterpret_cast<LPBYTE>(buffer), &size)
        != ERROR_SUCCESS)
        return {};
    if (type != REG_SZ && type != REG_EXPAND_SZ)
        return {};
    return {true, QString::fromWCharArray(buffer)};
#else
    Q_UNUSED(root);
    Q_UNUSED(keyName);
    Q_UNUSED(valueName);
    return {};
#endif
}

QStringList knownSysInfoPrograms()
{
    return {QStringLiteral("hardinfo"), QStringLiteral("gnome-system-monitor"), QStringLiteral("plasma-systemmonitor"),
            QStringLiteral("ksysguard"), QStringLiteral("xfce4-taskmanager")};
}

SysInfoEnvironment systemSysInfoEnvironment()
{
    SysInfoEnvironment environment;
    environment.readRegistry = GetKeyValue;
    environment.fileExists = [](const QString &path) { return QFileInfo(path).isFile(); };
    environment.findExecutable = [](const QString &program) { return QStandardPaths::findExecutable(program); };
    environment.startProgram = [](const QString &program) { return QProcess::startDetached(program, {}); };
#ifndef Q_OS_WIN
    environment.desktopPrograms = knownSysInfoPrograms();
#endif
    return environment;
}

QString findSysInfoProgram(const SysInfoEnvironment &environment)
{
    if (environment.readRegistry) {
        const RegistryValue path = environment.readRegistry(RegistryRoot::LocalMachine, kSysInfoKey, kSysInfoValue);
        if (path.found && !path.value.isEmpty())
            return path.value;

        const RegistryValue folder
            = environment.readRegistry(RegistryRoot::LocalMachine, kSysInfoLocationKey, kSysInfoLocationValue);
        if (folder.found) {
            const QString program = folder.value + QStringLiteral("\\MSINFO32.EXE");
            if (environment.fileExists && environment.fileExists(program))
                return program;
        }
    }

    if (environment.findExecutable) {
        for (const QString &name : environment.desktopPrograms) {
            const QString program = environment.findExecutable(name);
            if (!program.isEmpty())
                return program;
        }
    }
    return {};
}
