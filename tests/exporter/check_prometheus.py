#!/usr/bin/env python3
"""A real Prometheus scrapes zorwifi-exporter in front of three zorsims, with the shipped
scrape job and alert rules and the targets that `zorctl discover --prometheus-sd` wrote for the loopback subnet; one
unit stops midway. Then one probe of the stand-alone unit double. Loopback only.

Usage: check_prometheus.py ZORWIFI_EXPORTER ZORCTL ZORSIM SOURCE_DIR
"""

import json
import os
import signal
import subprocess
import sys
import tempfile
import time
import urllib.parse
import urllib.request

exporter_bin, zorctl, zorsim, source = map(os.path.abspath, sys.argv[1:5])
sys.path.insert(0, os.path.join(source, "tests", "independent"))
from unit import Server, Unit  # noqa: E402

UNITS = ["127.43.3.1", "127.43.3.2", "127.43.3.3"]
DOUBLE = "127.43.3.9"
EXPORTER = "127.43.3.250:19577"
PROMETHEUS = "127.43.3.251:19090"
RAISED = {"127.43.3.2": {"DI1", "DI4"}}

failures = 0


def check(name, ok, detail=""):
    global failures
    print(("PASS " if ok else "FAIL ") + name + ("" if ok or not detail else f": {detail}"), flush=True)
    failures += not ok
    return ok


def get(url):
    try:
        with urllib.request.urlopen(url, timeout=10) as reply:
            return reply.status, reply.read().decode()
    except urllib.error.HTTPError as e:
        return e.code, e.read().decode()


def query(expr):
    status, body = get(f"http://{PROMETHEUS}/api/v1/query?" + urllib.parse.urlencode({"query": expr}))
    return json.loads(body)["data"]["result"] if status == 200 else []


def wait_for(what, predicate, seconds=40):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        try:
            value = predicate()
            if value:
                return value
        except (OSError, ValueError, KeyError):
            pass
        time.sleep(0.5)
    check(what, False, f"not within {seconds} s")
    return None


def by_instance(results):
    return {r["metric"]["instance"]: r for r in results}


