#!/usr/bin/python3
"""Makes the sample layer of vulnerable elements of the bundled data: a school, a hospital, homes, crowded
places, offices and transport lines of the imaginary district that the sample maps show, each placed on a
building, road or rail line the map generator (tools/maps/) draws there, at the made-up UTM 32N
coordinates of the georeferenced sheets (EPSG:32632; ground x, y of the generator at
E = 479350 + x, N = 5030480 - y).

    elementi esempio.gpkg   one layer "elementi", geometry GEOMETRY (points, lines and polygons),
                            fields nome, categoria (A-F, A the most vulnerable), tipo, persone

The georeferenced 1:10000 sheet (esempio georiferito 1-10000, E 479500-483500, N 5027500-5030500) shows
them all. The 1:5000 one (E 480000-481500, N 5028900-5030000) shows the plants' elements only: the village
(Case Nuove) and the farmhouses lie east and south of it.

    /usr/bin/python3 tools/elements/make_sample_elements.py           # writes the file
    /usr/bin/python3 tools/elements/make_sample_elements.py --check   # exit 1 when it differs

A GeoPackage holds its date of writing (fixed here) and its bytes depend on the GDAL version that
writes it, so the check compares the layer and the features GDAL reads back, not the bytes.
"""

import os
import sys
import tempfile

from osgeo import gdal, ogr, osr

HERE = os.path.dirname(os.path.abspath(__file__))
FOLDER = os.path.join(HERE, "..", "..", "data", "c", "revisione metodo speditivo", "dati", "elementi")
NAME = "elementi esempio.gpkg"
LAYER = "elementi"
EPSG = 32632

FIELDS = [("nome", ogr.OFTString), ("categoria", ogr.OFTString), ("tipo", ogr.OFTString),
          ("persone", ogr.OFTInteger)]

# nome, categoria, tipo, persone, geometry. None: not known. Polygons follow the drawn buildings to 0.1 m,
# a block of homes the outline around its houses; the feature ids are the positions here, from 1.
ELEMENTS = [
    # Case Nuove, east of the georeferenced 1:5000 sheet. Of its six rows of houses the third is left open
    # and the fourth and fifth are drawn over the provincial road and the village street: the elements
    # keep to the first, second and sixth rows.
    ["Scuola primaria di Case Nuove", "A", "scuola", 180,
     "POLYGON ((482081.7 5030043.1, 482115.0 5030043.1, 482115.0 5030080.6, 482081.7 5030080.6, 482081.7 5030043.1))"],
    ["Ospedale di Case Nuove", "A", "ospedale", 120,
     "POLYGON ((481993.3 5029651.3, 482042.5 5029651.3, 482042.5 5029687.9, 481993.3 5029687.9, 481993.3 5029651.3))"],
    ["Case Nuove, isolato centrale", "B", "abitazioni", 110,
     "POLYGON ((482447.1 5030041.0, 482479.5 5030041.0, 482563.4 5030045.2, 482563.4 5030081.9, 482305.2 5030082.6,"
     " 482267.5 5030082.6, 482172.8 5030081.4, 482172.8 5030045.4, 482447.1 5030041.0))"],
    ["Case Nuove, isolato nord-ovest", "C", "abitazioni", 70,
     "POLYGON ((482354.1 5030146.1, 482398.7 5030146.1, 482398.7 5030172.7, 482305.5 5030182.3, 482030.8 5030189.7,"
     " 481990.1 5030189.7, 481990.1 5030163.6, 482096.8 5030146.3, 482354.1 5030146.1))"],
    ["Case Nuove, isolato nord-est", "C", "abitazioni", 65,
     "POLYGON ((482440.0 5030150.5, 482479.9 5030150.5, 482821.5 5030157.7, 482821.5 5030186.7, 482740.7 5030188.5,"
     " 482701.0 5030188.5, 482612.6 5030188.3, 482440.0 5030176.8, 482440.0 5030150.5))"],
    ["Case Nuove, isolato sud-est", "D", "abitazioni", 40,
     "POLYGON ((482788.4 5029638.5, 482837.0 5029638.5, 482837.0 5029673.4, 482739.8 5029681.3, 482570.6 5029689.1,"
     " 482531.4 5029689.1, 482440.3 5029687.9, 482440.3 5029660.1, 482788.4 5029638.5))"],
    # The open ground of the third row.
    ["Mercato settimanale di Case Nuove", "B", "mercato", 300, "POINT (482300.0 5029975.0)"],
    ["Palazzetto dello sport di Case Nuove", "B", "palazzetto dello sport", 600,
     "POLYGON ((482616.2 5030051.2, 482659.6 5030051.2, 482659.6 5030078.9, 482616.2 5030078.9, 482616.2 5030051.2))"],
    # On the georeferenced 1:5000 sheet too: the main rail line west of the siding's junction, its stretch
    # south of Gamma Logistica, the provincial road north of the district clear of the title block and the
    # north arrow, the offices west of Alfa Chimica's plant and those inside Deposito Beta's bund.
    ["Stazione della zona industriale", "B", "stazione ferroviaria", 150, "POINT (480450.0 5029086.0)"],
    ["Ferrovia, tratto lungo Gamma Logistica", "F", "ferrovia", None,
     "LINESTRING (481150.0 5029128.0, 481350.0 5029140.0, 481490.0 5029151.2)"],
    ["S.P. 12, tratto davanti ad Alfa Chimica", "E", "strada", 25,
     "LINESTRING (480390.0 5029906.9, 480610.0 5029909.9, 480850.0 5029913.2)"],
    ["Uffici Alfa Chimica", "E", "uffici", 40,
     "POLYGON ((480130.0 5029620.0, 480220.0 5029620.0, 480220.0 5029680.0, 480130.0 5029680.0, 480130.0 5029620.0))"],
    ["Palazzina uffici Deposito Beta", "F", "uffici", 12,
     "POLYGON ((480680.0 5029230.0, 480760.0 5029230.0, 480760.0 5029270.0, 480680.0 5029270.0, 480680.0 5029230.0))"],
    # Farmhouses south of the river: one across it from the district, one far to the south-east.
    ["Cascina Fiume Chiaro", "E", "abitazioni", 6,
     "POLYGON ((481215.1 5028309.5, 481245.1 5028309.5, 481245.1 5028331.5, 481215.1 5028331.5, 481215.1 5028309.5))"],
    [None, "E", "abitazioni", 4,
     "POLYGON ((482957.4 5027748.0, 482987.4 5027748.0, 482987.4 5027770.0, 482957.4 5027770.0, 482957.4 5027748.0))"],
]


