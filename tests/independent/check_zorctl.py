#!/usr/bin/env python3
"""Runs zorctl against the stand-alone unit double and compares frames and stored files
with the byte layouts worked out here by hand.

Usage: check_zorctl.py PATH_TO_ZORCTL
"""

import json
import os
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from unit import MAGIC, Server, Unit, byte_sum  # noqa: E402

ADDRESS = "127.0.9.1"
RTU_ADDRESS = "127.0.9.2"
BAD_SUM_ADDRESS = "127.0.9.3"
OTHER_ADDRESS = "127.0.9.4"

passed = 0
failed = 0


def check(name, ok, detail=""):
    global passed, failed
    if ok:
        passed += 1
        print(f"PASS {name}")
    else:
        failed += 1
        print(f"FAIL {name}" + (f": {detail}" if detail else ""))
    return ok


def hexs(data):
    return data.hex(" ").upper()


def same_bytes(name, actual, expected):
    if actual is None:
        return check(name, False, "not stored")
    return check(name, actual == expected,
                 f"expected {hexs(expected[:64])} ({len(expected)} bytes), "
                 f"got {hexs(actual[:64])} ({len(actual)} bytes)")


class Run:
    def __init__(self, zorctl, unit, address):
        self.zorctl = zorctl
        self.unit = unit
        self.address = address

    def __call__(self, *args, expect_exit=0, label=None):
        start = len(self.unit.events)
        argv = [self.zorctl, "--address", self.address, *args]
        try:
            p = subprocess.run(argv, capture_output=True, text=True, timeout=60)
            code, out, err = p.returncode, p.stdout, p.stderr
        except subprocess.TimeoutExpired:
            code, out, err = "timeout", "", ""
        self.unit.settled()
        label = label or " ".join(args)
        check(f"{label}: exit {expect_exit}", code == expect_exit,
              f"exit {code}; stderr: {err.strip()[-300:]}")
        return out, self.unit.frames(start)


def commands(events, code=None):
    """Command frames (bytes) of a run, the device-information reads left out."""
    out = []
    for e in events:
        if e["kind"] != "cmd" or e["code"] == 33:
            continue
        if code is None or e["code"] == code:
            out.append(bytes.fromhex(e["hex"]))
    return out


def file_frame_ok(name, frame, size, code, length, total, file_name, cleared_to):
    """A file announcement: magic, code, length, sum, zeros, byte 16 n, the name."""
    expected = bytearray(cleared_to)
    expected[0:4] = MAGIC
    expected[4] = code
    expected[5:9] = length.to_bytes(4, "big")
    if total is not None:
        expected[9:13] = (total & 0xFFFFFFFF).to_bytes(4, "big")
    raw = file_name.encode("latin-1")
    expected[16] = len(raw)
    expected[17:17 + len(raw)] = raw
    expected = bytes(expected[:size])
    return same_bytes(name, frame, expected)


def pauses_ok(label, events, pause, after_data=False):
    """Every data connection opens `pause` seconds after its announcement (or, with
    after_data, every command follows the end of a data connection by `pause`)."""
    gaps = []
    for before, after in zip(events, events[1:]):
        if after_data:
            if before["kind"].startswith("data") and after["kind"] == "cmd":
                gaps.append(round(after["opened"] - before["time"], 3))
        elif before["kind"] == "cmd" and after["kind"].startswith("data"):
            gaps.append(round(after["opened"] - before["opened"], 3))
    ok = bool(gaps) and all(pause - 0.05 <= g <= pause + 1.2 for g in gaps)
    return check(f"{label}: pauses of {pause} s {gaps}", ok)


def flash_writes(events):
    return [(e["name"], e) for e in events if e["kind"] == "data-in" and e["target"] == "flash"]


