// The outputs of a zefro-estimate run on a file system that fails on cue: the order of the steps,
// what each failure undoes, and that the report stays held until every output is in place.
#include "cli/OutputTransaction.h"
#include "platform/PlatformErrors.h"

#include <QtTest>

namespace {

// Every call goes to the journal; the step named in `failing` fails.
class FakeOutputFiles final : public OutputFiles
{
public:
    QStringList journal;
    QString failing;
    QStringList existing;

    [[nodiscard]] Status writeStandardOutput(const QByteArray &) override { return step("stdout"); }

    [[nodiscard]] Outcome<std::unique_ptr<Staged>> stage(const FileOutput &output) override
    {
        const Status staged = step("stage " + output.localPath);
        if (!staged.ok())
            return staged.error();
        return std::unique_ptr<Staged>(std::make_unique<FakeStaged>(*this, output.localPath));
    }

    [[nodiscard]] Outcome<std::unique_ptr<HeldAppend>> append(const QString &localPath, const QByteArray &) override
    {
        const Status appended = step("append " + localPath);
        if (!appended.ok())
            return appended.error();
        return std::unique_ptr<HeldAppend>(std::make_unique<FakeAppend>(*this, localPath));
    }

    [[nodiscard]] bool exists(const QString &localPath) const override { return existing.contains(localPath); }
    void remove(const QString &localPath) override { journal << "remove " + localPath; }

private:
    Status step(const QString &what)
    {
        journal << what;
        if (what != failing)
            return Done{};
        Error error = platformError(Error::Kind::FileUnwritable);
        error.file = what;
        error.detail = QStringLiteral("disco pieno");
        return error;
    }

    class FakeStaged final : public Staged
    {
    public:
        FakeStaged(FakeOutputFiles &files, QString path)
            : m_files(files)
            , m_path(std::move(path))
        {
        }
        ~FakeStaged() override
        {
            if (!m_committed)
                m_files.journal << "discard " + m_path;
        }
        [[nodiscard]] Status commit() override
        {
            const Status renamed = m_files.step("rename " + m_path);
            m_committed = renamed.ok();
            return renamed;
        }

    private:
        FakeOutputFiles &m_files;
        QString m_path;
        bool m_committed = false;
    };

    class FakeAppend final : public HeldAppend
    {
    public:
        FakeAppend(FakeOutputFiles &files, QString path)
            : m_files(files)
            , m_path(std::move(path))
        {
        }
        ~FakeAppend() override { m_files.journal << "release " + m_path; }
        void takeBack() override { m_files.journal << "take back " + m_path; }

    private:
        FakeOutputFiles &m_files;
        QString m_path;
    };
};

const OutputPlan kPlan{"report lines\n", FileOutput{"r.txt", "report", "c:\\out\\r.txt"}, FileOutput{"m.bmp", "BM"},
                       FileOutput{"a.gpkg", "SQLite"}};

} // namespace

class OutputTransactionTest : public QObject
{
    Q_OBJECT

private slots:
    void failureAtEachStep_data()
    {
        QTest::addColumn<QString>("failing");
        QTest::addColumn<QStringList>("existing");
        QTest::addColumn<QStringList>("journal");
        QTest::addColumn<QString>("message"); // its beginning; empty for success
        const QStringList staged{"stage m.bmp", "stage a.gpkg"}, discarded{"discard a.gpkg", "discard m.bmp"},
            written = staged + QStringList{"stdout", "append r.txt"};
        QTest::newRow("none") << "" << QStringList() << written + QStringList{"rename a.gpkg", "rename m.bmp",
                                                                              "release r.txt"}
                              << "";
        QTest::newRow("map written aside")
            << "stage m.bmp" << QStringList() << QStringList{"stage m.bmp"} << "Impossibile salvare la mappa \"m.bmp\"";
        QTest::newRow("GIS file written aside") << "stage a.gpkg" << QStringList() << staged + QStringList{"discard m.bmp"}
                                                << "Impossibile esportare";
        QTest::newRow("standard output") << "stdout" << QStringList() << staged + QStringList{"stdout"} + discarded
                                         << "Impossibile scrivere sullo standard output: disco pieno.";
        QTest::newRow("report append") << "append r.txt" << QStringList() << written + discarded
                                       << "Impossibile scrivere il file\nc:\\out\\r.txt\n(su questo computer: append r.txt)";
        QTest::newRow("GIS rename")
            << "rename a.gpkg" << QStringList()
            << written + QStringList{"rename a.gpkg", "take back r.txt", "release r.txt", "discard a.gpkg", "discard m.bmp"}
            << "Impossibile esportare";
        QTest::newRow("map rename, GIS file new")
            << "rename m.bmp" << QStringList()
            << written + QStringList{"rename a.gpkg", "rename m.bmp", "take back r.txt", "remove a.gpkg", "release r.txt",
                                     "discard m.bmp"}
            << "Impossibile salvare la mappa \"m.bmp\": disco pieno.";
        QTest::newRow("map rename, GIS file replaced another")
            << "rename m.bmp" << QStringList{"a.gpkg"}
            << written + QStringList{"rename a.gpkg", "rename m.bmp", "take back r.txt", "release r.txt", "discard m.bmp"}
            << "Impossibile salvare la mappa";
    }
    void failureAtEachStep()
    {
        QFETCH(QString, failing);
        QFETCH(QStringList, existing);
        QFETCH(QStringList, journal);
        QFETCH(QString, message);
        FakeOutputFiles files;
        files.failing = failing;
        files.existing = existing;
        const std::optional<QString> failure = OutputTransaction(files).write(kPlan);
        QCOMPARE(files.journal, journal);
        QCOMPARE(failure.has_value(), !failing.isEmpty());
        if (failure)
            QVERIFY2(failure->startsWith(message) && failure->contains(failing.section(' ', 1)), qPrintable(*failure));
    }

    // Without a map, a GIS file or a report, only standard output is written.
    void standardOutputAlone()
    {
        FakeOutputFiles files;
        QVERIFY(!OutputTransaction(files).write(OutputPlan{"righe\n", {}, {}, {}}));
        QCOMPARE(files.journal, QStringList{"stdout"});
    }
};

QTEST_GUILESS_MAIN(OutputTransactionTest)
#include "test_output_transaction.moc"
