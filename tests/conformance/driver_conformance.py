#!/usr/bin/env python3
"""Driver protocol conformance checker.

Talks to a driver from the wire (XML-RPC over HTTP/1.1, plain or TLS with Basic
authentication) and checks what the library relies on, group by group, as
docs/protocol.md lists under "Conformance". One line per check, `ok` or `FAIL`
with what was expected and what came; exit status 0 only when every check
passed.

    driver_conformance.py --url http://127.0.0.1:9333/RPC2 [--secret-file FILE]
        [--dispenser N] [--mixer N] [--user U --password P --cafile CA]
    driver_conformance.py --sim path/to/axodriver-sim [--sim-arg ARG ...]
        [--sim-secret]

With --sim the checker starts the simulated driver itself on a free port, runs
against it and stops it at the end. --secret-file goes to both sides;
--sim-secret provisions a fresh random secret to both through a temporary file.

Python 3 standard library only.
"""

import argparse
import base64
import hashlib
import hmac
import http.client
import os
import re
import secrets
import signal
import ssl
import subprocess
import sys
import tempfile
import threading
import time
import urllib.parse
import xmlrpc.client

DEFAULT_SECRET_HEX = "67324b2a6c664c82aecd3e0ceb75ec333f7d22c7f76419e54e1548e4b2aab67e"
PROTO = 2

HEX32 = re.compile(r"^[0-9a-f]{32}$")
HEX64 = re.compile(r"^[0-9a-f]{64}$")
TE_CODE = re.compile(r"^TE[0-9]{5}$")

# The driver's own codes and the one rc each comes with.
CODE_RC = {
    "TE10001": 2, "TE10002": 4, "TE10003": 3, "TE10004": 5, "TE10005": 5,
    "TE10006": 5, "TE10007": 6, "TE10008": 7, "TE10009": 3, "TE10010": 3,
    "TE10011": 3, "TE10012": 6,
}
FINAL_STATUSES = {0, -1, -2, -3, -4}
ALL_STATUSES = {3, 2, 1} | FINAL_STATUSES

TYPE_DISPENSER, TYPE_SCALE, TYPE_MIXER = 1, 2, 4


# --------------------------------------------------------------------------
# Secrets


def parse_secret_text(text):
    """The text form: 64 hex digits, either case, white space around ignored."""
    t = text.strip()
    if not re.fullmatch(r"[0-9a-fA-F]{64}", t):
        raise ValueError("a secret is 64 hexadecimal digits")
    return bytes.fromhex(t)


def bound_text(session, number, mtype, access, nc_hex, nd_hex, client_id):
    return "|".join([session, str(number), str(mtype), str(access), nc_hex, nd_hex]).encode("ascii") \
        + b"|" + client_id.encode("utf-8")


def hmac_hex(secret, role, bound):
    return hmac.new(secret, role + bound, hashlib.sha256).hexdigest()


# --------------------------------------------------------------------------
# Wire


class Fault:
    def __init__(self, code, string):
        self.code = code
        self.string = string

    def __repr__(self):
        return "fault %r %r" % (self.code, self.string)


class CallError(Exception):
    pass


class Conn:
    """One kept-alive HTTP/1.1 connection carrying XML-RPC calls."""

    def __init__(self, cfg, timeout=30.0):
        self.cfg = cfg
        self.timeout = timeout
        self.http = None
        self.reconnects = 0

    def _open(self):
        u = self.cfg.url
        if u.scheme == "https":
            self.http = http.client.HTTPSConnection(u.hostname, u.port or 443,
                                                    timeout=self.timeout, context=self.cfg.ssl_context)
        else:
            self.http = http.client.HTTPConnection(u.hostname, u.port or 80, timeout=self.timeout)

    def close(self):
        if self.http is not None:
            self.http.close()
            self.http = None

    def socket(self):
        return None if self.http is None else self.http.sock

    def raw(self, body, content_type="text/xml"):
        """POST a body, answer (status, headers, body bytes); one retry on a closed connection."""
        headers = {"Content-Type": content_type, "User-Agent": "driver-conformance"}
        if self.cfg.user is not None:
            token = base64.b64encode(("%s:%s" % (self.cfg.user, self.cfg.password or "")).encode()).decode()
            headers["Authorization"] = "Basic " + token
        for attempt in (0, 1):
            if self.http is None:
                self._open()
            reused = self.http.sock is not None
            try:
                self.http.request("POST", self.cfg.url.path or "/RPC2", body=body, headers=headers)
                resp = self.http.getresponse()
                data = resp.read()
                return resp.status, resp.headers, data
            except (http.client.RemoteDisconnected, BrokenPipeError, ConnectionResetError) as e:
                self.close()
                if attempt == 0 and reused:
                    self.reconnects += 1
                    continue
                raise CallError("connection: %s" % e)
            except (OSError, http.client.HTTPException) as e:
                self.close()
                raise CallError("%s: %s" % (type(e).__name__, e))

    def call(self, method, *params):
        body = xmlrpc.client.dumps(tuple(params), method, encoding="UTF-8").encode("utf-8")
        status, _headers, data = self.raw(body)
        if status != 200:
            raise CallError("HTTP %d: %r" % (status, data[:200]))
        try:
            values, _m = xmlrpc.client.loads(data)
        except xmlrpc.client.Fault as f:
            return Fault(f.faultCode, f.faultString)
        except Exception as e:  # malformed response
            raise CallError("unreadable response: %s" % e)
        if len(values) != 1:
            raise CallError("response with %d values" % len(values))
        return values[0]


def req(cmd, session=None, params=None, **extra):
    p = {"proto": PROTO, "cmd": cmd}
    if session is not None:
        p["session"] = session
    if params is not None:
        p["params"] = params
    p.update(extra)
    return p


# --------------------------------------------------------------------------
# Value checks (each returns None when fine, else a text saying what is wrong)


def is_int(v):
    return type(v) is int


def is_bool(v):
    return type(v) is bool


def is_str(v):
    return type(v) is str


def error_record_problem(r):
    if type(r) is not dict:
        return "error record not a struct: %r" % (r,)
    if not is_str(r.get("code")) or not TE_CODE.match(r["code"]):
        return "error record code not TE + five digits: %r" % (r,)
    if not is_str(r.get("msg")):
        return "error record without a msg string: %r" % (r,)
    if "type" in r and not (is_int(r["type"]) and 0 <= r["type"] <= 4):
        return "error record type not an int 0-4: %r" % (r,)
    return None


def result_problem(res):
    """A result struct {rc, errors[, data]} as the protocol describes it."""
    if isinstance(res, Fault):
        return "a fault (%s) instead of a result" % res
    if type(res) is not dict:
        return "not a struct: %r" % (res,)
    if not is_int(res.get("rc")) or not 0 <= res["rc"] <= 7:
        return "rc not an int 0-7: %r" % (res.get("rc"),)
    errs = res.get("errors")
    if type(errs) is not list:
        return "errors not an array: %r" % (errs,)
    for r in errs:
        p = error_record_problem(r)
        if p:
            return p
    if res["rc"] != 0 and not errs:
        return "rc %d without an error record" % res["rc"]
    for r in errs:
        want = CODE_RC.get(r["code"])
        if want is not None and want != res["rc"]:
            return "%s with rc %d (it comes with rc %d)" % (r["code"], res["rc"], want)
    if res["rc"] >= 2 and "data" in res:
        return "data present on a refusal with rc %d" % res["rc"]
    return None


def codes(res):
    return [r.get("code") for r in res.get("errors", []) if type(r) is dict] if type(res) is dict else []


def machine_id_problem(v, where="id"):
    if type(v) is not dict or not is_int(v.get("number")) or not is_int(v.get("type")):
        return "%s not a MachineID {number: int, type: int}: %r" % (where, v)
    return None


def members_problem(v, layout, where):
    """layout: name -> (checker, description); every member required."""
    if type(v) is not dict:
        return "%s not a struct: %r" % (where, v)
    for name, (ok, desc) in layout.items():
        if name not in v:
            return "%s without %s" % (where, name)
        if not ok(v[name]):
            return "%s.%s not %s: %r" % (where, name, desc, v[name])
    return None


BOOL = (is_bool, "a bool")
INT = (is_int, "an int")
NONNEG = (lambda x: is_int(x) and x >= 0, "an int >= 0")
STR = (is_str, "a string")
ENUM03 = (lambda x: is_int(x) and 0 <= x <= 3, "an int 0-3")
ERRLIST = (lambda x: type(x) is list and all(error_record_problem(r) is None for r in x), "an array of error records")