def check_flash_sequence(label, events, unit, files):
    """files: [(name, content)] in the order they must be written."""
    announcements = commands(events, 95)
    writes = flash_writes(events)
    check(f"{label}: flash files in order", [n for n, _ in writes] == [n for n, _ in files],
          f"expected {[n for n, _ in files]}, got {[n for n, _ in writes]}")
    for i, (name, content) in enumerate(files):
        if i < len(announcements):
            file_frame_ok(f"{label}: 95 announcement of {name}", announcements[i], 60, 95,
                          len(content), byte_sum(content), name, 60)
        else:
            check(f"{label}: 95 announcement of {name}", False, "missing")
        same_bytes(f"{label}: {name} contents", unit.flash_files.get(name), content)


def expected_plist(entries, mode=0):
    t = bytearray(512)
    t[0:4] = MAGIC
    t[8] = mode
    for k in range(64):
        t[96 + k] = 1
    for k in range(32):
        clips, repeat, alarm = entries.get(k, ([], 1, 0))
        for i, c in enumerate(clips):
            t[256 + 4 * k + i] = c
        t[32 + k] = max(len(clips), 1)
        t[96 + k] = repeat
        t[160 + k] = alarm
    return bytes(t)


def pc_path(path):
    """A clip's path as zorctl names it: a Windows build under Wine sees this host's files on drive Z:."""
    return "Z:" + path.replace("/", "\\") if os.environ.get("ZOR_ZORCTL_WINDOWS") else path


def expected_m3fn(paths):
    lines = [paths.get(i, "") for i in range(1, 65)]
    return b"\xef\xbb\xbf" + "".join(line + "\r\n" for line in lines).encode("utf-8")


def read_file(path):
    try:
        with open(path, "rb") as f:
            return f.read()
    except OSError:
        return None


