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


class ReferenceValues(unittest.TestCase):
    """Unrounded metres quoted by the model description; each must come back within 1 m."""

    def setUp(self):
        self.m = Model(PARAMS)
        self.rep = self.m.representative

    def assertNear(self, got, expected, tolerance=1.0):
        self.assertEqual(len(got), len(expected))
        for g, e in zip(got, expected):
            if e is None:
                self.assertIsNone(g)
            else:
                self.assertLessEqual(abs(g - e), tolerance, "%r against %r" % (got, expected))

    def test_pool_fire_bunded_xylene(self):
        distances, info = self.m.pool_fire("1_1_1", 1, self.rep(200, 1000), "AV")
        self.assertNear(distances, [32, 43, 51, 66])
        self.assertAlmostEqual(info["D"], 21.9, places=1)
        self.assertAlmostEqual(info["chi"], 0.117, places=3)

    def test_propane_tanker_flash_fire(self):
        d5, info = self.m.flash_fire("2_1_2", 3, 0, "MP", "D5")
        f2, _ = self.m.flash_fire("2_1_2", 3, 0, "MP", "F2")
        self.assertNear(d5, [27, 39, None, None])
        self.assertNear(f2, [119, 170, None, None])
        self.assertAlmostEqual(info["Qv"], 2.1, places=1)

    def test_propane_tanker_vce(self):
        d5, info = self.m.vce("2_1_2", 3, 0, "AV", "D5")
        f2, info_f2 = self.m.vce("2_1_2", 3, 0, "AV", "F2")
        self.assertNear(d5, [119, 151, 208, 330])
        self.assertNear(f2, [429, 499, 624, 891])
        self.assertNear([info["x_LFL"], info_f2["x_LFL"]], [142, 649])

    def test_chlorine_like_tanker(self):
        d5, info = self.m.toxic("51", 4, 3, 0, "AV", "D5")
        f2, _ = self.m.toxic("51", 4, 3, 0, "AV", "F2")
        self.assertNear(d5, [964, None, 8232, None])
        self.assertNear(f2[:1], [5591])
        self.assertGreater(f2[2], 10000)
        self.assertLess(abs(info["Qv"] - 41), 1.0)

    def test_methane_pipeline_jet_limited(self):
        for w in ("D5", "F2"):
            distances, info = self.m.vce("2_3", 5, self.rep(12, 24), "AV", w)
            self.assertNear(distances, [197, 249, 342, 539])
            self.assertTrue(info["jet_limited"])
            self.assertLess(abs(info["Qv"] - 1252), 2)

    def test_lng_bund_boil_off(self):
        d5, info = self.m.vce("2_2", 1, self.rep(200, 1000), "AV", "D5")
        f2, _ = self.m.vce("2_2", 1, self.rep(200, 1000), "AV", "F2")
        self.assertNear(d5, [53, 68, 93, 148])
        self.assertNear(f2, [189, 222, 279, 400])
        self.assertAlmostEqual(info["Qv"], 9.8, places=1)

    def test_toxic_liquid_pool(self):
        d5, _ = self.m.toxic("4", 3, 2, self.rep(10, 50), "MP", "D5")
        f2, _ = self.m.toxic("4", 3, 2, self.rep(10, 50), "MP", "F2")
        self.assertNear(d5, [49, None, 289, None])
        self.assertNear(f2, [149, None, 915, None])


class Rounding(unittest.TestCase):
    def test_table_values(self):
        m = Model(PARAMS)
        cases = [(None, 0), (0.2, 5), (5.0, 5), (25.0, 25), (25.01, 30), (9999.0, 10000), (10000.0, 10000),
                 (10000.01, 10001), (19999.9, 10001)]
        for x, cell in cases:
            self.assertEqual(m.cell(x), cell, x)

    def test_representative_values(self):
        self.assertAlmostEqual(Model.representative(200, 1000), 447.21, places=2)
        self.assertEqual(Model.representative(0, 10), 5)
        self.assertEqual(Model.representative(5000, None), 10000)
        self.assertEqual(Model.representative(5000, 20000), 10000)

    def test_toxic_ladder(self):
        lc50, idlh = Model(PARAMS).toxic_thresholds_mg_m3(4)
        self.assertAlmostEqual(idlh, 31.62, places=2)
        self.assertAlmostEqual(lc50, 948.7, places=1)


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

    def test_thresholds_out_of_order(self):
        def reverse(p):
            p["thresholds"]["vce_scaled_distance_m_kg3"].reverse()
        with self.assertRaisesRegex(make_workbooks.SanityError, "thresholds not increasing"):
            self.build(reverse)

    def test_toxicity_ladder_upside_down(self):
        def flip(p):
            p["thresholds"]["toxic_decades_per_subclass"] = -0.5
        with self.assertRaisesRegex(make_workbooks.SanityError, "sub-class under it"):
            self.build(flip)

    def test_no_fallback_cells(self):
        def never(p):
            p["fallback"]["cutoff_m"] = 1e9
        with self.assertRaisesRegex(make_workbooks.SanityError, "no fallback cell"):
            self.build(never)

    def test_tanker_bounds_must_name_the_inventory(self):
        def bigger(p):
            p["containment"]["3"]["inventory_t"] = 30.0
        with self.assertRaisesRegex(make_workbooks.SanityError, "one case must read 0 - 30"):
            self.build(bigger)


if __name__ == "__main__":
    unittest.main()
