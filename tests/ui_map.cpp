// The map window driven as an analyst would, offscreen: choosing a bundled map and a scale, showing
// it, drawing the damage areas, rescaling by a segment, saving and printing, quitting; and the
// controls visible at each step.
#include "map/InvertLine.h"
#include "map/MapFiles.h"
#include "map/MapSurface.h"
#include "map/MapWindow.h"
#include "platform/DrivePaths.h"
#include "support/MainWindowDriver.h"

#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPrinter>
#include <QSignalSpy>
#include <QtTest>

#include <cmath>

namespace {

const QString kRaster = QStringLiteral("c:\\revisione metodo speditivo\\dati\\cartografia\\raster");
const QString kMap5000 = QStringLiteral("esempio 1-5000.bmp");
const QString kMap10000 = QStringLiteral("esempio 1-10000.bmp");
const QString kUserScale = QStringLiteral("scala definita dall'utente");
constexpr double kUnit5000 = 47.24; // pixels per drawing unit of the 1:5000 sheet
const QRgb kRed = qRgb(255, 0, 0);

// Every control whose visibility makes up the window's state, and the states.
const QStringList kStateControls = {"Drive1",   "Dir1",      "File1",     "Combo2",    "Text1",    "Command1",
                                    "Command2", "Combo1",    "Label1",    "Command3",  "Command6", "Command5",
                                    "output2",  "Text2",     "Command10", "Command11", "Command12", "Command4",
                                    "Command7", "Command8",  "Frame1",    "Frame2",    "Frame3",   "Frame4",
                                    "Label2",   "Label3",    "Label4",    "Label5"};
const QStringList kChooseMap = {"Drive1", "Dir1", "File1", "Command5", "output2"};
const QStringList kChooseScale = {"Drive1",   "Dir1",     "File1",    "Combo2",   "Text1",   "Command1",
                                  "Command2", "Combo1",   "Command3", "Command5", "output2"};
const QStringList kScaleChosen = {"Drive1",   "Dir1",   "File1",    "Combo2",   "Text1",    "Command1", "Command2",
                                  "Combo1",   "Label1", "Command3", "Command6", "Command5", "output2"};
const QStringList kAreasDrawn = {"Command10", "Command11", "Command12", "Command4", "Command7", "Command8", "Frame1",
                                 "Frame2",    "Frame3",    "Frame4",    "Label2",   "Label3",   "Label4",   "Label5"};

bool colourNear(const QImage &image, QPoint at, QRgb colour)
{
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx)
            if (image.rect().contains(at + QPoint(dx, dy)) && (image.pixel(at + QPoint(dx, dy)) & 0xFFFFFF) == (colour & 0xFFFFFF))
                return true;
    return false;
}

// A double click on a folder, as the window system delivers it.
void openFolder(QListWidget *folders, int row)
{
    const QPoint at = folders->visualItemRect(folders->item(row)).center();
    for (const QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease, QEvent::MouseButtonDblClick,
                                    QEvent::MouseButtonRelease}) {
        QMouseEvent event(type, at, folders->viewport()->mapToGlobal(at), Qt::LeftButton,
                          type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton, {});
        QApplication::sendEvent(folders->viewport(), &event);
    }
}

// One analyst at the map window on a drive root, with the estimate's side done by hand: 100 m ...
// 450 m, at 1:5000 from 2 to 9 drawing units.
struct Session
{
    QString root;
    FakePlatform fake{root};
    ProgramState state;
    QPointer<MapWindow> window;

    explicit Session(const QString &driveRoot) : root(driveRoot)
    {
        state.outputPrefix = kTestOutputFolder;
        for (int slot = 0; slot < kDistanceSlots; ++slot)
            state.result.damageDistance[slot] = CellValue::number(100.0 + 50.0 * slot);
        window = new MapWindow(state, fake.platform);
        window->setSubstanceNameSource([] { return QStringLiteral("Ammoniaca"); });
    }
    ~Session() { delete window; }

