"""The simplified screening model that fills the example damage-distance tables.

Every constant comes from the parameter file (params.json); nothing numeric about the physics is
written here. Distances are in metres, masses in kg, rates in kg/s, pressures in Pa.
Hypothesis "MP" is the partial rupture ("Ipotesi più probabile"), "AV" the full-bore rupture
("Ipotesi media").
"""

import math

NOT_APPLICABLE = None  # a threshold that does not apply to a scenario


class Model:
    def __init__(self, params):
        self.p = params
        amb = params["ambient"]
        self.T_a = amb["T_a_K"]
        self.P_a = amb["P_a_Pa"]
        self.rho_a = amb["rho_air_kg_m3"]
        self.R = amb["R_J_molK"]
        self.g = amb["g_m_s2"]
        self.M_air = amb["M_air_kg_mol"]
        self.rel = params["release"]

    # ---- ranges and containment -------------------------------------------------------------

    @staticmethod
    def representative(lo, hi):
        """Representative value of a range [lo, hi]; hi None means open-ended."""
        if hi is None:
            return 2.0 * lo
        if lo > 0:
            return math.sqrt(lo * hi)
        return hi / 2.0

    def inventory_kg(self, ctype, rep):
        c = self.p["containment"][str(ctype)]
        if c.get("inventory") == "infinite":
            return math.inf
        if c.get("inventory") == "range":
            return 1000.0 * rep
        return 1000.0 * c["inventory_t"]

    def connection_m(self, ctype, rep):
        c = self.p["containment"][str(ctype)]
        conn = c.get("connection")
        if conn == "diameter":
            return 0.0254 * rep
        if isinstance(conn, dict):
            d = conn["k_m"] * (rep / conn["ref_t"]) ** conn["exp"]
            return min(max(d, conn["min_m"]), conn["max_m"])
        return c["connection_m"]

    def liquid_head_m(self, ctype, mass, rho):
        c = self.p["containment"][str(ctype)]
        head = c.get("head")
        if isinstance(head, dict):
            volume = mass / rho
            h = (4.0 * volume / math.pi) ** (1.0 / 3.0)
            return min(max(h, head["min_m"]), head["max_m"])
        return c["head_m"]

    def bund_area_m2(self, ctype, mass, rho):
        bund = self.p["containment"][str(ctype)].get("bund")
        if not bund or rho is None:
            return math.inf
        return bund["factor"] * (mass / rho) / bund["wall_m"]

    def hole_m(self, connection, hyp):
        if hyp == "AV":
            return connection
        return min(self.rel["partial_hole_fraction"] * connection, self.rel["partial_hole_cap_m"])

    # ---- source terms -------------------------------------------------------------------------

    def _bernoulli(self, d, rho, dp, head):
        area = math.pi * d * d / 4.0
        return self.rel["discharge_coefficient_liquid"] * area * rho * math.sqrt(
            2.0 * (dp / rho + self.g * head))

    def _liquid_rate(self, sub, ctype, rep, hyp, mass):
        c = self.p["containment"][str(ctype)]
        rho = sub["rho_L"]
        conn = self.connection_m(ctype, rep)
        d = self.hole_m(conn, hyp)
        if "line_bar_g" in c:
            line_kind = "pressurised" if sub["kind"] == "pressurised" else (
                "refrigerated" if sub["kind"] == "refrigerated" else "liquid")
            dp = c["line_bar_g"][line_kind] * 1e5
            head = c["head_m"]
        else:
            dp = 0.0
            if sub["kind"] == "pressurised":
                dp += sub["P_sat_bar_a"] * 1e5 - self.P_a
            dp += c.get("pump_bar", 0.0) * 1e5
            head = self.liquid_head_m(ctype, mass, rho)
        if c.get("pumped"):
            q_pumped = rho * self.rel["pumped_line_velocity_m_s"] * math.pi * conn * conn / 4.0
            if hyp == "AV":
                return q_pumped, d, conn
            return min(self._bernoulli(d, rho, dp, head), q_pumped), d, conn
        return self._bernoulli(d, rho, dp, head), d, conn

    def _gas_rate(self, sub, ctype, rep, hyp):
        c = self.p["containment"][str(ctype)]
        conn = self.connection_m(ctype, rep)
        d = self.hole_m(conn, hyp)
        area = math.pi * d * d / 4.0
        gamma, M = sub["gamma"], sub["M"]
        T0 = self.rel["gas_stagnation_T_K"]
        P0 = c["gas_pressure_bar_a"] * 1e5
        flow = math.sqrt(gamma * M / (self.R * T0) * (2.0 / (gamma + 1.0)) ** ((gamma + 1.0) / (gamma - 1.0)))
        q = self.rel["discharge_coefficient_gas"] * area * P0 * flow
        # Momentum of the choked jet, for the entrainment decay.
        t_star = 2.0 * T0 / (gamma + 1.0)
        u_star = math.sqrt(gamma * self.R * t_star / M)
        p_star = P0 * (2.0 / (gamma + 1.0)) ** (gamma / (gamma - 1.0))
        momentum = q * u_star + area * (p_star - self.P_a)
        return q, d, area, momentum

    def duration_s(self, mass, q):
        return min(mass / q, self.rel["max_duration_s"]) if math.isfinite(mass) else self.rel["max_duration_s"]

    def source(self, cls, ctype, rep, hyp, wind):
        """Release of class or family `cls`: total rate, airborne rate, duration and pool data."""
        sub = self.p["classes"][cls]
        kind = sub["kind"]
        mass = self.inventory_kg(ctype, rep)
        s = {"kind": kind, "mass": mass}
        if kind == "compressed":
            q, d, area, momentum = self._gas_rate(sub, ctype, rep, hyp)
            s.update(Q=q, Qv=q, hole=d, jet_area=area, J=momentum, t_r=self.duration_s(mass, q))
            return s
        rho = sub["rho_L"]
        q, d, conn = self._liquid_rate(sub, ctype, rep, hyp, mass)
        t_r = self.duration_s(mass, q)
        spilled = q * t_r / rho
        bund = self.bund_area_m2(ctype, mass, rho) if math.isfinite(mass) else math.inf
        spread = spilled / self.rel["min_pool_depth_m"]
        s.update(Q=q, hole=d, t_r=t_r, bund=bund, spread=spread)
        if kind == "pool":
            s["Qv"] = None
        elif kind == "pressurised":
            phi = 1.0 - math.exp(-sub["c_pL"] * (self.T_a - sub["T_b"]) / (sub["dHv_kJ_kg"] * 1e3))
            s["flash"] = phi
            s["Qv"] = min(1.0, self.rel["aerosol_factor"] * phi) * q
        elif kind == "refrigerated":
            if self.p["containment"][str(ctype)].get("on_water"):
                s["Qv"] = q
            else:
                pool = min(bund, spread)
                t = max(t_r, self.rel["boil_off_min_time_s"])
                flux = (2.0 * self.rel["soil_conductivity_W_mK"] * (self.T_a - sub["T_b"])
                        / (sub["dHv_kJ_kg"] * 1e3 * math.sqrt(math.pi * self.rel["soil_diffusivity_m2_s"] * t)))
                s["pool_area"] = pool
                s["Qv"] = min(q, flux * pool)
        elif kind == "toxic_liquid":
            pool = min(bund, spread)
            mt = self.rel["mass_transfer"]
            diameter = math.sqrt(4.0 * pool / math.pi)
            km = mt["k"] * wind ** mt["wind_exp"] * diameter ** mt["diameter_exp"] * sub["Sc"] ** mt["schmidt_exp"]
            s["pool_area"] = pool
            s["Qv"] = min(q, km * pool * sub["P_v_Pa"] * sub["M"] / (self.R * self.T_a))
        else:
            raise ValueError("unknown kind " + kind)
        return s

    # ---- dispersion ---------------------------------------------------------------------------

    def _sigma(self, weather, x):
        w = self.p["weather"][weather]
        sy, sz = w["sigma_y"], w["sigma_z"]
        return (sy["a"] * x * (1.0 + sy["b"] * x) ** sy["c"],
                sz["a"] * x * (1.0 + sz["b"] * x) ** sz["c"])

    def _solve(self, f, target):
        """Distance where the decreasing function f falls to target (bisection on log x)."""
        sv = self.p["solver"]
        lo, hi = math.log(sv["x_min_m"]), math.log(sv["x_max_m"])
        if f(math.exp(hi)) >= target:
            return math.exp(hi)
        if f(math.exp(lo)) <= target:
            return math.exp(lo)
        for _ in range(sv["iterations"]):
            mid = 0.5 * (lo + hi)
            if f(math.exp(mid)) > target:
                lo = mid
            else:
                hi = mid
        return math.exp(0.5 * (lo + hi))

    def concentration_kg_m3(self, volume_fraction, M):
        return volume_fraction * M * self.P_a / (self.R * self.T_a)

    def distances_to(self, src, weather, conc, M):
        """Plume, puff and (compressed gas only) jet distances to a concentration in kg/m3."""
        u = self.p["weather"][weather]["wind_m_s"]
        qv, t_r = src["Qv"], src["t_r"]
        mv = qv * t_r

        def plume(x):
            sy, sz = self._sigma(weather, x)
            return qv / (math.pi * u * sy * sz)

        def puff(x):
            sy, sz = self._sigma(weather, x)
            return 2.0 * mv / ((2.0 * math.pi) ** 1.5 * sy * sy * sz)

        result = {"plume": self._solve(plume, conc), "puff": self._solve(puff, conc)}
        if src["kind"] == "compressed":
            x_frac = conc * self.R * self.T_a / (M * self.P_a)
            y = x_frac * M / (x_frac * M + (1.0 - x_frac) * self.M_air)
            k = self.p["jet"]["centreline_constant"]
            root = math.sqrt(self.rho_a * src["J"])
            result["jet"] = self._solve(lambda x: k * qv / (x * root), y)
        return result

    def distance_to(self, src, weather, conc, M):
        return min(self.distances_to(src, weather, conc, M).values())

    # ---- scenarios (four thresholds each, None where a threshold does not apply) ----------------

    def pool_fire(self, cls, ctype, rep, hyp):
        sub = self.p["classes"][cls]
        src = self.source(cls, ctype, rep, hyp, wind=None)
        rate = sub["burning_rate_kg_m2s"]
        limit = src["bund"] if self.p["containment"][str(ctype)].get("bund") else src["spread"]
        area = min(src["Q"] / rate, limit)
        diameter = math.sqrt(4.0 * area / math.pi)
        heat = rate * area * sub["dHc_MJ_kg"] * 1e6
        pf = self.p["pool_fire"]
        chi = max(pf["chi_max"] * math.exp(-pf["chi_decay_per_m"] * diameter), pf["chi_floor"])
        out = []
        for q in self.p["thresholds"]["pool_fire_kW_m2"]:
            r = math.sqrt(pf["transmissivity"] * chi * heat / (4.0 * math.pi * q * 1e3))
            out.append(max(r, diameter / 2.0))
        return out, {"D": diameter, "chi": chi, "Q": src["Q"]}

    def flash_fire(self, cls, ctype, rep, hyp, weather):
        sub = self.p["classes"][cls]
        u = self.p["weather"][weather]["wind_m_s"]
        src = self.source(cls, ctype, rep, hyp, wind=u)
        out = []
        for fraction in self.p["thresholds"]["flash_fire_LFL_fraction"]:
            if not fraction:
                out.append(NOT_APPLICABLE)
                continue
            conc = self.concentration_kg_m3(fraction * sub["LFL_vol"], sub["M"])
            out.append(self.distance_to(src, weather, conc, sub["M"]))
        return out, {"Qv": src["Qv"], "Q": src["Q"], "t_r": src["t_r"]}

    def vce(self, cls, ctype, rep, hyp, weather):
        sub = self.p["classes"][cls]
        u = self.p["weather"][weather]["wind_m_s"]
        src = self.source(cls, ctype, rep, hyp, wind=u)
        conc = self.concentration_kg_m3(sub["LFL_vol"], sub["M"])
        parts = self.distances_to(src, weather, conc, sub["M"])
        x_lfl = min(parts.values())
        jet_limited = "jet" in parts and parts["jet"] <= min(parts["plume"], parts["puff"])
        if jet_limited:
            travel = (x_lfl * x_lfl * math.sqrt(math.pi * self.rho_a / src["J"])
                      / (4.0 * self.p["vce"]["jet_velocity_decay"]))
        else:
            travel = x_lfl / u
        mass = src["Qv"] * min(src["t_r"], travel)
        v = self.p["vce"]
        tnt = v["yield"] * mass * sub["dHc_MJ_kg"] / v["E_TNT_MJ_kg"]
        out = [0.5 * x_lfl + z * tnt ** (1.0 / 3.0) for z in self.p["thresholds"]["vce_scaled_distance_m_kg3"]]
        return out, {"x_LFL": x_lfl, "Qv": src["Qv"], "jet_limited": jet_limited, "W": tnt}

    def toxic_thresholds_mg_m3(self, k):
        t = self.p["thresholds"]
        idlh = t["toxic_top_idlh_mg_m3"] * 10.0 ** (-(k - 1) * t["toxic_decades_per_subclass"])
        return t["toxic_lc50_over_idlh"] * idlh, idlh

    def toxic(self, family, k, ctype, rep, hyp, weather):
        sub = self.p["classes"][family]
        u = self.p["weather"][weather]["wind_m_s"]
        src = self.source(family, ctype, rep, hyp, wind=u)
        lc50, idlh = self.toxic_thresholds_mg_m3(k)
        s1 = self.distance_to(src, weather, lc50 * 1e-6, sub["M"])
        s3 = self.distance_to(src, weather, idlh * 1e-6, sub["M"])
        return [s1, NOT_APPLICABLE, s3, NOT_APPLICABLE], {"Qv": src["Qv"], "Q": src["Q"]}

    # ---- the cells of a table ------------------------------------------------------------------

    def scenario(self, cls, hyp):
        kind = self.p["classes"][cls]["kind"]
        if kind == "pool":
            return "pool"
        if cls in ("4", "51", "52", "53"):
            return "toxic"
        return "flash" if hyp == "MP" else "vce"

    def raw(self, cls, ctype, rep, hyp, weather, k=None):
        """Unrounded distances of the four thresholds (None where not applicable)."""
        sc = self.scenario(cls, hyp)
        if sc == "pool":
            return self.pool_fire(cls, ctype, rep, hyp)[0]
        if sc == "flash":
            return self.flash_fire(cls, ctype, rep, hyp, weather)[0]
        if sc == "vce":
            return self.vce(cls, ctype, rep, hyp, weather)[0]
        return self.toxic(cls, k, ctype, rep, hyp, weather)[0]

    def cell(self, x):
        """Table value of a distance: 0 not applicable, the above-cap value, else ceil to the step."""
        o = self.p["output"]
        if x is None:
            return o["not_applicable"]
        if x > o["cap_m"]:
            return o["above_cap"]
        step = o["step_m"]
        return int(max(step, step * math.ceil(x / step - 1e-9)))
