#!/usr/bin/env python3
"""Runs zefro-estimate over the bundled data and writes every run's exit status, standard output and
standard error, and the files it writes, into one folder, so that two builds can be compared with
`diff -r`: a restructuring that should change no output is checked by running this on the build
before it and the build after it.

    tools/golden/estimate_outputs.py BUILD_DIR OUT_DIR

Runs: every catalogue substance in each of its classes and every containment (one hypothesis a
substance, taking turns; the first or second quantity or diameter); every flammable quick pick under
both hypotheses; the class lists; the data
check; a map with its picture and the GIS files; and a set of refused requests. Temporary paths and
the date and time in the report file's name are replaced by placeholders.
"""
import pathlib
import re
import shutil
import subprocess
import sys
import tempfile

ROOT = pathlib.Path(__file__).resolve().parents[2]
SUBSTANCES = ROOT / "src/catalogue/tables/substances.tsv"
QUICK_PICKS = ["1_1_1", "1_1_2", "1_2", "2_1_1", "2_1_2", "2_2", "2_3"]


def substances():
    for line in SUBSTANCES.read_text(encoding="utf-8").splitlines():
        if line and not line.startswith("#"):
            row, name, cas = line.split("\t")
            yield row, name, cas


def undated(text):
    """The report file's name without the date and time of the run."""
    return re.sub(r" run \d{8} ore \d\d_\d\d ", " run <DATA> ore <ORA> ", text)


class Runner:
    def __init__(self, program, drive, out_dir, work):
        self.program, self.drive, self.out_dir, self.work = program, drive, out_dir, work
        self.count = 0

    def run(self, label, arguments):
        completed = subprocess.run([str(self.program), "--drive-root", str(self.drive), *arguments],
                                   capture_output=True, env={"PATH": "/usr/bin:/bin", "LANG": "C.UTF-8",
                                                             "QT_QPA_PLATFORM": "offscreen"})
        text = "$ zefro-estimate " + " ".join(arguments) + "\n"
        text += f"exit {completed.returncode}\n--- stdout\n"
        text += completed.stdout.decode("utf-8", "backslashreplace")
        text += "--- stderr\n" + completed.stderr.decode("utf-8", "backslashreplace")
        for placeholder, path in (("<WORK>", self.work), ("<DRIVE>", self.drive)):
            text = text.replace(str(path), placeholder)
        text = undated(text)
        (self.out_dir / (label + ".txt")).write_text(text, encoding="utf-8")
        self.count += 1
        return completed

    def class_codes(self, cas):
        listed = self.run(f"classes-{cas}", ["--classes", "--cas", cas])
        if listed.returncode != 0:
            return []
        return [line.split()[0] for line in listed.stdout.decode("utf-8").splitlines() if line.strip()]


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    build = pathlib.Path(sys.argv[1]).resolve()
    out_dir = pathlib.Path(sys.argv[2]).resolve()
    program = build / "zefro-estimate"
    if out_dir.exists():
        shutil.rmtree(out_dir)
    out_dir.mkdir(parents=True)
    with tempfile.TemporaryDirectory(prefix="zefro-golden-") as temporary:
        work = pathlib.Path(temporary)
        drive = work / "drive"
        shutil.copytree(ROOT / "data", drive, symlinks=True)
        runner = Runner(program, drive, out_dir, work)

        estimate = ["--hypothesis", "{h}", "--containment", "{c}"]
        for row, _name, cas in substances():
            hypothesis = 1 + int(row) % 2
            for code in runner.class_codes(cas):
                for containment, chosen in ((1, 1), (2, 2), (3, None), (4, None), (5, 1)):
                    arguments = ["--cas", cas, "--class", code, "--hypothesis", str(hypothesis),
                                 "--containment", str(containment), "--json"]
                    if chosen:
                        arguments += ["--range", str(chosen)]
                    runner.run(f"s{row}-{code}-h{hypothesis}-c{containment}", arguments)
        for code in QUICK_PICKS:
            for hypothesis in (1, 2):
                for containment in range(1, 6):
                    arguments = ["--quick-pick", code, "--hypothesis", str(hypothesis),
                                 "--containment", str(containment)]
                    if containment in (1, 2, 5):
                        arguments += ["--range", "1"]
                    runner.run(f"q{code}-h{hypothesis}-c{containment}", arguments)

        runner.run("check-data", ["--check-data"])
        maps = work / "maps"
        maps.mkdir()
        raster = drive / "c/revisione metodo speditivo/dati/cartografia/raster"
        runner.run("map-scale", ["--name", "Acetaldeide", "--hypothesis", "1", "--containment", "1",
                                 "--range", "2", "--map", str(raster / "esempio 1-10000.bmp"),
                                 "--point", "10,10", "--scale", "10000", "--out", str(maps / "scale.bmp")])
        chlorine = ["--name", "Cloro", "--class", "51"]
        runner.run("map-georeferenced", [*chlorine, "--hypothesis", "2", "--containment", "4",
                                         "--map", str(raster / "esempio georiferito 1-5000.tif"),
                                         "--at", "480700,5029400", "--out", str(maps / "ground.bmp"),
                                         "--export", str(maps / "ground.geojson")])
        runner.run("export-geojson", ["--name", "Ammoniaca", "--class", "51", "--hypothesis", "2",
                                      "--containment", "3", "--at", "512000,5030000", "--crs", "EPSG:32632",
                                      "--export", str(maps / "aree.geojson")])
        runner.run("report-file", [*chlorine, "--hypothesis", "1", "--containment", "4", "--report-file"])
        for label, arguments in {
            "refused-unknown-name": ["--name", "Nessuna", "--hypothesis", "1", "--containment", "1"],
            "refused-range": [*chlorine, "--hypothesis", "1", "--containment", "1", "--range", "99"],
            "refused-option": ["--frobnicate"],
            "refused-scale": [*chlorine, "--hypothesis", "1", "--containment", "4", "--map", "x.bmp",
                              "--point", "1,1", "--scale", "7500,5"],
        }.items():
            runner.run(label, arguments)

        for written in sorted(maps.iterdir()):
            shutil.copy(written, out_dir / ("file-" + written.name))
        output = drive / "c/zefro/output"
        for written in sorted(output.iterdir()):
            if written.is_file() and written.name != ".gitkeep":
                shutil.copy(written, out_dir / undated("output-" + written.name))
    print(f"{runner.count} runs written to {out_dir}")


if __name__ == "__main__":
    main()
