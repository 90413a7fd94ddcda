"""What the conformance checks share: the wire, the handshake texts and the value checks."""

import base64
import hashlib
import hmac
import http.client
import re
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
    "TE10011": 3, "TE10012": 6, "TE10013": 5,
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
