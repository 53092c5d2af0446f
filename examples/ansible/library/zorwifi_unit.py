#!/usr/bin/python3
# Drives zorctl on the Ansible controller: zorctl talks to the unit, Ansible never does.

DOCUMENTATION = r"""
---
module: zorwifi_unit
short_description: Bring a ZOR-06-WF or ZOR-04-RTU-WF unit to a desired state
description:
  - Compares the unit with a profile using C(zorctl --json diff) and, when something differs,
    writes only the groups that differ using C(zorctl restore --changed-only).
  - The desired state is either a profile file (made with C(zorctl profile) or by hand) or
    the settings given as options, from which a temporary profile is written.
  - Reports C(changed) only when a group was written, and the fields that differ under C(--diff).
  - In check mode the unit is read and nothing is written.
  - Settings take effect when the unit restarts; notify a handler that runs C(zorctl reboot)
    when I(reboot_needed) is true.
version_added: "1.0.0"
author: zorwifi
options:
  address:
    description: The unit's IPv4 address.
    type: str
    required: true
  zorctl:
    description: The zorctl program on the controller.
    type: path
    default: zorctl
  profile:
    description:
      - A profile or backup file. Groups the file leaves out are not compared or written.
      - Mutually exclusive with the settings options.
    type: path
  location:
    description: The unit's location text, up to 31 characters.
    type: str
  station:
    description: The network the unit joins in station mode.
    type: dict
    suboptions:
      ssid:
        description: The network's name.
        type: str
        required: true
      security:
        description: How the network is secured.
        type: str
        choices: [open, wep, wpa]
        default: wpa
      key:
        description: The network key; not used for an open network.
        type: str
        default: ""
  static_address:
    description: A fixed address in station mode.
    type: dict
    suboptions:
      enabled:
        description: Whether the unit uses a fixed address; false removes it.
        type: bool
        default: true
      ip:
        description: The address.
        type: str
        default: 0.0.0.0
      mask:
        description: The subnet mask.
        type: str
        default: 0.0.0.0
      gateway:
        description: The gateway.
        type: str
        default: 0.0.0.0
  modbus_tcp:
    description: The Modbus TCP server of a ZOR-06-WF.
    type: dict
    suboptions:
      port:
        description: The server's TCP port.
        type: int
        default: 502
      idle_timeout:
        description: Seconds before an idle connection is closed.
        type: int
        default: 120
  modbus_rtu:
    description: The Modbus RTU port of a ZOR-04-RTU-WF (its RTU.CFG on the SD card).
    type: dict
    suboptions:
      device_id:
        description: The unit's Modbus device number.
        type: str
        default: "1"
      baud_rate:
        description: The serial speed.
        type: str
        default: "115200"
      parity:
        description: The serial parity, as the setup window names it.
        type: str
        default: None
      data_bits:
        description: Data bits.
        type: str
        default: "8"
      stop_bits:
        description: Stop bits.
        type: str
        default: "1"
  project_dir:
    description:
      - An alarm project folder made with C(zorctl project new); its table, list and clips
        are compared by content and by each clip's size and sum.
    type: path
notes:
  - Runs on the controller; use C(ansible_connection=local) for the unit hosts.
  - Keys are never shown; the diff gives their length only.
"""

EXAMPLES = r"""
- name: The unit's location and project
  zorwifi_unit:
    address: 127.18.0.1
    location: Pump room
    project_dir: /srv/site/project
  notify: Restart the unit

- name: Station network with a fixed address
  zorwifi_unit:
    address: "{{ unit_address }}"
    station: {ssid: plant-net, security: wpa, key: "{{ vault_station_key }}"}
    static_address: {ip: 10.1.2.30, mask: 255.255.255.0, gateway: 10.1.2.1}

- name: Everything a profile holds
  zorwifi_unit:
    address: "{{ unit_address }}"
    profile: profiles/pump-room.json
"""

RETURN = r"""
changed:
  description: Whether a group was written (in check mode, whether one would be).
  returned: always
  type: bool
groups:
  description: Each group the profile holds, with its state.
  returned: always
  type: list
  elements: dict
  sample: [{"group": "location", "state": "changed"}, {"group": "alarm", "state": "unchanged"}]
differences:
  description: The fields that differ, as zorctl diff reports them, keys masked.
  returned: always
  type: list
  elements: dict
  sample: [{"group": "location", "field": "location", "unit": "Lobby", "file": "Pump room"}]
reboot_needed:
  description: True when settings were written that take effect at the unit's next restart.
  returned: always
  type: bool
"""

import base64
import json
import os
import tempfile

from ansible.module_utils.basic import AnsibleModule

SETTING_OPTIONS = ["location", "station", "static_address", "modbus_tcp", "modbus_rtu", "project_dir"]
KEY_TYPES = {"open": 0, "wep": 1, "wpa": 2}


def b64(data):
    return base64.b64encode(data).decode("ascii")


def project_part(module, folder):
    """The alarm part of a profile: the project's table and list, and its clips by size and sum."""
    files, clips = {}, []
    for name in ("plist.cfg", "m3fn.txt"):
        path = os.path.join(folder, name)
        try:
            with open(path, "rb") as f:
                files[name] = f.read()
        except OSError as e:
            module.fail_json(msg=f"{path}: {e.strerror}; start the project with zorctl project new")
    text = files["m3fn.txt"].decode("utf-8-sig", errors="replace")
    for number, line in enumerate(text.split("\r\n")[:64], start=1):
        path = os.path.join(folder, f"{number:03d}.mp3")
        if not line.strip():
            continue
        if not os.path.isfile(path):
            # A table naming a clip the unit never gets is worse than no write, as project write says.
            module.fail_json(msg=f"{path} is missing: the project's list names clip {number}")
        with open(path, "rb") as f:
            data = f.read()
        clips.append({"number": number, "saved": True, "size": len(data), "sum": sum(data) & 0xFFFFFFFF})
    return {name: b64(data) for name, data in files.items()}, {"folder": os.path.abspath(folder), "files": clips}


