// The map window driven as an analyst would, offscreen: choosing a bundled map and a scale, showing
// it, drawing the damage areas, rescaling by a segment, saving and printing, quitting; and the
// controls visible at each step.
#include "app/ProgramState.h"
#include "map/DamageCircles.h"
#include "map/InvertLine.h"
#include "map/MapFiles.h"
#include "map/MapSurface.h"
#include "map/MapWindow.h"
#include "support/FakePlatform.h"
#include "support/TestDrive.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPrinter>
#include <QPushButton>
#include <QSignalSpy>
#include <QtTest>

#include <cmath>

namespace {

const QString kRaster = QStringLiteral("c:\\revisione metodo speditivo\\dati\\cartografia\\raster");
const QString kMap5000 = QStringLiteral("esempio 1-5000.bmp");
const QString kMap10000 = QStringLiteral("esempio 1-10000.bmp");
constexpr double kUnit5000 = 47.24; // pixels per drawing unit of the 1:5000 sheet

// Every control whose visibility makes up the window's state.
const QStringList kStateControls = {
    "Drive1",    "Dir1",     "File1",    "Combo2",    "Text1",     "Command1",  "Command2", "Combo1",
    "Label1",    "Command3", "Command6", "Command5",  "output2",   "Text2",     "Command10", "Command11",
    "Command12", "Command4", "Command7", "Command8",  "Frame1",    "Frame2",    "Frame3",   "Frame4",
    "Label2",    "Label3",   "Label4",   "Label5"};

// Opens a combo's list and clicks an entry, so that its choice event fires.
bool chooseEntry(QComboBox *combo, int row)
{
    combo->showPopup();
    if (!QTest::qWaitForWindowExposed(combo->view()->window()))
        return false;
    const QModelIndex entry = combo->model()->index(row, 0);
    combo->view()->scrollTo(entry);
    QTest::mouseClick(combo->view()->viewport(), Qt::LeftButton, {}, combo->view()->visualRect(entry).center());
    return !combo->view()->window()->isVisible();
}

// One analyst at the map window, with the estimate's side done by hand.
struct Session
{
    TestDrive drive;
    FakePlatform fake{drive.root()};
    ProgramState state;
    QPointer<MapWindow> window;

    Session()
    {
        state.outputPrefix = QStringLiteral("c:\\zefro\\output\\");
        // 100 m ... 450 m: at 1:5000 from 2 to 9 drawing units.
        for (int slot = 0; slot < kDistanceSlots; ++slot)
            state.result.damageDistance[slot] = CellValue::number(100.0 + 50.0 * slot);
        window = new MapWindow(state, fake.platform);
        window->setSubstanceNameSource([] { return QStringLiteral("Ammoniaca"); });
    }
    ~Session() { delete window; }

    // What the estimate does before the analyst gets the window.
    void openAsTheEstimateDoes()
    {
        for (const char *name : {"Command3", "Command5", "Command7", "Command8"})
            window->findChild<QPushButton *>(name)->hide();
        window->findChild<QLabel *>("Label5")->hide();
        window->setMapFolder(kRaster);
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window));
        window->findChild<QPlainTextEdit *>("output2")->setPlainText(QStringLiteral("Sostanza prescelta: Ammoniaca"));
        window->findChild<QLabel *>("Label3")->setText(QStringLiteral("Sostanza prescelta: Ammoniaca"));
        window->findChild<QLabel *>("Label4")->setText(QStringLiteral("soglia 1 D5 distanza di danno =  100 m"));
        window->findChild<QLabel *>("Label5")->setText(QStringLiteral("Rosso\r\nBlu"));
        window->findChild<QPushButton *>("Command5")->show();
        window->findChild<QPushButton *>("Command6")->hide();
    }

    template <typename T = QWidget>
    T *control(const char *name) const
    {
        T *found = window->findChild<T *>(QLatin1String(name));
        if (!found)
            qFatal("no control %s", name);
        return found;
    }

    [[nodiscard]] QStringList visibleControls() const
    {
        QStringList visible;
        for (const QString &name : kStateControls)
            if (control(name.toLatin1().constData())->isVisibleTo(window))
                visible << name;
        return visible;
    }

    void click(const char *name) { QTest::mouseClick(control<QPushButton>(name), Qt::LeftButton); }

    void chooseFile(const QString &fileName)
    {
        auto *files = control<QListWidget>("File1");
        const QList<QListWidgetItem *> items = files->findItems(fileName, Qt::MatchExactly);
        QCOMPARE(items.size(), 1);
        QTest::mouseClick(files->viewport(), Qt::LeftButton, {}, files->visualItemRect(items.first()).center());
    }

    void chooseScale(const QString &text)
    {
        auto *combo = control<QComboBox>("Combo2");
        const int index = combo->findText(text);
        QVERIFY(index >= 0);
        QVERIFY(chooseEntry(combo, index));
    }

    void typeUserScale(const QString &text)
    {
        auto *box = control<QLineEdit>("Text1");
        box->selectAll();
        QTest::keyClicks(box, text);
    }

    [[nodiscard]] MapSurface *surface() const { return control<MapSurface>("Picture1"); }

    void press(QPoint at, Qt::MouseButton button = Qt::LeftButton)
    {
        QMouseEvent event(QEvent::MouseButtonPress, at, surface()->mapToGlobal(at), button, button, {});
        QApplication::sendEvent(surface(), &event);
    }
    void move(QPoint at, Qt::MouseButtons buttons = Qt::LeftButton)
    {
        QMouseEvent event(QEvent::MouseMove, at, surface()->mapToGlobal(at), Qt::NoButton, buttons, {});
        QApplication::sendEvent(surface(), &event);
    }
    void release(QPoint at, Qt::MouseButton button = Qt::LeftButton)
    {
        QMouseEvent event(QEvent::MouseButtonRelease, at, surface()->mapToGlobal(at), button, Qt::NoButton, {});
        QApplication::sendEvent(surface(), &event);
    }
    void clickMap(QPoint at, Qt::MouseButton button = Qt::LeftButton)
    {
        press(at, button);
        release(at, button);
    }

    // Up to "map shown" with the 1:5000 map at its own scale.
    void showMapAt5000()
    {
        openAsTheEstimateDoes();
        chooseFile(kMap5000);
        chooseScale(QStringLiteral("scala 1:5000"));
        click("Command3");
    }

    [[nodiscard]] QString mapPath(const QString &file) const
    {
        return drive.local(kRaster + QLatin1Char('\\') + file);
    }
};

