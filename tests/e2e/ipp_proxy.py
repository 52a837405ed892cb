# SPDX-License-Identifier: MIT
"""A relay between the program and a private cupsd, on a local socket, that can delay or drop
the server's answer to one IPP operation."""

import os
import socket
import struct
import threading
import time

# Every IPP message has its operation (or status) and request id before this.
_CHARSET = b"\x01\x47\x00\x12attributes-charset"
_CONTINUE = b"HTTP/1.1 100 Continue\r\n\r\n"

OPERATIONS = {0x0005: "Create-Job", 0x0006: "Send-Document", 0x0008: "Cancel-Job",
              0x0009: "Get-Job-Attributes", 0x000A: "Get-Jobs", 0x000B: "Get-Printer-Attributes",
              0x000D: "Release-Job", 0x4001: "CUPS-Get-Default"}


class _Link:
    def __init__(self, proxy, client):
        self.proxy, self.client = proxy, client
        self.server = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
        self.server.connect(proxy.upstream)
        self.held = None  # what is done to the next answer: None, ("delay", s) or ("drop",)
        self.dropping = False

    def start(self):
        for target in (self._requests, self._answers):
            threading.Thread(target=target, daemon=True).start()

    def _requests(self):
        # Short enough that a header found once is never found again.
        keep = len(_CHARSET) + 7
        tail = b""
        try:
            while True:
                data = self.client.recv(65536)
                if not data:
                    break
                # The client waits for an answer before it asks again, so the operation seen
                # here is the one the next answer belongs to.
                scan = tail + data
                at = scan.find(_CHARSET, 8)
                while at >= 8:
                    held = self.proxy.seen(struct.unpack(">H", scan[at - 6:at - 4])[0])
                    if held:
                        self.held = held
                    at = scan.find(_CHARSET, at + 1)
                tail = scan[-keep:]
                self.server.sendall(data)
        except OSError:
            pass
        self.close()

    def _answers(self):
        try:
            while True:
                data = self.server.recv(65536)
                if not data:
                    break
                if self.dropping:
                    continue
                if self.held:
                    # An interim answer to "Expect: 100-continue" is not the answer.
                    while data.startswith(_CONTINUE):
                        self.client.sendall(_CONTINUE)
                        data = data[len(_CONTINUE):]
                    if not data:
                        continue
                    held, self.held = self.held, None
                    if held[0] == "drop":
                        self.dropping = True
                        continue
                    if self.proxy.sleep(held[1]):
                        break
                self.client.sendall(data)
        except OSError:
            pass
        self.close()

    def close(self):
        for sock in (self.client, self.server):
            try:
                sock.shutdown(socket.SHUT_RDWR)
            except OSError:
                pass
            sock.close()


class IppProxy:
    """Listens on `path`, relays to the cupsd at `upstream`. `hold(op, delay)` delays the next
    answer to `op` by `delay` seconds, or drops it (and everything after it on that connection)
    when `delay` is None."""

    def __init__(self, path, upstream):
        self.path, self.upstream = path, upstream
        self.lock = threading.Lock()
        self.target = None
        self.ops = []
        self.stopped = threading.Event()
        self.links = []
        self.listener = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
        self.listener.bind(path)
        os.chmod(path, 0o777)
        self.listener.listen(16)
        self.listener.settimeout(0.2)
        threading.Thread(target=self._accept, daemon=True).start()

    def _accept(self):
        while not self.stopped.is_set():
            try:
                client, _ = self.listener.accept()
            except socket.timeout:
                continue
            except OSError:
                break
            link = _Link(self, client)
            self.links.append(link)
            link.start()

    def hold(self, op, delay):
        with self.lock:
            self.target = (op, ("drop",) if delay is None else ("delay", delay))
            self.ops = []

    def seen(self, op):
        with self.lock:
            self.ops.append(OPERATIONS.get(op, hex(op)))
            if self.target and self.target[0] == op:
                held, self.target = self.target[1], None
                return held
        return None

    def armed(self):
        with self.lock:
            return self.target is not None

    def sleep(self, seconds):
        """True when the proxy stopped meanwhile."""
        return self.stopped.wait(seconds)

    def stop(self):
        self.stopped.set()
        self.listener.close()
        for link in self.links:
            link.close()
        try:
            os.remove(self.path)
        except OSError:
            pass