def profile_of(module):
    p = module.params
    settings, files = {}, {}
    profile = {"format": "zorwifi unit backup", "version": 1, "settings": settings, "files": files}
    if p["location"] is not None:
        settings["location"] = p["location"]
    if p["station"]:
        s = p["station"]
        settings.update(stationSsid=s["ssid"], stationKeyType=KEY_TYPES[s["security"]],
                        stationKey="" if s["security"] == "open" else s["key"])
    if p["static_address"]:
        a = p["static_address"]
        settings.update(staticIpUsed=a["enabled"], staticIp=a["ip"], subnetMask=a["mask"], gateway=a["gateway"])
    if p["modbus_tcp"]:
        settings.update(modbusPort=p["modbus_tcp"]["port"], modbusIdleTimeout=p["modbus_tcp"]["idle_timeout"])
    if p["modbus_rtu"]:
        r = p["modbus_rtu"]
        record = ",".join([r["device_id"], r["baud_rate"], r["parity"], r["data_bits"], r["stop_bits"]])
        files["RTU.CFG"] = b64(record.encode("latin-1"))
    if p["project_dir"]:
        alarm, profile["clips"] = project_part(module, p["project_dir"])
        files.update(alarm)
    return profile


def reason(stderr, rc):
    """The unit's reason: zorctl's last line of its own."""
    lines = [line for line in stderr.splitlines() if line.startswith("zorctl: ")]
    return lines[-1][len("zorctl: "):] if lines else f"zorctl exited with status {rc}"


def run(module, *arguments):
    command = [module.params["zorctl"], "--address", module.params["address"], "--json", *arguments]
    rc, out, err = module.run_command(command)
    result = None
    if out.strip():
        try:
            result = json.loads(out)
        except ValueError:
            pass
    return rc, result, err


def diff_text(differences, side):
    return "".join(f"{d['group']}.{d['field']}: {d[side]}\n" for d in differences)


def main():
    module = AnsibleModule(
        argument_spec=dict(
            address=dict(type="str", required=True),
            zorctl=dict(type="path", default="zorctl"),
            profile=dict(type="path"),
            location=dict(type="str"),
            station=dict(type="dict", options=dict(
                ssid=dict(type="str", required=True),
                security=dict(type="str", choices=list(KEY_TYPES), default="wpa"),
                key=dict(type="str", default="", no_log=True))),
            static_address=dict(type="dict", options=dict(
                enabled=dict(type="bool", default=True),
                ip=dict(type="str", default="0.0.0.0"),
                mask=dict(type="str", default="0.0.0.0"),
                gateway=dict(type="str", default="0.0.0.0"))),
            modbus_tcp=dict(type="dict", options=dict(
                port=dict(type="int", default=502),
                idle_timeout=dict(type="int", default=120))),
            modbus_rtu=dict(type="dict", options=dict(
                device_id=dict(type="str", default="1"),
                baud_rate=dict(type="str", default="115200"),
                parity=dict(type="str", default="None"),
                data_bits=dict(type="str", default="8"),
                stop_bits=dict(type="str", default="1"))),
            project_dir=dict(type="path"),
        ),
        mutually_exclusive=[["profile", option] for option in SETTING_OPTIONS],
        required_one_of=[["profile", *SETTING_OPTIONS]],
        supports_check_mode=True,
    )

    temporary = None
    try:
        path = module.params["profile"]
        if path is None:
            # Written only for zorctl to read; it may hold a key, so only this user may read it.
            fd, temporary = tempfile.mkstemp(prefix="zorwifi-profile-", suffix=".json")
            with os.fdopen(fd, "w") as f:
                json.dump(profile_of(module), f)
            path = temporary

        rc, compared, err = run(module, "diff", path)
        if rc not in (0, 5) or compared is None:
            module.fail_json(msg=reason(err, rc), rc=rc, stderr=err)
        differences = [dict(change, group=group["group"]) for group in compared["groups"] for change in group["changes"]]
        groups = [{"group": g["group"], "state": "would change" if g["differs"] else "unchanged"} for g in compared["groups"]]
        changed = rc == 5
        if changed and not module.check_mode:
            rc, restored, err = run(module, "restore", path, "--changed-only")
            if rc != 0 or restored is None:
                module.fail_json(msg=reason(err, rc), rc=rc, stderr=err, differences=differences)
            groups = restored["groups"]
            changed = bool(restored["restored"])
        result = dict(changed=changed, groups=groups, differences=differences,
                      reboot_needed=changed and not module.check_mode
                      and any(g["state"] == "changed" and g["group"] != "alarm" for g in groups))
        if module._diff:
            result["diff"] = dict(before_header=f"{module.params['address']} (unit)", after_header="desired",
                                  before=diff_text(differences, "unit"), after=diff_text(differences, "file"))
        module.exit_json(**result)
    finally:
        if temporary:
            os.unlink(temporary)


if __name__ == "__main__":
    main()
