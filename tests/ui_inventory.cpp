// The inventory dialog driven offscreen on the bundled sample inventory, its choosers answered by the
// test: what the windows add to the site run (the folder check, the progress that stops the run, the
// end message, the site map window). The run's figures are pinned by the site's tests.
#include "app/InventoryDialog.h"
#include "app/SiteMapWindow.h"
#include "catalogue/SealedWorkbookOpener.h"
#include "site/OutputFolder.h"
#include "support/FakePlatform.h"
#include "support/MainWindowDriver.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressDialog>
#include <QPushButton>
#include <QSettings>
#include <QtTest>

namespace {

const QString kInventory = QStringLiteral("c:\\revisione metodo speditivo\\dati\\inventario\\inventario esempio.csv");
const QString kGeoreferencedMap
    = QStringLiteral("c:\\revisione metodo speditivo\\dati\\cartografia\\raster\\esempio georiferito 1-5000.tif");

QStringList entriesOf(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Name);
}

const QString kSettingsKey = QStringLiteral("elementi_vulnerabili/strato"); // the map window's too

// A dialog on the bundled tables whose "Sfoglia…" buttons get the inventory, the folder and the map;
// that of the elements gets `elementsAnswer`.
struct DialogRun
{
    explicit DialogRun(const QString &folder, bool withMap = true, const QString &inventory = {})
        : dialog(fake.platform, workbooks)
    {
        const DrivePaths &drives = fake.platform.drives;
        dialog.setFileChooser([=, this](InventoryDialog::Choice choice, const QString &) {
            switch (choice) {
            case InventoryDialog::Choice::Inventory:
                return inventory.isEmpty() ? drives.toLocal(kInventory) : inventory;
            case InventoryDialog::Choice::OutputFolder: return folder;
            case InventoryDialog::Choice::Map: return withMap ? drives.toLocal(kGeoreferencedMap) : QString();
            case InventoryDialog::Choice::Elements: return elementsAnswer;
            }
            return QString();
        });
        dialog.setFolderOpener([this](const QString &opened) { openedFolders << opened; });
        dialog.show();
        for (const char *browse : {"inventoryFileBrowse", "outputFolderBrowse", "mapFileBrowse"})
            click(browse);
    }
    void click(const char *name) { QTest::mouseClick(dialog.findChild<QPushButton *>(name), Qt::LeftButton); }
    [[nodiscard]] MessageRequest lastMessage() const
    {
        return fake.messages.shown().isEmpty() ? MessageRequest{} : fake.messages.shown().constLast();
    }

    FakePlatform fake{QStringLiteral(ZEFRO_BUNDLED_TREE)};
    SealedWorkbookOpener workbooks{fake.platform.drives};
    InventoryDialog dialog;
    QStringList openedFolders;
    QString elementsAnswer;
};

} // namespace

class InventoryWindowsTest : public QObject
{
    Q_OBJECT

