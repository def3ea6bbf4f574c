// The map window with a planner's layer of vulnerable elements, driven offscreen on a copy of the
// bundled installation: what the window adds to the elements' own logic (tested in test_elements).
#include "app/ElementsDialog.h"
#include "app/MapSurface.h"
#include "app/MapWindow.h"
#include "elements/ElementShapes.h"
#include "elements/MapElements.h"
#include "elements/ReachedRows.h"
#include "estimate/OutputFileName.h"
#include "map/GroundRing.h"
#include "map/MapOpening.h"
#include "support/ListEntries.h"
#include "support/MainWindowDriver.h"
#include "support/MapWindowActions.h"

#include <QListWidget>
#include <QPointer>
#include <QSettings>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QString kRaster = QStringLiteral(ZEFRO_BUNDLED_TREE "/c/revisione metodo speditivo/dati/cartografia/raster/");
const QString kGeoreferenced = QStringLiteral("esempio georiferito 1-5000.tif");
const QString kPlain = QStringLiteral("esempio 1-5000.bmp");
const QString kLayer = QStringLiteral(ZEFRO_BUNDLED_TREE "/c/revisione metodo speditivo/dati/elementi/elementi esempio.gpkg");
// LPG in a fixed tank without a bund, 10 to 50 t: areas of 125 to 885 m.
const QStringList kEstimate{"Combo1=Propano", "Combo9=" + entryOf("2_1_2"), "Combo5=" + kAverage, "Combo4=" + kNoBund,
                            "Combo6= 10 -  50", "Command1"};
// E 480420, N 5029480 on the georeferenced sheet (1 m a pixel from E 480000, N 5030000).
const QPoint kIncident(420, 520);

// What the areas drawn reach, worked out from the layer and the areas without the window.
std::vector<elements::ReachedRow> expectedRows(const MapSurface &sheet)
{
    const Outcome<map::OpenedMap> opened = map::openMap(kRaster + kGeoreferenced);
    if (!opened.ok() || !opened.value().georeference || sheet.drawings().areas().size() != 1)
        return {};
    const map::Georeference &georeference = *opened.value().georeference;
    const map::DrawnAreas drawn = sheet.drawings().areas().front();
    const QPointF ground = map::groundAtUnits(georeference, sheet.units(), drawn.centre);
    const Outcome<elements::ElementLayer> layer = elements::readElementLayer(
        {kLayer, {}, georeference.system, elements::sheetRegion(georeference, opened.value().source->size())});
    const Outcome<map::AreaRings> rings = map::groundRings(georeference.system, ground, drawn.areas);
    if (!layer.ok() || !rings.ok())
        return {};
    const Outcome<elements::ElementIndex> index = elements::ElementIndex::of(layer.value().elements, kLayer);
    const Outcome<elements::ElementsReached> reached
        = elements::elementsReached(layer.value(), index.value(), georeference.system, {{ground, rings.value()}});
    return reached.ok() ? elements::reachedRows(layer.value(), reached.value()) : std::vector<elements::ReachedRow>{};
}

QStringList texts(const std::vector<elements::ReachedRow> &rows)
{
    QStringList lines;
    for (const elements::ReachedRow &row : rows)
        lines << elements::reachedCells(row).join(QLatin1Char('|'));
    return lines;
}

} // namespace

class ElementsWindowTest : public QObject
{
    Q_OBJECT

    QTemporaryDir m_settings;

private slots:
    void init() { QSettings().remove(QStringLiteral("elementi_vulnerabili/strato")); }

    // Without a layer the saved window is the one it was before the elements: the button, shown over
    // the controls' free room, is left out of the picture and nothing is drawn over the map.
    void savedWindowWithoutALayer()
    {
        MainWindowDriver run{QString()};
        QVERIFY(act(run, kEstimate));
        QVERIFY(act(run,
                    {"file " + kGeoreferenced, "map:Command3", "answer=No",
                     QStringLiteral("press %1,%2").arg(kIncident.x()).arg(kIncident.y())}));
        auto *button = run.onMap<QPushButton>("elementsButton");
        QVERIFY(button && button->isVisible());
        QVERIFY(surface(run.map())->drawings().features().empty());
        const QString saved = run.drive().local(kTestOutputFolder)
            + MapFileName(QString(), run.fake.platform.now(), QStringLiteral("Propano"));
        const auto save = [&run, &saved] {
            QFile::remove(saved);
            QFile file(saved);
            return act(run, {"map:Command12"}) && file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
        };
        const QByteArray withButton = save();
        QVERIFY(button->isVisible());
        button->hide(); // as if it had never been made
        const QByteArray without = save();
        QVERIFY(!without.isEmpty());
        QVERIFY(withButton == without);
    }

