#!/usr/bin/python3
"""Makes the sample site inventory of the bundled data: the plant of the imaginary district that the
georeferenced sample map shows (EPSG:32632, E 480000-481500, N 5028900-5030000), in two forms:

    inventario esempio.csv   ';' separated, Latin-1 (Windows-1252), decimal comma, as an Italian
                             spreadsheet program saves it
    inventario esempio.ods   the same rows, numbers as numbers, written by GDAL's ODS driver

    /usr/bin/python3 tools/inventory/make_sample_inventory.py           # writes both files
    /usr/bin/python3 tools/inventory/make_sample_inventory.py --check   # exit 1 when they differ

The .ods holds its date of writing, so the check compares the rows GDAL reads back, not the bytes.
"""

import os
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
FOLDER = os.path.join(HERE, "..", "..", "data", "c", "revisione metodo speditivo", "dati", "inventario")
CSV_NAME = "inventario esempio.csv"
ODS_NAME = "inventario esempio.ods"

HEADER = ["id", "descrizione", "sostanza", "cas", "classe", "ipotesi", "detenzione", "quantita_t", "diametro_in",
          "est", "nord"]

# Each item estimates on the bundled tables; the toxic substances and those of several classes name
# their class. Positions lie on the sample map, close enough for the damage circles to overlap.
ITEMS = [
    ["S1 serbatoio città", "GPL per il quartiere, senza bacino", "Propano", "", "2_1_2", 2, 2, 25.5, None, 480420, 5029480],
    ["S2", "Benzina, serbatoio a tetto galleggiante", "Benzina", "", "", 1, 1, 300, None, 480650.5, 5029550],
    ["S3", "Toluene, parco serbatoi nord", "Toluene", "", "", 1, 1, 120, None, 480780, 5029350],
    ["S4", "Metanolo, fusti all'aperto", "Metil alcool", "", "1_1_2", 2, 2, 37.5, None, 480550, 5029300],
    ["T1", "Ammoniaca per la refrigerazione", "Ammoniaca", "", "51", 1, 2, 30, None, 480950, 5029600],
    ["T2", "Cloro, bombole in bacino", "Cloro", "", "51", 1, 1, 4.5, None, 481100, 5029450],
    ["T3 unità acrilonitrile", "Acrilonitrile, indicato per CAS", "", "107-13-1", "4", 1, 1, 60, None, 480850, 5029200],
    ["B1", "Baia di carico autobotti GPL", "Propano", "", "2_1_2", 1, 3, None, None, 480300, 5029650],
    ["B2", "Ferrocisterna di ammoniaca in sosta", "Ammoniaca", "", "51", 2, 3, None, None, 481250, 5029700],
    ["C1", "Metanodotto di stabilimento", "Metano", "", "2_3", 1, 5, None, 8, 480200, 5029200],
    ["C2", "Oleodotto della benzina", "Benzina", "", "", 1, 5, None, 10, 481000, 5029100],
    ["Q1", "Deposito di solventi, classe scelta direttamente", "", "", "1_1_1", 1, 1, 15, None, 480500, 5029750],
]


def text(value, decimal):
    if value is None:
        return ""
    if isinstance(value, float):
        return ("%.10g" % value).replace(".", decimal)
    return str(value)


def csv_line(cells):
    quoted = ['"%s"' % cell.replace('"', '""') if any(c in cell for c in ';"\n') else cell for cell in cells]
    return ";".join(quoted) + "\r\n"


def csv_bytes(decimal=","):
    lines = [csv_line(HEADER)] + [csv_line([text(value, decimal) for value in item]) for item in ITEMS]
    return "".join(lines).encode("cp1252")


def write_files(folder):
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, CSV_NAME), "wb") as out:
        out.write(csv_bytes())
    ods = os.path.join(folder, ODS_NAME)
    if os.path.exists(ods):
        os.remove(ods)
    with tempfile.TemporaryDirectory() as tmp:
        # GDAL reads a CSV as UTF-8 and a decimal point as a number: an intermediate copy in those terms.
        source = os.path.join(tmp, "inventario.csv")
        with open(source, "wb") as out:
            out.write(csv_bytes(".").decode("cp1252").encode("utf-8"))
        subprocess.run(["ogr2ogr", "-f", "ODS", "-nln", "inventario", "-oo", "AUTODETECT_TYPE=YES",
                        "-oo", "QUOTED_FIELDS_AS_STRING=YES", ods, source], check=True)


def ods_rows(path):
    """The sheet's rows as GDAL reads them, every cell as text."""
    env = dict(os.environ, OGR_ODS_HEADERS="FORCE", OGR_ODS_FIELD_TYPES="STRING")
    return subprocess.run(["ogr2ogr", "-f", "CSV", "/vsistdout/", path], check=True, env=env,
                          capture_output=True).stdout


def check():
    with tempfile.TemporaryDirectory() as tmp:
        write_files(tmp)
        differing = []
        with open(os.path.join(tmp, CSV_NAME), "rb") as made, open(os.path.join(FOLDER, CSV_NAME), "rb") as kept:
            if made.read() != kept.read():
                differing.append(CSV_NAME)
        if ods_rows(os.path.join(tmp, ODS_NAME)) != ods_rows(os.path.join(FOLDER, ODS_NAME)):
            differing.append(ODS_NAME)
    for name in differing:
        print("differs from what the generator makes: " + os.path.join(FOLDER, name))
    if differing:
        print("run tools/inventory/make_sample_inventory.py, then commit")
        return 1
    print("the sample inventory is what the generator makes")
    return 0


if __name__ == "__main__":
    if sys.argv[1:] == ["--check"]:
        sys.exit(check())
    write_files(FOLDER)