def setup_checks(run, unit):
    out, ev = run("--json", "info", label="info --json")
    frames = [bytes.fromhex(e["hex"]) for e in ev if e["kind"] == "cmd"]
    check("info: one device-information request",
          len(frames) >= 1 and frames[0][4] == 33 and len(frames[0]) in (7, 9)
          and frames[0][5:7] == b"\0\0", [hexs(f) for f in frames])
    try:
        text = json.dumps(json.loads(out))
    except ValueError:
        text = None
    check("info: output is JSON", text is not None, out[:200])
    for value in ("ZOR-06-WF", "02:00:5E:10:00:01", "Boiler room", "01.20"):
        check(f"info: reports {value}", text is not None and value in text, out[:300])

    _, ev = run("relay", "on")
    f = commands(ev, 208)
    check("relay on: 208 frame", len(f) == 1 and len(f[0]) == 9
          and f[0][:7] == MAGIC + bytes([0xD0, 1, 1]), [hexs(x) for x in f])
    check("relay on: unit's relay on", unit.relay == 1)

    _, ev = run("volume", "3")
    f = commands(ev, 64)
    same_bytes("volume 3: 64 frame keeps the unit's arming", f[0] if f else None,
               MAGIC + bytes([0x40, 0x38, 3, 1, 0]))

    _, ev = run("set", "ap", "Plant-AP", "wpa", "secret-key-1")
    check_flash_sequence("set ap", ev, unit, [("/local/ap_key.cfg", b"secret-key-1"),
                                             ("/local/ap_ssid.cfg", b"Plant-AP")])

    _, ev = run("set", "station", "Office", "wep", "wepkey123")
    check_flash_sequence("set station", ev, unit, [("/local/sta_key.cfg", b"wepkey123"),
                                                  ("/local/sta_keyT.cfg", b"\x01"),
                                                  ("/local/sta_ssid.cfg", b"Office")])
    pauses_ok("set station, announcement to data", ev, 1.5)
    pauses_ok("set station, between files", ev, 0.2, after_data=True)

    _, ev = run("set", "static-ip", "192.168.1.10", "255.255.255.0", "192.168.1.1")
    check_flash_sequence("set static-ip", ev, unit, [
        ("/local/sta_ip.cfg", bytes.fromhex("C0A8010A FFFFFF00 C0A80101"))])

    # inet_addr reads a leading zero as octal: 010 is 8.
    _, ev = run("set", "static-ip", "010.0.0.1", "255.255.255.0", "010.0.0.254")
    check_flash_sequence("set static-ip with leading zeros", ev, unit, [
        ("/local/sta_ip.cfg", bytes.fromhex("08000001 FFFFFF00 080000FE"))])

    _, ev = run("set", "static-ip", "off")
    f = commands(ev, 93)
    check("set static-ip off: 93 frame of 40 bytes naming the file",
          len(f) == 1 and len(f[0]) == 40 and f[0][16] == 17
          and f[0][17:34] == b"/local/sta_ip.cfg", [hexs(x) for x in f])
    check("set static-ip off: file deleted", "/local/sta_ip.cfg" not in unit.flash_files)

    _, ev = run("set", "location", "Pump room 2")
    check_flash_sequence("set location", ev, unit, [("/local/locate.cfg", b"Pump room 2")])

    _, ev = run("set", "web-key", "ABCDE")
    f = commands(ev, 50)
    same_bytes("set web-key: 50 frame", f[0] if f else None, MAGIC + b"\x32\x05ABCDE")

    _, ev = run("set", "modbus-tcp", "1502", "60")
    check_flash_sequence("set modbus-tcp", ev, unit,
                         [("/local/mbport.cfg", bytes.fromhex("05DE003C000000000000"))])
    pauses_ok("set modbus-tcp, file to 220", ev, 0.3, after_data=True)
    order = [e["code"] if e["kind"] == "cmd" else e["name"] for e in ev if e.get("code") != 33]
    check("set modbus-tcp: 220 after the file", order[-1:] == [220]
          and commands(ev, 220) == [MAGIC + b"\xdc"], order)

    _, ev = run("wifi-mode", "station")
    same_bytes("wifi-mode station: 48 frame", (commands(ev, 48) or [None])[0], MAGIC + b"\x30\x00")

    _, ev = run("reboot")
    same_bytes("reboot: 45 frame", (commands(ev, 45) or [None])[0], MAGIC + b"\x2d")

    for args, code, frame in (
            (["reset-defaults"], 94, b"\x5e\x01"),
            (["locate"], 29, b"\x1d\0\0\0\0"),
            (["disarm"], 64, b"\x40\x38\x03\x00\x01"),
            (["play", "7"], 224, b"\xe0\x07"),
            (["stop"], 66, b"\x42\x03"),
            (["test-input", "17"], 112, b"\x70\xfa\x01\x11"),
            (["test-stop"], 112, b"\x70\xfa\x00\x00")):
        _, ev = run(*args)
        same_bytes(f"{' '.join(args)}: {code} frame", (commands(ev, code) or [None])[0],
                   MAGIC + frame)


def rtu_checks(zorctl):
    unit = Unit(RTU_ADDRESS, model=190)
    server = Server(unit).start()
    try:
        run = Run(zorctl, unit, RTU_ADDRESS)
        _, ev = run("set", "modbus-rtu", "1", "9600", "Even", "8", "1")
        record = b"1,9600,E,8,1"
        f = commands(ev, 90)
        if f:
            file_frame_ok("set modbus-rtu: 90 announcement", f[0], 32, 90, len(record), None,
                          "RTU.CFG", 32)
        else:
            check("set modbus-rtu: 90 announcement", False, "missing")
        same_bytes("set modbus-rtu: RTU.CFG on the SD card", unit.sd_files.get("RTU.CFG"), record)
    finally:
        server.stop()

    unit = Unit(RTU_ADDRESS, model=190, sd=False)
    server = Server(unit).start()
    try:
        _, ev = Run(zorctl, unit, RTU_ADDRESS)("set", "modbus-rtu", "1", "9600", "Even", "8", "1",
                                              expect_exit=1, label="set modbus-rtu without SD")
        check("set modbus-rtu without SD: nothing written", not unit.sd_files
              and not commands(ev, 90))
    finally:
        server.stop()


