#include "site/InventoryReader.h"

#include <ogrsf_frmts.h>

#include <QTemporaryDir>
#include <QtTest>

// Inventories written at test time as the analyst's programs would write them, read back as items:
// each item summed up in one line, "row id: substance [class] h c figure @position" or "row id! problem".

namespace {

QString number(double value)
{
    return QLocale::c().toString(value, 'f', QLocale::FloatingPointShortest);
}

QString summary(const site::InventoryItem &item)
{
    QString line = QString::number(item.row) + QLatin1Char(' ') + item.id;
    if (!item.order)
        return line + QStringLiteral("! ") + item.problem;
    const EstimateOrder &order = *item.order;
    const char *const by[] = {"name", "cas", "pick"};
    line += QStringLiteral(": %1 %2").arg(QLatin1String(by[int(order.by)]), order.substance);
    if (!order.classCode.isEmpty())
        line += QStringLiteral(" [%1]").arg(order.classCode);
    line += QStringLiteral(" h%1 c%2").arg(int(order.hypothesis)).arg(int(order.containment));
    if (order.figure)
        line += (order.figure->kind == RangeKind::Quantity ? QStringLiteral(" %1t") : QStringLiteral(" %1in"))
                    .arg(number(order.figure->value));
    if (item.position)
        line += QStringLiteral(" @%1 %2,%3")
                    .arg(item.position->on == site::ItemPosition::On::Sheet ? "cm" : "m")
                    .arg(number(item.position->point.x()), number(item.position->point.y()));
    return line;
}

QStringList summaries(const site::Inventory &inventory)
{
    QStringList lines;
    for (const site::InventoryItem &item : inventory.items)
        lines << summary(item);
    return lines;
}

QString write(const QTemporaryDir &folder, const QString &name, const QByteArray &bytes)
{
    QFile file(folder.filePath(name));
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(file.fileName()));
    return file.fileName();
}

// A workbook of one sheet written by GDAL's own driver: the header, then rows of cells, empty ones unset.
QString writeWorkbook(const QTemporaryDir &folder, const char *driverName, const QString &name,
                      const QList<QStringList> &rows)
{
    const QString path = folder.filePath(name);
    GDALAllRegister();
    GDALDriver *driver = GetGDALDriverManager()->GetDriverByName(driverName);
    GDALDataset *dataset = driver->Create(path.toUtf8().constData(), 0, 0, 0, GDT_Unknown, nullptr);
    OGRLayer *layer = dataset->CreateLayer("inventario", nullptr, wkbNone, nullptr);
    for (const QString &header : rows.front()) {
        OGRFieldDefn field(header.toUtf8().constData(),
                           header.startsWith(QLatin1String("quantit")) ? OFTReal : OFTString);
        layer->CreateField(&field);
    }
    for (const QStringList &cells : rows.mid(1)) {
        OGRFeature *feature = OGRFeature::CreateFeature(layer->GetLayerDefn());
        for (int index = 0; index < cells.size(); ++index) {
            if (!cells[index].isEmpty())
                feature->SetField(index, cells[index].toUtf8().constData());
        }
        if (layer->CreateFeature(feature) != OGRERR_NONE)
            qFatal("GDAL cannot write a row of %s", qPrintable(path));
        OGRFeature::DestroyFeature(feature);
    }
    GDALClose(dataset);
    return path;
}

} // namespace

class InventoryTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(m_folder.isValid()); }

    void readsCsv_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("items");
        QTest::newRow("; Windows-1252, decimal comma, blank and multi-line rows, quoted separator")
            << QByteArray("id;sostanza;ipotesi;detenzione;quantita_t;est;nord;note\r\n"
                          "S1 serbatoio citt\xE0;Propano;2;1;12,5;480100;5029500;\r\n"
                          "\r\n"
                          "\"B;1\";Ammoniaca;1;3;;480200,5;5029600;\"a capo\r\nqui\"\r\n"
                          ";;;;;;;\r\n"
                          "C1 \x80;Cloro;1;2;0.5;;;\"\xAB\"\"citato\"\"\xBB\"\r\n")
            << QStringList{"2 S1 serbatoio città: name Propano h2 c1 12.5t @m 480100,5029500",
                           "4 B;1: name Ammoniaca h1 c3 @m 480200.5,5029600", "6 C1 €: name Cloro h1 c2 0.5t"};
        QTest::newRow(", UTF-8 with BOM, columns reordered, other case and accents, texts for the choices")
            << QByteArray("\xEF\xBB\xBF Quantità_T ,ID,Detenzione,IPOTESI,Sostanza,Classe,CAS,x_cm,y_cm\n"
                          "3,T1,stoccaggi fissi SENZA bacino di contenimento,ipotesi piu  probabile,"
                          "  metil   ALCOOL ,,,12.5,\"8,25\"\n"
                          "1,T2,1,Ipotesi media,,1.1.1,,,\n"
                          ",T3,Condotte,2,,51,7664-41-7,,\n"
                          ",T4,Autobotti/Ferrocisterne,1,Acido fluoridrico,4,,,\n")
            << QStringList{"2 T1: name Metil alcool h1 c2 3t @cm 12.5,8.25", "3 T2: pick 1_1_1 h2 c1 1t",
                           "4 T3: cas 7664-41-7 [51] h2 c5", "5 T4: name Acido fluoridrico [4] h1 c3"};
        QTest::newRow("UTF-8, a pipeline's diameter and a name the catalogue lacks")
            << QByteArray("id,sostanza,ipotesi,detenzione,diametro_in\nLinea città,Metano,1,5,4\n"
                          "X,Gas ignoto,1,3,\n")
            << QStringList{"2 Linea città: name Metano h1 c5 4in", "3 X: name Gas ignoto h1 c3"};
        QTest::newRow("problems of single rows")
            << QByteArray("id;sostanza;classe;ipotesi;detenzione;quantita_t;x_cm;y_cm\n"
                          "P1;Propano;;3;1;1;;\nP2;Propano;;1;7;1;;\nP3;Propano;;1;1;dodici;;\n"
                          "P4;;51;1;1;1;;\nP5;Propano;;1;1;1;4;\nP6;Propano;;1;1;-2;;\nP7;;9;1;1;1;;\n"
                          "P8;;;1;1;1;;\nP9;Propano;;;1;;;\nP10;Propano;;1;2;;;\n")
            << QStringList{"2 P1! colonna ipotesi: \"3\" non è un'ipotesi: vale 1 (\"Ipotesi più probabile\") o 2 "
                           "(\"Ipotesi media\")",
                           "3 P2! colonna detenzione: \"7\" non è una detenzione: vale da 1 a 5 (1 stoccaggi fissi "
                           "con bacino, 2 senza bacino, 3 autobotti/ferrocisterne, 4 navi, 5 condotte)",
                           "4 P3! colonna quantita_t: \"dodici\" non è un numero maggiore o uguale a zero",
                           "5 P4! colonna classe: \"51\" è una classe tossica: da sola non basta, serve la sostanza "
                           "(colonna sostanza o cas)",
                           "6 P5! colonna x_cm: \"4\" senza y_cm: la posizione vuole tutte e due le colonne",
                           "7 P6! colonna quantita_t: \"-2\" non è un numero maggiore o uguale a zero",
                           "8 P7! colonna classe: \"9\" non è una classe: vale 1_1_1, 1_1_2, 1_2, 2_1_1, 2_1_2, 2_2, "
                           "2_3, 4, 51, 52 o 53",
                           "9 P8! manca la sostanza: le colonne sostanza, cas e classe sono vuote",
                           "10 P9! colonna ipotesi vuota: serve l'ipotesi, 1 o 2",
                           "11 P10: name Propano h1 c2"};
    }

    void readsCsv()
    {
        QFETCH(QByteArray, bytes);
        const Outcome<site::Inventory> read = site::readInventory(write(m_folder, "inventario.csv", bytes));
        QVERIFY2(read.ok(), read.ok() ? "" : qPrintable(read.error().message()));
        QFETCH(QStringList, items);
        QCOMPARE(summaries(read.value()), items);
        QVERIFY(!read.value().layerSystem);
    }

    void readsWorkbooks_data()
    {
        QTest::addColumn<QByteArray>("driver");
        QTest::addColumn<QString>("name");
        QTest::newRow("xlsx") << QByteArray("XLSX") << "inventario.xlsx";
        QTest::newRow("ods") << QByteArray("ODS") << "inventario.ods";
    }

    void readsWorkbooks()
    {
        QFETCH(QByteArray, driver);
        QFETCH(QString, name);
        const QString path = writeWorkbook(m_folder, driver.constData(), name,
                                           {{"id", "Sostanza", "ipotesi", "detenzione", "quantità_t", "est", "nord"},
                                            {"S1 città", "Propano", "2", "1", "12.5", "480100", "5029500"},
                                            {"", "", "", "", "", "", ""},
                                            {"S2", "Cloro", "1", "2", "0.5", "", ""}});
        const Outcome<site::Inventory> read = site::readInventory(path);
        QVERIFY2(read.ok(), read.ok() ? "" : qPrintable(read.error().message()));
        QCOMPARE(
            summaries(read.value()),
            QStringList({"2 S1 città: name Propano h2 c1 12.5t @m 480100,5029500", "4 S2: name Cloro h1 c2 0.5t"}));
    }

    void readsPointLayer()
    {
        const QByteArray geoJson(R"({"type": "FeatureCollection",
            "crs": {"type": "name", "properties": {"name": "urn:ogc:def:crs:EPSG::32632"}},
            "features": [
              {"type": "Feature", "properties": {"id": "G1", "cas": "74-98-6", "ipotesi": 1, "detenzione": 1,
               "quantita_t": 12.5}, "geometry": {"type": "Point", "coordinates": [480300.5, 5029400]}},
              {"type": "Feature", "properties": {"id": "G2", "cas": "74-98-6", "ipotesi": 1, "detenzione": 5},
               "geometry": {"type": "LineString", "coordinates": [[480000, 5029000], [480100, 5029000]]}}]})");
        const Outcome<site::Inventory> read = site::readInventory(write(m_folder, "punti.geojson", geoJson));
        QVERIFY2(read.ok(), read.ok() ? "" : qPrintable(read.error().message()));
        QCOMPARE(summaries(read.value()),
                 QStringList({"2 G1: cas 74-98-6 h1 c1 12.5t @m 480300.5,5029400",
                              "3 G2! la geometria è LINESTRING, non un punto"}));
        QVERIFY(read.value().layerSystem);
        QCOMPARE(read.value().layerSystem->code, QStringLiteral("EPSG:32632"));
    }

    void refusesFiles_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("unreadable");
        QTest::addColumn<QString>("detail");
        const QByteArray header("id;sostanza;ipotesi;detenzione\n");
        QTest::newRow("empty file") << "vuoto.csv" << QByteArray() << false << "il file è vuoto: nessuna riga di dati";
        QTest::newRow("header and blank rows only") << "intestazione.csv" << header + "\n;;;\n"
                                                    << false << "nessuna riga di dati dopo l'intestazione";
        QTest::newRow("no id") << "a.csv" << QByteArray("codice;sostanza;ipotesi;detenzione\nA;Propano;1;1\n") << false
                               << "manca la colonna id";
        QTest::newRow("no hypothesis") << "b.csv" << QByteArray("id;sostanza;detenzione\nA;Propano;1\n") << false
                                       << "manca la colonna ipotesi";
        QTest::newRow("no containment") << "c.csv" << QByteArray("id;sostanza;ipotesi\nA;Propano;1\n") << false
                                        << "manca la colonna detenzione";
        QTest::newRow("no substance column")
            << "d.csv" << QByteArray("id;nome;ipotesi;detenzione\nA;Propano;1;1\n") << false
            << "manca la colonna della sostanza: ne serve almeno una fra sostanza, cas e classe";
        QTest::newRow("row without id") << "e.csv" << header + "A;Propano;1;1\n\n ;Cloro;1;1\n"
                                        << false << "la riga 4 ha dei valori ma la colonna id è vuota";
        QTest::newRow("id twice")
            << "f.csv" << header + "S1;Propano;1;1\nS2;Cloro;1;1\ns1 ;Cloro;1;1\n"
            << false << "l'id \"s1\" della riga 4 è già alla riga 2 (\"S1\"): ogni id va usato una volta sola";
        QTest::newRow("missing file") << "assente.csv" << QByteArray() << true << "";
        QTest::newRow("no table") << "rotto.xlsx" << QByteArray("PK\x03\x04 non un foglio") << true
                                  << "non è una tabella CSV, XLSX, ODS, GeoPackage, GeoJSON o shapefile";
    }

    void refusesFiles()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        QFETCH(bool, unreadable);
        QFETCH(QString, detail);
        const QString path
            = name == QLatin1String("assente.csv") ? m_folder.filePath(name) : write(m_folder, name, bytes);
        const Outcome<site::Inventory> read = site::readInventory(path);
        QVERIFY(!read.ok());
        QCOMPARE(read.error().kind, unreadable ? Error::Kind::InventoryUnreadable : Error::Kind::InventoryMalformed);
        QCOMPARE(read.error().file, path);
        QVERIFY(read.error().message().contains(path));
        if (unreadable)
            QVERIFY2(read.error().detail.startsWith(detail) && !read.error().detail.isEmpty(),
                     qPrintable(read.error().detail));
        else
            QCOMPARE(read.error().detail, detail);
    }

    // The bundled sample in both its forms: the same twelve items, each an order, on the sample map.
    void readsBundledSample()
    {
        const QString folder = QStringLiteral(ZEFRO_BUNDLED_TREE "/c/revisione metodo speditivo/dati/inventario/");
        const Outcome<site::Inventory> csv = site::readInventory(folder + "inventario esempio.csv");
        const Outcome<site::Inventory> ods = site::readInventory(folder + "inventario esempio.ods");
        QVERIFY(csv.ok() && ods.ok());
        QCOMPARE(summaries(ods.value()), summaries(csv.value()));
        QCOMPARE(csv.value().items.size(), std::size_t(12));
        const QRectF map(480000, 5028900, 1500, 1100);
        for (const site::InventoryItem &item : csv.value().items) {
            QVERIFY2(item.order && item.position && item.position->on == site::ItemPosition::On::Ground
                         && map.contains(item.position->point),
                     qPrintable(summary(item)));
        }
    }

private:
    QTemporaryDir m_folder;
};

QTEST_GUILESS_MAIN(InventoryTest)
#include "test_inventory.moc"