    // What the estimate does before the analyst gets the window.
    void openAsTheEstimateDoes()
    {
        for (const char *name : {"Command3", "Command7", "Command8", "Label5", "Command6"})
            control(name)->hide();
        window->setMapFolder(kRaster);
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window));
    }

    template <typename T = QWidget>
    T *control(const char *name) const
    {
        T *found = window->findChild<T *>(QLatin1String(name));
        if (!found)
            qFatal("no control %s", name);
        return found;
    }
    [[nodiscard]] bool visible(const char *name) const { return control(name)->isVisibleTo(window); }
    [[nodiscard]] QStringList visibleControls() const
    {
        QStringList shown;
        for (const QString &name : kStateControls)
            if (visible(name.toLatin1().constData()))
                shown << name;
        return shown;
    }
    [[nodiscard]] MapSurface *surface() const { return control<MapSurface>("Picture1"); }
    [[nodiscard]] QImage image() const { return surface()->image(); }
    [[nodiscard]] QString local(const QString &systemPath) const { return DrivePaths(root).toLocal(systemPath); }
    [[nodiscard]] QString lastMessage() const { return fake.messages.texts().value(fake.messages.shown().size() - 1); }

    void click(const char *name) { QTest::mouseClick(control<QPushButton>(name), Qt::LeftButton); }
    void type(const char *box, const QString &text) { typeInto(control<QLineEdit>(box), text); }
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
        QVERIFY(chooseEntry(combo, combo->findText(text)));
    }

    void mouse(QEvent::Type type, QPoint at, Qt::MouseButton button = Qt::LeftButton)
    {
        const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(button);
        QMouseEvent event(type, at, surface()->mapToGlobal(at), type == QEvent::MouseMove ? Qt::NoButton : button,
                          held, {});
        QApplication::sendEvent(surface(), &event);
    }
    // Press at the first point, move through the others, release at the last.
    void drag(const QList<QPoint> &path, Qt::MouseButton button = Qt::LeftButton)
    {
        mouse(QEvent::MouseButtonPress, path.first(), button);
        for (const QPoint at : path.mid(1))
            mouse(QEvent::MouseMove, at, button);
        mouse(QEvent::MouseButtonRelease, path.last(), button);
    }
    // A left click on the map, answering the question that follows a drawing.
    void drawAt(QPoint at, MessageAnswer cancel = MessageAnswer::No)
    {
        fake.messages.queueAnswer(cancel);
        mouse(QEvent::MouseButtonPress, at);
        mouse(QEvent::MouseButtonRelease, at);
    }

    // Up to "map shown" with the 1:5000 map at its own scale, and the areas drawn at `at`.
    void drawOnMapAt5000(QPoint at)
    {
        openAsTheEstimateDoes();
        chooseFile(kMap5000);
        chooseScale(QStringLiteral("scala 1:5000"));
        click("Command3");
        drawAt(at);
    }
};

} // namespace

class MapWindowTest : public QObject
{
    Q_OBJECT

    // Cases that write nothing share one copy of the bundled tree, with files beside the bundled
    // maps that the chooser and "Mostra mappa" must cope with.
    std::unique_ptr<TestDrive> m_shared;
    std::unique_ptr<Session> m_layout; // a window as created, never touched

private slots:
    void initTestCase()
    {
        m_shared = std::make_unique<TestDrive>();
        m_shared->writeFile(kRaster + QStringLiteral("\\leggimi.txt"), "non una mappa");
        m_shared->writeFile(kRaster + QStringLiteral("\\MAIUSCOLE.BMP"), "BM");
        m_shared->writeFile(kRaster + QStringLiteral("\\rotta.bmp"), "BM questo non e' un bitmap");
        m_shared->writeFile(kRaster + QStringLiteral("\\archivio\\vecchia.bmp"), "BM");
        m_layout = std::make_unique<Session>(m_shared->root());
        m_layout->window->show();
        QCOMPARE(m_layout->window->objectName(), QStringLiteral("map"));
        QCOMPARE(m_layout->window->windowTitle(), QStringLiteral("ZEFRO ver. 3.0fe : visualizzazione raggi di danno su mappa"));
        QCOMPARE(m_layout->window->size(), QSize(1016, 740));
    }
    void cleanupTestCase() { m_layout.reset(); }

