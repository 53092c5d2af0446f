#!/usr/bin/env python3
"""A stand-alone alarm unit double, written from the published byte layouts only.

It shares no code or constants with the tool, so a constant both the tool and its own
simulator got wrong shows up here. One request frame per connection; after an accepted
file announcement the next connection carries the file contents.
"""

import argparse
import asyncio
import json
import os
import signal
import socket
import sys
import threading
import time

MAGIC = bytes([0x5A, 0x35, 0x77, 0xA5])
PORT = 13577
ACK = 6
NAK = 0x15

# Largest request each code may have; None where the size follows from a field.
MAX_SIZE = {
    29: 9, 33: 9, 37: 9, 38: 9, 45: 5, 48: 6, 50: None, 64: 9, 66: 6, 69: 6,
    90: 40, 91: 32, 93: 40, 94: 6, 95: 60, 112: 8, 191: None, 208: 9, 216: 5,
    220: 5, 224: 6,
}


def byte_sum(data):
    return sum(data) & 0xFFFFFFFF


def be32(value):
    return value.to_bytes(4, "big")


def name_field(frame):
    """Byte 16 is the name length, the name follows; cut at the frame's end."""
    if len(frame) < 17:
        return ""
    n = frame[16]
    return frame[17:17 + n].decode("latin-1")


def put_text(buf, offset, text, limit):
    raw = text.encode("latin-1")[:limit]
    buf[offset:offset + len(raw)] = raw


class Unit:
    def __init__(self, host, model=189, sd=True, location="Boiler room",
                 wrong_firmware_sum=False, refuse=()):
        self.host = host
        self.model = model
        self.sd = sd
        self.location = location
        self.wrong_firmware_sum = wrong_firmware_sum
        self.refuse = set(refuse)  # codes answered with a status other than 6
        self.mac = bytes([0x02, 0x00, 0x5E, 0x10, 0x00, 0x01])
        self.firmware = (0x01, 0x20)
        self.relay = 0
        self.inputs = 0x05
        self.volume = 6
        self.armed = 1
        self.modbus_port = 502
        self.modbus_timeout = 120
        self.sd_files = {}
        self.flash_files = {}
        self.events = []
        self.pending = None  # the announced transfer the next connection carries
        self.open_connections = 0
        self.lock = threading.Lock()
        self._conn_counter = 0

    # -- answers ----------------------------------------------------------

    def device_information(self):
        a = bytearray(256)
        a[0:4] = MAGIC
        a[4] = 33
        a[5] = ACK
        a[6] = self.model
        a[7:11] = bytes(int(x) for x in self.host.split("."))
        a[11:17] = self.mac
        a[17] = 1 if self.sd else 0
        a[18], a[19], a[20], a[21] = 7, 45, 3, 5
        a[24], a[25] = self.firmware
        a[36:38] = self.modbus_timeout.to_bytes(2, "big")
        put_text(a, 40, self.location, 31)
        put_text(a, 80, "ZOR-06-WF-TEST01", 31)
        a[112] = 2
        put_text(a, 113, "apsecret1", 14)
        put_text(a, 128, "plant-net", 31)
        a[160] = 2
        put_text(a, 161, "stasecret", 14)
        a[176] = 1
        a[177] = self.relay
        a[178] = self.inputs
        a[179:181] = self.modbus_port.to_bytes(2, "big")
        a[181] = 0
        a[194], a[195] = 0xFF, 0xC4
        a[196] = 0
        a[197] = self.volume
        a[198] = self.armed
        return bytes(a)

    def status(self):
        a = bytearray(13)
        a[0:4] = MAGIC
        a[4], a[5] = 216, ACK
        a[6], a[7] = self.relay, self.inputs
        a[8], a[9] = 0xFF, 0xC4
        a[11], a[12] = self.volume, self.armed
        return bytes(a)

    def answer(self, frame):
        code = frame[4]
        plain = MAGIC + bytes([code, ACK])
        if code in self.refuse:
            return MAGIC + bytes([code, NAK])
        if code == 33:
            return self.device_information()
        if code == 216:
            return self.status()
        if code == 208 and len(frame) >= 7:
            if frame[5] == 1:
                self.relay = frame[6] & 1
            return MAGIC + bytes([208, ACK, self.relay, self.inputs])
        if code == 64 and len(frame) >= 8:
            self.volume, self.armed = frame[6], frame[7]
            return plain
        if code == 90:
            name = name_field(frame)
            self.pending = ("in", "sd", name, int.from_bytes(frame[5:9], "big"), code)
            return plain
        if code == 95:
            name = name_field(frame)
            self.pending = ("in", "flash", name, int.from_bytes(frame[5:9], "big"), code)
            return plain
        if code == 91:
            name = name_field(frame)
            if name not in self.sd_files:
                return MAGIC + bytes([91, NAK])
            data = self.sd_files[name]
            self.pending = ("out", "sd", name, len(data), code)
            return plain + be32(len(data))
        if code == 93:
            self.flash_files.pop(name_field(frame), None)
            return plain
        if code == 191:
            self.sd_files.pop(name_field(frame), None)
            return plain
        if code == 37:
            stored = self.flash_files.get("/sys/mcuimg.bin", b"")
            total = byte_sum(stored)
            if self.wrong_firmware_sum:
                total = (total + 1) & 0xFFFFFFFF
            return plain + be32(total)
        return plain

    # -- connections ------------------------------------------------------

    def record(self, event):
        with self.lock:
            event["time"] = round(time.monotonic(), 3)
            self.events.append(event)

    async def read_frame(self, reader):
        data = b""
        while True:
            limit = None
            if len(data) >= 5:
                code = data[4]
                limit = MAX_SIZE.get(code, 60)
                if code == 50 and len(data) >= 6:
                    limit = data[5] + 6
                elif code == 191 and len(data) >= 17:
                    limit = data[16] + 21
            if limit is not None and len(data) >= limit:
                return data
            try:
                chunk = await asyncio.wait_for(reader.read(1024), 0.08 if data else 5.0)
            except asyncio.TimeoutError:
                return data
            if not chunk:
                return data
            data += chunk

    async def handle(self, reader, writer):
        self.open_connections += 1
        self._conn_counter += 1
        conn = self._conn_counter
        opened = round(time.monotonic(), 3)
        try:
            pending, self.pending = self.pending, None
            if pending is not None:
                await self.data_phase(conn, opened, pending, reader, writer)
                return
            frame = await self.read_frame(reader)
            event = {"conn": conn, "opened": opened, "kind": "cmd", "hex": frame.hex(" ").upper(),
                     "code": frame[4] if len(frame) > 4 else None}
            if len(frame) < 5 or frame[:4] != MAGIC:
                event["error"] = "bad frame"
                self.record(event)
                return
            reply = self.answer(frame)
            event["answer"] = reply[:16].hex(" ").upper()
            self.record(event)
            try:
                writer.write(reply)
                await writer.drain()
                # Stay until the tool closes, so a send-only frame is not cut by a reset.
                await asyncio.wait_for(reader.read(1), 2.0)
            except (ConnectionError, asyncio.TimeoutError):
                pass
        finally:
            try:
                writer.close()
                await writer.wait_closed()
            except ConnectionError:
                pass
            self.open_connections -= 1

    async def data_phase(self, conn, opened, pending, reader, writer):
        direction, target, name, length, code = pending
        event = {"conn": conn, "opened": opened, "kind": "data-" + direction, "target": target,
                 "name": name, "announced": length, "code": code}
        if direction == "out":
            writer.write(self.sd_files[name])
            await writer.drain()
            event["sent"] = length
            self.record(event)
            return
        data = b""
        while True:
            try:
                chunk = await asyncio.wait_for(reader.read(65536), 15.0)
            except asyncio.TimeoutError:
                event["error"] = "timeout"
                break
            if not chunk:
                break
            data += chunk
        event["received"] = len(data)
        event["sum"] = byte_sum(data)
        store = self.sd_files if target == "sd" else self.flash_files
        store[name] = data
        self.record(event)

    # -- running ----------------------------------------------------------

    def frames(self, start=0):
        """Events from `start` on, in the order their connections were opened."""
        with self.lock:
            return sorted(self.events[start:], key=lambda e: e["conn"])

    def settled(self, quiet=0.15, timeout=10.0):
        """Wait until no connection is open and nothing happened for `quiet` seconds."""
        # A connection the client has already closed may still wait in the listen queue.
        time.sleep(quiet)
        end = time.monotonic() + timeout
        while time.monotonic() < end:
            with self.lock:
                last = self.events[-1]["time"] if self.events else 0
            if self.open_connections == 0 and time.monotonic() - last >= quiet:
                return True
            time.sleep(0.05)
        return False

    def dump(self, directory):
        for target, store in (("sd", self.sd_files), ("flash", self.flash_files)):
            for name, data in store.items():
                relative = os.path.normpath(name.lstrip("/"))
                if relative.startswith(".."):
                    continue  # stays inside the dump folder
                path = os.path.join(directory, target, relative)
                os.makedirs(os.path.dirname(path), exist_ok=True)
                with open(path, "wb") as f:
                    f.write(data)
        with open(os.path.join(directory, "frames.json"), "w") as f:
            json.dump(self.frames(), f, indent=1)