def config_id_problem(v):
    if type(v) is not dict:
        return "config not a struct: %r" % (v,)
    p = machine_id_problem(v.get("id"), "config.id")
    if p:
        return p
    if not is_int(v.get("revision")):
        return "config.revision not an int: %r" % (v.get("revision"),)
    if "cid" in v and not is_str(v["cid"]):
        return "config.cid not a string"
    return None


def machine_info_problem(v, dispenser_kind):
    """The optional machine information of a machine status."""
    p = members_problem(v, {"serial": STR, "model": INT, "hwRevision": STR}, "info")
    if p:
        return p
    if "program" in v:
        prog = v["program"]
        p = members_problem(prog, {"board": NONNEG, "name": STR, "bootLoader": BOOL}, "info.program")
        if p:
            return p
        if "version" in prog and type(prog["version"]) is not dict:
            return "info.program.version not a struct: %r" % (prog["version"],)
    if dispenser_kind:
        p = members_problem(v, {"circuits": NONNEG, "scale": NONNEG,
                                "devices": (lambda x: type(x) is list and all(is_int(d) for d in x),
                                            "an array of ints")}, "info")
        if p:
            return p
    return None


def machine_status_problem(m):
    p = machine_id_problem(m.get("id") if type(m) is dict else None)
    if p:
        return p
    p = members_problem(m, {
        "active": BOOL, "model": STR, "state": INT, "stateText": STR, "busy": BOOL,
        "acceptCommands": BOOL, "acceptProcessCommands": BOOL, "errors": ERRLIST}, "machine status")
    if p:
        return p
    if "config" in m:
        p = config_id_problem(m["config"])
        if p:
            return p
    t = m["id"]["type"]
    dispenser_kind = bool(t & TYPE_DISPENSER or (not t & TYPE_MIXER and t & TYPE_SCALE))
    if "info" in m:
        p = machine_info_problem(m["info"], dispenser_kind)
        if p:
            return p
    if dispenser_kind:
        return members_problem(m, {"circuits": NONNEG, "dispensing": BOOL, "shelf": ENUM03,
                                   "autocap": ENUM03, "scale": NONNEG}, "dispenser status")
    if t & TYPE_MIXER:
        return members_problem(m, {"mixing": BOOL, "program": NONNEG, "speed": NONNEG,
                                   "timeLeft": NONNEG}, "mixer status")
    return None


def driver_status_problem(d, machine):
    p = members_problem(d, {"active": BOOL, "acceptCommands": BOOL, "acceptProcessCommands": BOOL,
                            "readyForPOS": BOOL}, "driver status")
    if p:
        return p
    p = machine_id_problem(d.get("machine"), "machine")
    if p:
        return p
    if d["machine"] != machine:
        return "machine %r, the session's is %r" % (d["machine"], machine)
    if "status" in d:
        layout = {"state": INT, "stateText": STR, "error": BOOL, "alarm": BOOL, "warning": BOOL,
                "bootLoader": BOOL, "workingModeChange": BOOL}
        if machine["type"] & TYPE_DISPENSER:
            layout.update({"dispensing": BOOL, "dosed": BOOL, "ussCleaning": BOOL, "valveOn": BOOL, "canPresent": BOOL})
        elif machine["type"] & TYPE_MIXER:
            layout.update({"mixing": BOOL, "doorOpen": BOOL, "program": NONNEG, "timeLeft": NONNEG})
        return members_problem(d["status"], layout, "status part")
    return None


def machine_list_problem(data):
    if type(data) is not dict or type(data.get("machines")) is not list:
        return "data not {machines: [int]}: %r" % (data,)
    for n in data["machines"]:
        if not is_int(n) or n < 1:
            return "machine number not an int >= 1: %r" % (n,)
    return None


# --------------------------------------------------------------------------
# The checker


