"""The command checks of the conformance checker: statistics, configuration and
calibration, machine readings, data and files, and the interrupted formula.

Each group checks a command's parameters and answer layout as docs/protocol.md
gives them, a few of its documented refusals, and the round trips the document
promises (set, then read back). Mixed into the checker's class.
"""

import datetime
import re
import time
import xmlrpc.client

import aes128
from conformance_common import (BOOL, INT, NONNEG, STR, TYPE_DISPENSER, codes, machine_id_problem,
                                members_problem, result_problem, is_int, is_str, is_bool)

STATS_KEY = b"AXOStatsQueryKey"
ISO_UTC = re.compile(r"^\d{4}-\d{2}-\d{2}T\d{2}:\d{2}:\d{2}Z$")
ISO_UTC_MS = re.compile(r"^\d{4}-\d{2}-\d{2}T\d{2}:\d{2}:\d{2}\.\d{3}Z$")
NUM = (lambda x: type(x) in (int, float), "a number")
NONNEG_NUM = (lambda x: type(x) in (int, float) and x >= 0, "a number >= 0")
POS = (lambda x: is_int(x) and x >= 1, "an int >= 1")
BINARY = (lambda x: isinstance(x, xmlrpc.client.Binary), "base64")


def encrypt_query(text):
    """Zero-padded to whole blocks, encrypted, trailing zero bytes of the cipher text dropped."""
    b = text.encode("utf-8")
    b += b"\0" * (-len(b) % 16)
    return aes128.ecb(STATS_KEY, b).rstrip(b"\0")


def decrypt_reply(data):
    data += b"\0" * (-len(data) % 16)
    return aes128.ecb(STATS_KEY, data, decrypt=True).split(b"\0", 1)[0].decode("utf-8")


def table_problem(text, columns):
    """A reply table: header of the columns, rows of as many tab-separated fields."""
    if not text.endswith("\n"):
        return "reply not ending in a line break: %r" % text[:200]
    lines = [line.split("\t") for line in text[:-1].split("\n")]
    if lines[0] != columns:
        return "header %r, not %r" % (lines[0], columns)
    bad = [r for r in lines[1:] if len(r) != len(columns)]
    return "rows of another width: %r" % bad[:2] if bad else None


def list_problem(member, layout, where):
    """{member: [struct in layout]}."""
    def problem(d):
        if type(d) is not dict or type(d.get(member)) is not list:
            return "data not {%s: [...]}: %r" % (member, d)
        for i, e in enumerate(d[member]):
            p = members_problem(e, layout, "%s[%d]" % (where, i))
            if p:
                return p
        return None
    return problem


def version_problem(v):
    return members_problem(v, {k: NONNEG for k in ("major", "minor", "build", "config", "protocol")}, "version")


def program_problem(p):
    p_ = members_problem(p, {"board": POS}, "program")
    if p_:
        return p_
    if "name" in p and not is_str(p["name"]):
        return "program.name not a string"
    boot = p.get("bootLoader", False)
    if not is_bool(boot):
        return "program.bootLoader not a bool"
    if "version" in p or not boot:
        return version_problem(p.get("version"))
    return None


def ingredient_problem(i):
    p = members_problem(i, {"position": POS, "amount": (lambda x: type(x) in (int, float) and x > 0, "> 0")},
                        "ingredient")
    if p:
        return p
    for k, ok in (("colorant", is_str), ("unit", lambda x: x in (0, 1)), ("state", lambda x: x in (0, 1, 2)),
                  ("time", lambda x: type(x) in (int, float) and x >= 0)):
        if k in i and not ok(i[k]):
            return "ingredient.%s: %r" % (k, i[k])
    return None


def channels_problem(chs):
    if type(chs) is not list:
        return "channels not an array: %r" % (chs,)
    for c in chs:
        if type(c) is not dict or type(c.get("ingredients")) is not list or not c["ingredients"]:
            return "channel without ingredients: %r" % (c,)
        for i in c["ingredients"]:
            p = ingredient_problem(i)
            if p:
                return p
        pos = [i["position"] for i in c["ingredients"]]
        if len(set(pos)) != len(pos):
            return "a position twice in a channel: %r" % pos
    return None


def ingredients(formula):
    return [(i["position"], i["amount"]) for c in formula.get("channels", []) for i in c["ingredients"]]


CIRCUIT = {"position": POS, "colorant": STR, "inUse": BOOL, "capacity": NONNEG_NUM}
CANISTER = {"position": POS, "colorant": STR, "level": NONNEG_NUM, "capacity": NONNEG_NUM, "reserve": NONNEG_NUM}
CALIB_POINT = {"circuit": POS, "volume": NONNEG_NUM,
               "factor": (lambda x: type(x) in (int, float) and x > 0, "a number > 0"),
               "steps": NONNEG, "weight": NONNEG_NUM}
RECALIB_POINT = {k: CALIB_POINT[k] for k in ("circuit", "volume", "factor")}
GRAV = {"position": POS, "enabled": BOOL, "tolerance": NONNEG_NUM, "minAmount": NONNEG_NUM}