def write_file(folder):
    os.makedirs(folder, exist_ok=True)
    path = os.path.join(folder, NAME)
    if os.path.exists(path):
        os.remove(path)
    # A fixed date instead of today's: writing again on the same GDAL leaves the file unchanged in git.
    gdal.SetConfigOption("OGR_CURRENT_DATE", "2026-01-01T00:00:00Z")
    try:
        source = ogr.GetDriverByName("GPKG").CreateDataSource(path)
        system = osr.SpatialReference()
        system.ImportFromEPSG(EPSG)
        layer = source.CreateLayer(LAYER, system, ogr.wkbUnknown)
        for name, kind in FIELDS:
            layer.CreateField(ogr.FieldDefn(name, kind))
        for fid, (nome, categoria, tipo, persone, wkt) in enumerate(ELEMENTS, start=1):
            feature = ogr.Feature(layer.GetLayerDefn())
            feature.SetFID(fid)
            for name, value in (("nome", nome), ("categoria", categoria), ("tipo", tipo), ("persone", persone)):
                if value is not None:
                    feature.SetField(name, value)
            feature.SetGeometry(ogr.CreateGeometryFromWkt(wkt))
            layer.CreateFeature(feature)
        source = None  # written out on closing
    finally:
        gdal.SetConfigOption("OGR_CURRENT_DATE", None)


def contents(path):
    """The layers as GDAL reads them back: name, geometry type, system, fields and every feature."""
    try:
        source = ogr.Open(path)
    except RuntimeError:
        source = None
    if source is None:  # missing or not a vector file
        return None
    layers = []
    for layer in source:
        system = layer.GetSpatialRef()
        definition = layer.GetLayerDefn()
        fields = [(definition.GetFieldDefn(i).GetName(), definition.GetFieldDefn(i).GetType())
                  for i in range(definition.GetFieldCount())]
        features = [(feature.GetFID(),
                     [feature.GetField(i) if feature.IsFieldSetAndNotNull(i) else None for i in range(len(fields))],
                     feature.GetGeometryRef().ExportToIsoWkt() if feature.GetGeometryRef() else None)
                    for feature in layer]
        layers.append((layer.GetName(), layer.GetGeomType(),
                       system.GetAuthorityCode(None) if system else None, fields, features))
    return layers


def check():
    kept = os.path.join(FOLDER, NAME)
    with tempfile.TemporaryDirectory() as tmp:
        write_file(tmp)
        made = contents(os.path.join(tmp, NAME))
        same = made is not None and made == contents(kept)
    if not same:
        print("differs from what the generator makes: " + kept)
        print("run tools/elements/make_sample_elements.py, then commit")
        return 1
    print("the sample elements are what the generator makes")
    return 0


if __name__ == "__main__":
    ogr.UseExceptions()
    if sys.argv[1:] == ["--check"]:
        sys.exit(check())
    write_file(FOLDER)