    void initTestCase()
    {
        // The user's settings of this run only.
        QVERIFY(m_settings.isValid());
        QCoreApplication::setOrganizationName(QStringLiteral("ZEFRO"));
        QCoreApplication::setApplicationName(QStringLiteral("ui_elements"));
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_settings.path());
    }

    // A plain map cannot place the layer and says so; on the georeferenced map the chosen layer is
    // drawn, the elements the areas reach take their zone's colour and fill the dialog's table as the
    // elements' own logic finds them, hovering one names it, and the layer chosen is the one a new
    // window uses.
    void layerOnTheGeoreferencedMap()
    {
        MainWindowDriver run{QString()};
        QVERIFY(run.act(kEstimate));
        auto *window = qobject_cast<MapWindow *>(run.map());
        QStringList asked;
        window->setElementsFileChooser([&asked](const QString &current) {
            asked << current;
            return kLayer;
        });

        QVERIFY(act(run, {"file " + kPlain, "scale scala 1:5000", "map:Command3", "map:elementsButton"}));
        QVERIFY2(run.fake.messages.texts().last().startsWith(
                     "Gli elementi vulnerabili si possono collocare solo su una mappa georiferita"),
                 qPrintable(run.fake.messages.texts().last()));
        QVERIFY(asked.isEmpty() && surface(window)->drawings().features().empty());

        QVERIFY(act(run, {"answer=No", "press 300,300", "map:Command7", "file " + kGeoreferenced, "map:Command3",
                          "map:elementsButton"}));
        QCOMPARE(asked, QStringList{QString()});
        QCOMPARE(QSettings().value(QStringLiteral("elementi_vulnerabili/strato")).toString(), kLayer);
        const MapSurface *sheet = surface(window);
        const std::vector<map::DrawnFeature> before = sheet->drawings().features();
        QVERIFY(before.size() > 5);
        QVERIFY(std::none_of(before.begin(), before.end(), [](const map::DrawnFeature &f) { return f.marked; }));
        auto *dialog = window->findChild<ElementsDialog *>();
        QVERIFY(dialog && dialog->isVisible() && dialog->rows().empty());

        QVERIFY(act(run, {"answer=No", QStringLiteral("press %1,%2").arg(kIncident.x()).arg(kIncident.y())}));
        const std::vector<elements::ReachedRow> expected = expectedRows(*sheet);
        QVERIFY(expected.size() >= 3);
        QCOMPARE(texts(dialog->rows()), texts(expected));
        const auto *table = dialog->findChild<QTableWidget *>(QStringLiteral("elementsTable"));
        QCOMPARE(table->rowCount(), int(expected.size()));
        QCOMPARE(table->item(0, 1)->text(), expected.front().name);

        // "Salva CSV…" writes the rows the elements' own logic found, as its CSV.
        const QTemporaryDir saved;
        const QString csv = saved.filePath(QStringLiteral("elementi.csv"));
        dialog->setCsvFileChooser([&csv](const QString &) { return csv; });
        QTest::mouseClick(dialog->findChild<QPushButton *>(QStringLiteral("saveElementsCsv")), Qt::LeftButton);
        QFile written(csv);
        QVERIFY(written.open(QIODevice::ReadOnly));
        QCOMPARE(written.readAll(), elements::reachedCsv(expected));

        // Each element reached in its zone's colour, every other one unmarked.
        const std::vector<map::DrawnFeature> &after = sheet->drawings().features();
        std::vector<std::optional<QColor>> marks(after.size());
        for (const elements::ReachedRow &row : expected)
            marks[row.element] = elements::zoneColour(row.zone);
        for (std::size_t i = 0; i < after.size(); ++i)
            QVERIFY2(after[i].marked == marks[i], qPrintable(after[i].name));

        // The name of the element under the mouse.
        const elements::ReachedRow &nearest = expected.front();
        const QPointF on = sheet->view().toView(after[nearest.element].parts.front().front());
        QWidget *view = surface(window)->viewport();
        QMouseEvent move(QEvent::MouseMove, on, view->mapToGlobal(on), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(view, &move);
        QCOMPARE(view->toolTip(), nearest.name);

        // A new window takes the layer from the settings, without asking.
        const QPointer<MapWindow> first(window);
        QVERIFY(act(run, {"close", "Command1"}));
        QVERIFY(first.isNull() && run.map());
        QVERIFY(act(run, {"file " + kGeoreferenced, "map:Command3"}));
        QCOMPARE(surface(run.map())->drawings().features().size(), before.size());
    }
};

QTEST_MAIN(ElementsWindowTest)
#include "ui_elements.moc"