class Checker:
    def __init__(self, cfg):
        self.cfg = cfg
        self.secret = cfg.secret
        self.conn = Conn(cfg)
        self.count = 0
        self.failed = 0
        self.skipped = 0
        self.tickets = []
        self.dispenser = None   # MachineID dicts
        self.mixer = None
        self.process_machine = None

    # -- reporting

    def head(self, title):
        print("== %s" % title)
        sys.stdout.flush()

    def check(self, name, ok, expected=None, got=None):
        self.count += 1
        if ok:
            print("ok   %s" % name)
        else:
            self.failed += 1
            print("FAIL %s: expected %s, got %s" % (name, expected, got))
        sys.stdout.flush()
        return ok

    def skip(self, name, why):
        self.skipped += 1
        print("skip %s (%s)" % (name, why))

    # -- calls

    def call(self, method, *params, conn=None):
        return (conn or self.conn).call(method, *params)

    def ex(self, cmd, session=None, params=None, conn=None, method="AXO.execute", **extra):
        return self.call(method, req(cmd, session, params, **extra), conn=conn)

    def safe(self, fn, *a, **kw):
        try:
            return fn(*a, **kw)
        except CallError as e:
            return Fault(None, "call failed: %s" % e)

    def expect_result(self, name, res, rc=None, code=None, data_check=None):
        """A well-formed result, optionally with an rc, a code among its records and good data."""
        p = result_problem(res)
        if p:
            return self.check(name, False, "a result struct" + (" with rc %d %s" % (rc, code or "") if rc is not None else ""), p)
        if rc is not None and res["rc"] != rc:
            return self.check(name, False, "rc %d%s" % (rc, (" " + code) if code else ""),
                              "rc %d %s" % (res["rc"], codes(res)))
        if code is not None and code not in codes(res):
            return self.check(name, False, "a record %s" % code, "rc %d %s" % (res["rc"], codes(res)))
        if data_check is not None:
            p = data_check(res.get("data"))
            if p:
                return self.check(name, False, "valid data", p)
        return self.check(name, True)

    def expect_fault(self, name, res):
        if isinstance(res, Fault) and res.code == 1:
            if "Invalid protocol call" not in (res.string or ""):
                return self.check(name, False, 'fault 1 "Invalid protocol call"', res)
            return self.check(name, True)
        return self.check(name, False, "fault code 1", res)

    # -- handshake pieces

    def login(self, machine, client_id="conformance", lifetime=20, access=1, conn=None):
        params = [machine, client_id]
        if lifetime is not None:
            params.append(lifetime)
            if access is not None:
                params.append(access)
        res = self.safe(self.ex, "LOGIN", "", params, conn=conn)
        if result_problem(res) is None and res["rc"] == 0 and type(res.get("data")) is dict \
                and is_str(res["data"].get("session")):
            return res, res["data"]["session"]
        return res, None

    def get_key(self, session, nc_hex, conn=None):
        return self.ex("GET_KEY", session, [nc_hex], conn=conn)

    def certify(self, session, key, conn=None):
        return self.ex("CERTIFY_SESSION", session, [key], conn=conn)

    def parse_key(self, res):
        """(session, nd_hex, proof) of a GET_KEY answer, or a text saying what is wrong."""
        p = result_problem(res)
        if p:
            return p
        if res["rc"] != 0:
            return "rc %d %s" % (res["rc"], codes(res))
        d = res.get("data")
        if type(d) is not dict or not is_str(d.get("key")):
            return "data not {key: string}: %r" % (d,)
        parts = d["key"].split(".")
        if len(parts) != 3:
            return "key not session.nonce.proof: %r" % d["key"]
        return tuple(parts)

    def open_session(self, machine, client_id="conformance", access=1, conn=None):
        """Full handshake; the certified session ID, or None."""
        try:
            res, sid = self.login(machine, client_id, 20, access, conn=conn)
            if sid is None:
                return None
            nc = secrets.token_hex(16)
            parsed = self.parse_key(self.get_key(sid, nc, conn=conn))
            if isinstance(parsed, str):
                return None
            b = bound_text(sid, machine["number"], machine["type"], access, nc, parsed[1], client_id)
            res = self.certify(sid, hmac_hex(self.secret, b"AXO-CLIENT|", b), conn=conn)
            if result_problem(res) is None and res["rc"] == 0 and type(res.get("data")) is dict \
                    and res["data"].get("certified") is True:
                return sid
        except CallError:
            pass
        return None

    def ticket_of(self, res):
        if result_problem(res) is None and res["rc"] == 0 and type(res.get("data")) is dict \
                and is_int(res["data"].get("ticket")):
            self.tickets.append(res["data"]["ticket"])
            return res["data"]["ticket"]
        return None

    def wait_final(self, ticket, session, limit_s):
        """Poll GET_CMD_STATUS until a final status; the last answer (or None on a bad one)."""
        deadline = time.monotonic() + limit_s
        last = None
        while True:
            last = self.safe(self.ex, "GET_CMD_STATUS", session, [ticket])
            if result_problem(last) or last["rc"] != 0 or type(last.get("data")) is not dict:
                return last
            if last["data"].get("status") in FINAL_STATUSES or time.monotonic() > deadline:
                return last
            time.sleep(0.1)

    # ----------------------------------------------------------------------

    def run(self, groups):
        steps = [
            (1, "1 Transport", self.g1_transport),
            (2, "2 Call shape", self.g2_call_shape),
            (3, "3 Driver-level commands", self.g3_driver_level),
            (4, "4 Handshake", self.g4_handshake),
            (5, "5 Sessions", self.g5_sessions),
            (6, "6 Call methods", self.g6_call_methods),
            (7, "7 Tickets", self.g7_tickets),
            (8, "8 Long polls", self.g8_long_polls),
            (9, "9 Processes", self.g9_processes),
            (10, "10 Uncertified sessions", self.g10_flood),
        ]
        self.discover()
        for num, title, fn in steps:
            if groups and num not in groups:
                continue
            self.head(title)
            try:
                fn()
            except CallError as e:
                self.check("%s: the group ran to its end" % title, False, "answers", "call failed: %s" % e)
                self.conn.close()
            except Exception as e:  # an answer so far off that a check tripped over it
                self.check("%s: the group ran to its end" % title, False, "answers it can read",
                           "%s: %s" % (type(e).__name__, e))
                self.conn.close()

    def discover(self):
        """The machines to address: --dispenser/--mixer, else the first listed."""
        def first(cmd, given, mtype):
            if given is not None:
                return {"number": given, "type": mtype} if given > 0 else None
            res = self.safe(self.ex, cmd, "")
            if result_problem(res) is None and res["rc"] == 0 and machine_list_problem(res.get("data")) is None \
                    and res["data"]["machines"]:
                return {"number": res["data"]["machines"][0], "type": mtype}
            return None
        self.dispenser = first("GET_DISP_LIST", self.cfg.dispenser, TYPE_DISPENSER)
        self.mixer = first("GET_MIXER_LIST", self.cfg.mixer, TYPE_MIXER)
        self.process_machine = self.dispenser or self.mixer
        print("# dispenser %s, mixer %s" % (self.dispenser, self.mixer))

    # ---------------------------------------------------------------- 1

    def g1_transport(self):
        c = Conn(self.cfg)
        res = self.safe(c.call, "PING")
        self.check("PING is answered with a value", not isinstance(res, Fault), "a value", res)
        sock = c.socket()
        answers = [self.safe(c.call, "PING") for _ in range(3)]
        answers.append(self.safe(c.call, "AXO.execute", req("GET_SW_VERSION", "")))
        bad = [a for a in answers if isinstance(a, Fault)]
        self.check("one connection stays open across PING and AXO.execute calls",
                   not bad and sock is not None and c.socket() is sock and c.reconnects == 0,
                   "four answers on the same kept-alive connection",
                   bad[0] if bad else "connection closed or replaced")
        c.close()
        if self.cfg.url.scheme == "https":
            body = xmlrpc.client.dumps((req("GET_DISP_LIST", ""),), "AXO.execute").encode()
            for what, user, password in [("without credentials", None, None),
                                         ("with a wrong password", self.cfg.user or "user", "wrong password")]:
                cfg = Config()
                cfg.__dict__.update(self.cfg.__dict__)
                cfg.user, cfg.password = user, password
                c = Conn(cfg)
                try:
                    status, _h, data = c.raw(body)
                    got = "HTTP %d%s" % (status, ", a methodResponse" if b"methodResponse" in data else "")
                    ok = status == 401 and b"methodResponse" not in data
                except CallError as e:
                    got, ok = str(e), False
                self.check("a TLS call %s is refused with 401 and no methodResponse" % what, ok, "HTTP 401", got)
                c.close()

    # ---------------------------------------------------------------- 2

    def g2_call_shape(self):
        good = req("GET_SW_VERSION", "")
        for method in ("AXO.execute", "AXO.executeAsync", "AXO.notifyChanged"):
            self.expect_fault("%s without a parameter: fault 1" % method, self.safe(self.call, method))
            self.expect_fault("%s with two parameters: fault 1" % method,
                              self.safe(self.call, method, good, good))
            self.expect_fault("%s with an array parameter: fault 1" % method,
                              self.safe(self.call, method, [good]))
        bad = [
            ("a string parameter", "GET_SW_VERSION"),
            ("proto 1", dict(good, proto=1)),
            ("proto 3", dict(good, proto=3)),
            ("proto \"2\" (a string)", dict(good, proto="2")),
            ("no proto", {k: v for k, v in good.items() if k != "proto"}),
            ("no cmd", {k: v for k, v in good.items() if k != "cmd"}),
            ("an int cmd", dict(good, cmd=42)),
            ("an int session", dict(good, session=0)),
            ("a struct session", dict(good, session={})),
            ("a struct params", dict(good, params={"a": 1})),
            ("a string params", dict(good, params="x")),
        ]
        for what, p in bad:
            self.expect_fault("AXO.execute with %s: fault 1" % what, self.safe(self.call, "AXO.execute", p))
        held = req("GET_ACTIVE_DISP", "")
        for what, extra in [("a string interval", {"interval": "500"}), ("a double interval", {"interval": 500.0}),
                            ("a string timeout", {"timeout": "100"}), ("a double timeout", {"timeout": 100.0}),
                            ("a bool timeout", {"timeout": True})]:
            self.expect_fault("AXO.notifyChanged with %s: fault 1" % what,
                              self.safe(self.call, "AXO.notifyChanged", dict(held, **extra)))
        self.expect_result("a well-formed call is answered with {rc, errors[, data]}",
                           self.safe(self.call, "AXO.execute", good), rc=0)
        self.expect_result("absent session and params are accepted for a driver-level command",
                           self.safe(self.call, "AXO.execute", {"proto": PROTO, "cmd": "GET_SW_VERSION"}), rc=0)

    # ---------------------------------------------------------------- 3

    def g3_driver_level(self):
        def version_problem(d):
            p = members_problem(d, {"version": STR, "protocol": INT}, "data")
            if p:
                return p
            if not re.match(r"^[0-9]+(\.[0-9]+)+", d["version"]):
                return "version not a dotted version text: %r" % d["version"]
            if d["protocol"] != 2:
                return "protocol %r, not 2" % d["protocol"]
            return None
        self.expect_result("GET_SW_VERSION: {version: dotted text, protocol: 2}",
                           self.safe(self.ex, "GET_SW_VERSION", ""), rc=0, data_check=version_problem)
        lists = {}
        for cmd in ("GET_DISP_LIST", "GET_MIXER_LIST"):
            res = self.safe(self.ex, cmd, "")
            if self.expect_result("%s: {machines: [int >= 1]}" % cmd, res, rc=0, data_check=machine_list_problem):
                lists[cmd] = res["data"]["machines"]

        def active_problem(d):
            if type(d) is not dict or type(d.get("machines")) is not list:
                return "data not {machines: [machine status]}: %r" % (d,)
            for m in d["machines"]:
                p = machine_status_problem(m)
                if p:
                    return p
            ids = [(m["id"]["number"], m["id"]["type"]) for m in d["machines"]]
            if len(set(ids)) != len(ids):
                return "a machine listed twice: %r" % ids
            for n in lists.get("GET_DISP_LIST", []):
                if not any(num == n and t & TYPE_DISPENSER for num, t in ids):
                    return "dispenser %d of GET_DISP_LIST missing" % n
            for n in lists.get("GET_MIXER_LIST", []):
                if not any(num == n and t & TYPE_MIXER for num, t in ids):
                    return "mixer %d of GET_MIXER_LIST missing" % n
            return None
        self.expect_result("GET_ACTIVE_DISP: {machines: [machine status]}, every listed machine once",
                           self.safe(self.ex, "GET_ACTIVE_DISP", ""), rc=0, data_check=active_problem)
        self.expect_result("GET_ACTIVE_DISP without any session member",
                           self.safe(self.call, "AXO.execute", {"proto": PROTO, "cmd": "GET_ACTIVE_DISP"}), rc=0)
        def conn_status_problem(d):
            if type(d) is not dict or type(d.get("connected")) is not list \
                    or type(d.get("disconnected")) is not list:
                return "data not {connected: [MachineID], disconnected: [MachineID]}: %r" % (d,)
            for v in d["connected"] + d["disconnected"]:
                p = machine_id_problem(v, "machine")
                if p:
                    return p
            both = [v for v in d["connected"] if v in d["disconnected"]]
            return "listed as connected and disconnected: %r" % both if both else None
        self.optional_query("GET_CONN_STATUS", "", None, conn_status_problem)
        for name in ("NO_SUCH_COMMAND", "get_sw_version", " GET_SW_VERSION", ""):
            res = self.safe(self.ex, name, "")
            if self.expect_result("unknown command %r: rc 2 TE10001" % name, res, rc=2, code="TE10001"):
                pass
        res = self.safe(self.ex, "NO_SUCH_COMMAND", "", method="AXO.notifyChanged", timeout=0)
        self.expect_result("unknown command through AXO.notifyChanged: rc 2 TE10001", res, rc=2, code="TE10001")

    def optional_query(self, cmd, session, params, problem):
        """A query a driver may leave out (rc 6 TE10007); when answered, in its layout."""
        res = self.safe(self.ex, cmd, session, params)
        if result_problem(res) is None and res["rc"] == 6 and "TE10007" in codes(res):
            self.skip("%s layout" % cmd, "the driver does not implement it")
            return
        self.expect_result("%s: rc 0 in its layout (or rc 6 TE10007)" % cmd, res, rc=0, data_check=problem)

    # ---------------------------------------------------------------- 4

    def g4_handshake(self):
        m = self.dispenser or self.mixer or {"number": 0, "type": TYPE_DISPENSER}
        client_id = "Service Panel"

        # The whole exchange, step by step.
        res, sid = self.login(m, client_id)
        if not self.expect_result("LOGIN %r: rc 0 {session}" % (m,), res, rc=0,
                                  data_check=lambda d: None if type(d) is dict and is_str(d.get("session"))
                                  else "data not {session: string}: %r" % (d,)):
            return
        self.check("the session ID is 32 hex digits", bool(HEX32.match(sid)), "32 lower-case hex digits", repr(sid))
        nc = secrets.token_hex(16)
        kres = self.safe(self.get_key, sid, nc)
        parsed = self.parse_key(kres)
        if not self.check("GET_KEY: rc 0 {key: session.Nd.proof}", not isinstance(parsed, str),
                          "a key of three parts", parsed):
            return
        ksid, nd, proof = parsed
        self.check("the key starts with the session ID", ksid == sid, sid, ksid)
        self.check("the driver nonce is 32 hex digits", bool(HEX32.match(nd)), "32 lower-case hex digits", repr(nd))
        self.check("the driver proof is 64 hex digits", bool(HEX64.match(proof)), "64 lower-case hex digits",
                   repr(proof))
        b = bound_text(sid, m["number"], m["type"], 1, nc, nd, client_id)
        want = hmac_hex(self.secret, b"AXO-DRIVER|", b)
        self.check("the driver proof is HMAC-SHA256(S, \"AXO-DRIVER|\" B)", hmac.compare_digest(proof, want),
                   want, proof)
        cres = self.safe(self.certify, sid, hmac_hex(self.secret, b"AXO-CLIENT|", b))
        self.expect_result("CERTIFY_SESSION with the login key: certified true", cres, rc=0,
                           data_check=lambda d: None if type(d) is dict and d.get("certified") is True
                           else "data %r" % (d,))
        self.expect_result("a second CERTIFY_SESSION: rc 4 TE10002",
                           self.safe(self.certify, sid, hmac_hex(self.secret, b"AXO-CLIENT|", b)), rc=4, code="TE10002")
        self.expect_result("GET_KEY on a certified session: rc 4 TE10002",
                           self.safe(self.get_key, sid, secrets.token_hex(16)), rc=4, code="TE10002")

        # A second login gets a fresh session and a fresh driver nonce.
        res2, sid2 = self.login(m, client_id)
        nd2 = None
        if sid2:
            p2 = self.parse_key(self.safe(self.get_key, sid2, nc))
            nd2 = None if isinstance(p2, str) else p2[1]
        self.check("a second LOGIN draws a new session ID and driver nonce",
                   sid2 is not None and sid2 != sid and nd2 is not None and nd2 != nd,
                   "new values", "session %r nonce %r" % (sid2, nd2))
        if sid2:
            # A recorded exchange does not certify another session.
            self.expect_result("the login key of another session does not certify (certified false)",
                               self.safe(self.certify, sid2, hmac_hex(self.secret, b"AXO-CLIENT|", b)), rc=0,
                               data_check=self.certified_false)

        # Free texts are bound as UTF-8 bytes, '|' in them included.
        for cid in ("Panel|1|1|1", "Mischpult Süd — ß €"):
            self.check("handshake with client ID %r certifies" % cid, self.open_session(m, cid) is not None,
                       "certified", "not certified")

        # Bound values changed on the way.
        other_m = {"number": m["number"] + 7, "type": m["type"]}
        for what, kw in [("machine", {"machine": other_m}), ("level", {"access": 2}),
                         ("client ID", {"client": "Someone Else"})]:
            self.expect_result("a login key over another %s than LOGIN sent: certified false" % what,
                               self.safe(self.tampered, m, client_id, **kw), rc=0, data_check=self.certified_false)

        # A wrong key ends the session.
        r, s = self.login(m, client_id)
        if s:
            self.safe(self.get_key, s, secrets.token_hex(16))
            self.expect_result("a wrong login key: rc 0, certified false, no record",
                               self.safe(self.certify, s, "0" * 64), rc=0, data_check=self.certified_false)
            self.expect_result("the session of a wrong key is gone (CERTIFY_SESSION again: rc 4 TE10002)",
                               self.safe(self.certify, s, "0" * 64), rc=4, code="TE10002")
        r, s = self.login(m, client_id)
        if s:
            self.safe(self.get_key, s, secrets.token_hex(16))
            self.expect_result("an empty login key: certified false",
                               self.safe(self.certify, s, ""), rc=0, data_check=self.certified_false)

        # Another secret.
        other = DEFAULT_SECRET_HEX if self.secret != bytes.fromhex(DEFAULT_SECRET_HEX) else secrets.token_hex(32)
        label = "the built-in default secret" if other == DEFAULT_SECRET_HEX else "a random secret"
        other = bytes.fromhex(other)
        r, s = self.login(m, client_id)
        if s:
            ncx = secrets.token_hex(16)
            px = self.parse_key(self.safe(self.get_key, s, ncx))
            if not isinstance(px, str):
                bx = bound_text(s, m["number"], m["type"], 1, ncx, px[1], client_id)
                self.check("the driver proof does not verify with %s" % label,
                           not hmac.compare_digest(px[2], hmac_hex(other, b"AXO-DRIVER|", bx)),
                           "no match", "match")
                self.expect_result("a login key made with %s: certified false" % label,
                                   self.safe(self.certify, s, hmac_hex(other, b"AXO-CLIENT|", bx)), rc=0,
                                   data_check=self.certified_false)

        # Handshake steps out of order.
        r, s = self.login(m, client_id)
        if s:
            self.expect_result("CERTIFY_SESSION before GET_KEY: rc 4 TE10002",
                               self.safe(self.certify, s, "0" * 64), rc=4, code="TE10002")
        r, s = self.login(m, client_id)
        if s:
            self.safe(self.get_key, s, secrets.token_hex(16))
            self.expect_result("a second GET_KEY: rc 4 TE10002",
                               self.safe(self.get_key, s, secrets.token_hex(16)), rc=4, code="TE10002")
        unknown = secrets.token_hex(16)
        self.expect_result("GET_KEY on an unknown session: rc 4 TE10002",
                           self.safe(self.get_key, unknown, secrets.token_hex(16)), rc=4, code="TE10002")
        self.expect_result("CERTIFY_SESSION on an unknown session: rc 4 TE10002",
                           self.safe(self.certify, unknown, "0" * 64), rc=4, code="TE10002")

        # Client nonces that are not 32 hex digits.
        for what, key in [("31 digits", secrets.token_hex(16)[:31]), ("33 digits", secrets.token_hex(16) + "a"),
                          ("non-hex", "g" * 32), ("empty", ""), ("an int", 12345),
                          ("upper case", secrets.token_hex(16).upper())]:
            r, s = self.login(m, client_id)
            if s:
                self.expect_result("GET_KEY with a client nonce of %s: rc 5 TE10004" % what,
                                   self.safe(self.get_key, s, key), rc=5, code="TE10004")
        r, s = self.login(m, client_id)
        if s:
            self.expect_result("GET_KEY without a client nonce: rc 5 TE10004",
                               self.safe(self.ex, "GET_KEY", s, []), rc=5, code="TE10004")

        # LOGIN parameters.
        self.expect_result("LOGIN of an unknown machine: rc 5 TE10005",
                           self.safe(self.ex, "LOGIN", "", [{"number": 9999, "type": TYPE_DISPENSER}, client_id, 20, 1]),
                           rc=5, code="TE10005")
        for level in (0, 4, -1):
            self.expect_result("LOGIN with access level %d: rc 5 TE10004" % level,
                               self.safe(self.ex, "LOGIN", "", [m, client_id, 20, level]), rc=5, code="TE10004")
        for what, params in [("one parameter", [m]), ("no parameters", []),
                             ("a non-struct machine", [1, client_id]),
                             ("a machine without type", [{"number": m["number"]}, client_id]),
                             ("an int client ID", [m, 7]),
                             ("a string lifetime", [m, client_id, "20"]),
                             ("a string access level", [m, client_id, 20, "1"])]:
            self.expect_result("LOGIN with %s: rc 5 TE10004" % what,
                               self.safe(self.ex, "LOGIN", "", params), rc=5, code="TE10004")
        for what, params in [("two parameters", [m, client_id]), ("lifetime 0 (clamped)", [m, client_id, 0]),
                             ("lifetime 100000 (clamped)", [m, client_id, 100000, 1])]:
            self.expect_result("LOGIN with %s: rc 0" % what, self.safe(self.ex, "LOGIN", "", params), rc=0)
        self.check("the generic machine {0, 1} certifies",
                   self.open_session({"number": 0, "type": TYPE_DISPENSER}) is not None, "certified", "not certified")

        # Access levels above operator, when granted.
        for level in (2, 3):
            r, s = self.login(m, client_id, 20, level)
            if result_problem(r) is None and r["rc"] == 3:
                self.expect_result("LOGIN at level %d refused: rc 3 TE10010, no session" % level, r, rc=3,
                                   code="TE10010")
            elif s:
                ncl = secrets.token_hex(16)
                pl = self.parse_key(self.safe(self.get_key, s, ncl))
                ok = False
                if not isinstance(pl, str):
                    bl = bound_text(s, m["number"], m["type"], level, ncl, pl[1], client_id)
                    cr = self.safe(self.certify, s, hmac_hex(self.secret, b"AXO-CLIENT|", bl))
                    ok = result_problem(cr) is None and cr["rc"] == 0 and cr.get("data", {}).get("certified") is True
                self.check("a handshake at level %d certifies" % level, ok, "certified", "not certified")
            else:
                self.expect_result("LOGIN at level %d: rc 0 or rc 3 TE10010" % level, r, rc=0)
        if self.cfg.max_access is not None and self.cfg.max_access < 3:
            self.expect_result("LOGIN above the granted level %d: rc 3 TE10010" % self.cfg.max_access,
                               self.safe(self.ex, "LOGIN", "", [m, client_id, 20, self.cfg.max_access + 1]),
                               rc=3, code="TE10010")

        # LOGOUT.
        s = self.open_session(m, client_id)
        if self.check("a session to log out of certifies", s is not None, "certified", "not certified"):
            self.expect_result("LOGOUT: {loggedOut: true}", self.safe(self.ex, "LOGOUT", s), rc=0,
                               data_check=lambda d: None if type(d) is dict and d.get("loggedOut") is True
                               else "data %r" % (d,))
            self.expect_result("a second LOGOUT: rc 4 TE10002", self.safe(self.ex, "LOGOUT", s), rc=4, code="TE10002")
            if m["number"] != 0:
                cmd = "GET_DISP_STATUS" if m["type"] == TYPE_DISPENSER else "GET_MIXER_STATUS"
                self.expect_result("a machine command after LOGOUT: rc 4 TE10002", self.safe(self.ex, cmd, s),
                                   rc=4, code="TE10002")
        self.expect_result("LOGOUT of an unknown session: rc 4 TE10002",
                           self.safe(self.ex, "LOGOUT", secrets.token_hex(16)), rc=4, code="TE10002")

    @staticmethod
    def certified_false(d):
        return None if type(d) is dict and d.get("certified") is False else "data %r" % (d,)

    def tampered(self, m, client_id, machine=None, access=None, client=None):
        """LOGIN as m/level 1/client_id, key computed over changed values; the CERTIFY answer."""
        res, s = self.login(m, client_id)
        if not s:
            return res
        nc = secrets.token_hex(16)
        p = self.parse_key(self.get_key(s, nc))
        if isinstance(p, str):
            return Fault(None, "GET_KEY failed: %s" % p)
        mm = machine or m
        b = bound_text(s, mm["number"], mm["type"], access or 1, nc, p[1], client or client_id)
        return self.certify(s, hmac_hex(self.secret, b"AXO-CLIENT|", b))

    # ---------------------------------------------------------------- 5

    def g5_sessions(self):
        if not self.dispenser and not self.mixer:
            self.skip("machine sessions", "the driver lists no dispenser and no mixer")
            return
        kinds = [(self.dispenser, "GET_DISP_STATUS", "GET_MIXER_STATUS"),
                 (self.mixer, "GET_MIXER_STATUS", "GET_DISP_STATUS")]
        for machine, own, other in kinds:
            if not machine:
                continue
            s = self.open_session(machine)
            if not self.check("a session of %r certifies" % (machine,), s is not None, "certified", "not certified"):
                continue
            self.expect_result("%s in its machine's session: a driver status of %r" % (own, machine),
                               self.safe(self.ex, own, s), rc=0,
                               data_check=lambda d: driver_status_problem(d, machine))
            self.expect_result("GET_ERRORS in %r's session: {errors: [record]}" % (machine,),
                               self.safe(self.ex, "GET_ERRORS", s), rc=0,
                               data_check=lambda d: members_problem(d, {"errors": ERRLIST}, "data"))
            self.expect_result("%s in a session of another machine kind: rc 6 TE10007" % other,
                               self.safe(self.ex, other, s), rc=6, code="TE10007")

        if self.dispenser:
            s = self.open_session(self.dispenser)

            def circuits_problem(d):
                if type(d) is not dict or not is_int(d.get("process")) or type(d.get("positions")) is not list:
                    return "data not {process: int, positions: [...]}: %r" % (d,)
                seen = set()
                for e in d["positions"]:
                    p = members_problem(e, {"position": (lambda x: is_int(x) and x >= 1, "an int >= 1"),
                                            "status": NONNEG}, "position entry")
                    if p:
                        return p
                    if e["position"] in seen:
                        return "position %d listed twice" % e["position"]
                    seen.add(e["position"])
                if d["positions"]:
                    return "positions listed while no dispensing runs: %r" % d["positions"]
                return None
            if s:
                self.optional_query("GET_ACTIVE_CIRCUITS", s, [1], circuits_problem)

        m = self.dispenser or self.mixer
        cmd = "GET_DISP_STATUS" if m is self.dispenser else "GET_MIXER_STATUS"
        self.expect_result("%s with an empty session: rc 4 TE10002" % cmd, self.safe(self.ex, cmd, ""),
                           rc=4, code="TE10002")
        self.expect_result("%s without a session member: rc 4 TE10002" % cmd, self.safe(self.ex, cmd),
                           rc=4, code="TE10002")
        self.expect_result("%s with an unknown session: rc 4 TE10002" % cmd,
                           self.safe(self.ex, cmd, secrets.token_hex(16)), rc=4, code="TE10002")
        self.expect_result("%s with a session text that is no session ID: rc 4 TE10002" % cmd,
                           self.safe(self.ex, cmd, "not a session"), rc=4, code="TE10002")
        r, s = self.login(m)
        if s:
            self.expect_result("%s in a session just logged in: rc 4 TE10002" % cmd, self.safe(self.ex, cmd, s),
                               rc=4, code="TE10002")
            self.safe(self.get_key, s, secrets.token_hex(16))
            self.expect_result("%s in a session after GET_KEY, not certified: rc 4 TE10002" % cmd,
                               self.safe(self.ex, cmd, s), rc=4, code="TE10002")
        s = self.open_session(m)
        if s:
            self.safe(self.ex, "LOGOUT", s)
            self.expect_result("%s in a logged-out session: rc 4 TE10002" % cmd, self.safe(self.ex, cmd, s),
                               rc=4, code="TE10002")
        g = self.open_session({"number": 0, "type": m["type"]})
        if self.check("a generic-machine session certifies", g is not None, "certified", "not certified"):
            self.expect_result("%s in a generic-machine session: rc 4 TE10002" % cmd, self.safe(self.ex, cmd, g),
                               rc=4, code="TE10002")
            self.expect_result("GET_ERRORS in a generic-machine session: rc 4 TE10002",
                               self.safe(self.ex, "GET_ERRORS", g), rc=4, code="TE10002")

        if self.dispenser:
            s = self.open_session(self.dispenser, access=1)
            if s:
                self.expect_result("WRITE_CONFIG_ROW (service) in an operator session: rc 3 TE10011",
                                   self.safe(self.ex, "WRITE_CONFIG_ROW", s), rc=3, code="TE10011")
                self.expect_result("SET_SERIAL_NUMBER (factory) in an operator session: rc 3 TE10011",
                                   self.safe(self.ex, "SET_SERIAL_NUMBER", s), rc=3, code="TE10011")
            s3 = self.open_session(self.dispenser, access=3)
            if s3:
                res = self.safe(self.ex, "WRITE_CONFIG_ROW", s3)
                ok = result_problem(res) is None and "TE10011" not in codes(res)
                self.check("WRITE_CONFIG_ROW in a factory session is not refused for its level", ok,
                           "no TE10011", res if not ok else None)
                self.expect_result("GET_DISP_STATUS in a factory session: rc 0", self.safe(self.ex, "GET_DISP_STATUS", s3),
                                   rc=0)
            else:
                self.skip("commands in a factory session", "the driver grants no factory level")
        else:
            self.skip("access level of a machine command", "the driver lists no dispenser")

    # ---------------------------------------------------------------- 6

    def g6_call_methods(self):
        self.expect_result("AXO.executeAsync of GET_SW_VERSION: rc 6 TE10012",
                           self.safe(self.ex, "GET_SW_VERSION", "", method="AXO.executeAsync"), rc=6, code="TE10012")
        self.expect_result("AXO.executeAsync of GET_ACTIVE_DISP: rc 6 TE10012",
                           self.safe(self.ex, "GET_ACTIVE_DISP", "", method="AXO.executeAsync"), rc=6, code="TE10012")
        self.expect_result("AXO.notifyChanged of GET_SW_VERSION: rc 6 TE10012",
                           self.safe(self.ex, "GET_SW_VERSION", "", method="AXO.notifyChanged", timeout=0),
                           rc=6, code="TE10012")
        self.expect_result("AXO.notifyChanged of GET_DISP_LIST: rc 6 TE10012",
                           self.safe(self.ex, "GET_DISP_LIST", "", method="AXO.notifyChanged", timeout=0),
                           rc=6, code="TE10012")
        m = self.dispenser or self.mixer
        if not m:
            self.skip("call methods of machine commands", "the driver lists no dispenser and no mixer")
            return
        s = self.open_session(m)
        if not self.check("a session for the call-method checks certifies", s is not None, "certified",
                          "not certified"):
            return
        st = "GET_DISP_STATUS" if m is self.dispenser else "GET_MIXER_STATUS"
        self.expect_result("AXO.executeAsync of %s: rc 6 TE10012" % st,
                           self.safe(self.ex, st, s, method="AXO.executeAsync"), rc=6, code="TE10012")
        self.expect_result("AXO.executeAsync of GET_ERRORS: rc 6 TE10012",
                           self.safe(self.ex, "GET_ERRORS", s, method="AXO.executeAsync"), rc=6, code="TE10012")
        self.expect_result("AXO.executeAsync of STOP: rc 6 TE10012",
                           self.safe(self.ex, "STOP", s, method="AXO.executeAsync"), rc=6, code="TE10012")
        self.expect_result("AXO.notifyChanged of GET_ERRORS: rc 6 TE10012",
                           self.safe(self.ex, "GET_ERRORS", s, method="AXO.notifyChanged", timeout=0),
                           rc=6, code="TE10012")
        self.expect_result("AXO.notifyChanged of RESET: rc 6 TE10012",
                           self.safe(self.ex, "RESET", s, method="AXO.notifyChanged", timeout=0),
                           rc=6, code="TE10012")

    # ---------------------------------------------------------------- 7

    def g7_tickets(self):
        m = self.process_machine
        if not m:
            self.skip("tickets", "the driver lists no dispenser and no mixer")
            return
        s = self.open_session(m)
        if not self.check("a session for the ticket checks certifies", s is not None, "certified", "not certified"):
            return
        res = self.safe(self.ex, "RESET", s, method="AXO.executeAsync")
        t = self.ticket_of(res)
        self.expect_result("AXO.executeAsync RESET: rc 0 {ticket: int}", res, rc=0,
                           data_check=lambda d: None if t is not None else "data %r" % (d,))
        if t is None:
            return
        self.check("the ticket is a positive 31-bit integer", 1 <= t <= 0x7FFFFFFF, "1..2^31-1", t)

        other = self.open_session(m, "another client")
        if other:
            self.expect_result("GET_CMD_STATUS of the ticket from another session of the machine: rc 5 TE10006",
                               self.safe(self.ex, "GET_CMD_STATUS", other, [t]), rc=5, code="TE10006")
        self.expect_result("GET_CMD_STATUS of a machine command's ticket without a session: rc 5 TE10006",
                           self.safe(self.ex, "GET_CMD_STATUS", "", [t]), rc=5, code="TE10006")
        never = t
        while never in self.tickets:
            never = secrets.randbelow(0x7FFFFFFF) + 1
        self.expect_result("GET_CMD_STATUS of a ticket never given: rc 5 TE10006",
                           self.safe(self.ex, "GET_CMD_STATUS", s, [never]), rc=5, code="TE10006")
        for what, params in [("no parameters", []), ("a string ticket", [str(t)]), ("a double ticket", [float(t)])]:
            self.expect_result("GET_CMD_STATUS with %s: rc 5 TE10004" % what,
                               self.safe(self.ex, "GET_CMD_STATUS", s, params), rc=5, code="TE10004")

        # Follow it to the end.
        first = self.safe(self.ex, "GET_CMD_STATUS", s, [t])
        self.expect_result("GET_CMD_STATUS right away: {status, percentage, timeLeft}", first, rc=0,
                           data_check=self.cmd_status_problem)
        last = self.wait_final(t, s, self.cfg.process_limit)
        if self.expect_result("GET_CMD_STATUS follows the ticket to a final status", last, rc=0,
                              data_check=lambda d: self.cmd_status_problem(d) or
                              (None if d.get("status") in FINAL_STATUSES else "status %r after %ss" %
                               (d.get("status"), self.cfg.process_limit))):
            d = last["data"]
            self.check("the finished RESET has status 0 and a result with rc 0",
                       d["status"] == 0 and d["result"].get("rc") == 0, "status 0, result rc 0",
                       "status %r result %r" % (d["status"], d["result"]))
            again = self.safe(self.ex, "GET_CMD_STATUS", s, [t])
            self.check("a finished ticket is still known right after",
                       result_problem(again) is None and again["rc"] == 0 and again.get("data") == d,
                       "the same final answer", again)

        # Tickets are random, not counted.
        more = []
        for _ in range(3):
            r = self.safe(self.ex, "RESET", s, method="AXO.executeAsync")
            tk = self.ticket_of(r)
            if tk is not None:
                more.append(tk)
                self.safe(self.ex, "STOP", s)
                self.wait_final(tk, s, self.cfg.process_limit)
        seq = [t] + more
        consecutive = any(abs(a - b) <= 1 for i, a in enumerate(seq) for b in seq[i + 1:])
        self.check("tickets are not consecutive", len(seq) >= 3 and not consecutive,
                   "3 or more tickets, no two within 1 of each other", seq)

    @staticmethod
    def cmd_status_problem(d):
        p = members_problem(d, {"status": INT, "percentage": INT, "timeLeft": NONNEG}, "data")
        if p:
            return p
        if d["status"] not in ALL_STATUSES:
            return "status %r not a command status" % d["status"]
        if not 0 <= d["percentage"] <= 100:
            return "percentage %r" % d["percentage"]
        final = d["status"] in FINAL_STATUSES
        if final != ("result" in d):
            return "result %s with status %d" % ("present" if "result" in d else "missing", d["status"])
        if final:
            p = result_problem(d["result"])
            if p:
                return "result: " + p
            if d["timeLeft"] != 0:
                return "timeLeft %r when done" % d["timeLeft"]
        return None

    # ---------------------------------------------------------------- 8

    def notify(self, cmd, session=None, params=None, conn=None, **extra):
        t0 = time.monotonic()
        res = self.safe(self.ex, cmd, session, params, conn=conn, method="AXO.notifyChanged", **extra)
        return res, (time.monotonic() - t0) * 1000.0

    def g8_long_polls(self):
        q = "GET_ACTIVE_DISP"
        cur = self.safe(self.ex, q, "")
        if not self.expect_result("%s for the polls" % q, cur, rc=0):
            return
        data = cur["data"]
        hold = self.cfg.hold_ms
        at_once = 1000.0  # the at-once calls would otherwise be held 5000 ms

        res, ms = self.notify(q, "", interval=100, timeout=5000)
        self.check("without prev: answered at once with the current data",
                   result_problem(res) is None and res.get("data") == data and ms < at_once,
                   "the data within %d ms" % at_once, "%s after %.0f ms" % (self.short(res), ms))
        differing = dict(data, machines=data["machines"][:-1] if data["machines"] else [{"x": 1}])
        res, ms = self.notify(q, "", prev=differing, interval=100, timeout=5000)
        self.check("with a prev that differs: answered at once",
                   result_problem(res) is None and res.get("data") == data and ms < at_once,
                   "the data within %d ms" % at_once, "%s after %.0f ms" % (self.short(res), ms))
        retyped = self.retype(data)
        if retyped is not None:
            res, ms = self.notify(q, "", prev=retyped, interval=100, timeout=5000)
            self.check("with a prev equal in content but of another type (int as double): answered at once",
                       result_problem(res) is None and ms < at_once, "an answer within %d ms" % at_once,
                       "%s after %.0f ms" % (self.short(res), ms))
        res, ms = self.notify(q, "", prev=data, interval=100, timeout=hold)
        self.check("with the current data as prev: held until timeout %d ms, then answered unchanged" % hold,
                   result_problem(res) is None and res.get("data") == data and 0.6 * hold <= ms <= hold + 1500,
                   "unchanged data after %d-%d ms" % (0.6 * hold, hold + 1500), "%s after %.0f ms" % (self.short(res), ms))
        res, ms = self.notify(q, "", prev=data, interval=0, timeout=hold)
        self.check("interval 0 is clamped: still held until timeout",
                   result_problem(res) is None and 0.6 * hold <= ms <= hold + 1500,
                   "an answer after %d-%d ms" % (0.6 * hold, hold + 1500), "%s after %.0f ms" % (self.short(res), ms))
        for tmo in (0, -5):
            res, ms = self.notify(q, "", prev=data, interval=100, timeout=tmo)
            self.check("timeout %d with the current data as prev: answered at once" % tmo,
                       result_problem(res) is None and res.get("data") == data and ms < at_once,
                       "the data within %d ms" % at_once, "%s after %.0f ms" % (self.short(res), ms))
        res, ms = self.notify("GET_DISP_STATUS", secrets.token_hex(16), prev={}, interval=100, timeout=5000)
        self.check("a failing held query (unknown session) is answered at once with rc 4",
                   result_problem(res) is None and res["rc"] == 4 and ms < at_once,
                   "rc 4 within %d ms" % at_once, "%s after %.0f ms" % (self.short(res), ms))

        # Many held calls at once, each on its own connection.
        n = 4
        out = [None] * n

        def held(i):
            c = Conn(self.cfg)
            out[i] = self.notify(q, "", prev=data, conn=c, interval=100, timeout=hold)
            c.close()
        t0 = time.monotonic()
        threads = [threading.Thread(target=held, args=(i,)) for i in range(n)]
        for th in threads:
            th.start()
        for th in threads:
            th.join(hold / 1000.0 * n + 10)
        total = (time.monotonic() - t0) * 1000.0
        ok = all(o is not None and result_problem(o[0]) is None and o[1] >= 0.6 * hold for o in out)
        self.check("%d calls held together on %d connections are served side by side" % (n, n),
                   ok and total < hold * 2 + 1000, "all answered after ~%d ms, in under %d ms" % (hold, hold * 2 + 1000),
                   "total %.0f ms, %s" % (total, [(self.short(o[0]), round(o[1])) if o else None for o in out]))

        # A change during the hold.
        m = self.process_machine
        if not m:
            self.skip("a change during a hold", "the driver lists no dispenser and no mixer")
            return
        s = self.open_session(m)
        if not s:
            self.check("a session for the change during a hold certifies", False, "certified", "not certified")
            return
        interval = 200
        box = {}

        def poll():
            c = Conn(self.cfg)
            box["res"], box["ms"] = self.notify(q, "", prev=data, conn=c, interval=interval, timeout=10000)
            box["end"] = time.monotonic()
            c.close()
        th = threading.Thread(target=poll)
        th.start()
        time.sleep(0.3)
        held_at_change = th.is_alive()
        t_start = time.monotonic()
        r = self.safe(self.ex, "RESET", s, method="AXO.executeAsync")
        tk = self.ticket_of(r)
        th.join(15)
        if tk is None:
            self.check("RESET during a held %s starts" % q, False, "rc 0 {ticket}", self.short(r))
            return
        delay = (box.get("end", time.monotonic()) - t_start) * 1000.0
        res = box.get("res")
        self.check("a change during the hold (RESET started) is answered within interval + 500 ms",
                   held_at_change and res is not None and result_problem(res) is None and res.get("data") != data
                   and 0 <= delay <= interval + 500,
                   "held until the change, then changed data within %d ms" % (interval + 500),
                   "%s %.0f ms after the change%s" % (self.short(res), delay,
                                                      "" if held_at_change else ", not held until it"))
        if m is self.dispenser:
            st = self.safe(self.ex, "GET_DISP_STATUS", s)
            if result_problem(st) is None and st["rc"] == 0:
                prev = st["data"]
                self.safe(self.ex, "STOP", s)
                res, ms = self.notify("GET_DISP_STATUS", s, prev=prev, interval=interval, timeout=5000)
                self.check("a held GET_DISP_STATUS with a prev from before STOP is answered at once with the change",
                           result_problem(res) is None and res["rc"] == 0 and res.get("data") != prev
                           and ms < interval + 500, "changed data within %d ms" % (interval + 500),
                           "%s after %.0f ms" % (self.short(res), ms))
        self.safe(self.ex, "STOP", s)
        self.wait_final(tk, s, self.cfg.process_limit)

    @staticmethod
    def short(res):
        if isinstance(res, Fault) or type(res) is not dict:
            return repr(res)[:200]
        return "rc %r %s" % (res.get("rc"), codes(res))

    @staticmethod
    def retype(v):
        """A copy with the first int member turned into a double, or None."""
        if type(v) is int:
            return float(v)
        if type(v) is dict:
            for k, x in v.items():
                r = Checker.retype(x)
                if r is not None:
                    return dict(v, **{k: r})
        if type(v) is list:
            for i, x in enumerate(v):
                r = Checker.retype(x)
                if r is not None:
                    return v[:i] + [r] + v[i + 1:]
        return None

    # ---------------------------------------------------------------- 9

    def g9_processes(self):
        m = self.process_machine
        if not m:
            self.skip("processes", "the driver lists no dispenser and no mixer")
            return
        s = self.open_session(m)
        if not self.check("a session for the process checks certifies", s is not None, "certified", "not certified"):
            return
        r = self.safe(self.ex, "RESET", s, method="AXO.executeAsync")
        tk = self.ticket_of(r)
        if not self.check("RESET starts", tk is not None, "rc 0 {ticket}", self.short(r)):
            return
        t0 = time.monotonic()
        r2 = self.safe(self.ex, "RESET", s, method="AXO.executeAsync")
        ms = (time.monotonic() - t0) * 1000.0
        self.expect_result("a second RESET while one runs: rc 3 TE10003, no ticket", r2, rc=3, code="TE10003")
        self.check("the refusal is answered at once", ms < 1000, "under 1000 ms", "%.0f ms" % ms)
        other = self.open_session(m, "another client")
        if other:
            self.expect_result("RESET from another session of the busy machine: rc 3 TE10003",
                               self.safe(self.ex, "RESET", other, method="AXO.executeAsync"), rc=3, code="TE10003")
            self.expect_result("RESET through AXO.execute on the busy machine: rc 3 TE10003",
                               self.safe(self.ex, "RESET", other), rc=3, code="TE10003")
        st = self.safe(self.ex, "GET_CMD_STATUS", s, [tk])
        self.check("the running RESET's ticket is not final",
                   result_problem(st) is None and st["rc"] == 0 and self.cmd_status_problem(st.get("data")) is None
                   and st["data"]["status"] not in FINAL_STATUSES, "a valid non-final status", st)
        self.expect_result("STOP while the RESET runs: rc 0 {stopped: true}", self.safe(self.ex, "STOP", s), rc=0,
                           data_check=lambda d: None if type(d) is dict and d.get("stopped") is True else "data %r" % (d,))
        last = self.wait_final(tk, s, 5)
        ok = result_problem(last) is None and last["rc"] == 0 and self.cmd_status_problem(last.get("data")) is None
        d = last.get("data", {}) if ok else {}
        res = d.get("result", {})
        self.check("the stopped RESET's ticket is final with status -3", ok and d.get("status") == -3,
                   "status -3", d.get("status") if ok else last)
        self.check("its result is rc 7 TE10008", ok and res.get("rc") == 7 and "TE10008" in codes(res),
                   "rc 7 [TE10008]", "rc %r %s" % (res.get("rc"), codes(res)) if ok else last)

        # After the stop the machine takes a process again; a long process may come synchronously.
        t0 = time.monotonic()
        r = self.safe(self.ex, "RESET", s)
        ms = (time.monotonic() - t0) * 1000.0
        self.expect_result("RESET through AXO.execute after the STOP: answered with its final result rc 0 {}", r, rc=0,
                           data_check=lambda d: None if d == {} else "data %r" % (d,))
        st = self.safe(self.ex, "RESET", s, method="AXO.executeAsync")
        tk2 = self.ticket_of(st)
        self.check("the machine takes a process again once the synchronous RESET answered", tk2 is not None,
                   "rc 0 {ticket}", self.short(st))
        if tk2 is not None:
            self.safe(self.ex, "STOP", s)
            self.wait_final(tk2, s, 5)
        print("# a synchronous RESET took %.0f ms" % ms)

    # ---------------------------------------------------------------- 10

    def g10_flood(self):
        m = self.dispenser or self.mixer or {"number": 0, "type": TYPE_DISPENSER}
        s = self.open_session(m)
        if not self.check("a certified session before the flood", s is not None, "certified", "not certified"):
            return
        first = None
        last = None
        nc_last = None
        count = 70
        failures = []
        for i in range(count):
            r, sid = self.login(m, "flood %d" % i)
            if sid is None:
                failures.append(self.short(r))
                continue
            if first is None:
                first = sid
            if i == 0:
                # The first one takes one handshake step, and stays uncertified.
                self.safe(self.get_key, sid, secrets.token_hex(16))
            last = sid
        self.check("%d logins that are never certified are all answered" % count, not failures,
                   "rc 0 {session} each", failures[:3])
        if m["number"] != 0:
            cmd = "GET_DISP_STATUS" if m["type"] == TYPE_DISPENSER else "GET_MIXER_STATUS"
            self.expect_result("the session certified before the flood still works (%s rc 0)" % cmd,
                               self.safe(self.ex, cmd, s), rc=0)
        if first:
            self.expect_result("the oldest uncertified session was dropped (CERTIFY_SESSION: rc 4 TE10002)",
                               self.safe(self.certify, first, "0" * 64), rc=4, code="TE10002")
        if last:
            nc_last = secrets.token_hex(16)
            p = self.parse_key(self.safe(self.get_key, last, nc_last))
            ok = False
            if not isinstance(p, str):
                b = bound_text(last, m["number"], m["type"], 1, nc_last, p[1], "flood %d" % (count - 1))
                cr = self.safe(self.certify, last, hmac_hex(self.secret, b"AXO-CLIENT|", b))
                ok = result_problem(cr) is None and cr["rc"] == 0 and cr.get("data", {}).get("certified") is True
            self.check("the newest uncertified session can still be certified", ok, "certified", "not certified")
        self.expect_result("the session certified before the flood can log out", self.safe(self.ex, "LOGOUT", s),
                           rc=0)


