#!/usr/bin/env python3
"""Runs zorctl's discover (of a loopback subnet), --hosts, backup, restore and diff against unit doubles written from
the byte layouts alone, and compares what the doubles stored with what the backup held.

Usage: check_fleet.py PATH_TO_ZORCTL
"""

import json
import os
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from unit import MAGIC, Server, Unit  # noqa: E402

A, B, REFUSING, ABSENT = "127.15.200.1", "127.15.200.2", "127.15.200.3", "127.15.200.4"

passed = 0
failed = 0


def check(name, ok, detail=""):
    global passed, failed
    passed, failed = (passed + 1, failed) if ok else (passed, failed + 1)
    print(("PASS " if ok else "FAIL ") + name + ("" if ok or not detail else f": {detail}"))


def zorctl(binary, *args, units=()):
    p = subprocess.run([binary, *args], capture_output=True, text=True, timeout=120)
    for unit in units:
        unit.settled()  # the last data connection may still be draining
    return p.returncode, p.stdout, p.stderr


def commands(unit, start=0):
    return [bytes.fromhex(e["hex"]) for e in unit.frames(start) if e["kind"] == "cmd"]


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    binary = sys.argv[1]
    a, b = Unit(A, location="Boiler room"), Unit(B, location="Hall")
    refusing = Unit(REFUSING, refuse={33})
    table = MAGIC + bytes([0, 0, 0, 0, 2]) + bytes(507)
    a.sd_files.update({"plist.cfg": table, "001.mp3": bytes(range(256)) * 9,
                       "m3fn.txt": b"\xef\xbb\xbfC:\\work\\001.mp3\r\n" + b"\r\n" * 63})
    servers = [Server(u).start() for u in (a, b, refusing)]
    try:
        code, out, err = zorctl(binary, "--json", "discover", "--subnet", "127.15.200.0/29", "--timeout", "500")
        units = json.loads(out) if code == 0 else []
        check("discover: exactly the two answering doubles", [u["address"] for u in units] == [A, B], out + err)
        check("discover: fields decoded", bool(units) and units[0]["mac"] == "02:00:5E:10:00:01"
              and units[0]["location"] == "Boiler room" and units[0]["model"] == "ZOR-06-WF"
              and units[0]["rssi"] == -60 and units[0]["wifiMode"] == "ap", out)

        with tempfile.TemporaryDirectory() as work:
            hosts = os.path.join(work, "hosts")
            with open(hosts, "w") as f:
                f.write(f"{A}\n# the absent one\n{ABSENT}\n{B}\n")
            code, out, err = zorctl(binary, "--hosts", hosts, "set", "location", "Lobby", units=(a, b))
            check("--hosts: exit 4 with one unit absent", code == 4, err)
            lines = out.splitlines()
            check("--hosts: lines in list order", len(lines) == 3 and lines[0] == f"{A}: done"
                  and lines[1].startswith(f"{ABSENT}: failed: ") and lines[2] == f"{B}: done", out)
            check("--hosts: both doubles hold the location",
                  a.flash_files.get("/local/locate.cfg") == b"Lobby" == b.flash_files.get("/local/locate.cfg"))

            backup = os.path.join(work, "a.json")
            code, out, err = zorctl(binary, "--address", A, "backup", backup, "--with-clips", os.path.join(work, "clips"))
            check("backup: exit 0", code == 0, err)
            start = len(b.events)
            code, out, err = zorctl(binary, "--address", B, "restore", backup, units=(b,))
            check("restore: exit 0 and the reboot note", code == 0 and "reboot" in out, err[-400:])
            for name, content in (("/local/ap_key.cfg", b"apsecret1"), ("/local/ap_ssid.cfg", b"ZOR-06-WF-TEST01"),
                                  ("/local/sta_key.cfg", b"stasecret"), ("/local/sta_keyT.cfg", b"\x02"),
                                  ("/local/sta_ssid.cfg", b"plant-net"), ("/local/locate.cfg", b"Boiler room")):
                check(f"restore: {name}", b.flash_files.get(name) == content, repr(b.flash_files.get(name)))
            check("restore: mbport.cfg written", len(b.flash_files.get("/local/mbport.cfg", b"")) == 10)
            for name in ("plist.cfg", "m3fn.txt", "001.mp3"):
                check(f"restore: SD {name} as backed up", b.sd_files.get(name) == a.sd_files[name],
                      f"{len(b.sd_files.get(name, b''))} bytes of {len(a.sd_files[name])}; {sorted(b.sd_files)}")
            check("restore: no Wi-Fi mode change", all(f[4] != 48 for f in commands(b, start)))

            # Its own fresh backup, clips included, is what the unit holds: nothing differs, nothing is written.
            start = len(a.events)
            code, out, err = zorctl(binary, "--address", A, "diff", backup, units=(a,))
            check("diff of its own backup: exit 0, no output", code == 0 and out == "", out + err[-400:])
            code, out, err = zorctl(binary, "--address", A, "restore", backup, "--changed-only", units=(a,))
            check("changed-only of its own backup: every group unchanged", code == 0 and out.splitlines() == [
                "network: unchanged", "location: unchanged", "modbus: unchanged", "alarm: unchanged"], out + err[-400:])
            check("diff and changed-only: only reads reach the unit",
                  {f[4] for f in commands(a, start)} <= {33, 91}, sorted({f[4] for f in commands(a, start)}))
            a.sd_files["plist.cfg"] = MAGIC + bytes(508)
            zorctl(binary, "--address", A, "backup", backup, "--with-clips", os.path.join(work, "clips"))
            a.sd_files["001.mp3"] = bytes(reversed(range(256))) * 9  # same size and sum, other bytes
            a.sd_files["plist.cfg"] = MAGIC + bytes(16) + b"\x07" + bytes(19) + b"\x01" + bytes(471)  # byte 20 is unused
            code, out, err = zorctl(binary, "--address", A, "--json", "diff", backup, units=(a,))
            alarm = json.loads(out)["groups"][3] if code == 5 else {}
            check("diff: a changed table entry differs; an unused byte and a clip of the same size and sum do not",
                  [c["field"] for c in alarm.get("changes", [])] == ["input 8"], out + err[-400:])

            # A commissioning report reads the unit and its clips, and writes nothing to it.
            report = os.path.join(work, "a.html")
            start = len(a.events)
            code, out, err = zorctl(binary, "--address", A, "report", report, units=(a,))
            page = open(report, encoding="utf-8").read() if code == 0 else ""
            check("report: exit 0, the unit's MAC, model, clip name and clip size",
                  all(s in page for s in ("02:00:5E:10:00:01", "ZOR-06-WF", "001.mp3", "2304")), err[-400:])
            check("report: only reads reach the unit",
                  {f[4] for f in commands(a, start)} <= {33, 91}, sorted({f[4] for f in commands(a, start)}))

            with open(backup, "rb") as f:
                damaged = f.read()[:-40]
            with open(backup, "wb") as f:
                f.write(damaged)
            start = len(b.events)
            code, out, err = zorctl(binary, "--address", B, "restore", backup)
            check("damaged backup: exit 2, nothing sent", code == 2 and not commands(b, start), err)
    finally:
        for server in servers:
            server.stop()
    print(f"{passed} passed, {failed} failed")
    sys.exit(1 if failed else 0)


if __name__ == "__main__":
    main()