def firmware_checks(zorctl, run, unit, work):
    image = bytes((i * 7 + 3) & 0xFF for i in range(2500))
    path = os.path.join(work, "image.bin")
    with open(path, "wb") as f:
        f.write(image)
    _, ev = run("firmware", path)
    f = commands(ev, 95)
    if f:
        file_frame_ok("firmware: 95 announcement", f[0], 40, 95, len(image), byte_sum(image),
                      "/sys/mcuimg.bin", 40)
    else:
        check("firmware: 95 announcement", False, "missing")
    same_bytes("firmware: image stored", unit.flash_files.get("/sys/mcuimg.bin"), image)
    pauses_ok("firmware, announcement to image", ev, 3.0)
    pauses_ok("firmware, image to check", ev, 2.0, after_data=True)
    f = commands(ev, 37)
    same_bytes("firmware: 37 check frame", f[0] if f else None,
               MAGIC + b"\x25" + byte_sum(image).to_bytes(4, "big"))

    stranger = Unit(OTHER_ADDRESS, model=0)
    server = Server(stranger).start()
    try:
        _, ev = Run(zorctl, stranger, OTHER_ADDRESS)("firmware", path, expect_exit=1,
                                                    label="firmware, unrecognised model")
        f = commands(ev, 90)
        if f:
            file_frame_ok("firmware, unrecognised model: 90 announcement", f[0], 40, 90,
                          len(image), byte_sum(image), "mcuimg.bin", 40)
        else:
            check("firmware, unrecognised model: 90 announcement", False, "missing")
        same_bytes("firmware, unrecognised model: image on the SD card",
                   stranger.sd_files.get("mcuimg.bin"), image)
        pauses_ok("firmware, unrecognised model, announcement to image", ev, 1.0)
        f = commands(ev, 38)
        same_bytes("firmware, unrecognised model: 38 frame", f[0] if f else None,
                   MAGIC + b"\x26" + byte_sum(image).to_bytes(4, "big"))
    finally:
        server.stop()

    liar = Unit(BAD_SUM_ADDRESS, wrong_firmware_sum=True)
    server = Server(liar).start()
    try:
        Run(zorctl, liar, BAD_SUM_ADDRESS)("firmware", path, expect_exit=1,
                                          label="firmware, unit returns another sum")
    finally:
        server.stop()


