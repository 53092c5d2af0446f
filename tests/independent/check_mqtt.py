#!/usr/bin/env python3
"""Runs zorwifi-mqtt against the stand-alone unit double and a real mosquitto, and compares the
published state and the frames commands send with what was worked out here by hand.

Usage: check_mqtt.py PATH_TO_ZORWIFI_MQTT PATH_TO_MOSQUITTO
"""

import json
import os
import pwd
import socket
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from unit import Server, Unit  # noqa: E402

UNIT = "127.44.1.1"
BROKER = "127.44.1.100"
PORT = 18851
MAC_ID = "02005e100001"
failed = 0


def check(name, ok, detail=""):
    global failed
    print(("PASS " if ok else "FAIL ") + name + ("" if ok or not detail else f": {detail}"))
    failed += 0 if ok else 1


def sub(topic, count=1, timeout=10):
    p = subprocess.run(["mosquitto_sub", "-h", BROKER, "-p", str(PORT), "-t", topic, "-C", str(count),
                        "-W", str(timeout)], capture_output=True, text=True, timeout=timeout + 5)
    return p.stdout.splitlines()


def pub(thing, payload):
    subprocess.run(["mosquitto_pub", "-h", BROKER, "-p", str(PORT), "-q", "1",
                    "-t", f"zorwifi/{MAC_ID}/set/{thing}", "-m", payload], check=True, timeout=10)


def command_frames(unit, start):
    return [e["hex"] for e in unit.frames(start) if e["kind"] == "cmd" and e["code"] not in (33, 216)]


def wait_for_frames(unit, start, count, timeout=10):
    end = time.monotonic() + timeout
    while time.monotonic() < end and len(command_frames(unit, start)) < count:
        time.sleep(0.1)
    return command_frames(unit, start)


def main():
    bridge_path, mosquitto_path = sys.argv[1], sys.argv[2]
    unit = Unit(UNIT)
    server = Server(unit).start()
    with tempfile.TemporaryDirectory() as scratch:
        conf = os.path.join(scratch, "mosquitto.conf")
        with open(conf, "w") as f:
            f.write(f"listener {PORT} {BROKER}\nallow_anonymous true\npersistence false\n"
                    f"user {pwd.getpwuid(os.getuid()).pw_name}\n")
        broker = subprocess.Popen([mosquitto_path, "-c", conf], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        for _ in range(100):
            try:
                socket.create_connection((BROKER, PORT), 0.2).close()
                break
            except OSError:
                time.sleep(0.05)
        bridge = subprocess.Popen([bridge_path, "--broker", f"{BROKER}:{PORT}", "--address", UNIT, "--interval", "1"],
                                  stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
        try:
            lines = sub(f"zorwifi/{MAC_ID}/state")
            state = json.loads(lines[0]) if lines else {}
            # Inputs 0x05, relay 0, armed 1, volume 6, RSSI FF C4, SD 3.05 of 7.45 GB, firmware 01 20.
            expected = {
                "inputs": {"DI1": "ON", "DI2": "OFF", "DI3": "ON", "DI4": "OFF", "DI5": "OFF", "DI6": "OFF"},
                "relay": "OFF", "armed": "ON", "volume": 6, "rssi": -60,
                "sd": {"present": True, "free_gb": 3.05, "total_gb": 7.45},
                "location": "Boiler room", "firmware": "V01.20", "model": "ZOR-06-WF", "mac": "02:00:5E:10:00:01",
            }
            check("state as the unit reports it", state == expected, f"{state}")
            check("availability online", sub(f"zorwifi/{MAC_ID}/availability") == ["online"])
            configs = sub("homeassistant/+/zorwifi_" + MAC_ID + "/+/config", 12)
            check("twelve discovery configs", len(configs) == 12, f"{len(configs)}")

            # Volume keeps the arming (1), arming keeps the volume (7), the relay carries P3 and P4 of the last.
            start = len(unit.events)
            pub("volume", "7")
            wait_for_frames(unit, start, 1)
            pub("arming", "OFF")
            wait_for_frames(unit, start, 2)
            pub("relay", "ON")
            frames = wait_for_frames(unit, start, 3)
            check("volume 7, disarm, relay on as frames", frames == [
                "5A 35 77 A5 40 18 07 01 00", "5A 35 77 A5 40 18 07 00 01", "5A 35 77 A5 D0 01 01 00 01"], f"{frames}")
            check("the unit took them", (unit.volume, unit.armed, unit.relay) == (7, 0, 1),
                  f"{(unit.volume, unit.armed, unit.relay)}")
            start = len(unit.events)
            pub("volume", "12")
            time.sleep(2.5)
            check("a bad volume sends nothing", command_frames(unit, start) == [], f"{command_frames(unit, start)}")
        finally:
            bridge.terminate()
            out, _ = bridge.communicate(timeout=15)
            broker.terminate()
            broker.wait(10)
            server.stop()
        check("the bridge stopped cleanly", bridge.returncode == 0, out[-500:])
    print(f"{'FAILED' if failed else 'passed'}: {failed} failure(s)")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