    void controls_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("tip");
        QTest::addColumn<QRect>("geometry");
        QTest::addColumn<bool>("visible");
        const auto row = [](const char *name, const QString &text, const QString &tip, QRect geometry, bool visible) {
            QTest::newRow(name) << QString::fromLatin1(name) << text << tip << geometry << visible;
        };
        const QString chooser = QStringLiteral("Seleziona un file mappa");
        row("Drive1", "c:", chooser, {24, 8, 201, 21}, true);
        row("Dir1", "", chooser, {24, 40, 201, 216}, true);
        row("File1", "", chooser, {24, 264, 201, 97}, true);
        row("Picture1", "", "", {8, 0, 1008, 741}, true);
        row("Combo2", kUserScale, "Scegliere una scala predefinita par la mappa prescelta oppure inserire ed aggiustare "
            "la scala qui sotto", {256, 8, 193, 21}, false);
        row("Text1", "Text1", "", {256, 56, 81, 25}, false);
        row("Command1", "Aumenta la scala", "Aumenta manualmente la scala di una unità", {352, 48, 97, 25}, false);
        row("Command2", "Diminuisci la scala", "Diminuisci manualmente la scala di una unità", {352, 80, 97, 25}, false);
        row("Combo1", "Scelta della forma dell'area di danno", "", {256, 112, 193, 21}, false);
        row("Label1", "Premere \"Mostra mappa\", ingrandire la figura a tutto schermo se desirato e posizionare il "
            "cursore sull'origine dell'incidente", "", {256, 152, 193, 57}, false);
        row("Command3", "Mostra mappa", "Mostra la mappa selezionata posizionando i cerchi di danno con la scala "
            "prescelta", {256, 216, 193, 33}, false);
        row("Command6", "Setup stampante", "", {256, 272, 193, 33}, false);
        row("Command5", "Salva report su file", "Salva i risultati su file. Successivamente si potrà editare il file "
            "con Notebook", {256, 320, 193, 33}, true);
        row("output2", "", "", {16, 368, 633, 361}, true);
        row("Text2", "Inserire la lunghezza del segmento disegnato in metri", "Prima premere Riscalatura poi tracciare "
            "con il mouse il segmento di lunghezza nota e inserire qui il valore reale in metri. Poi premere Riscala",
            {728, 272, 273, 25}, false);
        row("Command10", "Riscalatura manuale della mappa", "Riscala la mappa attraverso un segmento di lunghezza nota",
            {728, 304, 177, 25}, false);
        row("Command11", "Riscala", "Dopo avere premuto il pulsante Riscalatura ed inserito il valore nella casella "
            "permette di riposizionare i cerchi di danno", {920, 304, 81, 25}, false);
        row("Command12", "Salva la mappa su file", "", {728, 336, 273, 25}, false);
        row("Command4", "Stampa mappa", "Stampa la mappa con i cerchi di danno su stampante", {728, 368, 81, 25}, false);
        row("Command7", "Cambia mappa", "Permette di cambiare la mappa", {824, 368, 81, 25}, true);
        row("Command8", "Esci", "Quit", {920, 368, 81, 25}, true);
        row("Frame2", "Dati", "", {728, 400, 273, 135}, false);
        row("Frame3", "Risultati", "", {728, 536, 273, 135}, false);
        row("Frame4", "Legenda", "", {656, 536, 65, 135}, false);
        row("Frame1", "", "", {656, 672, 345, 57}, false);
    }
    void controls()
    {
        QFETCH(QString, name);
        QFETCH(QString, text);
        QFETCH(QString, tip);
        QFETCH(QRect, geometry);
        QFETCH(bool, visible);
        QWidget *widget = m_layout->control(name.toLatin1().constData());
        QCOMPARE(widget->geometry(), geometry);
        QCOMPARE(widget->toolTip(), tip);
        QCOMPARE(widget->isVisibleTo(m_layout->window), visible);
        QCOMPARE(widget->isEnabled(), name != QStringLiteral("Command6") && name != QStringLiteral("Combo1"));
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

    void chooserStartsInTheRasterFolderAndShowsOnlyBitmaps()
    {
        Session s(m_shared->root());
        s.openAsTheEstimateDoes();
        auto *files = s.control<QListWidget>("File1");
        auto *folders = s.control<QListWidget>("Dir1");
        const auto texts = [](QListWidget *list) {
            QStringList names;
            for (int i = 0; i < list->count(); ++i)
                names << list->item(i)->text().trimmed();
            return names;
        };
        QCOMPARE(texts(files), QStringList({kMap10000, kMap5000, "MAIUSCOLE.BMP", "rotta.bmp"}));
        QCOMPARE(texts(folders), QStringList({"c:", "revisione metodo speditivo", "dati", "cartografia", "raster", "archivio"}));
        QCOMPARE(folders->currentRow(), 4);
        openFolder(folders, 5);
        QCOMPARE(texts(files), QStringList({"vecchia.bmp"}));
        openFolder(folders, 2);
        QCOMPARE(files->count(), 0);
        // A drive opens at its root: "/" is the machine's, "c:" the drive root's folder c.
        auto *drives = s.control<QComboBox>("Drive1");
        QVERIFY(chooseEntry(drives, drives->count() - 1));
        QCOMPARE(drives->currentText(), QStringLiteral("/"));
        QVERIFY(texts(folders).contains(QStringLiteral("tmp")));
        QVERIFY(chooseEntry(drives, 0));
        QCOMPARE(texts(folders).mid(0, 2), QStringList({"c:", "revisione metodo speditivo"}));
    }

    void aWholeSession()
    {
        Session s(m_shared->root());
        s.openAsTheEstimateDoes();
        QCOMPARE(s.visibleControls(), kChooseMap);
        s.drag({QPoint(700, 200)}); // no map yet: nothing is drawn or asked
        QVERIFY(s.fake.messages.shown().isEmpty());
        QSignalSpy saveReport(s.window.data(), &MapWindow::reportSaveRequested);
        s.click("Command5");
        QCOMPARE(saveReport.count(), 1);

        // A map chosen: seventeen scales, the user-defined one showing "1:1"; no scale is set yet.
        s.chooseFile(kMap10000);
        QCOMPARE(s.visibleControls(), kChooseScale);
        auto *scales = s.control<QComboBox>("Combo2");
        QCOMPARE(scales->count(), 17);
        QCOMPARE(scales->currentText(), kUserScale);
        QCOMPARE(s.control<QLineEdit>("Text1")->text(), QStringLiteral("1:1"));
        QCOMPARE(s.state.scaleFactor, 0.0);
        s.chooseScale(QStringLiteral("scala 1:10000"));
        QCOMPARE(s.state.scaleFactor, 1.0 / 10000);
        QCOMPARE(s.visibleControls(), kScaleChosen);
        s.chooseFile(kMap5000); // the list is filled afresh and keeps the scale shown
        QCOMPARE(scales->count(), 17);
        QCOMPARE(scales->currentText(), QStringLiteral("scala 1:10000"));

        // The user-defined scale: the buttons change its text only; 0, negative, missing and
        // unreadable denominators are refused at "Mostra mappa".
        s.chooseScale(kUserScale);
        QCOMPARE(s.state.scaleFactor, 1.0);
        s.click("Command1");
        QCOMPARE(s.control<QLineEdit>("Text1")->text(), QStringLiteral("1: 2"));
        s.click("Command2");
        s.click("Command2");
        QCOMPARE(s.control<QLineEdit>("Text1")->text(), QStringLiteral("1: 0"));
        QCOMPARE(s.state.scaleFactor, 1.0);
        for (const QString &bad : {QStringLiteral("1: 0"), QStringLiteral("1:-200"), QStringLiteral("scala"), QString(),
                                  QStringLiteral("1:")}) {
            s.type("Text1", bad);
            s.fake.messages.clear();
            s.click("Command3");
            QVERIFY(s.fake.messages.shown().size() == 1 && s.lastMessage().contains(QStringLiteral("non è valida")));
            QCOMPARE(s.state.scaleFactor, 1.0);
            QCOMPARE(s.visibleControls(), kScaleChosen);
            QVERIFY(!s.surface()->hasMap());
        }
        s.fake.messages.clear();
        s.type("Text1", QStringLiteral("1:5000"));
        s.click("Command3");
        QCOMPARE(s.state.scaleFactor, 1.0 / 5000);
        QCOMPARE(s.visibleControls(), QStringList());
        QCOMPARE(s.surface()->cursor().shape(), Qt::CrossCursor);

        // A left click draws the eight areas at their radii and asks whether to cancel.
        const QImage clean = s.image();
        const QPoint at(600, 560);
        s.drawAt(at);
        QCOMPARE(s.fake.messages.shown().size(), 1);
        const MessageRequest question = s.fake.messages.shown().first();
        QCOMPARE(question.text, QStringLiteral("Done! Do you want to cancel? "));
        QCOMPARE(question.title, QStringLiteral("Save figure"));
        QVERIFY(question.buttons == MessageButtons::YesNo && question.icon == MessageIcon::Information);
        // Red, blue, cyan, yellow, green, magenta, light grey, dark grey.
        const QRgb colours[] = {kRed,            qRgb(0, 0, 255),   qRgb(0, 255, 255),   qRgb(255, 255, 0),
                                qRgb(0, 255, 0), qRgb(255, 0, 255), qRgb(192, 192, 192), qRgb(64, 64, 64)};
        const QImage drawn = s.image();
        for (int slot = 0; slot < kDistanceSlots; ++slot) {
            const int radius = qRound((100.0 + 50.0 * slot) / 5000.0 * 100.0 * kUnit5000);
            for (const QPoint offset : {QPoint(radius, 0), QPoint(-radius, 0), QPoint(0, radius)})
                QVERIFY2(colourNear(drawn, at + offset, colours[slot]), qPrintable(QStringLiteral("slot %1").arg(slot)));
        }
        QCOMPARE(drawn.pixel(at), clean.pixel(at));
        const QImage onScreen = s.surface()->grab().toImage().convertToFormat(QImage::Format_RGB32);
        QVERIFY(colourNear(onScreen, at - QPoint(0, qRound(2 * kUnit5000)), kRed));
        QCOMPARE(s.visibleControls(), kAreasDrawn);
        QCOMPARE(s.surface()->cursor().shape(), Qt::ArrowCursor);
        QVERIFY(!s.visible("Text2")); // a click is not a rescale segment

        // Rescale: a press draws no circle; of the rubber band only the last line stays (each
        // move inverts the previous line back, and the start pixel ends as it was).
        s.click("Command10");
        QVERIFY(s.state.rescaleMode);
        const QImage before = s.image();
        const QPoint a(100, 650), c(100 + 472, 650); // 472 px = 9.9915 units
        s.drag({a, QPoint(400, 500), c});
        QCOMPARE(s.fake.messages.shown().size(), 1);
        QVERIFY(s.visible("Text2"));
        QImage expected = before;
        map::invertLinePixels(expected, a, c);
        map::invertLinePixels(expected, a, a);
        QCOMPARE(s.image(), expected);
        auto *length = s.control<QLineEdit>("Text2");
        QTest::mouseClick(length, Qt::LeftButton);
        QCOMPARE(length->text(), QString()); // the prompt goes on a click
        s.type("Text2", QStringLiteral("-50"));
        s.click("Command11");
        QVERIFY(s.lastMessage().contains(QStringLiteral("maggiore di zero")));
        s.type("Text2", QStringLiteral("metri"));
        s.click("Command11");
        QCOMPARE(s.fake.messages.shown().size(), 2); // no number: nothing happens, nothing is said
        QVERIFY(s.state.rescaleMode);
        QCOMPARE(s.state.scaleFactor, 1.0 / 5000);
        s.type("Text2", QStringLiteral("500 m"));
        s.click("Command11");
        QVERIFY(!s.state.rescaleMode);
        const double rescaled = 472.0 / kUnit5000 / 50000.0;
        QVERIFY(std::fabs(s.state.scaleFactor - rescaled) < 1e-12);
        QCOMPARE(s.surface()->cursor().shape(), Qt::CrossCursor);
        s.drawAt(QPoint(700, 300));
        QVERIFY(colourNear(s.image(), QPoint(700 + qRound(100.0 * rescaled * 100.0 * kUnit5000), 300), kRed));

        // A right click draws nothing; out of rescale mode too a drag with any button held draws
        // the rubber band from the segment's start.
        const QImage rescaledDrawing = s.image();
        s.drag({QPoint(300, 300)}, Qt::RightButton);
        QCOMPARE(s.fake.messages.shown().size(), 3);
        QCOMPARE(s.image(), rescaledDrawing);
        s.state.segmentStart = s.state.segmentEnd = QPointF(2.0, 2.0); // units
        s.drag({QPoint(300, 300), QPoint(350, 320)}, Qt::RightButton);
        expected = rescaledDrawing;
        const QPoint start(qRound(2.0 * kUnit5000), qRound(2.0 * kUnit5000));
        map::invertLinePixels(expected, start, start);
        map::invertLinePixels(expected, start, QPoint(350, 320));
        QCOMPARE(s.image(), expected);

        // The cancel answer runs "Mostra mappa": the user-defined text gives the factor again.
        s.drawAt(QPoint(700, 300), MessageAnswer::Yes);
        QCOMPARE(s.state.scaleFactor, 1.0 / 5000);
        QCOMPARE(s.image(), clean);
        QCOMPARE(s.visibleControls(), kAreasDrawn);

        // "Cambia mappa": the map stays until another is shown. In another folder no file is
        // chosen, yet a cancelled drawing reloads the map on the surface.
        s.drawAt(at);
        s.click("Command7");
        QCOMPARE(s.visibleControls(), QStringList({"Drive1", "Dir1", "File1", "Command10", "Command11", "Command12",
                                                   "Frame1", "Frame2", "Frame3", "Frame4", "Label2", "Label3",
                                                   "Label4", "Label5"}));
        QCOMPARE(s.image(), drawn);
        auto *folders = s.control<QListWidget>("Dir1");
        openFolder(folders, 3);
        s.drawAt(QPoint(300, 300), MessageAnswer::Yes);
        QCOMPARE(s.image(), clean);
        // A predefined scale keeps a rescaled factor through "Mostra mappa", which leaves "Cambia
        // mappa" and "Esci" as they were.
        openFolder(folders, folders->count() - 1);
        s.chooseFile(kMap10000);
        s.chooseScale(QStringLiteral("scala 1:10000"));
        s.state.scaleFactor = rescaled;
        s.click("Command3");
        QCOMPARE(s.state.scaleFactor, rescaled);
        QCOMPARE(s.visibleControls(), QStringList({"Command7", "Command8"}));
        QCOMPARE(s.image(), map::loadMapBitmap(s.local(kRaster + QStringLiteral("\\") + kMap10000)).map.image);
    }

    void aMapThatIsNotABitmapLeavesTheWindowAsItWas()
    {
        Session s(m_shared->root());
        s.openAsTheEstimateDoes();
        s.chooseFile(QStringLiteral("rotta.bmp"));
        s.chooseScale(QStringLiteral("scala 1:2000"));
        s.state.scaleFactor = 0.25;
        s.click("Command3");
        QCOMPARE(s.fake.messages.shown().size(), 1);
        QVERIFY(s.lastMessage().contains(QStringLiteral("rotta.bmp")));
        QCOMPARE(s.visibleControls(), kScaleChosen);
        QCOMPARE(s.state.scaleFactor, 0.25);
        QVERIFY(!s.surface()->hasMap());
    }

    void savingAndPrinting()
    {
        const auto drive = testDriveWith();
        Session s(drive->root());
        QTemporaryDir dir;
        bool printerInstalled = false;
        s.window->setPrinterSource([&] {
            auto printer = std::make_unique<QPrinter>(QPrinter::ScreenResolution);
            printer->setOutputFormat(QPrinter::PdfFormat);
            printer->setOutputFileName(dir.filePath(QStringLiteral("stampa.pdf")));
            return printerInstalled ? std::move(printer) : nullptr;
        });
        s.state.outputPrefix = QStringLiteral("c:\\cartella che non esiste\\");
        const QPoint at(500, 450);
        s.drawOnMapAt5000(at);

        // Where no file can be written: a message, no folder made.
        s.click("Command12");
        QVERIFY(s.lastMessage().startsWith(QStringLiteral("Impossibile salvare la mappa")));
        QVERIFY(s.lastMessage().contains(QStringLiteral("cartella che non esiste")));
        QCOMPARE(s.fake.messages.shown().last().icon, MessageIcon::Critical);
        s.fake.messages.queueAnswer(MessageAnswer::Yes);
        s.click("Command4");
        QVERIFY(s.lastMessage().startsWith(QStringLiteral("Impossibile salvare la pagina")));
        QVERIFY(!QFile::exists(s.local(QStringLiteral("c:\\cartella che non esiste"))));

        // The whole window in our frame, the surface's origin at (8, 0) of the client area.
        s.state.outputPrefix = kTestOutputFolder;
        const QString name = kTestOutputFolder + QStringLiteral("ZEFRO  map 20061204 ore 09_05 Ammoniaca");
        s.click("Command12");
        QCOMPARE(s.lastMessage(), QStringLiteral("Done! I've saved ") + name + QStringLiteral(".bmp"));
        QCOMPARE(s.fake.messages.shown().last().buttons, MessageButtons::Ok);
        const QImage saved(s.local(name + QStringLiteral(".bmp")), "BMP");
        QCOMPARE(saved.size(), QSize(1016 + 8, 740 + 22 + 8));
        const QPoint offset(4 + 8, 4 + 22);
        QVERIFY(colourNear(saved, offset + at + QPoint(qRound(2 * kUnit5000), 0), kRed));
        QVERIFY(colourNear(saved, offset + at - QPoint(qRound(9 * kUnit5000), 0), qRgb(64, 64, 64)));

        // No printer installed: the page may be saved as a PDF file instead.
        s.fake.messages.queueAnswer(MessageAnswer::No);
        s.click("Command4");
        QVERIFY(s.lastMessage().startsWith(QStringLiteral("Nessuna stampante installata")));
        QCOMPARE(s.fake.messages.shown().last().buttons, MessageButtons::YesNo);
        QVERIFY(!QFile::exists(s.local(name + QStringLiteral(".pdf"))));
        s.fake.messages.queueAnswer(MessageAnswer::Yes);
        s.click("Command4");
        QCOMPARE(s.lastMessage(), QStringLiteral("Done! I've saved ") + name + QStringLiteral(".pdf"));
        QCOMPARE(drive->readFile(name + QStringLiteral(".pdf")).left(4), QByteArray("%PDF"));

        // On a printer: one page, and the button is back after the grab.
        printerInstalled = true;
        s.click("Command4");
        QCOMPARE(s.lastMessage(), QStringLiteral("Done! "));
        QFile pdf(dir.filePath(QStringLiteral("stampa.pdf")));
        QVERIFY(pdf.open(QIODevice::ReadOnly));
        const QByteArray bytes = pdf.readAll();
        QCOMPARE(bytes.count("/Type /Page\n") + bytes.count("/Type /Page\r") + bytes.count("/Type /Page "), 1);
        QVERIFY(s.visible("Command4") && s.visible("Command12"));
    }

    void quitting()
    {
        for (const bool yes : {true, false}) {
            Session s(m_shared->root());
            s.window->show();
            s.fake.messages.queueAnswer(yes ? MessageAnswer::Yes : MessageAnswer::No);
            s.click("Command8");
            QCOMPARE(s.fake.messages.texts(), QStringList({"Do you want to continue ?"}));
            QCOMPARE(s.fake.messages.shown().first().title, QStringLiteral("MsgBox Quit"));
            QCOMPARE(s.fake.messages.shown().first().defaultButton, MessageAnswer::No);
            QCOMPARE(s.fake.exit.hasEnded(), !yes);
        }
    }

    void zeroLengthSegmentKeepsTheScale()
    {
        Session s(m_shared->root());
        s.drawOnMapAt5000(QPoint(300, 300));
        s.click("Command10");
        s.drag({QPoint(200, 200), QPoint(200, 200)});
        s.type("Text2", QStringLiteral("50"));
        s.click("Command11");
        QVERIFY(s.lastMessage().contains(QStringLiteral("lunghezza nulla")));
        QCOMPARE(s.state.scaleFactor, 1.0 / 5000);
        QVERIFY(s.state.rescaleMode);
    }

    void closingDeletesTheWindowAndKeepsTheScale()
    {
        Session s(m_shared->root());
        s.drawOnMapAt5000(QPoint(300, 300));
        s.click("Command10");
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
};

QTEST_MAIN(MapWindowTest)
#include "ui_map.moc"