def project_checks(run, unit, work):
    project = os.path.join(work, "project")
    clip_a = os.path.join(work, "door bell.mp3")
    clip_b = os.path.join(work, "siren.mp3")
    a_bytes = b"ID3" + bytes(range(256)) * 5
    b_bytes = b"ID3\x04\x00\x00\x00\x00\x00\x00" + bytes((i * 13) & 0xFF for i in range(2990))
    for path, data in ((clip_a, a_bytes), (clip_b, b_bytes)):
        with open(path, "wb") as f:
            f.write(data)

    run("project", "new", project)
    run("project", "add-clip", project, "1", clip_a)
    run("project", "add-clip", project, "2", clip_b)
    run("project", "input", project, "0", "--clips", "1,2", "--repeat", "3", "--alarm", "on")
    plist = expected_plist({0: ([1, 2], 3, 1)})
    m3fn = expected_m3fn({1: pc_path(clip_a), 2: pc_path(clip_b)})
    same_bytes("project: plist.cfg on the PC", read_file(os.path.join(project, "plist.cfg")), plist)
    same_bytes("project: m3fn.txt on the PC", read_file(os.path.join(project, "m3fn.txt")), m3fn)

    _, ev = run("project", "write", project)
    order = [(e["code"], e.get("name")) if e["kind"] != "cmd" else e["code"]
             for e in ev if e.get("code") != 33]
    expected_order = [90, (90, "plist.cfg"), 90, (90, "m3fn.txt"), 90, (90, "001.mp3"),
                      90, (90, "002.mp3"), 69]
    check("project write: order plist.cfg, m3fn.txt, 001.mp3, 002.mp3, 69",
          order == expected_order, order)
    pauses_ok("project write", ev, 0.4)
    f = commands(ev, 90)
    expected_frames = [("plist.cfg", plist, 32, None), ("m3fn.txt", m3fn, 32, None),
                       ("001.mp3", a_bytes, 40, byte_sum(a_bytes)),
                       ("002.mp3", b_bytes, 40, byte_sum(b_bytes))]
    for i, (name, content, size, total) in enumerate(expected_frames):
        if i < len(f):
            file_frame_ok(f"project write: 90 announcement of {name}", f[i], size, 90,
                          len(content), total, name, size)
    same_bytes("project write: 69 frame", (commands(ev, 69) or [None])[0], MAGIC + b"\x45\x00")
    for name, content in (("plist.cfg", plist), ("m3fn.txt", m3fn), ("001.mp3", a_bytes),
                          ("002.mp3", b_bytes)):
        same_bytes(f"project write: unit's {name}", unit.sd_files.get(name), content)

    back = os.path.join(work, "back")
    run("project", "new", back)
    _, ev = run("project", "read", back)
    pauses_ok("project read", ev, 0.6)
    f = commands(ev, 91)
    for i, name in enumerate(("m3fn.txt", "plist.cfg")):
        match = [x for x in f if x[17:17 + len(name)] == name.encode()]
        if match:
            file_frame_ok(f"project read: 91 request for {name}", match[0], 32, 91, 0, None,
                          name, 32)
        else:
            check(f"project read: 91 request for {name}", False, [hexs(x) for x in f])
    same_bytes("project read: plist.cfg back", read_file(os.path.join(back, "plist.cfg")), plist)
    same_bytes("project read: m3fn.txt back", read_file(os.path.join(back, "m3fn.txt")), m3fn)

    long_name = os.path.join(work, "VeryLongName.old.mp3")
    with open(long_name, "wb") as f:
        f.write(b"abc")
    _, ev = run("sd-put", long_name)
    f = commands(ev, 90)
    file_frame_ok("sd-put of a long name: short name announced", f[0] if f else b"", 40, 90, 3,
                  0x126, "VeryLon~.mp3", 40)

    _, ev = run("clip-rm", "002.mp3")
    f = commands(ev, 191)
    file_frame_ok("clip-rm: 191 frame", f[0] if f else b"", 28, 191, 0, None, "002.mp3", 32)
    check("clip-rm: clip gone from the unit", "002.mp3" not in unit.sd_files)


def refusal_checks(zorctl, work):
    project = os.path.join(work, "project")
    before = {n: read_file(os.path.join(project, n)) for n in ("plist.cfg", "m3fn.txt")}
    for refused, args in ((90, ("project", "write", project)), (91, ("project", "read", project))):
        unit = Unit(OTHER_ADDRESS, refuse={refused})
        unit.sd_files["plist.cfg"] = bytes(512)
        unit.sd_files["m3fn.txt"] = b"\xef\xbb\xbf\r\n"
        server = Server(unit).start()
        try:
            Run(zorctl, unit, OTHER_ADDRESS)(*args, expect_exit=1,
                                            label=f"{args[1]}, unit refuses {refused}")
        finally:
            server.stop()
    after = {n: read_file(os.path.join(project, n)) for n in ("plist.cfg", "m3fn.txt")}
    check("project read refused: project files untouched", before == after)


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    zorctl = sys.argv[1]
    unit = Unit(ADDRESS)
    server = Server(unit).start()
    try:
        with tempfile.TemporaryDirectory() as work:
            run = Run(zorctl, unit, ADDRESS)
            setup_checks(run, unit)
            firmware_checks(zorctl, run, unit, work)
            project_checks(run, unit, work)
            refusal_checks(zorctl, work)
        rtu_checks(zorctl)
    finally:
        server.stop()
    print(f"{passed} passed, {failed} failed")
    sys.exit(1 if failed else 0)


if __name__ == "__main__":
    main()
