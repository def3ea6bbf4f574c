// The tutorial window and the credits box on their own, reading a configuration box as created.
#include "app/ConfigBox.h"
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

void click(const QWidget *window, const char *name)
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
    std::unique_ptr<ConfigBox> m_box; // the fields as the box holds them before any file is read
    std::unique_ptr<QWidget> m_main;

    TutorialWindow *makeTutorial()
    {
        auto *window = new TutorialWindow(m_fake->platform, [this](int n) { return m_box->fieldText(n); }, m_main.get());
        window->show();
        return window;
    }

private slots:
    void init()
    {
        m_fake = std::make_unique<FakePlatform>(m_drive.root());
        m_box = std::make_unique<ConfigBox>(m_fake->platform);
        m_main = std::make_unique<QWidget>();
    }
    void cleanup()
    {
        m_main.reset();
        m_box.reset();
        m_fake.reset();
    }

    void tutorialWindowLayout()
    {
        const TutorialWindow *window = makeTutorial();
        QCOMPARE(window->objectName(), QStringLiteral("frmAboutBox"));
        QCOMPARE(window->windowTitle(), QStringLiteral("ZEFRO tutorial"));
        QCOMPARE(window->size(), QSize(591, 472));
        const auto *text = window->findChild<QPlainTextEdit *>(QStringLiteral("Text1"));
        QCOMPARE(text->toPlainText(), tutorialUsageText().replace(QStringLiteral("\r\n"), QStringLiteral("\n")));

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
        int previousBottom = -1;
        for (const Expected &expected : column) {
            const auto *button = window->findChild<QPushButton *>(QString::fromLatin1(expected.name));
            QVERIFY2(button, expected.name);
            QCOMPARE(button->text(), expected.caption);
            QCOMPARE(button->toolTip(), expected.toolTip);
            QCOMPARE(button->isEnabled(), expected.enabled);
            // One column, top to bottom in this order, right of the text, inside the window.
            QVERIFY2(button->geometry().top() > previousBottom, expected.name);
            QCOMPARE(button->x(), window->findChild<QPushButton *>(QStringLiteral("Command1"))->x());
            QVERIFY(button->x() > text->geometry().right());
            QVERIFY(window->rect().contains(button->geometry()));
            previousBottom = button->geometry().bottom();
        }
        const auto *title = window->findChild<QLabel *>(QStringLiteral("Label1"));
        QVERIFY(title->text().contains(QStringLiteral("ZEFRO")) && title->text().contains(QStringLiteral("ver. 3.0fe")));
        QCOMPARE(title->font().family(), QStringLiteral("Tahoma"));
        QCOMPARE(title->font().pointSize(), 12);
        QVERIFY(title->font().bold());
        QCOMPARE(title->parentWidget()->objectName(), QStringLiteral("Frame1"));
        QCOMPARE(window->findChild<QLabel *>(QStringLiteral("Picture1"))->pixmap().size(), QSize(84, 83));
    }

    // The reader, one blank, the document path, unquoted; a path with blanks reaches the reader
    // in pieces, each through the drive paths.
    void documentCommandLines()
    {
        TutorialWindow *window = makeTutorial();
        click(window, "Command1");
        click(window, "Command4");
        QCOMPARE(m_fake->launcher.started,
                 QStringList({"C:\\Programmi\\Adobe\\Acrobat 5.0\\Reader\\AcroRd32.exe c:\\zefro\\ms_hlp.pdf",
                              "C:\\Programmi\\Adobe\\Acrobat 5.0\\Reader\\AcroRd32.exe c:\\zefro\\ms_hlp4.pdf"}));

        m_box->setFieldText(1, QStringLiteral("c:\\lettore\\apri"));
        m_box->setFieldText(2, QStringLiteral("c:\\zefro\\guida introduttiva.pdf"));
        click(window, "Command1");
        QCOMPARE(m_fake->launcher.started.last(), QStringLiteral("c:\\lettore\\apri c:\\zefro\\guida introduttiva.pdf"));
        const LaunchCommand command = splitCommandLine(m_fake->launcher.started.last(), m_fake->platform.drives, true);
        QCOMPARE(command.program, m_drive.root() + QStringLiteral("/c/lettore/apri"));
        QCOMPARE(command.arguments, QStringList({m_drive.root() + "/c/zefro/guida", "introduttiva.pdf"}));
    }

    void creditsBoxTexts()
    {
        auto *box = new CreditsBox(m_fake->platform, {}, m_main.get());
        box->show();
        QCOMPARE(box->objectName(), QStringLiteral("frmAbout"));
        QCOMPARE(box->windowTitle(), QStringLiteral("ZEFRO Credit"));
        QCOMPARE(box->size(), QSize(381, 239));
        const QList<QPair<const char *, QString>> labels{
            {"lblTitle", "Titolo applicazione: ZEFRO"},
            {"lblVersion", " Versione 3.0fe, Final Edition" + QString(43, ' ') + "Data: settembre 2006"},
            {"lblDescription", "Descrizione applicazione: metodo Quillaro per la determinazione delle conseguenze "
                               "di eventi incidentali coinvolgenti sostanze pericolose"},
            {"lblDisclaimer", "Avviso: uso riservato alla Pubblica Amministrazione.      "},
            {"lblOrganisation", {}}, {"lblAgreement", {}}, {"lblContact", {}}}; // our own lines: any text
        for (const auto &[name, text] : labels) {
            const auto *label = box->findChild<QLabel *>(QString::fromLatin1(name));
            QVERIFY2(label && !label->text().isEmpty(), name);
            if (!text.isEmpty())
                QCOMPARE(label->text(), text);
            QVERIFY(box->rect().contains(label->geometry()));
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
        QTest::newRow("program does not start") << QStringList{"hardinfo"} << false << QStringList{"/opt/bin/hardinfo"}
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
        const QPointer<CreditsBox> box = new CreditsBox(m_fake->platform, environment, m_main.get());
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
