#pragma once

#include "platform/Error.h"

#include <QByteArray>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

// The outputs of one run of zefro-estimate, all written or none: the map and the GIS file are
// written aside first, then standard output is written and checked, the report file appended (and
// held, so that taking it back never removes another run's report), and only then are the GIS
// file and the map renamed into place. When a step fails the steps before it are undone: the
// report taken back, a GIS file the run created removed (one that replaced another cannot be).

struct FileOutput;

// The file system as these steps use it: the system's in a run, a fake that fails on cue in tests.
class OutputFiles
{
public:
    // A file written beside its target, not yet in place; going away without commit() removes it.
    class Staged
    {
    public:
        virtual ~Staged() = default;
        [[nodiscard]] virtual Status commit() = 0;
    };
    // An append still held: until it goes away no other append reaches the file.
    class HeldAppend
    {
    public:
        virtual ~HeldAppend() = default;
        virtual void takeBack() = 0;
    };

    virtual ~OutputFiles() = default;
    [[nodiscard]] virtual Status writeStandardOutput(const QByteArray &bytes) = 0;
    [[nodiscard]] virtual Outcome<std::unique_ptr<Staged>> stage(const FileOutput &output) = 0;
    [[nodiscard]] virtual Outcome<std::unique_ptr<HeldAppend>> append(const QString &localPath,
                                                                      const QByteArray &bytes) = 0;
    [[nodiscard]] virtual bool exists(const QString &localPath) const = 0;
    virtual void remove(const QString &localPath) = 0;
};

// The real file system and standard output.
class SystemOutputFiles final : public OutputFiles
{
public:
    [[nodiscard]] Status writeStandardOutput(const QByteArray &bytes) override;
    [[nodiscard]] Outcome<std::unique_ptr<Staged>> stage(const FileOutput &output) override;
    [[nodiscard]] Outcome<std::unique_ptr<HeldAppend>> append(const QString &localPath,
                                                              const QByteArray &bytes) override;
    [[nodiscard]] bool exists(const QString &localPath) const override;
    void remove(const QString &localPath) override;
};

struct FileOutput
{
    QString localPath;
    QByteArray bytes;
    QString systemName = {}; // how the system names the file, when it does (the report)
    // A file too large to make in memory first (the map) writes itself aside instead of `bytes`, with
    // whatever lies beside it; a failure that is no failure to write (the map read cannot give its
    // pixels) comes back with its own message.
    std::function<Outcome<std::unique_ptr<OutputFiles::Staged>>()> stageItself = {};
};

struct OutputPlan
{
    QByteArray standardOutput;
    std::optional<FileOutput> report; // appended
    std::optional<FileOutput> map; // replaced (--out)
    std::optional<FileOutput> areas; // replaced (--export)
};

class OutputTransaction
{
public:
    explicit OutputTransaction(OutputFiles &files)
        : m_files(files)
    {
    }

    // Empty when every output is in place; otherwise the Italian message of the step that failed,
    // with every earlier step undone.
    [[nodiscard]] std::optional<QString> write(const OutputPlan &plan);

private:
    OutputFiles &m_files;
};

// The messages of the steps, as zefro-estimate words them.
[[nodiscard]] QString standardOutputFailed(const QString &reason);
[[nodiscard]] QString mapNotSaved(const QString &localPath, const QString &reason);
[[nodiscard]] QString areasNotExported(const QString &localPath, const QString &reason);