const QStringList kChooseMap = {"Drive1", "Dir1", "File1", "Command5", "output2"};
const QStringList kChooseScale = {"Drive1",   "Dir1",     "File1",    "Combo2",   "Text1",   "Command1",
                                  "Command2", "Combo1",   "Command3", "Command5", "output2"};
const QStringList kChooseScaleAfterChoice = {"Drive1",   "Dir1",     "File1",    "Combo2",   "Text1",
                                             "Command1", "Command2", "Combo1",   "Label1",   "Command3",
                                             "Command6", "Command5", "output2"};
const QStringList kAreasDrawn = {"Command10", "Command11", "Command12", "Command4", "Command7", "Command8",
                                 "Frame1",    "Frame2",    "Frame3",    "Frame4",   "Label2",   "Label3",
                                 "Label4",    "Label5"};

// A double click on a folder, as the window system delivers it: press, release, press turned into a
// double click, release.
void openFolder(QListWidget *folders, int row)
{
    QWidget *viewport = folders->viewport();
    const QPoint at = folders->visualItemRect(folders->item(row)).center();
    const QPoint global = viewport->mapToGlobal(at);
    for (const QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease, QEvent::MouseButtonDblClick,
                                    QEvent::MouseButtonRelease}) {
        const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
        QMouseEvent event(type, at, global, Qt::LeftButton, held, {});
        QApplication::sendEvent(viewport, &event);
    }
}

bool colourNear(const QImage &image, QPoint at, QRgb colour, int slack = 1)
{
    for (int dy = -slack; dy <= slack; ++dy)
        for (int dx = -slack; dx <= slack; ++dx) {
            const QPoint p = at + QPoint(dx, dy);
            if (image.rect().contains(p) && (image.pixel(p) & 0xFFFFFF) == (colour & 0xFFFFFF))
                return true;
        }
    return false;
}

} // namespace

