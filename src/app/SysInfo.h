#pragma once

#include <QString>
#include <QStringList>

#include <functional>

// What a registry read gives: found or not, and the string value (empty when not found).
struct RegistryValue
{
    bool found = false;
    QString value;
};

enum class RegistryRoot { LocalMachine };

// Reads one string value under a registry key. Only Windows has a registry: elsewhere nothing is
// ever found.
[[nodiscard]] RegistryValue GetKeyValue(RegistryRoot root, const QString &keyName, const QString &valueName);

// Where the system-information program is looked for; every lookup is replaceable so that the
// search can be tested anywhere.
struct SysInfoEnvironment
{
    std::function<RegistryValue(RegistryRoot, const QString &key, const QString &value)> readRegistry;
    std::function<bool(const QString &path)> fileExists;
    std::function<QString(const QString &program)> findExecutable; // full path, or empty
    QStringList desktopPrograms; // tried in order when the registry names nothing
    // Starts the program found, in a normal window, without waiting. The path is one program with no
    // arguments (it may hold blanks, as Windows tool folders do), so it does not go through the
    // blank-splitting command-line launcher.
    std::function<bool(const QString &program)> startProgram;
};

// The environment of this machine: the registry and the file system on Windows; elsewhere the
// programs on PATH.
[[nodiscard]] SysInfoEnvironment systemSysInfoEnvironment();

// The system-information programs of the usual desktops, most informative first.
[[nodiscard]] QStringList knownSysInfoPrograms();

inline const QString kSysInfoKey = QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools\\MSINFO");
inline const QString kSysInfoValue = QStringLiteral("PATH");
inline const QString kSysInfoLocationKey = QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools Location");
inline const QString kSysInfoLocationValue = QStringLiteral("MSINFO");

inline const QString kSysInfoUnavailable
    = QStringLiteral("Le informazioni sul sistema non sono attualmente disponibili.");

// The program to start for the system information, or an empty string when there is none: the path
// the registry names; else the registry's tools folder with MSINFO32.EXE when that file exists;
// else the first desktop program found on PATH.
[[nodiscard]] QString findSysInfoProgram(const SysInfoEnvironment &environment);