# --------------------------------------------------------------------------
# Running the simulated driver


class Sim:
    def __init__(self, path, args, secret_file):
        cmd = [path, "--port", "0"] + list(args)
        if secret_file:
            cmd += ["--secret-file", secret_file]
        self.proc = subprocess.Popen(cmd, stdout=subprocess.PIPE, stderr=None, text=True)
        self.address = None
        self.tls = False
        deadline = time.monotonic() + 15
        line = ""
        while time.monotonic() < deadline:
            line = self.proc.stdout.readline()
            if not line:
                break
            mm = re.search(r"listening on (\S+):(\d+) \((\w+)\)", line)
            if mm:
                self.address = (mm.group(1), int(mm.group(2)))
                self.tls = mm.group(3) != "plain"
                break
        if self.address is None:
            self.stop()
            raise SystemExit("the simulated driver did not start: %r (exit %r)" % (line, self.proc.returncode))

    def url(self):
        return "%s://%s:%d/RPC2" % ("https" if self.tls else "http", self.address[0], self.address[1])

    def stop(self):
        if self.proc.poll() is None:
            self.proc.send_signal(signal.SIGTERM)
            try:
                self.proc.wait(10)
            except subprocess.TimeoutExpired:
                self.proc.kill()
                self.proc.wait()
        return self.proc.returncode