    QTemporaryDir m_settings;

private slots:
    void initTestCase()
    {
        // The user's settings of this run only.
        QVERIFY(m_settings.isValid());
        QCoreApplication::setOrganizationName(QStringLiteral("ZEFRO"));
        QCoreApplication::setApplicationName(QStringLiteral("ui_inventory"));
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_settings.path());
    }
    void init() { QSettings().remove(kSettingsKey); }

    void mainWindowButtonOpensTheDialogClearOfEveryControl()
    {
        MainWindowDriver run{QString()};
        auto *button = run.get<QPushButton>("inventoryButton");
        QVERIFY(button && button->isVisible() && button->isEnabled());
        // Hidden controls too: the diameter list shows only for pipelines.
        for (const QWidget *control : button->parentWidget()->findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
            QVERIFY2(control == button || !control->geometry().intersects(button->geometry()),
                     qPrintable(control->objectName()));
        QTest::mouseClick(button, Qt::LeftButton);
        const auto *dialog = run.window->findChild<InventoryDialog *>();
        QVERIFY(dialog && dialog->isVisible());
    }

    void runWritesTheFolderAndShowsTheSiteMap()
    {
        const QTemporaryDir temporary;
        const QString folder = temporary.filePath(QStringLiteral("risultati sito"));
        DialogRun run(folder);
        QCOMPARE(run.dialog.findChild<QLineEdit *>("mapFile")->text(),
                 run.fake.platform.drives.toLocal(kGeoreferencedMap));
        run.fake.messages.queueAnswer(MessageAnswer::Action);
        run.click("elaborate");

        QCOMPARE(entriesOf(folder),
                 (QStringList{"aree.gpkg", "mappa.png", "riepilogo.pdf", "risultati.csv", "risultati.json"}));
        const MessageRequest end = run.lastMessage();
        QCOMPARE(end.text.section(QLatin1Char('\n'), 0, 0), QStringLiteral("12 voci stimate, 0 non stimate."));
        QVERIFY(end.text.contains(folder));
        QCOMPARE(end.buttons, MessageButtons::OkAction);
        QCOMPARE(run.openedFolders, QStringList{folder});
        QVERIFY(!run.dialog.isVisible());

        const SiteMapWindow *siteMap = run.dialog.siteMapWindow();
        QVERIFY(siteMap && siteMap->isVisible());
        QCOMPARE(siteMap->picture().pixmap().size(), QImage(folder + QStringLiteral("/mappa.png")).size());
        QCOMPARE(siteMap->items().count(), 12);
    }

    // The layer the map window remembered is offered. One that cannot be read is said once the
    // run gets to it, writes nothing, keeps every field and is not remembered; one that is read gives
    // elementi.csv and the zones in the end message, and is remembered for both windows.
    void elementsLayerOfTheSettings()
    {
        const QString bundled
            = QStringLiteral(ZEFRO_BUNDLED_TREE "/c/revisione metodo speditivo/dati/elementi/elementi esempio.gpkg");
        QSettings().setValue(kSettingsKey, bundled);
        const QTemporaryDir temporary;
        const QString folder = temporary.filePath(QStringLiteral("risultati sito"));
        DialogRun run(folder);
        auto *field = run.dialog.findChild<QLineEdit *>("elementsFile");
        QCOMPARE(field->text(), bundled);

        const QString notALayer = temporary.filePath(QStringLiteral("appunti.gpkg"));
        QFile notes(notALayer);
        QVERIFY(notes.open(QIODevice::WriteOnly) && notes.write("non e' uno strato") > 0);
        notes.close();
        run.elementsAnswer = notALayer;
        run.click("elementsFileBrowse");
        run.click("elaborate");
        QCOMPARE(run.lastMessage().icon, MessageIcon::Warning);
        QVERIFY2(run.lastMessage().text.startsWith(
                     QStringLiteral("Impossibile leggere gli elementi vulnerabili di \"%1\"").arg(notALayer)),
                 qPrintable(run.lastMessage().text));
        QVERIFY(!QFileInfo::exists(folder));
        QVERIFY(run.dialog.isVisible());
        QCOMPARE(field->text(), notALayer);
        QVERIFY(!run.dialog.findChild<QLineEdit *>("inventoryFile")->text().isEmpty());
        QCOMPARE(QSettings().value(kSettingsKey).toString(), bundled);

        const QString copy = temporary.filePath(QStringLiteral("elementi del comune.gpkg"));
        QVERIFY(QFile::copy(bundled, copy));
        run.elementsAnswer = copy;
        run.click("elementsFileBrowse");
        run.click("elaborate");
        QCOMPARE(entriesOf(folder),
                 (QStringList{"aree.gpkg", "elementi.csv", "mappa.png", "riepilogo.pdf", "risultati.csv",
                              "risultati.json"}));
        const QString end = run.lastMessage().text;
        QVERIFY2(end.contains(QStringLiteral("\n\nElementi vulnerabili (strato \"elementi\"):\nPrima zona ")),
                 qPrintable(end));
        QCOMPARE(QSettings().value(kSettingsKey).toString(), copy);
        const DialogRun next(temporary.filePath(QStringLiteral("altro")));
        QCOMPARE(next.dialog.findChild<QLineEdit *>("elementsFile")->text(), copy);
    }

    void failedRowsAreListedInTheDetails()
    {
        const QTemporaryDir temporary;
        const QString inventory = temporary.filePath(QStringLiteral("sito.csv"));
        QFile file(inventory);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("id;sostanza;classe;ipotesi;detenzione;quantita_t\n"
                   "A;Propano;2_1_2;2;2;25\n"
                   "B;Sostanza sconosciuta;;1;1;10\n");
        file.close();
        DialogRun run(temporary.filePath(QStringLiteral("risultati")), false, inventory);
        run.click("elaborate");

        const MessageRequest end = run.lastMessage();
        QCOMPARE(end.text.section(QLatin1Char('\n'), 0, 0), QStringLiteral("1 voce stimata, 1 non stimata."));
        QCOMPARE(end.icon, MessageIcon::Warning);
        QVERIFY2(end.details.startsWith(QStringLiteral("riga 3 (B): ")), qPrintable(end.details));
        QCOMPARE(end.details.count(QLatin1Char('\n')), 0);
        QVERIFY(!run.dialog.siteMapWindow());
    }

    void cancelAtTheFirstItemWritesNothing()
    {
        const QTemporaryDir temporary;
        const QString folder = temporary.filePath(QStringLiteral("risultati sito"));
        DialogRun run(folder, false);
        // The first item's progress lets the events in: the analyst presses "Annulla" then.
        QTimer analyst;
        QObject::connect(&analyst, &QTimer::timeout, &run.dialog, [&] {
            if (auto *progress = run.dialog.findChild<QProgressDialog *>("inventoryProgress")) {
                progress->cancel();
                analyst.stop();
            }
        });
        analyst.start(0);
        run.click("elaborate");

        QVERIFY(!QFileInfo::exists(folder));
        QCOMPARE(run.lastMessage().icon, MessageIcon::Information);
        QVERIFY(run.lastMessage().text.contains(QStringLiteral("annullata")));
        QVERIFY(run.dialog.isVisible());
        QVERIFY(!run.dialog.siteMapWindow());
    }

    void folderHoldingFilesIsRefusedBeforeTheRun()
    {
        const QTemporaryDir folder;
        QFile kept(folder.filePath(QStringLiteral("appunti.txt")));
        QVERIFY(kept.open(QIODevice::WriteOnly) && kept.write("da tenere") == 9);
        kept.close();
        DialogRun run(folder.path());
        QVERIFY(!run.dialog.findChild<QCheckBox *>("overwrite")->isChecked());
        run.click("elaborate");

        QCOMPARE(run.fake.messages.shown().size(), 1);
        QCOMPARE(run.lastMessage().icon, MessageIcon::Warning);
        QCOMPARE(run.lastMessage().text, site::checkOutputFolder(folder.path(), false).error().message());
        QCOMPARE(entriesOf(folder.path()), QStringList{"appunti.txt"});
        QVERIFY(run.dialog.isVisible());
    }
};

QTEST_MAIN(InventoryWindowsTest)
#include "ui_inventory.moc"
