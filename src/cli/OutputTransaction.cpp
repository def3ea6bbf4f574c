#include "cli/OutputTransaction.h"

#include "gis/GisErrors.h"
#include "platform/PlatformErrors.h"
#include "platform/SystemFile.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>

namespace {

class StagedReplacement final : public OutputFiles::Staged
{
public:
    explicit StagedReplacement(std::shared_ptr<SystemFile::Replacement> replacement)
        : m_replacement(std::move(replacement))
    {
    }
    [[nodiscard]] Status commit() override { return m_replacement->commit(); }

private:
    std::shared_ptr<SystemFile::Replacement> m_replacement;
};

class HeldFileAppend final : public OutputFiles::HeldAppend
{
public:
    explicit HeldFileAppend(std::unique_ptr<SystemFile::HeldAppend> append)
        : m_append(std::move(append))
    {
    }
    void takeBack() override { m_append->takeBack(); }

private:
    std::unique_ptr<SystemFile::HeldAppend> m_append;
};

// A step of the map failed: a file that could not be written (the map, or one beside it) is named in
// the step's words; anything else (the map read could not give its pixels) says so in its own.
QString mapStepFailed(const QString &localPath, const Error &error)
{
    if (error.kind == Error::Kind::FileUnwritable)
        return mapNotSaved(localPath, error.detail);
    if (error.kind == Error::Kind::MapNotSaved)
        return mapNotSaved(error.file, error.detail);
    return error.message();
}

} // namespace

Status SystemOutputFiles::writeStandardOutput(const QByteArray &bytes)
{
    errno = 0;
    const std::size_t written = std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), stdout);
    if (std::fflush(stdout) == 0 && written == static_cast<std::size_t>(bytes.size()) && !std::ferror(stdout))
        return Done{};
    Error error = platformError(Error::Kind::FileUnwritable);
    error.detail = SystemFile::reason(errno ? errno : EIO);
    return error;
}

Outcome<std::unique_ptr<OutputFiles::Staged>> SystemOutputFiles::stage(const FileOutput &output)
{
    if (output.stageItself)
        return output.stageItself();
    Outcome<std::shared_ptr<SystemFile::Replacement>> prepared
        = SystemFile::Replacement::prepare(output.localPath, output.bytes);
    if (!prepared.ok())
        return prepared.error();
    return std::unique_ptr<Staged>(std::make_unique<StagedReplacement>(std::move(prepared.value())));
}

Outcome<std::unique_ptr<OutputFiles::HeldAppend>> SystemOutputFiles::append(const QString &localPath,
                                                                             const QByteArray &bytes)
{
    Outcome<std::unique_ptr<SystemFile::HeldAppend>> appended = SystemFile::HeldAppend::append(localPath, bytes);
    if (!appended.ok())
        return appended.error();
    return std::unique_ptr<HeldAppend>(std::make_unique<HeldFileAppend>(std::move(appended.value())));
}

bool SystemOutputFiles::exists(const QString &localPath) const
{
    return QFileInfo::exists(localPath);
}

void SystemOutputFiles::remove(const QString &localPath)
{
    QFile::remove(localPath);
}

QString standardOutputFailed(const QString &reason)
{
    return QStringLiteral("Impossibile scrivere sullo standard output: %1.").arg(reason);
}

QString mapNotSaved(const QString &localPath, const QString &reason)
{
    return QStringLiteral("Impossibile salvare la mappa \"%1\": %2.").arg(localPath, reason);
}

QString areasNotExported(const QString &localPath, const QString &reason)
{
    Error error = gis::gisError(Error::Kind::AreasNotExported);
    error.file = localPath;
    error.detail = reason;
    return error.message();
}

std::optional<QString> OutputTransaction::write(const OutputPlan &plan)
{
    std::unique_ptr<OutputFiles::Staged> map, areas;
    if (plan.map) {
        auto staged = m_files.stage(*plan.map);
        if (!staged.ok())
            return mapStepFailed(plan.map->localPath, staged.error());
        map = std::move(staged.value());
    }
    if (plan.areas) {
        auto staged = m_files.stage(*plan.areas);
        if (!staged.ok())
            return areasNotExported(plan.areas->localPath, staged.error().detail);
        areas = std::move(staged.value());
    }

    if (const Status written = m_files.writeStandardOutput(plan.standardOutput); !written.ok())
        return standardOutputFailed(written.error().detail);

    std::unique_ptr<OutputFiles::HeldAppend> report; // held until every output is in place
    if (plan.report) {
        auto appended = m_files.append(plan.report->localPath, plan.report->bytes);
        if (!appended.ok())
            return (plan.report->systemName.isEmpty() ? appended.error()
                                                       : namedBySystem(appended.error(), plan.report->systemName))
                .message();
        report = std::move(appended.value());
    }
    const auto takeBackReport = [&] {
        if (report)
            report->takeBack();
    };

    // The GIS file first: it is new more often than not, so taking it back leaves nothing behind.
    const bool areasExisted = plan.areas && m_files.exists(plan.areas->localPath);
    if (areas) {
        if (const Status committed = areas->commit(); !committed.ok()) {
            takeBackReport();
            return areasNotExported(plan.areas->localPath, committed.error().detail);
        }
    }
    if (map) {
        if (const Status committed = map->commit(); !committed.ok()) {
            takeBackReport();
            if (areas && !areasExisted) // a GIS file that replaced another cannot be taken back
                m_files.remove(plan.areas->localPath);
            return mapStepFailed(plan.map->localPath, committed.error());
        }
    }
    return std::nullopt;
}