class Server:
    """Runs a Unit on its own event loop thread; for tests in the same process."""

    def __init__(self, unit):
        self.unit = unit
        self.loop = asyncio.new_event_loop()
        self.ready = threading.Event()
        self.thread = threading.Thread(target=self._run, daemon=True)
        self.error = None

    def _run(self):
        asyncio.set_event_loop(self.loop)
        try:
            sock = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
            sock.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
            sock.bind((self.unit.host, PORT))
            self.server = self.loop.run_until_complete(
                asyncio.start_server(self.unit.handle, sock=sock))
        except OSError as e:
            self.error = e
            self.ready.set()
            return
        self.ready.set()
        self.loop.run_forever()
        self.server.close()
        self.loop.run_until_complete(self.server.wait_closed())

    def start(self):
        self.thread.start()
        self.ready.wait(5)
        if self.error:
            raise self.error
        return self

    def stop(self):
        self.loop.call_soon_threadsafe(self.loop.stop)
        self.thread.join(5)


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--address", default="127.0.9.1")
    parser.add_argument("--model", type=int, default=189)
    parser.add_argument("--no-sd", action="store_true")
    parser.add_argument("--dump", metavar="DIR", help="write stored files and frames here at exit")
    args = parser.parse_args()
    if not args.address.startswith("127."):
        sys.exit("loopback addresses only")
    unit = Unit(args.address, model=args.model, sd=not args.no_sd)
    server = Server(unit).start()
    done = threading.Event()
    for sig in (signal.SIGINT, signal.SIGTERM):
        signal.signal(sig, lambda *_: done.set())
    print(f"unit listening on {args.address}:{PORT}", flush=True)
    done.wait()
    server.stop()
    if args.dump:
        unit.dump(args.dump)


if __name__ == "__main__":
    main()