class CommandChecks:
    """Groups 11-15; needs the checker's calls, reporting and handshake."""

    def command_groups(self):
        return [
            (11, "11 Statistics", self.g11_statistics),
            (12, "12 Configuration and calibration", self.g12_configuration),
            (13, "13 Machine readings", self.g13_readings),
            (14, "14 Data and files", self.g14_data_files),
            (15, "15 Interrupted formula", self.g15_interrupted),
        ]

    # -- helpers

    def data_of(self, name, res, problem=None):
        """Checks rc 0 and the layout; the data, or None."""
        if self.expect_result(name, res, rc=0, data_check=problem):
            return res["data"]
        return None

    def refused(self, name, cmd, session, params, rc, code):
        return self.expect_result("%s: rc %d %s" % (name, rc, code), self.safe(self.ex, cmd, session, params),
                                  rc=rc, code=code)

    def disp_session(self):
        """A certified session of the dispenser at the highest level granted (service at least), or None."""
        if getattr(self, "_disp_session", None) is None:
            if not self.dispenser:
                self.skip("dispenser commands", "the driver lists no dispenser")
                return None
            level = min(3, self.cfg.max_access or 3)
            if level < 2:
                self.skip("dispenser commands", "the driver grants no service level")
                return None
            self._disp_session = self.open_session(self.dispenser, "conformance service", access=level)
            if not self.check("a service session of the dispenser certifies", self._disp_session is not None,
                              "certified", "not certified"):
                return None
        return self._disp_session

    def circuits(self, s):
        """The dispenser's circuits from GET_CIRCUIT_LIST (unchecked), by position."""
        res = self.safe(self.ex, "GET_CIRCUIT_LIST", s)
        if result_problem(res) or res["rc"] != 0 or list_problem("circuits", CIRCUIT, "c")(res.get("data")):
            return {}
        return {c["position"]: c for c in res["data"]["circuits"]}

    def stats(self, query):
        """EXECQ of a query text; (result, reply text or None)."""
        res = self.safe(self.ex, "EXECQ", "", [xmlrpc.client.Binary(encrypt_query(query))])
        if result_problem(res) or res["rc"] != 0 or type(res.get("data")) is not dict \
                or not isinstance(res["data"].get("reply"), xmlrpc.client.Binary):
            return res, None
        try:
            return res, decrypt_reply(res["data"]["reply"].data)
        except UnicodeDecodeError:
            return res, None

    def disp_status_part(self, s):
        res = self.safe(self.ex, "GET_DISP_STATUS", s)
        if result_problem(res) or res["rc"] != 0 or type(res["data"].get("status")) is not dict:
            return {}
        return res["data"]["status"]

    # ---------------------------------------------------------------- 11

    def g11_statistics(self):
        self.check("AES-128 of the checker gives the standard example vector", aes128.self_test(),
                   "69c4e0d8...", "another cipher text")
        res, text = self.stats("SELECT position, colorant, amount FROM usage")
        self.expect_result("EXECQ [query: base64]: rc 0 {reply: base64}", res, rc=0,
                           data_check=lambda d: members_problem(d, {"reply": BINARY}, "data"))
        cols = ["position", "colorant", "amount"]
        self.check("the reply decrypts to a table of the selected columns", text is not None
                   and table_problem(text, cols) is None, "header %r and rows" % cols,
                   table_problem(text, cols) if text is not None else res)
        res, text = self.stats("select * from EVENTS where kind = 'nothing-like-this';")
        want = "dispenser\tkind\tposition\tcolorant\tamount\ttime\n"
        self.check("SELECT * of events without rows: the header line alone (keywords any case, ';' allowed)",
                   text == want, repr(want), text if text is not None else self.short(res))
        for what, blob in (("a query that decrypts to no statement", encrypt_query("DROP TABLE usage")),
                           ("a query of an unknown table", encrypt_query("SELECT * FROM nothing")),
                           ("bytes that decrypt to no text", bytes(range(7, 39)))):
            self.expect_result("EXECQ of %s: rc 5 TE10004" % what,
                               self.safe(self.ex, "EXECQ", "", [xmlrpc.client.Binary(blob)]), rc=5, code="TE10004")
        self.refused("EXECQ with a string query", "EXECQ", "", ["SELECT * FROM usage"], 5, "TE10004")

        s = self.disp_session()
        if not s:
            return
        circ = self.circuits(s)
        pos = sorted(circ)[1] if len(circ) > 1 else None
        if pos is not None:
            stamp = datetime.datetime.now(datetime.timezone.utc).strftime("%Y-%m-%dT%H:%M:%SZ")
            refill = {"position": pos, "colorant": circ[pos]["colorant"] or "XX", "amount": 12.5, "time": stamp}
            self.data_of("ADD_EVENT [[refill]]: rc 0 {}", self.safe(self.ex, "ADD_EVENT", s, [[refill]]),
                         lambda d: None if d == {} else "data %r" % (d,))
            q = "SELECT position, colorant, amount, time FROM events WHERE kind = 'refill' AND position = %d" % pos
            res, text = self.stats(q)
            row = "%d\t%s\t12.5\t%s" % (pos, refill["colorant"], stamp)
            self.check("the refill is read back with EXECQ (numbers shortest, WHERE on numbers and texts)",
                       text is not None and row in text.split("\n")[1:], "a row %r" % row, text or self.short(res))
            bad = dict(refill, position=999)
            self.refused("ADD_EVENT at a position without a circuit", "ADD_EVENT", s, [[bad]], 5, "TE10004")
            self.refused("ADD_EVENT of no refills", "ADD_EVENT", s, [[]], 5, "TE10004")

        serial = self.disp_serial()
        usage = {"serial": STR, "position": POS, "canister": POS, "colorant": STR, "amount": NONNEG_NUM,
                 "dispensings": NONNEG}
        req = {"serial": serial or "", "by": "position", "value": 0, "colorants": [], "limit": 0}
        d = self.data_of("GET_COL_USAGE_STATS by position 0: {usage: [colorant usage]} in position order",
                         self.safe(self.ex, "GET_COL_USAGE_STATS", "", [req]),
                         lambda d: list_problem("usage", usage, "usage")(d) or
                         (None if [u["position"] for u in d["usage"]] == sorted(u["position"] for u in d["usage"])
                          else "not in position order"))
        if d and d["usage"]:
            u = d["usage"][0]
            one = self.safe(self.ex, "GET_COL_USAGE_STATS", "", [dict(req, by="colorant", value=u["colorant"])])
            self.check("GET_COL_USAGE_STATS by colorant lists only that colorant",
                       result_problem(one) is None and one["rc"] == 0
                       and all(x["colorant"] == u["colorant"] for x in one["data"]["usage"])
                       and one["data"]["usage"], "entries of %s" % u["colorant"], self.short(one))
            lim = self.safe(self.ex, "GET_COL_USAGE_STATS", "", [dict(req, limit=1)])
            self.check("GET_COL_USAGE_STATS with limit 1: one entry", result_problem(lim) is None and lim["rc"] == 0
                       and len(lim["data"]["usage"]) == 1, "1 entry", self.short(lim))
        self.refused("GET_COL_USAGE_STATS of a serial no dispenser has", "GET_COL_USAGE_STATS", "",
                     [dict(req, serial="no such serial 0000")], 5, "TE10005")
        for what, bad in (("by 'nothing'", dict(req, by="nothing")), ("by canister 0", dict(req, by="canister")),
                          ("a negative limit", dict(req, limit=-1))):
            self.refused("GET_COL_USAGE_STATS %s" % what, "GET_COL_USAGE_STATS", "", [bad], 5, "TE10004")

        self.data_of("GRAV_TRAINING_STATUS [0]: {status: string}", self.safe(self.ex, "GRAV_TRAINING_STATUS", s, [0]),
                     lambda d: members_problem(d, {"status": STR}, "data"))
        self.refused("GRAV_TRAINING_STATUS of a position without a circuit", "GRAV_TRAINING_STATUS", s, [999],
                     5, "TE10004")
        op = self.open_session(self.dispenser, "conformance operator")
        if op:
            self.refused("GRAV_TRAINING_STATUS in an operator session", "GRAV_TRAINING_STATUS", op, [0], 3, "TE10011")

    def disp_serial(self):
        res = self.safe(self.ex, "GET_CONFIG", "", [0])
        if result_problem(res) or res["rc"] != 0:
            return None
        for m in res["data"].get("machines", []):
            if m.get("id") == self.dispenser:
                return m.get("serial")
        return None

    # ---------------------------------------------------------------- 12

    def config_machine(self, mid):
        res = self.safe(self.ex, "GET_CONFIG", "", [0])
        if result_problem(res) or res["rc"] != 0:
            return None, None
        for m in res["data"].get("machines", []):
            if m.get("id") == mid:
                return res["data"], m
        return res["data"], None

    def g12_configuration(self):
        s = self.disp_session()
        if not s:
            return
        conf, mine = self.config_machine(self.dispenser)
        if not self.check("GET_CONFIG lists the dispenser", mine is not None, self.dispenser, conf):
            return
        rev = mine.get("revision", 0)
        self.data_of("SAVE_CONFIG [configuration, false, false]: rc 0 {}",
                     self.safe(self.ex, "SAVE_CONFIG", "", [conf, False, False]))
        self.check("without overwrite nothing changes", self.config_machine(self.dispenser)[1] == mine,
                   "the same machine", self.config_machine(self.dispenser)[1])
        self.data_of("SAVE_CONFIG [configuration, true, false]: rc 0 {}",
                     self.safe(self.ex, "SAVE_CONFIG", "", [conf, True, False]))
        after = self.config_machine(self.dispenser)[1] or {}
        self.check("with overwrite the machine is saved as a new revision", after.get("revision") == rev + 1,
                   "revision %d" % (rev + 1), after.get("revision"))
        alien = dict(mine, id={"number": 999, "type": TYPE_DISPENSER}, identifier="conformance-alien")
        self.refused("SAVE_CONFIG of a machine the driver lacks", "SAVE_CONFIG", "",
                     [{"machines": [alien]}, True, False], 5, "TE10005")
        renamed = dict(after, name="conformance renamed")
        self.data_of("UPDATE_DB_CONFIGURATION [machine]: rc 0 {}",
                     self.safe(self.ex, "UPDATE_DB_CONFIGURATION", "", [renamed]))
        now = self.config_machine(self.dispenser)[1] or {}
        self.check("the stored machine is replaced as it is (same revision)",
                   now.get("name") == "conformance renamed" and now.get("revision") == after.get("revision"),
                   "name 'conformance renamed', revision %r" % after.get("revision"),
                   "name %r revision %r" % (now.get("name"), now.get("revision")))

        self.clone_checks(s)
        self.profile_and_settings_checks()
        self.calibration_checks(s)
        self.grav_and_toggle_checks(s)

    def clone_checks(self, s):
        lists = [self.safe(self.ex, c, "") for c in ("GET_DISP_LIST", "GET_MIXER_LIST")]
        numbers = [n for r in lists if result_problem(r) is None and r["rc"] == 0 for n in r["data"]["machines"]]
        d = self.data_of("CLONE_MACHINE [dispenser]: rc 0 {machine: MachineID}",
                         self.safe(self.ex, "CLONE_MACHINE", "", [self.dispenser]),
                         lambda d: machine_id_problem(d.get("machine") if type(d) is dict else None, "machine"))
        if not d:
            return
        clone = d["machine"]
        want = {"number": max(numbers) + 1, "type": TYPE_DISPENSER}
        self.check("the clone is a dispenser numbered one above the driver's highest", clone == want, want, clone)

        def status_of(mid):
            r = self.safe(self.ex, "GET_ACTIVE_DISP", "")
            if result_problem(r) or r["rc"] != 0:
                return None
            return next((m for m in r["data"]["machines"] if m["id"] == mid), None)
        self.refused("CLONE_MACHINE of a machine the driver lacks", "CLONE_MACHINE", "",
                     [{"number": 999, "type": TYPE_DISPENSER}], 5, "TE10005")
        self.refused("SET_ACTIVE_MACHINE of a machine the driver lacks", "SET_ACTIVE_MACHINE", "",
                     [{"number": 999, "type": TYPE_DISPENSER}, {"number": 0, "type": TYPE_DISPENSER}, True],
                     5, "TE10005")
        st = status_of(clone)
        self.check("the clone is listed, out of service", st is not None and st["active"] is False,
                   "listed, active false", st)
        nothing = {"number": 0, "type": TYPE_DISPENSER}
        self.data_of("SET_ACTIVE_MACHINE [clone, {0, 1}, true]: rc 0 {}",
                     self.safe(self.ex, "SET_ACTIVE_MACHINE", "", [clone, nothing, True]))
        st = status_of(clone)
        self.check("the clone is in service", st is not None and st["active"] is True, "active true", st)
        self.data_of("SET_ACTIVE_MACHINE [clone, {0, 1}, false]: rc 0 {}",
                     self.safe(self.ex, "SET_ACTIVE_MACHINE", "", [clone, nothing, False]))
        st = status_of(clone)
        self.check("the clone is out of service again", st is not None and st["active"] is False, "active false", st)
        self.data_of("DELETE_MACHINE [[clone]] in the dispenser's session: rc 0",
                     self.safe(self.ex, "DELETE_MACHINE", s, [[clone]]))
        self.check("the deleted clone is no longer listed", status_of(clone) is None, "not listed", status_of(clone))

    def profile_and_settings_checks(self):
        res = self.safe(self.ex, "GET_CALIB_PROFILES", "")
        prof = {"pump": POS, "points": (lambda x: type(x) is list, "an array")}
        d = self.data_of("GET_CALIB_PROFILES: {profiles: [{pump, name, custom, points}]}", res,
                         list_problem("profiles", prof, "profiles"))
        if d is not None:
            defaults = [p for p in d["profiles"] if not p.get("custom", False)]
            pump = defaults[0]["pump"] if defaults else 1
            mine = {"pump": pump, "name": "conformance", "custom": True,
                    "points": [{"volume": 1.0, "factor": 1.02}, {"volume": 10.0, "factor": 0.99}]}
            self.data_of("SET_CALIB_PROFILES [profiles, true, false]: rc 0 {}",
                         self.safe(self.ex, "SET_CALIB_PROFILES", "", [{"profiles": defaults + [mine]}, True, False]))
            back = self.safe(self.ex, "GET_CALIB_PROFILES", "")
            got = back["data"]["profiles"] if result_problem(back) is None and back["rc"] == 0 else None
            self.check("the custom profile is read back, the default ones unchanged",
                       got is not None and [p for p in got if p.get("custom")] == [mine]
                       and [p for p in got if not p.get("custom")] == defaults, "defaults + %r" % mine, got)

        keys = {"language": STR, "volumeUnit": STR, "weightUnit": STR,
                "logLevel": (lambda x: is_int(x) and 0 <= x <= 5, "an int 0-5"), "simulation": BOOL,
                "skipFwChecks": BOOL}
        before = self.data_of("GET_DRIVER_SETTINGS: its six members", self.safe(self.ex, "GET_DRIVER_SETTINGS", ""),
                              lambda d: members_problem(d, keys, "data"))
        if before is None:
            return
        change = {"logLevel": 5 if before["logLevel"] != 5 else 4, "language": "it"}
        self.data_of("SET_DRIVER_SETTINGS [{logLevel, language}]: rc 0 {}",
                     self.safe(self.ex, "SET_DRIVER_SETTINGS", "", [change]))
        now = self.safe(self.ex, "GET_DRIVER_SETTINGS", "")
        self.check("GET_DRIVER_SETTINGS reads the members set, the others unchanged",
                   result_problem(now) is None and now["rc"] == 0 and now["data"] == dict(before, **change),
                   dict(before, **change), self.short(now))
        f = self.safe(self.ex, "GET_REMOTE_DRIVER_SETTINGS", "")
        text = f["data"]["file"].data.decode("utf-8", "replace") \
            if result_problem(f) is None and f["rc"] == 0 and isinstance(f["data"].get("file"), xmlrpc.client.Binary) \
            else None
        lines = [x for x in (text or "").split("\n") if x.strip()]
        self.check("GET_REMOTE_DRIVER_SETTINGS: {file: base64} of key=value lines with the settings set",
                   text is not None and all("=" in x for x in lines) and "logLevel=%d" % change["logLevel"] in lines,
                   "lines key=value, among them logLevel=%d" % change["logLevel"], text if text is not None else f)
        for what, bad in (("an unknown member", {"noSuchSetting": 1}), ("logLevel 6", {"logLevel": 6}),
                          ("logLevel as a string", {"logLevel": "3"})):
            self.refused("SET_DRIVER_SETTINGS with %s" % what, "SET_DRIVER_SETTINGS", "", [bad], 5, "TE10004")
        self.safe(self.ex, "SET_DRIVER_SETTINGS", "", [before])

    def calibration_checks(self, s):
        circ = sorted(self.circuits(s))
        if len(circ) < 2:
            self.skip("calibration lists", "the dispenser has fewer than two circuits")
            return
        a, b = circ[0], circ[1]
        for cmd, layout, pts in (
                ("CALIB", CALIB_POINT, [{"circuit": b, "volume": 1.0, "factor": 1.01, "steps": 2000, "weight": 1.3},
                                        {"circuit": b, "volume": 20.0, "factor": 0.98, "steps": 40000,
                                         "weight": 26.0}]),
                ("RECALIB", RECALIB_POINT, [{"circuit": b, "volume": 2.0, "factor": 1.03}])):
            get, put = "GET_%s_LIST" % cmd, "SET_%s_LIST" % cmd
            whole = self.data_of("%s [0]: {points: [point]}" % get, self.safe(self.ex, get, s, [0]),
                                 list_problem("points", layout, "points"))
            first = self.safe(self.ex, get, s, [a])
            self.data_of("%s [[points of circuit %d]]: rc 0 {}" % (put, b), self.safe(self.ex, put, s, [pts]))
            self.check("%s [%d] reads the points set" % (get, b), self.safe(self.ex, get, s, [b]).get("data") ==
                       {"points": pts}, {"points": pts}, self.safe(self.ex, get, s, [b]))
            self.check("%s [%d]: the other circuit keeps its points" % (get, a),
                       self.safe(self.ex, get, s, [a]) == first, first, self.safe(self.ex, get, s, [a]))
            if whole is not None:
                r = self.safe(self.ex, get, s, [999])
                self.check("%s of a circuit without points: no points" % get, r.get("data") == {"points": []},
                           "rc 0 {points: []}", self.short(r))
                self.refused("%s of circuit -1" % get, get, s, [-1], 5, "TE10004")
                self.refused("%s without a circuit" % get, get, s, [], 5, "TE10004")
                self.refused("%s with a factor of 0" % put, put, s, [[dict(pts[0], factor=0.0)]], 5, "TE10004")
                # Points of a circuit the dispenser lacks may be refused or kept; either is conformant.
                r = self.safe(self.ex, put, s, [[dict(pts[0], circuit=999)]])
                self.check("%s of a circuit the dispenser lacks: rc 0, or rc 5 TE10004" % put,
                           result_problem(r) is None and (r["rc"] == 0 or (r["rc"] == 5 and "TE10004" in codes(r))),
                           "rc 0 or rc 5 TE10004", self.short(r))
        for density, size in ((0, 128), (1, 512), (2, 1024)):
            self.data_of("GET_QRCODE_CALIB [%d]: codes of at most %d characters" % (density, size),
                         self.safe(self.ex, "GET_QRCODE_CALIB", s, [density]),
                         lambda d, size=size: None if type(d) is dict and type(d.get("codes")) is list
                         and d["codes"] and all(is_str(c) and 0 < len(c) <= size for c in d["codes"])
                         else "data %r" % (d,))
        self.refused("GET_QRCODE_CALIB of density 3", "GET_QRCODE_CALIB", s, [3], 5, "TE10004")

        for cmd, params in (("CALIB_XML_TO_DB", ["/no/such/dir/calib.xml", "calib"]),
                            ("DISP_TEST_XML_TO_DB", ["/no/such/dir/test.xml", "test"]),
                            ("IMPORT_BACKUP_TO_DB", ["/no/such/dir/backup.zip", "/tmp", "backup.db"])):
            self.refused("%s of a file that is not there" % cmd, cmd, "", params, 5, "TE10004")
        if self.cfg.url.hostname in ("127.0.0.1", "localhost", "::1"):
            here = __file__
            self.data_of("CALIB_XML_TO_DB of a file on the driver's host: rc 0 {}",
                         self.safe(self.ex, "CALIB_XML_TO_DB", "", [here, "calib"]))

    def grav_and_toggle_checks(self, s):
        circ = sorted(self.circuits(s))
        d = self.data_of("GET_GRAV_SETTINGS [[]]: every circuit's settings in position order",
                         self.safe(self.ex, "GET_GRAV_SETTINGS", s, [[]]),
                         lambda d: list_problem("circuits", GRAV, "circuits")(d) or
                         (None if [c["position"] for c in d["circuits"]] == circ else
                          "positions %r, circuits %r" % ([c["position"] for c in d["circuits"]], circ)))
        if d is not None and len(circ) > 1:
            mine = {"position": circ[1], "enabled": True, "tolerance": 2.5, "minAmount": 0.2}
            self.data_of("SET_GRAV_SETTINGS [[settings]]: rc 0 {}", self.safe(self.ex, "SET_GRAV_SETTINGS", s,
                                                                              [[mine]]))
            back = self.safe(self.ex, "GET_GRAV_SETTINGS", s, [[circ[1]]])
            self.check("GET_GRAV_SETTINGS [[%d]] reads them back" % circ[1],
                       back.get("data") == {"circuits": [mine]}, {"circuits": [mine]}, back)
            self.refused("SET_GRAV_SETTINGS of a position without a circuit", "SET_GRAV_SETTINGS", s,
                         [[dict(mine, position=999)]], 5, "TE10004")

        warn = self.disp_status_part(s).get("warning")
        self.data_of("TOGGLE_TEMPORIZED [true, 23, 0]: rc 0 {}", self.safe(self.ex, "TOGGLE_TEMPORIZED", s,
                                                                          [True, 23, 0]))
        self.check("with processes off the status part shows warning", self.disp_status_part(s).get("warning") is True,
                   "warning true", self.disp_status_part(s))
        self.data_of("TOGGLE_TEMPORIZED [false, 23, 0]: rc 0 {}", self.safe(self.ex, "TOGGLE_TEMPORIZED", s,
                                                                           [False, 23, 0]))
        self.check("with them on again the warning is as before", self.disp_status_part(s).get("warning") == warn,
                   "warning %r" % warn, self.disp_status_part(s))
        self.data_of("FW_SCAN: {programs: [firmware program]}, the master board not listed",
                     self.safe(self.ex, "FW_SCAN", s),
                     lambda d: "data %r" % (d,) if type(d) is not dict or type(d.get("programs")) is not list else
                     next((program_problem(p) or ("master board listed" if p["board"] == 1 else None)
                           for p in d["programs"] if program_problem(p) or p["board"] == 1), None))

    # ---------------------------------------------------------------- 13

    def g13_readings(self):
        s = self.disp_session()
        if not s:
            return
        circ = sorted(self.circuits(s))
        state = {"position": POS, "enabled": BOOL, "level": NONNEG_NUM,
                 "status": (lambda x: x in (0, 1, 2), "0, 1 or 2")}
        self.data_of("GET_CIRCUITS_STATUS [[]]: every circuit in position order",
                     self.safe(self.ex, "GET_CIRCUITS_STATUS", s, [[]]),
                     lambda d: list_problem("circuits", state, "circuits")(d) or
                     (None if [c["position"] for c in d["circuits"]] == circ else "positions %r" %
                      [c["position"] for c in d["circuits"]]))
        if len(circ) > 1:
            r = self.safe(self.ex, "GET_CIRCUITS_STATUS", s, [[circ[1], circ[0]]])
            self.check("GET_CIRCUITS_STATUS of two positions in reverse: answered ascending",
                       result_problem(r) is None and r["rc"] == 0
                       and [c["position"] for c in r["data"]["circuits"]] == circ[:2], circ[:2], self.short(r))
        for what, params in (("a position the dispenser lacks", [[999]]), ("no list", []),
                             ("a list of strings", [["1"]])):
            self.refused("GET_CIRCUITS_STATUS with %s" % what, "GET_CIRCUITS_STATUS", s, params, 5, "TE10004")

        dev = self.safe(self.ex, "GET_DEVICE_LIST", s)
        kinds = {x["type"] for x in dev["data"]["devices"]} if result_problem(dev) is None and dev["rc"] == 0 else set()
        sensor = {"sensor": INT, "measure": INT, "value": NUM, "unit": STR}
        for sn, ms, need, unit in ((0, 0, 7, "C"), (0, 1, 7, "%"), (1, 0, 5, "C")):
            r = self.safe(self.ex, "GET_SENSOR_DATA", s, [sn, ms])
            if need in kinds:
                self.data_of("GET_SENSOR_DATA [%d, %d] (device %d fitted): a reading in %r" % (sn, ms, need, unit), r,
                             lambda d, sn=sn, ms=ms, unit=unit: members_problem(d, sensor, "data") or
                             (None if (d["sensor"], d["measure"], d["unit"]) == (sn, ms, unit) else "data %r" % d))
            else:
                self.expect_result("GET_SENSOR_DATA [%d, %d] without device %d: rc 6 TE10007" % (sn, ms, need), r,
                                   rc=6, code="TE10007")
        for pair in ([0, 2], [1, 1], [3, 0]):
            self.refused("GET_SENSOR_DATA of %r, a pair not in the table" % pair, "GET_SENSOR_DATA", s, pair,
                         5, "TE10004")

        d = self.data_of("GET_SCALE_STATUS: {present, scale, unit}", self.safe(self.ex, "GET_SCALE_STATUS", s),
                         lambda d: members_problem(d, {"present": BOOL, "unit": STR}, "data")
                         or machine_id_problem(d.get("scale"), "scale"))
        if d is not None and d["scale"]["number"] == 0:
            self.check("without a scale it is not present", d["present"] is False, "present false", d)
            self.refused("GET_CURRENT_WEIGHT of a dispenser without a scale", "GET_CURRENT_WEIGHT", s, None,
                         6, "TE10007")

    # ---------------------------------------------------------------- 14

    def g14_data_files(self):
        d = self.data_of("GET_DRIVER_INFO: {name, version, protocol, simulation, machines, upTime}",
                         self.safe(self.ex, "GET_DRIVER_INFO", ""),
                         lambda d: members_problem(d, {"name": STR, "version": STR, "protocol": INT,
                                                       "simulation": BOOL, "machines": NONNEG, "upTime": NONNEG},
                                                   "data"))
        blob = bytes(range(256)) + b"\0\r\n\0"
        self.data_of("SETDBFILE [base64]: rc 0 {}", self.safe(self.ex, "SETDBFILE", "", [xmlrpc.client.Binary(blob)]))
        r = self.safe(self.ex, "GETDBFILE", "", ["stats.db"])
        got = r["data"]["file"].data if result_problem(r) is None and r["rc"] == 0 \
            and isinstance(r["data"].get("file"), xmlrpc.client.Binary) else None
        self.check("GETDBFILE ['stats.db'] gives the bytes set, byte for byte", got == blob, "%d bytes" % len(blob),
                   ("%d other bytes" % len(got)) if got is not None else self.short(r))
        self.refused("GETDBFILE of a name without a file", "GETDBFILE", "", ["no-such-file.db"], 5, "TE10013")
        self.refused("GETDBFILE without a name", "GETDBFILE", "", [], 5, "TE10004")
        self.refused("SETDBFILE of no bytes", "SETDBFILE", "", [xmlrpc.client.Binary(b"")], 5, "TE10004")
        r = self.safe(self.ex, "GETLOGS", "")
        log = r["data"]["file"].data.decode("utf-8") if result_problem(r) is None and r["rc"] == 0 \
            and isinstance(r["data"].get("file"), xmlrpc.client.Binary) else None
        bad = [x for x in (log or "").split("\n") if x and not (ISO_UTC_MS.match(x.split(" ", 1)[0]) and " " in x)]
        self.check("GETLOGS: {file: base64}, UTF-8 lines '<ISO 8601 UTC time> <text>'", log and not bad,
                   "lines of a time and a text", bad[:2] if log else self.short(r))

        s = self.disp_session()
        if not s:
            return
        cl = self.data_of("GET_CIRCUIT_LIST: {circuits: [CircuitData]} in position order",
                          self.safe(self.ex, "GET_CIRCUIT_LIST", s),
                          lambda d: list_problem("circuits", CIRCUIT, "circuits")(d) or
                          (None if [c["position"] for c in d["circuits"]] == sorted(c["position"] for c in
                                                                                    d["circuits"]) else "order"))
        circ = {c["position"]: c for c in cl["circuits"]} if cl else {}
        r = self.safe(self.ex, "GET_CIRCUIT_LIST", s, [True])
        self.check("GET_CIRCUIT_LIST [true] leaves out the circuits not in use",
                   result_problem(r) is None and r["rc"] == 0
                   and r["data"]["circuits"] == [c for c in cl["circuits"] if c["inUse"]] if cl else False,
                   "the circuits in use", self.short(r))

        def colorants_problem(d):
            p = list_problem("colorants", {"colorant": (lambda x: is_str(x) and x, "a colorant code"), "name": STR,
                                           "positions": (lambda x: type(x) is list, "an array")}, "colorants")(d)
            if p:
                return p
            for e in d["colorants"]:
                wrong = [q for q in e["positions"] if circ and circ.get(q, {}).get("colorant") != e["colorant"]]
                if wrong:
                    return "%s at positions %r whose circuits hold another colorant" % (e["colorant"], wrong)
            codes_ = [e["colorant"] for e in d["colorants"]]
            return "a colorant listed twice" if len(set(codes_)) != len(codes_) else None
        self.data_of("GET_COLORANT_LIST: one entry per colorant code, at its circuits",
                     self.safe(self.ex, "GET_COLORANT_LIST", s), colorants_problem)
        self.data_of("GET_DEVICE_LIST: {devices: [{type >= 1, enabled}]}", self.safe(self.ex, "GET_DEVICE_LIST", s),
                     list_problem("devices", {"type": POS, "enabled": BOOL}, "devices"))
        can = self.data_of("GET_CANISTER_LIST: {canisters: [CanisterData]}, level within capacity",
                           self.safe(self.ex, "GET_CANISTER_LIST", s),
                           lambda d: list_problem("canisters", CANISTER, "canisters")(d) or
                           next(("canister %r above its capacity" % c for c in d["canisters"]
                                 if c["level"] > c["capacity"]), None))
        if can and len(can["canisters"]) > 2:
            c = can["canisters"][2]
            self.data_of("SET_LEVELS [[{position, level}]]: rc 0 {}",
                         self.safe(self.ex, "SET_LEVELS", s, [[{"position": c["position"], "level": 1234.5}]]))
            self.check("GET_CANISTER_LIST reads the level set", self.level_of(s, c["position"]) == 1234.5, 1234.5,
                       self.level_of(s, c["position"]))
            st = self.safe(self.ex, "GET_CIRCUITS_STATUS", s, [[c["position"]]])
            self.check("GET_CIRCUITS_STATUS reads it too", result_problem(st) is None and st["rc"] == 0
                       and st["data"]["circuits"][0]["level"] == 1234.5, 1234.5, self.short(st))
            for what, lv in (("above the capacity with a good one", [{"position": c["position"], "level": 10.0},
                                                                     {"position": c["position"] + 0,
                                                                      "level": c["capacity"] + 1}]),
                             ("at a position without a circuit", [{"position": c["position"], "level": 10.0},
                                                                  {"position": 999, "level": 1.0}])):
                self.refused("SET_LEVELS %s" % what, "SET_LEVELS", s, [lv], 5, "TE10004")
                self.check("... and nothing changed", self.level_of(s, c["position"]) == 1234.5, 1234.5,
                           self.level_of(s, c["position"]))
            self.safe(self.ex, "SET_LEVELS", s, [[{"position": c["position"], "level": c["level"]}]])

        uss = {"lastChange": STR, "cycles": NONNEG, "limit": NONNEG, "due": BOOL}
        if 16 in {x["type"] for x in self.safe(self.ex, "GET_DEVICE_LIST", s).get("data", {}).get("devices", [])}:
            self.data_of("GET_USS_W_STATUS: {lastChange, cycles, limit, due}", self.safe(self.ex, "GET_USS_W_STATUS", s),
                         lambda d: members_problem(d, uss, "data") or
                         (None if d["lastChange"] == "" or ISO_UTC.match(d["lastChange"]) else "lastChange %r" %
                          d["lastChange"]))
            self.data_of("ADD_USS_W_EVENT: rc 0 {}", self.safe(self.ex, "ADD_USS_W_EVENT", s))
            r = self.safe(self.ex, "GET_USS_W_STATUS", s)
            ok = result_problem(r) is None and r["rc"] == 0 and ISO_UTC.match(r["data"].get("lastChange", ""))
            age = abs(time.time() - datetime.datetime.strptime(r["data"]["lastChange"], "%Y-%m-%dT%H:%M:%SZ")
                      .replace(tzinfo=datetime.timezone.utc).timestamp()) if ok else None
            self.check("after it: changed now, cycles 0, not due",
                       ok and age < 120 and r["data"]["cycles"] == 0 and r["data"]["due"] is False,
                       "lastChange now, cycles 0, due false", self.short(r))
        else:
            self.refused("GET_USS_W_STATUS without device 16", "GET_USS_W_STATUS", s, None, 6, "TE10007")
            self.refused("ADD_USS_W_EVENT without device 16", "ADD_USS_W_EVENT", s, None, 6, "TE10007")

    def level_of(self, s, position):
        r = self.safe(self.ex, "GET_CANISTER_LIST", s)
        if result_problem(r) or r["rc"] != 0:
            return None
        return next((c["level"] for c in r["data"]["canisters"] if c["position"] == position), None)

    # ---------------------------------------------------------------- 15

    def g15_interrupted(self):
        s = self.disp_session()
        if not s:
            return
        circ = self.circuits(s)
        usable = [p for p in sorted(circ) if circ[p]["inUse"] and circ[p]["colorant"]]
        if len(usable) < 2:
            self.skip("interrupted formula", "the dispenser has fewer than two circuits in use")
            return
        a, b = usable[0], usable[1]

        def formula(amount):
            return {"levelsPolicy": 1, "maxParallel": 1, "channels": [
                {"ingredients": [{"position": p, "colorant": circ[p]["colorant"], "amount": amount, "unit": 0}]}
                for p in (a, b)]}
        big = formula(20.0)
        self.data_of("GET_FORMULA_EXECUTION [formula]: {channels} as TINT would dose them, every ingredient waiting",
                     self.safe(self.ex, "GET_FORMULA_EXECUTION", s, [big]),
                     lambda d: channels_problem(d.get("channels") if type(d) is dict else None) or
                     (None if ingredients(d) == ingredients(big)
                      and all(i.get("state", 0) == 0 for c in d["channels"] for i in c["ingredients"])
                      else "channels %r" % d["channels"]))
        bad = dict(big, channels=[{"ingredients": [{"position": 999, "amount": 1.0}]}])
        self.refused("GET_FORMULA_EXECUTION of a formula TINT would refuse", "GET_FORMULA_EXECUTION", s, [bad],
                     5, "TE10004")
        self.refused("GET_DISPENSED_FORMULA of which 2", "GET_DISPENSED_FORMULA", s, [2, 0], 5, "TE10004")
        self.safe(self.ex, "GET_DISPENSED_FORMULA", s, [1, 1])  # forget what an earlier run left

        tk = self.ticket_of(self.safe(self.ex, "TINT", s, [big], method="AXO.executeAsync"))
        if not self.check("a TINT of two channels starts", tk is not None, "a ticket", None):
            return
        time.sleep(1.0)
        self.safe(self.ex, "STOP", s)
        last = self.wait_final(tk, s, 5)
        self.check("the stopped TINT ends interrupted", last.get("data", {}).get("status") == -3, "status -3",
                   self.short(last))
        r = self.safe(self.ex, "GET_DISPENSED_FORMULA", s, [1, 0])
        f = self.data_of("GET_DISPENSED_FORMULA [1, 0]: {formula}", r,
                         lambda d: channels_problem(d.get("formula", {}).get("channels") if type(d) is dict else None))
        if f is not None:
            left = ingredients(f["formula"])
            self.check("what is left: the first channel in part, the second whole",
                       len(left) == 2 and left[0][0] == a and 0 < left[0][1] < 20.0 and left[1] == (b, 20.0),
                       "[(%d, 0 < x < 20), (%d, 20.0)]" % (a, b), left)
            again = self.safe(self.ex, "GET_DISPENSED_FORMULA", s, [1, 2])
            rounded = ingredients(again["data"]["formula"]) if result_problem(again) is None and again["rc"] == 0 \
                else None
            self.check("read again with option 2: kept, amounts rounded to 0.001",
                       rounded and [p for p, _ in rounded] == [a, b]
                       and all(abs(x * 1000 - round(x * 1000)) < 1e-6 for _, x in rounded)
                       and abs(rounded[0][1] - left[0][1]) <= 0.0005, "the same, rounded", rounded)
            self.safe(self.ex, "GET_DISPENSED_FORMULA", s, [1, 1])
            r = self.safe(self.ex, "GET_DISPENSED_FORMULA", s, [1, 0])
            self.check("read with option 1 it is forgotten: a formula without channels",
                       result_problem(r) is None and r["rc"] == 0 and r["data"]["formula"].get("channels") == [],
                       "channels []", self.short(r))

        # Interrupted once more, then a formula dosed to its end: the record goes, the status tells 'dosed'.
        tk = self.ticket_of(self.safe(self.ex, "TINT", s, [big], method="AXO.executeAsync"))
        time.sleep(0.3)
        self.safe(self.ex, "STOP", s)
        self.wait_final(tk, s, 5)
        self.check("after a STOP the status part does not tell dosed",
                   self.disp_status_part(s).get("dosed") is False, "dosed false", self.disp_status_part(s))
        small = formula(0.2)
        tk = self.ticket_of(self.safe(self.ex, "TINT", s, [small], method="AXO.executeAsync"))
        last = self.wait_final(tk, s, 10) if tk else {}
        self.check("a small TINT is dosed to its end", last.get("data", {}).get("status") == 0, "status 0",
                   self.short(last) if last else None)
        self.check("then the status part tells dosed", self.disp_status_part(s).get("dosed") is True, "dosed true",
                   self.disp_status_part(s))
        r = self.safe(self.ex, "GET_DISPENSED_FORMULA", s, [1, 0])
        self.check("a TINT that ended normally drops the interrupted formula",
                   result_problem(r) is None and r["rc"] == 0 and r["data"]["formula"].get("channels") == [],
                   "channels []", self.short(r))