class Config:
    pass


def main():
    ap = argparse.ArgumentParser(description="Check a driver against the driver protocol, from the wire.")
    ap.add_argument("--url", help="the driver's XML-RPC URL, e.g. http://127.0.0.1:9333/RPC2")
    ap.add_argument("--secret-file", help="file holding the protocol secret (64 hex digits); default the built-in "
                    "one; with --sim it is given to the simulated driver as well")
    ap.add_argument("--dispenser", type=int, help="dispenser number to use (0: none); default the first listed")
    ap.add_argument("--mixer", type=int, help="mixer number to use (0: none); default the first listed")
    ap.add_argument("--user", help="Basic authentication login (TLS)")
    ap.add_argument("--password", help="Basic authentication password (TLS)")
    ap.add_argument("--cafile", help="certificate authority to verify the driver's certificate (TLS)")
    ap.add_argument("--max-access", type=int, help="the highest access level the driver grants, when below 3")
    ap.add_argument("--groups", help="comma-separated group numbers to run (default all)")
    ap.add_argument("--hold-ms", type=int, default=600, help="timeout of the held long polls, ms (default 600)")
    ap.add_argument("--process-limit", type=float, default=30.0,
                    help="seconds a RESET may take before its ticket counts as stuck (default 30)")
    ap.add_argument("--sim", help="start this axodriver-sim on a free port and check it")
    ap.add_argument("--sim-arg", action="append", default=[], help="an argument for the simulated driver (repeatable)")
    ap.add_argument("--sim-secret", action="store_true",
                    help="provision a fresh random secret to the simulated driver and use it")
    # "--sim-arg --scenario" would read as two options: join each value to its flag.
    argv, rest = [], list(sys.argv[1:])
    while rest:
        x = rest.pop(0)
        if x == "--sim-arg" and rest:
            x = "--sim-arg=" + rest.pop(0)
        argv.append(x)
    a = ap.parse_args(argv)
    if not a.url and not a.sim:
        ap.error("--url or --sim is required")

    cfg = Config()
    for k in ("dispenser", "mixer", "user", "password", "max_access", "hold_ms", "process_limit"):
        setattr(cfg, k, getattr(a, k))
    groups = {int(g) for g in a.groups.split(",")} if a.groups else set()

    tmpdir = None
    sim = None
    secret_file = a.secret_file
    if a.sim and a.sim_secret:
        tmpdir = tempfile.TemporaryDirectory(prefix="driver-conformance-")
        secret_file = os.path.join(tmpdir.name, "secret")
        with open(secret_file, "w") as f:
            # Upper case and white space around: the text form allows both.
            f.write("  %s\n\n" % secrets.token_hex(32).upper())
        os.chmod(secret_file, 0o600)
    cfg.secret = bytes.fromhex(DEFAULT_SECRET_HEX)
    if secret_file:
        try:
            with open(secret_file) as f:
                cfg.secret = parse_secret_text(f.read())
        except (OSError, ValueError) as e:
            raise SystemExit("secret file %s: %s" % (secret_file, e))

    try:
        if a.sim:
            sim = Sim(a.sim, a.sim_arg, secret_file)
            url = sim.url()
            print("# simulated driver at %s" % url)
        else:
            url = a.url
        cfg.url = urllib.parse.urlsplit(url)
        if cfg.url.scheme not in ("http", "https"):
            raise SystemExit("--url must be http:// or https://")
        cfg.ssl_context = None
        if cfg.url.scheme == "https":
            ctx = ssl.create_default_context(cafile=a.cafile) if a.cafile else ssl._create_unverified_context()
            cfg.ssl_context = ctx
        print("# secret: %s" % ("provisioned" if cfg.secret != bytes.fromhex(DEFAULT_SECRET_HEX) else "built-in default"))
        checker = Checker(cfg)
        checker.run(groups)
        checker.conn.close()
    finally:
        if sim is not None:
            rc = sim.stop()
            print("# simulated driver stopped (exit %s)" % rc)
        if tmpdir is not None:
            tmpdir.cleanup()
    print("%d checks, %d failed%s" % (checker.count, checker.failed,
                                      (", %d skipped" % checker.skipped) if checker.skipped else ""))
    return 0 if checker.failed == 0 and checker.count > 0 else 1


if __name__ == "__main__":
    sys.exit(main())
