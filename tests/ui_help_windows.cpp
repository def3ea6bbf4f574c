#include "app/CreditsBox.h"
#include "app/TutorialWindow.h"
#include "app/TutorialWindowText.h"
#include "support/FakePlatform.h"
#include "support/TestDrive.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QtTest>

namespace {

// The configuration fields as the box holds them before a configuration file is read.
QMap<int, QString> initialFields()
{
    return {{1, QStringLiteral("C:\\Programmi\\Adobe\\Acrobat 5.0\\Reader\\AcroRd32.exe")},
            {2, QStringLiteral("c:\\zefro\\ms_hlp.pdf")},
            {3, QStringLiteral("c:\\zefro\\ms_hlp2.pdf")},
            {4, QStringLiteral("c:\\zefro\\ms_hlp3.pdf")},
            {5, QStringLiteral("c:\\zefro\\ms_hlp6.pdf")},
            {6, QStringLiteral("c:\\zefro\\ms_hlp4.pdf")},
            {7, QStringLiteral("c:\\zefro\\ms_hlp4.pdf")},
            {8, QStringLiteral("c:\\zefro\\revisione metodo speditivo")}};
}

void click(QWidget *window, const char *name)
{
    auto *button = window->findChild<QPushButton *>(QString::fromLatin1(name));
    QVERIFY2(button, name);
    QTest::mouseClick(button, Qt::LeftButton);
}

} // namespace

class HelpWindowsTest : public QObject
{
    Q_OBJECT

private:
    TestDrive m_drive{TestDrive::Contents::Empty};
    std::unique_ptr<FakePlatform> m_fake;
    QMap<int, QString> m_fields;
    std::unique_ptr<QWidget> m_main;

    TutorialWindow *makeTutorial()
    {
        auto *window = new TutorialWindow(m_fake->platform, [this](int n) { return m_fields.value(n); }, m_main.get());
        window->show();
        return window;
    }

private slots:
    void init()
    {
        m_fake = std::make_unique<FakePlatform>(m_drive.root());
        m_fields = initialFields();
        m_main = std::make_unique<QWidget>();
    }
    void cleanup()
    {
        m_main.reset();
        m_fake.reset();
    }

    void tutorialWindowLayout()
    {
        TutorialWindow *window = makeTutorial();
        QCOMPARE(window->objectName(), QStringLiteral("frmAboutBox"));
        QCOMPARE(window->windowTitle(), QStringLiteral("ZEFRO tutorial"));
        QCOMPARE(window->size(), QSize(591, 472));

        struct Expected
        {
            const char *name;
            QString caption;
            QString toolTip;
            bool enabled;
        };
        const Expected column[] = {
            {"Command1", "Introduzione", "Sommario del Metodo Quillaro", true},
            {"Command3", "  Lista sostanze     (ordine alfabetico)", "Elenco delle sostanze chimiche in ordine alfabetico", true},
            {"Command2", " Lista sostanze    (ordinate per classe)", "Elenco delle sostanze chimiche in ordine per classe", true},
            {"Command4", " Manuale Utente   Parte I", "Manuale Utente Prima Parte", true},
            {"Command5", " Manuale Utente   Parte II", "Manuale Utente Seconda Parte", false},
            {"CmdOK", "&OK", "Torna al form principale", true},
        };
        const auto *text = window->findChild<QPlainTextEdit *>(QStringLiteral("Text1"));
        QVERIFY(text);
        int previousBottom = -1;
        int left = -1;
        for (const Expected &expected : column) {
            const auto *button = window->findChild<QPushButton *>(QString::fromLatin1(expected.name));
            QVERIFY2(button, expected.name);
            QCOMPARE(button->text(), expected.caption);
            QCOMPARE(button->toolTip(), expected.toolTip);
            QCOMPARE(button->isEnabled(), expected.enabled);
            // One column, top to bottom in this order, right of the text, inside the window.
            QVERIFY2(button->geometry().top() > previousBottom, expected.name);
            if (left >= 0)
                QCOMPARE(button->geometry().left(), left);
            left = button->geometry().left();
            previousBottom = button->geometry().bottom();
            QVERIFY(button->geometry().left() > text->geometry().right());
            QVERIFY(window->rect().contains(button->geometry()));
        }

        const auto *title = window->findChild<QLabel *>(QStringLiteral("Label1"));
        QVERIFY(title);
        QVERIFY(title->text().contains(QStringLiteral("ZEFRO")));
        QVERIFY(title->text().contains(QStringLiteral("ver. 3.0fe")));
        QVERIFY(!title->text().contains(QLatin1Char('\n')));
        QCOMPARE(title->font().family(), QStringLiteral("Tahoma"));
        QCOMPARE(title->font().pointSize(), 12);
        QVERIFY(title->font().bold());
        QCOMPARE(title->parentWidget()->objectName(), QStringLiteral("Frame1"));

        const auto *picture = window->findChild<QLabel *>(QStringLiteral("Picture1"));
        QVERIFY(picture);
        QCOMPARE(picture->pixmap().size(), QSize(84, 83));
    }

