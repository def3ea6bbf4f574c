#!/usr/bin/python3
"""The screening model against the reference values of its description, its rounding rule, and the
generator's refusal to write tables that break a sanity property."""

import sys
sys.dont_write_bytecode = True

import copy  # noqa: E402
import json  # noqa: E402
import os  # noqa: E402
import unittest  # noqa: E402

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)

import make_workbooks  # noqa: E402
from model import Model  # noqa: E402

with open(os.path.join(HERE, "params.json"), encoding="utf-8") as f:
    PARAMS = json.load(f)

R = Model.representative
BEYOND = float("inf")  # more than 10000 m
# Scenario, its arguments, the unrounded metres the model description quotes for thresholds 1 to 4
# (None where a threshold does not apply; within 1 m), and other quantities it quotes (value, tolerance).
REFERENCE = [
    ("pool_fire", ("1_1_1", 1, R(200, 1000), "AV"), [32, 43, 51, 66], {"D": (21.9, 0.05), "chi": (0.117, 0.0005)}),
    ("flash_fire", ("2_1_2", 3, 0, "MP", "D5"), [27, 39, None, None], {"Qv": (2.1, 0.05)}),
    ("flash_fire", ("2_1_2", 3, 0, "MP", "F2"), [119, 170, None, None], {}),
    ("vce", ("2_1_2", 3, 0, "AV", "D5"), [119, 151, 208, 330], {"x_LFL": (142, 1)}),
    ("vce", ("2_1_2", 3, 0, "AV", "F2"), [429, 499, 624, 891], {"x_LFL": (649, 1)}),
    ("toxic", ("51", 4, 3, 0, "AV", "D5"), [964, None, 8232, None], {"Qv": (41, 1)}),
    ("toxic", ("51", 4, 3, 0, "AV", "F2"), [5591, None, BEYOND, None], {}),
    # A pipeline jet limits the release of methane alike under both weathers.
    ("vce", ("2_3", 5, R(12, 24), "AV", "D5"), [197, 249, 342, 539], {"Qv": (1252, 2), "jet_limited": (1, 0)}),
    ("vce", ("2_3", 5, R(12, 24), "AV", "F2"), [197, 249, 342, 539], {"Qv": (1252, 2), "jet_limited": (1, 0)}),
    ("vce", ("2_2", 1, R(200, 1000), "AV", "D5"), [53, 68, 93, 148], {"Qv": (9.8, 0.05)}),
    ("vce", ("2_2", 1, R(200, 1000), "AV", "F2"), [189, 222, 279, 400], {}),
    ("toxic", ("4", 3, 2, R(10, 50), "MP", "D5"), [49, None, 289, None], {}),
    ("toxic", ("4", 3, 2, R(10, 50), "MP", "F2"), [149, None, 915, None], {}),
]


class ScreeningModel(unittest.TestCase):
    def test_reference_values(self):
        m = Model(PARAMS)
        for scenario, args, metres, quantities in REFERENCE:
            with self.subTest(scenario=scenario, args=args):
                got, info = getattr(m, scenario)(*args)
                self.assertEqual(len(got), len(metres))
                for g, e in zip(got, metres):
                    if e is None or e == BEYOND:
                        self.assertTrue(g is None if e is None else g > 10000, got)
                    else:
                        self.assertLessEqual(abs(g - e), 1.0, got)
                for key, (value, tolerance) in quantities.items():
                    self.assertLessEqual(abs(info[key] - value), tolerance, (key, info[key]))

    def test_rounding(self):
        m = Model(PARAMS)
        for x, cell in [(None, 0), (0.2, 5), (5.0, 5), (25.0, 25), (25.01, 30), (9999.0, 10000), (10000.0, 10000),
                        (10000.01, 10001), (19999.9, 10001)]:
            self.assertEqual(m.cell(x), cell, x)
        self.assertAlmostEqual(R(200, 1000), 447.21, places=2)
        self.assertEqual([R(0, 10), R(5000, None), R(5000, 20000)], [5, 10000, 10000])
        lc50, idlh = m.toxic_thresholds_mg_m3(4)
        self.assertEqual([round(idlh, 2), round(lc50, 1)], [31.62, 948.7])


def set_param(*path_and_value):
    *path, key, value = path_and_value

    def change(p):
        for part in path:
            p = p[part]
        p[key] = value(p[key]) if callable(value) else value
    return change


class SanityAssertions(unittest.TestCase):
    """Parameters that break a property must stop the generator, never give tables."""

    def build(self, change):
        params = copy.deepcopy(PARAMS)
        change(params)
        return make_workbooks.build_bundled(params, "0" * 64, make_workbooks.load_tables())

    def test_bundled_parameters_pass(self):
        books, stats = self.build(lambda p: None)
        self.assertEqual(len(books), 36)
        self.assertEqual(set(stats["fallback_zeros"]), {"46.xls", "516.xls", "526.xls", "536.xls"})

    def test_broken_parameters_are_refused(self):
        for change, message in [
                (set_param("thresholds", "vce_scaled_distance_m_kg3", lambda v: v[::-1]), "thresholds not increasing"),
                (set_param("thresholds", "toxic_decades_per_subclass", -0.5), "sub-class under it"),
                (set_param("fallback", "cutoff_m", 1e9), "no fallback cell"),
                (set_param("containment", "3", "inventory_t", 30.0), "one case must read 0 - 30")]:
            with self.subTest(message=message), self.assertRaisesRegex(make_workbooks.SanityError, message):
                self.build(change)


if __name__ == "__main__":
    unittest.main()
