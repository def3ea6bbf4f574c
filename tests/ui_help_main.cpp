// The help, credits and document buttons reached from the main window, with the real configuration
// box behind them.
#include "app/ConfigBox.h"
#include "app/CreditsBox.h"
#include "app/TutorialWindow.h"
#include "support/MainWindowDriver.h"

#include <QPointer>
#include <QtTest>

namespace {

const QString kConfigFile = QStringLiteral("c:\\revisione metodo speditivo\\ms&zefro\\config.txt");

void click(const QWidget *window, const char *name)
{
    QVERIFY2(window, name);
    auto *button = window->findChild<QPushButton *>(QString::fromLatin1(name));
    QVERIFY2(button && button->isVisible() && button->isEnabled(), name);
    QTest::mouseClick(button, Qt::LeftButton);
}

TutorialWindow *tutorialOf(const MainWindowDriver &run)
{
    const auto windows = run.window->findChildren<TutorialWindow *>();
    return windows.size() == 1 ? windows.first() : nullptr;
}

} // namespace

class HelpFromMainWindowTest : public QObject
{
    Q_OBJECT

private slots:
    void helpIsCreatedOnceAndKept()
    {
        const TestDrive drive;
        const MainWindowDriver run(drive);
        run.click("Command3");
        run.click("Command3");
        TutorialWindow *tutorial = tutorialOf(run);
        QVERIFY(tutorial && tutorial->isVisible());

        run.window->hide();
        click(tutorial, "CmdOK");
        QVERIFY(!tutorial->isVisible());
        QVERIFY(run.window->isVisible()); // brought forward
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        run.click("Command3");
        QCOMPARE(tutorialOf(run), tutorial);
        QVERIFY(tutorial->isVisible());
    }

    void creditsBoxIsFreshAtEachOpening()
    {
        const TestDrive drive;
        const MainWindowDriver run(drive);
        run.click("Command4");
        run.click("Command4"); // still open: brought forward, not doubled
        QCOMPARE(run.window->findChildren<CreditsBox *>().size(), 1);
        const QPointer<CreditsBox> first = run.window->findChild<CreditsBox *>();
        QVERIFY(first->isVisible());
        click(first, "cmdOK");
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(first.isNull());
        run.click("Command4");
        QCOMPARE(run.window->findChildren<CreditsBox *>().size(), 1);
        QVERIFY(run.window->findChild<CreditsBox *>()->isVisible());
    }

    // The reader and the documents of the loaded configuration (entry 7 lives in Text5); a reader
    // that cannot be started is reported and the program goes on.
    void documentButtons_data()
    {
        QTest::addColumn<QString>("button"); // a tutorial button, or Command6 of the main window
        QTest::addColumn<QString>("document");
        QTest::addColumn<bool>("readerFails");
        QTest::newRow("Introduzione") << "Command1" << "c:\\zefro\\ms_hlp.pdf" << false;
        QTest::newRow("ordine alfabetico") << "Command3" << "c:\\zefro\\ms_hlp2.pdf" << false;
        QTest::newRow("ordinate per classe") << "Command2" << "c:\\zefro\\ms_hlp3.pdf" << false;
        QTest::newRow("Parte I") << "Command4" << "c:\\zefro\\ms_hlp4.pdf" << false;
        QTest::newRow("soglie, from the main window") << "Command6" << "c:\\zefro\\ms_hlp6.pdf" << false;
        QTest::newRow("reader that cannot start") << "Command6" << "c:\\zefro\\ms_hlp6.pdf" << true;
    }
    void documentButtons()
    {
        QFETCH(QString, button);
        QFETCH(QString, document);
        QFETCH(bool, readerFails);
        const TestDrive drive;
        MainWindowDriver run(drive);
        run.fake.launcher.failNext = readerFails;
        if (button == QStringLiteral("Command6")) {
            run.click("Command6");
        } else {
            run.click("Command3");
            click(tutorialOf(run), qPrintable(button));
        }
        const QString commandLine = QStringLiteral("xdg-open ") + document;
        QCOMPARE(run.fake.launcher.attempted, QStringList{commandLine});
        QCOMPARE(run.fake.launcher.started, readerFails ? QStringList() : QStringList{commandLine});
        QCOMPARE(run.fake.messages.texts(), readerFails ? QStringList{launchFailureMessage(commandLine)} : QStringList());
        QCOMPARE(run.fake.exit.calls(), 0);
    }

    void unsavedEditsApplyAtOnceUntilReset()
    {
        const TestDrive drive;
        const MainWindowDriver run(drive);
        const QByteArray savedFile = drive.readFile(kConfigFile);
        run.click("Command7");
        typeInto(run.configField(1), QStringLiteral("c:\\lettori\\pdf"));
        typeInto(run.configField(2), QStringLiteral("c:\\zefro\\guida rapida.pdf"));
        typeInto(run.configField(5), QStringLiteral("d:\\manuali\\soglie.pdf"));
        run.click("Command3");
        click(tutorialOf(run), "Command1");
        run.click("Command6");
        QCOMPARE(run.fake.launcher.started,
                 QStringList({"c:\\lettori\\pdf c:\\zefro\\guida rapida.pdf", "c:\\lettori\\pdf d:\\manuali\\soglie.pdf"}));
        QCOMPARE(drive.readFile(kConfigFile), savedFile); // nothing was saved

        run.click("Command5"); // Reset reads the file again
        run.click("Command6");
        QCOMPARE(run.fake.launcher.started.last(), QStringLiteral("xdg-open c:\\zefro\\ms_hlp6.pdf"));
    }
};

QTEST_MAIN(HelpFromMainWindowTest)
#include "ui_help_main.moc"