    void tutorialTextIsTheUsageText()
    {
        TutorialWindow *window = makeTutorial();
        const auto *text = window->findChild<QPlainTextEdit *>(QStringLiteral("Text1"));
        QCOMPARE(text->toPlainText(), tutorialUsageText().replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
        QCOMPARE(text->document()->blockCount(), 16);
    }

    void pathWithBlanksReachesTheReaderInPieces()
    {
        m_fields[2] = QStringLiteral("c:\\zefro\\guida introduttiva.pdf");
        m_fields[1] = QStringLiteral("c:\\lettore\\apri");
        TutorialWindow *window = makeTutorial();
        click(window, "Command1");
        QCOMPARE(m_fake->launcher.started, QStringList{"c:\\lettore\\apri c:\\zefro\\guida introduttiva.pdf"});
        const LaunchCommand command =
            splitCommandLine(m_fake->launcher.started.first(), m_fake->platform.drives, true);
        QCOMPARE(command.program, m_drive.root() + QStringLiteral("/c/lettore/apri"));
        QCOMPARE(command.arguments, QStringList({m_drive.root() + "/c/zefro/guida", "introduttiva.pdf"}));
    }

    void partTwoCanNeverBePressed()
    {
        TutorialWindow *window = makeTutorial();
        click(window, "Command5");
        auto *partTwo = window->findChild<QPushButton *>(QStringLiteral("Command5"));
        QTest::keyClick(partTwo, Qt::Key_Space);
        QVERIFY(m_fake->launcher.attempted.isEmpty());
        QVERIFY(!partTwo->isEnabled());
    }

    void okHidesAndBringsTheMainWindowForward()
    {
        m_main->hide();
        TutorialWindow *window = makeTutorial();
        QPointer<TutorialWindow> guard(window);
        click(window, "CmdOK");
        QVERIFY(!window->isVisible());
        QVERIFY(m_main->isVisible());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(guard); // hidden, not destroyed: it keeps its state
    }

    void creditsBoxTexts()
    {
        auto *box = new CreditsBox(m_fake->platform, {}, m_main.get());
        box->show();
        QCOMPARE(box->objectName(), QStringLiteral("frmAbout"));
        QCOMPARE(box->windowTitle(), QStringLiteral("ZEFRO Credit"));
        QCOMPARE(box->size(), QSize(381, 239));
        const QMap<QString, QString> labels{
            {"lblTitle", "Titolo applicazione: ZEFRO"},
            {"lblVersion", " Versione 3.0fe, Final Edition" + QString(43, ' ') + "Data: settembre 2006"},
            {"lblDescription", "Descrizione applicazione: metodo Quillaro per la determinazione delle conseguenze "
                               "di eventi incidentali coinvolgenti sostanze pericolose"},
            {"lblDisclaimer", "Avviso: uso riservato alla Pubblica Amministrazione.      "},
        };
        for (auto it = labels.begin(); it != labels.end(); ++it) {
            const auto *label = box->findChild<QLabel *>(it.key());
            QVERIFY2(label, qPrintable(it.key()));
            QCOMPARE(label->text(), it.value());
            QVERIFY(box->rect().contains(label->geometry()));
        }
        for (const char *name : {"lblOrganisation", "lblAgreement", "lblContact"}) {
            const auto *label = box->findChild<QLabel *>(QString::fromLatin1(name));
            QVERIFY2(label && !label->text().isEmpty(), name);
        }
        QCOMPARE(box->findChild<QPushButton *>(QStringLiteral("cmdOK"))->text(), QStringLiteral("OK"));
        QCOMPARE(box->findChild<QPushButton *>(QStringLiteral("cmdSysInfo"))->text(), QStringLiteral("&System Info..."));
        QCOMPARE(box->findChild<QLabel *>(QStringLiteral("picIcon"))->pixmap().size(), QSize(32, 32));
    }

    void sysInfo_data()
    {
        QTest::addColumn<QStringList>("onPath");
        QTest::addColumn<bool>("startWorks");
        QTest::addColumn<QStringList>("expectedStarts");
        QTest::addColumn<QString>("expectedMessage");
        QTest::newRow("no program") << QStringList{} << true << QStringList{}
                                    << "Le informazioni sul sistema non sono attualmente disponibili.";
        QTest::newRow("program found") << QStringList{"gnome-system-monitor"} << true
                                       << QStringList{"/opt/bin/gnome-system-monitor"} << "";
        QTest::newRow("program does not start") << QStringList{"hardinfo"} << false
                                                << QStringList{"/opt/bin/hardinfo"}
                                                << launchFailureMessage("/opt/bin/hardinfo");
    }
    void sysInfo()
    {
        QFETCH(QStringList, onPath);
        QFETCH(bool, startWorks);
        QFETCH(QStringList, expectedStarts);
        QFETCH(QString, expectedMessage);

        QStringList starts;
        SysInfoEnvironment environment;
        environment.findExecutable = [&](const QString &name) {
            return onPath.contains(name) ? QStringLiteral("/opt/bin/") + name : QString();
        };
        environment.desktopPrograms = knownSysInfoPrograms();
        environment.startProgram = [&](const QString &program) {
            starts << program;
            return startWorks;
        };
        QPointer<CreditsBox> box = new CreditsBox(m_fake->platform, environment, m_main.get());
        box->show();
        click(box, "cmdSysInfo");
        QCOMPARE(starts, expectedStarts);
        QCOMPARE(m_fake->messages.texts(), expectedMessage.isEmpty() ? QStringList{} : QStringList{expectedMessage});
        QVERIFY(box && box->isVisible()); // the box stays, the program goes on
        QCOMPARE(m_fake->exit.calls(), 0);
    }
};

QTEST_MAIN(HelpWindowsTest)
#include "ui_help_windows.moc"