def main():
    scratch = tempfile.mkdtemp(prefix="zorwifi-prometheus-")
    processes = []

    def start(*argv):
        log = open(os.path.join(scratch, os.path.basename(argv[0]) + f"-{len(processes)}.log"), "w")
        processes.append(subprocess.Popen(argv, stdout=log, stderr=subprocess.STDOUT))
        return processes[-1]

    try:
        sims = [start(zorsim, "--address", a, "--quiet", "--location", f"Room {i + 1}",
                      *(["--inputs", ",".join(sorted(RAISED[a]))] if a in RAISED else []))
                for i, a in enumerate(UNITS)]
        start(exporter_bin, "--listen", EXPORTER, "--allow", "127.43.3.0/24")
        time.sleep(1)

        targets = os.path.join(scratch, "units.json")
        scan = subprocess.run([zorctl, "discover", "--subnet", "127.43.3.0/29", "--timeout", "1000",
                               "--prometheus-sd", targets], capture_output=True, text=True, timeout=60)
        groups = json.load(open(targets)) if os.path.exists(targets) else []
        check("discover wrote the three units as file_sd targets",
              scan.returncode == 0 and sorted(g["targets"][0] for g in groups) == UNITS, scan.stderr)
        check("each target carries model, mac and location",
              all(set(g["labels"]) == {"model", "mac", "location"} for g in groups), json.dumps(groups))
        unwritable = subprocess.run([zorctl, "discover", "--subnet", "127.43.3.0/30", "--timeout", "500",
                                     "--prometheus-sd", os.path.join(scratch, "missing", "units.json")],
                                    capture_output=True, text=True, timeout=60)
        check("a target file that cannot be written is an error", unwritable.returncode == 2
              and "Could not write" in unwritable.stderr, unwritable.stderr)

        # The shipped job and rules, with this test's files, addresses and short intervals.
        shipped = os.path.join(source, "examples", "prometheus")
        config = open(os.path.join(shipped, "prometheus.yml")).read()
        for old, new in [("/etc/prometheus/zorwifi-units.json", targets), ("127.0.0.1:9577", EXPORTER),
                         ("zorwifi-rules.yml", os.path.join(shipped, "zorwifi-rules.yml")),
                         ("scrape_interval: 30s", "scrape_interval: 1s"), ("scrape_timeout: 10s", "scrape_timeout: 1s"),
                         ("evaluation_interval: 30s", "evaluation_interval: 1s")]:
            check(f"the shipped config holds {old}", old in config)
            config = config.replace(old, new)
        config_file = os.path.join(scratch, "prometheus.yml")
        open(config_file, "w").write(config)
        start("prometheus", f"--config.file={config_file}", f"--storage.tsdb.path={scratch}/data",
              f"--web.listen-address={PROMETHEUS}", "--log.level=warn")

        up = wait_for("three units answer", lambda: len([r for r in query("zorwifi_probe_success == 1")]) == 3)
        if up:
            success = by_instance(query("zorwifi_probe_success"))
            check("probe success 1, 1, 1", [success[a]["value"][1] for a in UNITS] == ["1", "1", "1"])
            check("series carry the discovery labels",
                  all(success[a]["metric"].get("location") == f"Room {i + 1}" for i, a in enumerate(UNITS)),
                  json.dumps(success))
            active = query('zorwifi_input_active == 1')
            raised = {(r["metric"]["instance"], r["metric"]["input"]) for r in active}
            expected = {(a, i) for a, inputs in RAISED.items() for i in inputs}
            check("the raised inputs, and only those, are active", raised == expected, str(raised))
            check("six inputs per unit", len(query("zorwifi_input_active")) == 18)

        stopped = UNITS[2]
        sims[2].send_signal(signal.SIGTERM)
        sims[2].wait(10)
        after = wait_for("the stopped unit reads 0", lambda: (lambda s: s if s.get(stopped, {}).get("value", [0, ""])[1] == "0" else None)(
            by_instance(query("zorwifi_probe_success"))))
        if after:
            check("probe success 1, 1, 0 after the stop", [after[a]["value"][1] for a in UNITS] == ["1", "1", "0"])
            stale = wait_for("nothing but success and duration is left of the stopped unit",
                             lambda: not [r for r in query(f'{{instance="{stopped}",__name__=~"zorwifi_.*"}}')
                                          if r["metric"]["__name__"] not in ("zorwifi_probe_success", "zorwifi_probe_duration_seconds")],
                             seconds=10)
            check("no stale figures of the stopped unit", stale is not None)

        def not_answering():
            status, body = get(f"http://{PROMETHEUS}/api/v1/alerts")
            return [a for a in json.loads(body)["data"]["alerts"]
                    if a["labels"]["alertname"] == "ZorwifiUnitNotAnswering" and a["labels"]["instance"] == stopped
                    and a["state"] in ("pending", "firing") and a["annotations"]["summary"] == "unit not answering"]
        check("alert \"unit not answering\" pending or firing", wait_for("alert", not_answering, seconds=20) is not None)

        # The unit double answers from the byte layouts alone: inputs 0x05 are DI1 and DI3.
        double = Server(Unit(DOUBLE)).start()
        try:
            status, body = get(f"http://{EXPORTER}/probe?target={DOUBLE}")
            check("the unit double is probed", status == 200 and "zorwifi_probe_success 1" in body, body)
            check("its inputs DI1 and DI3 are active",
                  'zorwifi_input_active{input="DI1"} 1' in body and 'zorwifi_input_active{input="DI2"} 0' in body
                  and 'zorwifi_input_active{input="DI3"} 1' in body, body)
        finally:
            double.stop()
    finally:
        for p in processes:
            if p.poll() is None:
                p.terminate()
        for p in processes:
            try:
                p.wait(10)
            except subprocess.TimeoutExpired:
                p.kill()
        if failures:
            for name in sorted(os.listdir(scratch)):
                if name.endswith(".log"):
                    print(f"--- {name}\n" + open(os.path.join(scratch, name)).read()[-2000:])
        subprocess.run(["rm", "-rf", scratch])
    print(f"{failures} failed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
