// The help, credits and document buttons reached from the main window, with the real configuration
// box behind them.
#include "app/ConfigBox.h"
#include "app/CreditsBox.h"
#include "app/MainWindow.h"
#include "app/ProgramState.h"
#include "app/TutorialWindow.h"
#include "app/TutorialWindowText.h"
#include "support/FakePlatform.h"
#include "support/TestDrive.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QtTest>

#include <memory>

namespace {

const QString kConfigFile = QStringLiteral("c:\\revisione metodo speditivo\\ms&zefro\\config.txt");

void click(const QWidget *window, const char *name)
{
    auto *button = window->findChild<QPushButton *>(QString::fromLatin1(name));
    QVERIFY2(button && button->isVisible() && button->isEnabled(), name);
    QTest::mouseClick(button, Qt::LeftButton);
}

// Replaces the text of configuration field TextN by typing, as a user would.
void typeIntoField(const ConfigBox &box, int n, const QString &text)
{
    auto *field = box.findChild<QLineEdit *>(QStringLiteral("Text%1").arg(n));
    QVERIFY(field);
    field->selectAll();
    QTest::keyClick(field, Qt::Key_Delete);
    QTest::keyClicks(field, text);
}

} // namespace

class HelpFromMainWindowTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TestDrive> m_drive;
    std::unique_ptr<FakePlatform> m_fake;
    std::unique_ptr<ProgramState> m_state;
    std::unique_ptr<MainWindow> m_window;

    [[nodiscard]] QList<TutorialWindow *> tutorials() const { return m_window->findChildren<TutorialWindow *>(); }
    [[nodiscard]] QList<CreditsBox *> creditBoxes() const { return m_window->findChildren<CreditsBox *>(); }

private slots:
    void init()
    {
        m_drive = std::make_unique<TestDrive>();
        m_fake = std::make_unique<FakePlatform>(m_drive->root());
        m_state = std::make_unique<ProgramState>();
        m_window = std::make_unique<MainWindow>(*m_state, m_fake->platform);
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    }
    void cleanup()
    {
        m_window.reset();
        m_state.reset();
        m_fake.reset();
        m_drive.reset();
    }

    void helpTwiceShowsOneWindowWithItsTextOnce()
    {
        click(m_window.get(), "Command3");
        click(m_window.get(), "Command3");
        QCOMPARE(tutorials().size(), 1);
        TutorialWindow *tutorial = tutorials().first();
        QVERIFY(tutorial->isVisible());
        const QString expected = tutorialUsageText().replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        QCOMPARE(tutorial->findChild<QPlainTextEdit *>(QStringLiteral("Text1"))->toPlainText(), expected);

        // "&OK" only hides it; the next "&Help" shows the same window again.
        click(tutorial, "CmdOK");
        QVERIFY(!tutorial->isVisible());
        QVERIFY(m_window->isVisible());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        click(m_window.get(), "Command3");
        QCOMPARE(tutorials(), QList<TutorialWindow *>{tutorial});
        QVERIFY(tutorial->isVisible());
        QCOMPARE(tutorial->findChild<QPlainTextEdit *>(QStringLiteral("Text1"))->toPlainText(), expected);
    }

    void creditsBoxIsFreshAtEachOpening()
    {
        click(m_window.get(), "Command4");
        click(m_window.get(), "Command4"); // still open: brought forward, not doubled
        QCOMPARE(creditBoxes().size(), 1);
        QPointer<CreditsBox> first = creditBoxes().first();
        QVERIFY(first->isVisible());

        click(first, "cmdOK");
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(first.isNull());
        QVERIFY(creditBoxes().isEmpty());

        click(m_window.get(), "Command4");
        QCOMPARE(creditBoxes().size(), 1);
        QVERIFY(creditBoxes().first()->isVisible());
    }

    void documentButtonsUseTheLoadedConfiguration_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("document");
        QTest::newRow("Introduzione") << "Command1" << "c:\\zefro\\ms_hlp.pdf";
        QTest::newRow("ordine alfabetico") << "Command3" << "c:\\zefro\\ms_hlp2.pdf";
        QTest::newRow("ordinate per classe") << "Command2" << "c:\\zefro\\ms_hlp3.pdf";
        QTest::newRow("Parte I") << "Command4" << "c:\\zefro\\ms_hlp4.pdf";
    }
    void documentButtonsUseTheLoadedConfiguration()
    {
        QFETCH(QString, button);
        QFETCH(QString, document);
        click(m_window.get(), "Command3");
        click(tutorials().first(), qPrintable(button));
        QCOMPARE(m_fake->launcher.started, QStringList{QStringLiteral("xdg-open ") + document});
    }

    void thresholdsButtonOpensEntrySeven()
    {
        click(m_window.get(), "Command6");
        QCOMPARE(m_fake->launcher.started, QStringList{"xdg-open c:\\zefro\\ms_hlp6.pdf"});
    }

    void unsavedEditsApplyAtOnce()
    {
        const QByteArray savedFile = m_drive->readFile(kConfigFile);
        click(m_window.get(), "Command7");
        const ConfigBox &box = m_window->configBox();
        typeIntoField(box, 1, QStringLiteral("c:\\lettori\\pdf"));
        typeIntoField(box, 2, QStringLiteral("c:\\zefro\\guida rapida.pdf"));
        typeIntoField(box, 5, QStringLiteral("d:\\manuali\\soglie.pdf"));

        click(m_window.get(), "Command3");
        click(tutorials().first(), "Command1");
        click(m_window.get(), "Command6");
        QCOMPARE(m_fake->launcher.started,
                 QStringList({"c:\\lettori\\pdf c:\\zefro\\guida rapida.pdf", "c:\\lettori\\pdf d:\\manuali\\soglie.pdf"}));
        QCOMPARE(m_drive->readFile(kConfigFile), savedFile); // nothing was saved
    }

    void initialFieldValuesOfTheBox()
    {
        // The box as created, before any configuration file is read.
        ConfigBox box(m_fake->platform);
        TutorialWindow tutorial(m_fake->platform, [&box](int n) { return box.fieldText(n); });
        tutorial.show();
        click(&tutorial, "Command1");
        click(&tutorial, "Command4");
        QCOMPARE(m_fake->launcher.started,
                 QStringList({"C:\\Programmi\\Adobe\\Acrobat 5.0\\Reader\\AcroRd32.exe c:\\zefro\\ms_hlp.pdf",
                              "C:\\Programmi\\Adobe\\Acrobat 5.0\\Reader\\AcroRd32.exe c:\\zefro\\ms_hlp4.pdf"}));
    }

    void failingReaderLeavesTheProgramRunning()
    {
        m_fake->launcher.failNext = true;
        click(m_window.get(), "Command6");
        QCOMPARE(m_fake->messages.shown().size(), 1);
        QVERIFY(m_fake->messages.shown().first().text.contains(QStringLiteral("xdg-open c:\\zefro\\ms_hlp6.pdf")));
        QCOMPARE(m_fake->exit.calls(), 0);
        QVERIFY(m_window->isVisible());

        click(m_window.get(), "Command3"); // the program goes on
        click(tutorials().first(), "Command3");
        QCOMPARE(m_fake->launcher.started, QStringList{"xdg-open c:\\zefro\\ms_hlp2.pdf"});
    }
};

QTEST_MAIN(HelpFromMainWindowTest)
#include "ui_help_main.moc"