class MapWindowTest : public QObject
{
    Q_OBJECT

private slots:
    void controls_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("tip");
        QTest::addColumn<QRect>("geometry");
        QTest::addColumn<bool>("visible");
        const QString chooser = QStringLiteral("Seleziona un file mappa");
        QTest::newRow("Drive1") << "Drive1" << "c:" << chooser << QRect(24, 8, 201, 21) << true;
        QTest::newRow("Dir1") << "Dir1" << "" << chooser << QRect(24, 40, 201, 216) << true;
        QTest::newRow("File1") << "File1" << "" << chooser << QRect(24, 264, 201, 97) << true;
        QTest::newRow("Picture1") << "Picture1" << "" << "" << QRect(8, 0, 1008, 741) << true;
        QTest::newRow("Combo2") << "Combo2" << "scala definita dall'utente"
                                << "Scegliere una scala predefinita par la mappa prescelta oppure inserire ed "
                                   "aggiustare la scala qui sotto"
                                << QRect(256, 8, 193, 21) << false;
        QTest::newRow("Text1") << "Text1" << "Text1" << "" << QRect(256, 56, 81, 25) << false;
        QTest::newRow("Command1") << "Command1" << "Aumenta la scala" << "Aumenta manualmente la scala di una unità"
                                  << QRect(352, 48, 97, 25) << false;
        QTest::newRow("Command2") << "Command2" << "Diminuisci la scala"
                                  << "Diminuisci manualmente la scala di una unità" << QRect(352, 80, 97, 25) << false;
        QTest::newRow("Combo1") << "Combo1" << "Scelta della forma dell'area di danno" << "" << QRect(256, 112, 193, 21)
                                << false;
        QTest::newRow("Label1") << "Label1"
                                << "Premere \"Mostra mappa\", ingrandire la figura a tutto schermo se desirato e "
                                   "posizionare il cursore sull'origine dell'incidente"
                                << "" << QRect(256, 152, 193, 57) << false;
        QTest::newRow("Command3") << "Command3" << "Mostra mappa"
                                  << "Mostra la mappa selezionata posizionando i cerchi di danno con la scala prescelta"
                                  << QRect(256, 216, 193, 33) << false;
        QTest::newRow("Command6") << "Command6" << "Setup stampante" << "" << QRect(256, 272, 193, 33) << false;
        QTest::newRow("Command5") << "Command5" << "Salva report su file"
                                  << "Salva i risultati su file. Successivamente si potrà editare il file con Notebook"
                                  << QRect(256, 320, 193, 33) << true;
        QTest::newRow("output2") << "output2" << "" << "" << QRect(16, 368, 633, 361) << true;
        QTest::newRow("Text2") << "Text2" << "Inserire la lunghezza del segmento disegnato in metri"
                               << "Prima premere Riscalatura poi tracciare con il mouse il segmento di lunghezza nota "
                                  "e inserire qui il valore reale in metri. Poi premere Riscala"
                               << QRect(728, 272, 273, 25) << false;
        QTest::newRow("Command10") << "Command10" << "Riscalatura manuale della mappa"
                                   << "Riscala la mappa attraverso un segmento di lunghezza nota"
                                   << QRect(728, 304, 177, 25) << false;
        QTest::newRow("Command11") << "Command11" << "Riscala"
                                   << "Dopo avere premuto il pulsante Riscalatura ed inserito il valore nella casella "
                                      "permette di riposizionare i cerchi di danno"
                                   << QRect(920, 304, 81, 25) << false;
        QTest::newRow("Command12") << "Command12" << "Salva la mappa su file" << "" << QRect(728, 336, 273, 25) << false;
        QTest::newRow("Command4") << "Command4" << "Stampa mappa" << "Stampa la mappa con i cerchi di danno su stampante"
                                  << QRect(728, 368, 81, 25) << false;
        QTest::newRow("Command7") << "Command7" << "Cambia mappa" << "Permette di cambiare la mappa"
                                  << QRect(824, 368, 81, 25) << true;
        QTest::newRow("Command8") << "Command8" << "Esci" << "Quit" << QRect(920, 368, 81, 25) << true;
        QTest::newRow("Frame2") << "Frame2" << "Dati" << "" << QRect(728, 400, 273, 135) << false;
        QTest::newRow("Frame3") << "Frame3" << "Risultati" << "" << QRect(728, 536, 273, 135) << false;
        QTest::newRow("Frame4") << "Frame4" << "Legenda" << "" << QRect(656, 536, 65, 135) << false;
        QTest::newRow("Frame1") << "Frame1" << "" << "" << QRect(656, 672, 345, 57) << false;
    }
    void controls()
    {
        QFETCH(QString, name);
        QFETCH(QString, text);
        QFETCH(QString, tip);
        QFETCH(QRect, geometry);
        QFETCH(bool, visible);
        Session s;
        s.window->show();
        QCOMPARE(s.window->objectName(), QStringLiteral("map"));
        QCOMPARE(s.window->windowTitle(), QStringLiteral("ZEFRO ver. 3.0fe : visualizzazione raggi di danno su mappa"));
        QCOMPARE(s.window->size(), QSize(1016, 740));
        QWidget *widget = s.control(name.toLatin1().constData());
        QCOMPARE(widget->geometry(), geometry);
        QCOMPARE(widget->toolTip(), tip);
        QCOMPARE(widget->isVisibleTo(s.window), visible);
        QString shown;
        if (auto *button = qobject_cast<QPushButton *>(widget))
            shown = button->text();
        else if (auto *combo = qobject_cast<QComboBox *>(widget))
            shown = combo->currentText();
        else if (auto *line = qobject_cast<QLineEdit *>(widget))
            shown = line->text();
        else if (auto *label = qobject_cast<QLabel *>(widget))
            shown = label->text();
        else if (auto *frame = qobject_cast<QGroupBox *>(widget))
            shown = frame->title();
        QCOMPARE(shown, text);
    }

    void disabledControlsAndTheShapeList()
    {
        Session s;
        QVERIFY(!s.control("Command6")->isEnabled());
        auto *shapes = s.control<QComboBox>("Combo1");
        QVERIFY(!shapes->isEnabled());
        QCOMPARE(shapes->count(), 4);
        QCOMPARE(shapes->itemText(0), QStringLiteral("Circolare"));
        QCOMPARE(shapes->itemText(1), QStringLiteral("Semicerchio"));
        QCOMPARE(shapes->itemText(2), QStringLiteral("plume (y/x=costante)"));
        QCOMPARE(shapes->itemText(3), QStringLiteral("puff !"));
        QVERIFY(s.control<QLabel>("Label2")->text().contains(QStringLiteral("ZEFRO ver. 3.0fe")));
        QVERIFY(s.control<QPlainTextEdit>("output2")->font().family().contains(QStringLiteral("Courier New")));
    }

    void chooserStartsInTheRasterFolderAndShowsOnlyBitmaps()
    {
        Session s;
        s.drive.writeFile(kRaster + QStringLiteral("\\leggimi.txt"), "non una mappa");
        s.drive.writeFile(kRaster + QStringLiteral("\\MAIUSCOLE.BMP"), "BM");
        s.drive.writeFile(kRaster + QStringLiteral("\\archivio\\vecchia.bmp"), "BM");
        s.openAsTheEstimateDoes();
        auto *files = s.control<QListWidget>("File1");
        QStringList names;
        for (int i = 0; i < files->count(); ++i)
            names << files->item(i)->text();
        QCOMPARE(names, QStringList({kMap10000, kMap5000, QStringLiteral("MAIUSCOLE.BMP")}));
        auto *drives = s.control<QComboBox>("Drive1");
        QCOMPARE(drives->currentText(), QStringLiteral("c:"));
        QCOMPARE(drives->itemText(drives->count() - 1), QStringLiteral("/"));
        // The folder list: the chain down to the raster folder, then its subfolder.
        auto *folders = s.control<QListWidget>("Dir1");
        QCOMPARE(folders->count(), 6);
        QCOMPARE(folders->item(0)->text(), QStringLiteral("c:"));
        QCOMPARE(folders->item(4)->text().trimmed(), QStringLiteral("raster"));
        QCOMPARE(folders->currentRow(), 4);
        QCOMPARE(folders->item(5)->text().trimmed(), QStringLiteral("archivio"));
        // Opening the subfolder lists its bitmaps; going up to "dati" lists none.
        openFolder(folders, 5);
        QCOMPARE(files->count(), 1);
        QCOMPARE(files->item(0)->text(), QStringLiteral("vecchia.bmp"));
        openFolder(folders, 2);
        QCOMPARE(folders->item(folders->currentRow())->text().trimmed(), QStringLiteral("dati"));
        QCOMPARE(files->count(), 0);

        // A drive opens at its root: "/" is the machine's, "c:" the drive root's folder c.
        QVERIFY(chooseEntry(drives, drives->count() - 1));
        QCOMPARE(folders->item(0)->text(), QStringLiteral("/"));
        QCOMPARE(folders->currentRow(), 0);
        QVERIFY(!folders->findItems(QStringLiteral("  tmp"), Qt::MatchExactly).isEmpty());
        QVERIFY(chooseEntry(drives, 0));
        QCOMPARE(folders->currentRow(), 0);
        QCOMPARE(folders->item(0)->text(), QStringLiteral("c:"));
        QVERIFY(!folders->findItems(QStringLiteral("  revisione metodo speditivo"), Qt::MatchExactly).isEmpty());
        QVERIFY(!folders->findItems(QStringLiteral("  zefro"), Qt::MatchExactly).isEmpty());
    }

    void choosingAMapThenAScale()
    {
        Session s;
        s.openAsTheEstimateDoes();
        QCOMPARE(s.visibleControls(), kChooseMap);
        s.chooseFile(kMap5000);
        QCOMPARE(s.visibleControls(), kChooseScale);
        auto *scales = s.control<QComboBox>("Combo2");
        QCOMPARE(scales->count(), 17);
        QCOMPARE(scales->itemText(0), QStringLiteral("scala definita dall'utente"));
        QCOMPARE(scales->itemText(16), QStringLiteral("scala 1:100000"));
        QCOMPARE(scales->currentText(), QStringLiteral("scala definita dall'utente"));
        QCOMPARE(s.control<QLineEdit>("Text1")->text(), QStringLiteral("1:1"));
        QVERIFY(!s.control("Combo1")->isEnabled());
        QCOMPARE(s.state.scaleFactor, 0.0); // a map choice sets no scale

        s.chooseScale(QStringLiteral("scala 1:10000"));
        QCOMPARE(s.state.scaleFactor, 1.0 / 10000);
        QCOMPARE(s.visibleControls(), kChooseScaleAfterChoice);
        QVERIFY(!s.control("Command6")->isEnabled());

        // A second map choice fills the list afresh and keeps the scale shown.
        s.chooseFile(kMap10000);
        QCOMPARE(scales->count(), 17);
        QCOMPARE(scales->currentText(), QStringLiteral("scala 1:10000"));
        QCOMPARE(s.state.scaleFactor, 1.0 / 10000);

        s.chooseScale(QStringLiteral("scala definita dall'utente"));
        QCOMPARE(s.state.scaleFactor, 1.0);
        s.chooseScale(QStringLiteral("scala 1:1"));
        QCOMPARE(s.state.scaleFactor, 1.0);
    }

    void userScaleButtonsAndARefusedDenominator()
    {
        Session s;
        s.openAsTheEstimateDoes();
        s.chooseFile(kMap5000);
        s.state.scaleFactor = 0.5;
        s.click("Command1");
        QCOMPARE(s.control<QLineEdit>("Text1")->text(), QStringLiteral("1: 2"));
        s.click("Command2");
        s.click("Command2");
        QCOMPARE(s.control<QLineEdit>("Text1")->text(), QStringLiteral("1: 0"));
        QCOMPARE(s.state.scaleFactor, 0.5); // the buttons change the text only

        // A denominator of 0 (and any other unusable one) is refused at "Mostra mappa".
        for (const QString &bad : {QStringLiteral("1: 0"), QStringLiteral("1:-200"), QStringLiteral("scala")}) {
            s.typeUserScale(bad);
            s.fake.messages.clear();
            s.click("Command3");
            QCOMPARE(s.fake.messages.shown().size(), 1);
            QVERIFY(s.fake.messages.texts().first().contains(QStringLiteral("non è valida")));
            QCOMPARE(s.state.scaleFactor, 0.5);
            QCOMPARE(s.visibleControls(), kChooseScale);
            QVERIFY(!s.surface()->hasMap());
        }

        s.typeUserScale(QStringLiteral("1:5000"));
        s.fake.messages.clear();
        s.click("Command3");
        QVERIFY(s.fake.messages.shown().isEmpty());
        QCOMPARE(s.state.scaleFactor, 1.0 / 5000);
        QCOMPARE(s.visibleControls(), QStringList());
        QVERIFY(s.surface()->hasMap());
        QCOMPARE(s.surface()->cursor().shape(), Qt::CrossCursor);
    }

    void showMapWithoutAnyScaleChoiceUsesOneToOne()
    {
        Session s;
        s.openAsTheEstimateDoes();
        s.chooseFile(kMap10000);
        s.click("Command3");
        QCOMPARE(s.state.scaleFactor, 1.0);
        QCOMPARE(s.surface()->image().size(), QSize(1500, 1100));
    }

    void aMapThatIsNotABitmapLeavesTheWindowAsItWas()
    {
        Session s;
        s.drive.writeFile(kRaster + QStringLiteral("\\rotta.bmp"), "BM questo non e' un bitmap");
        s.openAsTheEstimateDoes();
        s.chooseFile(QStringLiteral("rotta.bmp"));
        s.chooseScale(QStringLiteral("scala 1:2000"));
        const QStringList before = s.visibleControls();
        s.state.scaleFactor = 0.25;
        s.click("Command3");
        QCOMPARE(s.fake.messages.shown().size(), 1);
        QVERIFY(s.fake.messages.texts().first().contains(QStringLiteral("rotta.bmp")));
        QCOMPARE(s.visibleControls(), before);
        QCOMPARE(s.state.scaleFactor, 0.25);
        QVERIFY(!s.surface()->hasMap());
    }

    void leftClickDrawsTheEightAreas()
    {
        Session s;
        s.showMapAt5000();
        QCOMPARE(s.state.scaleFactor, 1.0 / 5000);
        const QImage clean = s.surface()->image();
        s.fake.messages.queueAnswer(MessageAnswer::No);
        const QPoint at(600, 560);
        s.clickMap(at);

        QCOMPARE(s.fake.messages.shown().size(), 1);
        const MessageRequest question = s.fake.messages.shown().first();
        QCOMPARE(question.text, QStringLiteral("Done! Do you want to cancel? "));
        QCOMPARE(question.title, QStringLiteral("Save figure"));
        QCOMPARE(question.buttons, MessageButtons::YesNo);
        QCOMPARE(question.icon, MessageIcon::Information);

        const QImage drawn = s.surface()->image();
        for (int slot = 0; slot < kDistanceSlots; ++slot) {
            const double metres = 100.0 + 50.0 * slot;
            const double radius = metres / 5000.0 * 100.0 * kUnit5000; // pixels
            const QRgb colour = map::damageAreaColours()[slot].rgb();
            QVERIFY2(colourNear(drawn, at + QPoint(qRound(radius), 0), colour),
                     qPrintable(QStringLiteral("slot %1 at %2 px").arg(slot).arg(radius)));
            QVERIFY(colourNear(drawn, at - QPoint(qRound(radius), 0), colour));
            QVERIFY(colourNear(drawn, at + QPoint(0, qRound(radius)), colour));
        }
        QCOMPARE(drawn.pixel(at), clean.pixel(at));
        // The widget shows what was drawn.
        const QImage onScreen = s.surface()->grab().toImage().convertToFormat(QImage::Format_RGB32);
        const QPoint onRed = at - QPoint(0, qRound(2 * kUnit5000)); // above the centre, clear of the panels
        QVERIFY(colourNear(onScreen, onRed, qRgb(255, 0, 0)));

        QCOMPARE(s.visibleControls(), kAreasDrawn);
        QCOMPARE(s.surface()->cursor().shape(), Qt::ArrowCursor);
        QVERIFY(!s.control("Text2")->isVisibleTo(s.window)); // a click is not a rescale segment

        // A right click draws nothing and asks nothing.
        s.clickMap(QPoint(300, 300), Qt::RightButton);
        QCOMPARE(s.fake.messages.shown().size(), 1);
        QCOMPARE(s.surface()->image(), drawn);

        // A second click draws over the first set.
        s.fake.messages.queueAnswer(MessageAnswer::No);
        s.clickMap(QPoint(900, 300));
        QVERIFY(colourNear(s.surface()->image(), QPoint(900 + qRound(2 * kUnit5000), 300), qRgb(255, 0, 0)));
        QVERIFY(colourNear(s.surface()->image(), at + QPoint(qRound(2 * kUnit5000), 0), qRgb(255, 0, 0)));
    }

    void cancellingTheDrawingReloadsTheMap()
    {
        Session s;
        s.showMapAt5000();
        const QImage clean = s.surface()->image();
        s.fake.messages.queueAnswer(MessageAnswer::Yes);
        s.clickMap(QPoint(500, 400));
        QCOMPARE(s.surface()->image(), clean);
        QCOMPARE(s.visibleControls(), kAreasDrawn);
        QCOMPARE(s.surface()->cursor().shape(), Qt::ArrowCursor);
        QCOMPARE(s.state.scaleFactor, 1.0 / 5000);
    }

    void unusableDistancesAreNotDrawn()
    {
        Session s;
        s.state.result.damageDistance[0] = CellValue::text(QStringLiteral("?"));
        s.state.result.notAvailable[1] = true;
        s.state.result.damageDistance[2] = CellValue::number(-100);
        s.showMapAt5000();
        s.fake.messages.queueAnswer(MessageAnswer::No);
        const QPoint at(600, 500);
        s.clickMap(at);
        const QImage drawn = s.surface()->image();
        const auto &colours = map::damageAreaColours();
        QVERIFY(!colourNear(drawn, at + QPoint(qRound(2 * kUnit5000), 0), colours[0].rgb()));
        QVERIFY(!colourNear(drawn, at + QPoint(qRound(3 * kUnit5000), 0), colours[1].rgb()));
        QVERIFY(colourNear(drawn, at + QPoint(qRound(5 * kUnit5000), 0), colours[3].rgb()));
    }

    void manualRescaleBySegment()
    {
        Session s;
        s.showMapAt5000();
        s.fake.messages.queueAnswer(MessageAnswer::No);
        s.clickMap(QPoint(200, 200));
        s.click("Command10");
        QVERIFY(s.state.rescaleMode);

        const QImage before = s.surface()->image();
        const QPoint a(100, 650), b(400, 500), c(100 + 472, 650); // c is 472 px = 9.9915 units from a
        s.press(a);
        QCOMPARE(s.fake.messages.shown().size(), 1); // no circles, no question
        QCOMPARE(s.surface()->image(), before);
        s.move(b);
        s.move(c);
        QVERIFY(!s.control("Text2")->isVisibleTo(s.window));
        s.release(c);
        QVERIFY(s.control("Text2")->isVisibleTo(s.window));

        // Only the last rubber-band line stays; the one to b was erased by inverting it again. The
        // start pixel was inverted three times over by the moves' lines and once by the first
        // zero-length one: it is back to its colour.
        QImage expected = before;
        map::invertLinePixels(expected, a, c);
        map::invertLinePixels(expected, a, a);
        QCOMPARE(s.surface()->image(), expected);

        auto *length = s.control<QLineEdit>("Text2");
        QTest::mouseClick(length, Qt::LeftButton);
        QCOMPARE(length->text(), QString());
        QTest::keyClicks(length, QStringLiteral("-50"));
        s.click("Command11");
        QCOMPARE(s.fake.messages.shown().size(), 2);
        QVERIFY(s.fake.messages.texts().last().contains(QStringLiteral("maggiore di zero")));
        QVERIFY(s.state.rescaleMode);
        QCOMPARE(s.state.scaleFactor, 1.0 / 5000);

        QTest::mouseClick(length, Qt::LeftButton);
        QTest::keyClicks(length, QStringLiteral("metri"));
        s.click("Command11");
        QCOMPARE(s.fake.messages.shown().size(), 2); // no number: nothing happens, nothing is said
        QVERIFY(s.state.rescaleMode);

        QTest::mouseClick(length, Qt::LeftButton);
        QTest::keyClicks(length, QStringLiteral("500 m"));
        s.click("Command11");
        QVERIFY(!s.state.rescaleMode);
        const double units = 472.0 / kUnit5000;
        QVERIFY(std::fabs(s.state.scaleFactor - units / 50000.0) < 1e-12);
        QCOMPARE(s.surface()->cursor().shape(), Qt::CrossCursor);

        // 500 m measured on a true 1:5000 sheet: the factor is 1/5000 within a pixel.
        QVERIFY(std::fabs(s.state.scaleFactor * 5000.0 - 1.0) < 0.002);
        // The next circles use the new factor: 100 m -> units/500*100 units.
        s.fake.messages.queueAnswer(MessageAnswer::No);
        const QPoint at(700, 300);
        s.clickMap(at);
        const double radius = 100.0 * s.state.scaleFactor * 100.0 * kUnit5000;
        QVERIFY(colourNear(s.surface()->image(), at + QPoint(qRound(radius), 0), qRgb(255, 0, 0)));
    }

    void dragOutsideRescaleAlsoDrawsTheRubberBand()
    {
        Session s;
        s.showMapAt5000();
        s.state.segmentStart = QPointF(2.0, 2.0); // units
        s.state.segmentEnd = QPointF(2.0, 2.0);
        const QImage before = s.surface()->image();
        s.press(QPoint(300, 300), Qt::RightButton);
        s.move(QPoint(350, 320), Qt::RightButton);
        s.release(QPoint(350, 320), Qt::RightButton);
        QVERIFY(s.fake.messages.shown().isEmpty());
        QVERIFY(s.control("Text2")->isVisibleTo(s.window));
        QImage expected = before;
        const QPoint start(qRound(2.0 * kUnit5000), qRound(2.0 * kUnit5000));
        map::invertLinePixels(expected, start, start);
        map::invertLinePixels(expected, start, QPoint(350, 320));
        QCOMPARE(s.surface()->image(), expected);
    }

    void showMapAfterARescale()
    {
        // With the user-defined scale shown the rescaled factor is replaced; with a predefined one it stays.
        Session s;
        s.openAsTheEstimateDoes();
        s.chooseFile(kMap5000);
        s.typeUserScale(QStringLiteral("1:2000"));
        s.click("Command3");
        QCOMPARE(s.state.scaleFactor, 1.0 / 2000);
        s.fake.messages.queueAnswer(MessageAnswer::No);
        s.clickMap(QPoint(400, 400));
        s.click("Command10");
        s.press(QPoint(100, 100));
        s.move(QPoint(100 + 189, 100)); // 4 units
        s.release(QPoint(100 + 189, 100));
        QTest::mouseClick(s.control("Text2"), Qt::LeftButton);
        QTest::keyClicks(s.control("Text2"), QStringLiteral("100"));
        s.click("Command11");
        const double rescaled = s.state.scaleFactor;
        QVERIFY(std::fabs(rescaled - (189.0 / kUnit5000) / 10000.0) < 1e-12);

        // The cancel answer runs "Mostra mappa": the user-defined text wins again.
        s.fake.messages.queueAnswer(MessageAnswer::Yes);
        s.clickMap(QPoint(400, 400));
        QCOMPARE(s.state.scaleFactor, 1.0 / 2000);

        // While a rescale is pending, "Mostra mappa" leaves the factor alone.
        s.state.scaleFactor = 0.123;
        s.click("Command10");
        s.fake.messages.queueAnswer(MessageAnswer::Yes);
        s.press(QPoint(10, 10));
        QCOMPARE(s.fake.messages.shown().size(), 2); // the press in rescale mode asked nothing

        // A predefined scale keeps a rescaled factor through "Mostra mappa".
        s.click("Command7");
        s.chooseFile(kMap5000);
        s.chooseScale(QStringLiteral("scala 1:5000"));
        s.state.rescaleMode = false;
        s.state.scaleFactor = rescaled;
        s.click("Command3");
        QCOMPARE(s.state.scaleFactor, rescaled);
    }

    void changingTheMap()
    {
        Session s;
        s.showMapAt5000();
        s.fake.messages.queueAnswer(MessageAnswer::No);
        s.clickMap(QPoint(500, 500));
        const QImage drawn = s.surface()->image();
        s.click("Command7");
        QStringList expected = kAreasDrawn;
        expected.removeAll("Command4");
        expected.removeAll("Command7");
        expected.removeAll("Command8");
        expected = QStringList({"Drive1", "Dir1", "File1"}) + expected;
        QCOMPARE(s.visibleControls(), expected);
        QCOMPARE(s.surface()->image(), drawn); // the map and its circles stay until the next map is shown

        // Another folder opened: no file is chosen any more, yet the map on the surface can still be
        // drawn on, and a cancelled drawing reloads that map.
        auto *folders = s.control<QListWidget>("Dir1");
        openFolder(folders, 3);
        QCOMPARE(s.control<QListWidget>("File1")->count(), 0);
        s.fake.messages.queueAnswer(MessageAnswer::Yes);
        s.clickMap(QPoint(300, 300));
        QCOMPARE(s.fake.messages.shown().size(), 2);
        QCOMPARE(s.surface()->image(), map::loadMapBitmap(s.mapPath(kMap5000)).map.image);

        openFolder(folders, folders->count() - 1); // back into "raster"
        s.chooseFile(kMap10000);
        s.chooseScale(QStringLiteral("scala 1:10000"));
        s.click("Command3");
        // "Mostra mappa" leaves "Cambia mappa" and "Esci" as they were (shown again by the drawing).
        QCOMPARE(s.visibleControls(), QStringList({"Command7", "Command8"}));
        QCOMPARE(s.surface()->image().size(), QSize(1500, 1100));
        QVERIFY(s.surface()->image() != drawn);
        QCOMPARE(s.state.scaleFactor, 1.0 / 10000);
    }

    void savingTheMap()
    {
        Session s;
        s.showMapAt5000();
        s.fake.messages.queueAnswer(MessageAnswer::No);
        const QPoint at(500, 450);
        s.clickMap(at);
        s.click("Command12");
        const QString name = QStringLiteral("c:\\zefro\\output\\ZEFRO  map 20061204 ore 09_05 Ammoniaca.bmp");
        QCOMPARE(s.fake.messages.texts().last(), QStringLiteral("Done! I've saved ") + name);
        QCOMPARE(s.fake.messages.shown().last().buttons, MessageButtons::Ok);
        QImage saved(s.drive.local(name), "BMP");
        QVERIFY(!saved.isNull());
        QCOMPARE(saved.size(), QSize(1016 + 8, 740 + 22 + 8));
        // The map with its circles, inside our frame: the surface's origin is at (8, 0) of the client area.
        const QPoint offset(4 + 8, 4 + 22);
        QVERIFY(colourNear(saved, offset + at + QPoint(qRound(2 * kUnit5000), 0), qRgb(255, 0, 0)));
        QVERIFY(colourNear(saved, offset + at - QPoint(qRound(9 * kUnit5000), 0), qRgb(64, 64, 64)));
        QCOMPARE(saved.pixel(offset + at), s.surface()->image().pixel(at));
        QVERIFY(s.control("Command12")->isVisibleTo(s.window));
    }

    void savingWhereNoFileCanBeWritten()
    {
        Session s;
        s.state.outputPrefix = QStringLiteral("c:\\cartella che non esiste\\");
        s.showMapAt5000();
        s.fake.messages.queueAnswer(MessageAnswer::No);
        s.clickMap(QPoint(500, 450));
        s.click("Command12");
        const MessageRequest last = s.fake.messages.shown().last();
        QVERIFY(last.text.startsWith(QStringLiteral("Impossibile salvare la mappa")));
        QVERIFY(last.text.contains(QStringLiteral("cartella che non esiste")));
        QCOMPARE(last.icon, MessageIcon::Critical);
        QVERIFY(!QFile::exists(s.drive.local(QStringLiteral("c:\\cartella che non esiste"))));
    }

    void printingOnAPrinter()
    {
        Session s;
        QTemporaryDir dir;
        const QString pdf = dir.filePath(QStringLiteral("stampa.pdf"));
        int asked = 0;
        s.window->setPrinterSource([&] {
            ++asked;
            auto printer = std::make_unique<QPrinter>(QPrinter::ScreenResolution);
            printer->setOutputFormat(QPrinter::PdfFormat);
            printer->setOutputFileName(pdf);
            return printer;
        });
        s.showMapAt5000();
        s.fake.messages.queueAnswer(MessageAnswer::No);
        s.clickMap(QPoint(500, 450));
        s.click("Command4");
        QCOMPARE(asked, 1);
        QCOMPARE(s.fake.messages.texts().last(), QStringLiteral("Done! "));
        QVERIFY(s.control("Command4")->isVisibleTo(s.window));
        QFile file(pdf);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        QVERIFY(bytes.startsWith("%PDF"));
        QCOMPARE(bytes.count("/Type /Page\n") + bytes.count("/Type /Page\r") + bytes.count("/Type /Page "), 1);
    }

    void printingWithoutAPrinterOffersAPdf()
    {
        Session s;
        s.window->setPrinterSource([] { return std::unique_ptr<QPrinter>(); });
        s.showMapAt5000();
        s.fake.messages.queueAnswer(MessageAnswer::No);
        s.clickMap(QPoint(500, 450));
        const QString pdf = QStringLiteral("c:\\zefro\\output\\ZEFRO  map 20061204 ore 09_05 Ammoniaca.pdf");

        s.fake.messages.queueAnswer(MessageAnswer::No);
        s.click("Command4");
        QVERIFY(s.fake.messages.texts().last().startsWith(QStringLiteral("Nessuna stampante installata")));
        QCOMPARE(s.fake.messages.shown().last().buttons, MessageButtons::YesNo);
        QVERIFY(!QFile::exists(s.drive.local(pdf)));

        s.fake.messages.queueAnswer(MessageAnswer::Yes);
        s.click("Command4");
        QCOMPARE(s.fake.messages.texts().last(), QStringLiteral("Done! I've saved ") + pdf);
        QFile file(s.drive.local(pdf));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY(file.readAll().startsWith("%PDF"));
        QVERIFY(s.control("Command4")->isVisibleTo(s.window));

        // An output folder that does not exist: a message, nothing else.
        s.state.outputPrefix = QStringLiteral("c:\\manca\\");
        s.fake.messages.queueAnswer(MessageAnswer::Yes);
        s.click("Command4");
        QVERIFY(s.fake.messages.texts().last().startsWith(QStringLiteral("Impossibile salvare la pagina")));
    }

    void quitting_data()
    {
        QTest::addColumn<bool>("answerGiven");
        QTest::addColumn<bool>("yes");
        QTest::addColumn<bool>("ends");
        QTest::newRow("Yes goes on") << true << true << false;
        QTest::newRow("No ends") << true << false << true;
        QTest::newRow("default answer No ends") << false << false << true;
    }
    void quitting()
    {
        QFETCH(bool, answerGiven);
        QFETCH(bool, yes);
        QFETCH(bool, ends);
        Session s;
        s.window->show();
        if (answerGiven)
            s.fake.messages.queueAnswer(yes ? MessageAnswer::Yes : MessageAnswer::No);
        s.click("Command8");
        QCOMPARE(s.fake.messages.shown().size(), 1);
        const MessageRequest question = s.fake.messages.shown().first();
        QCOMPARE(question.text, QStringLiteral("Do you want to continue ?"));
        QCOMPARE(question.title, QStringLiteral("MsgBox Quit"));
        QCOMPARE(question.buttons, MessageButtons::YesNo);
        QCOMPARE(question.icon, MessageIcon::Critical);
        QCOMPARE(question.defaultButton, MessageAnswer::No);
        QCOMPARE(s.fake.exit.hasEnded(), ends);
    }

    void reportButtonAsksTheOwnerToSave()
    {
        Session s;
        s.openAsTheEstimateDoes();
        QSignalSpy spy(s.window.data(), &MapWindow::reportSaveRequested);
        s.click("Command5");
        QCOMPARE(spy.count(), 1);
    }

    void closingDeletesTheWindowAndKeepsTheScale()
    {
        Session s;
        s.showMapAt5000();
        s.state.rescaleMode = true;
        s.state.segmentStart = QPointF(1, 2);
        s.window->close();
        QTRY_VERIFY(s.window.isNull());
        QCOMPARE(s.state.scaleFactor, 1.0 / 5000);
        QVERIFY(s.state.rescaleMode);
        // The next estimate creates it afresh, in its start state.
        s.window = new MapWindow(s.state, s.fake.platform);
        s.openAsTheEstimateDoes();
        QCOMPARE(s.visibleControls(), kChooseMap);
        QCOMPARE(s.control<QComboBox>("Combo2")->count(), 0);
    }

    void pressesBeforeAnyMapDrawNothing()
    {
        Session s;
        s.openAsTheEstimateDoes();
        s.clickMap(QPoint(700, 200));
        QVERIFY(s.fake.messages.shown().isEmpty());
        QCOMPARE(s.visibleControls(), kChooseMap);
    }
};

QTEST_MAIN(MapWindowTest)
#include "ui_map.moc"
