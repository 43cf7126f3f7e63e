"""Headless Chromium driven over its DevTools protocol, with the Python
standard library alone: a small WebSocket client, the page's console
errors and requests collected, JavaScript evaluated, screenshots taken."""

import base64
import http.client
import json
import os
import re
import shutil
import socket
import struct
import subprocess
import tempfile
import time

CHROMIUM_FLAGS = [
    "--headless", "--no-sandbox", "--disable-gpu", "--enable-unsafe-swiftshader", "--use-gl=angle",
    "--use-angle=swiftshader", "--disable-background-networking", "--disable-component-update",
    "--disable-sync", "--no-first-run", "--no-default-browser-check", "--mute-audio",
    "--host-resolver-rules=MAP * ~NOTFOUND", "--hide-scrollbars", "--remote-debugging-port=0",
]


class WebSocket:
    """A client's end of one WebSocket connection (RFC 6455): text frames."""

    def __init__(self, url, timeout):
        match = re.match(r"ws://([^/:]+):(\d+)(/.*)", url)
        self.sock = socket.create_connection((match.group(1), int(match.group(2))), timeout=timeout)
        key = base64.b64encode(os.urandom(16)).decode()
        request = (f"GET {match.group(3)} HTTP/1.1\r\nHost: {match.group(1)}:{match.group(2)}\r\n"
                   f"Upgrade: websocket\r\nConnection: Upgrade\r\nSec-WebSocket-Key: {key}\r\n"
                   "Sec-WebSocket-Version: 13\r\n\r\n")
        self.sock.sendall(request.encode())
        answer = b""
        while b"\r\n\r\n" not in answer:
            chunk = self.sock.recv(4096)
            if not chunk:
                raise ConnectionError("DevTools closed the connection during the handshake")
            answer += chunk
        if b" 101 " not in answer.split(b"\r\n", 1)[0]:
            raise ConnectionError("DevTools refused the WebSocket: " + answer.split(b"\r\n", 1)[0].decode())
        self.buffer = answer.split(b"\r\n\r\n", 1)[1]

    def send(self, text):
        payload = text.encode()
        mask = os.urandom(4)
        header = bytes([0x81])
        if len(payload) < 126:
            header += bytes([0x80 | len(payload)])
        elif len(payload) < 65536:
            header += bytes([0x80 | 126]) + struct.pack(">H", len(payload))
        else:
            header += bytes([0x80 | 127]) + struct.pack(">Q", len(payload))
        masked = bytes(b ^ mask[i % 4] for i, b in enumerate(payload))
        self.sock.sendall(header + mask + masked)

    def _read(self, count):
        while len(self.buffer) < count:
            chunk = self.sock.recv(1 << 20)
            if not chunk:
                raise ConnectionError("DevTools closed the connection")
            self.buffer += chunk
        data, self.buffer = self.buffer[:count], self.buffer[count:]
        return data

    def receive(self):
        message = b""
        while True:
            first, second = self._read(2)
            length = second & 0x7F
            if length == 126:
                length = struct.unpack(">H", self._read(2))[0]
            elif length == 127:
                length = struct.unpack(">Q", self._read(8))[0]
            payload = self._read(length)
            opcode = first & 0x0F
            if opcode == 8:
                raise ConnectionError("DevTools closed the WebSocket")
            if opcode in (0, 1, 2):
                message += payload
                if first & 0x80:
                    return message.decode()


class Browser:
    """Chromium with one page at url, window width x height pixels."""

    def __init__(self, url, width=1280, height=1024, timeout=120):
        self.profile = tempfile.mkdtemp(prefix="page-chromium-")
        self.process = subprocess.Popen(
            ["chromium", *CHROMIUM_FLAGS, f"--user-data-dir={self.profile}", f"--window-size={width},{height}",
             "about:blank"], stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
        port = None
        deadline = time.time() + 60
        while port is None and time.time() < deadline:
            line = self.process.stderr.readline()
            if not line and self.process.poll() is not None:
                break
            match = re.search(r"DevTools listening on ws://127\.0\.0\.1:(\d+)/", line)
            if match:
                port = int(match.group(1))
        if port is None:
            self.close()
            raise RuntimeError("chromium did not start its DevTools server")
        connection = http.client.HTTPConnection("127.0.0.1", port, timeout=30)
        connection.request("GET", "/json/list")
        targets = json.loads(connection.getresponse().read())
        page = next(t for t in targets if t.get("type") == "page")
        self.socket = WebSocket(page["webSocketDebuggerUrl"], timeout)
        self.next_id = 0
        self.errors = []
        self.requests = []
        for domain in ("Runtime", "Log", "Network", "Page"):
            self.call(domain + ".enable")
        self.call("Emulation.setDeviceMetricsOverride", width=width, height=height, deviceScaleFactor=1, mobile=False)
        self.call("Page.navigate", url=url)

    def _event(self, message):
        method = message.get("method")
        params = message.get("params", {})
        if method == "Runtime.consoleAPICalled" and params.get("type") in ("error", "assert"):
            self.errors.append(" ".join(str(a.get("value", a.get("description", ""))) for a in params.get("args", [])))
        elif method == "Runtime.exceptionThrown":
            details = params.get("exceptionDetails", {})
            self.errors.append(details.get("exception", {}).get("description", details.get("text", "exception")))
        elif method == "Log.entryAdded" and params.get("entry", {}).get("level") == "error":
            self.errors.append(params["entry"].get("text", ""))
        elif method == "Network.requestWillBeSent":
            self.requests.append(params.get("request", {}).get("url", ""))

    def call(self, method, **params):
        self.next_id += 1
        self.socket.send(json.dumps({"id": self.next_id, "method": method, "params": params}))
        while True:
            message = json.loads(self.socket.receive())
            if message.get("id") == self.next_id:
                if "error" in message:
                    raise RuntimeError(f"{method}: {message['error']}")
                return message.get("result", {})
            self._event(message)

    def evaluate(self, expression, await_promise=False):
        result = self.call("Runtime.evaluate", expression=expression, returnByValue=True, awaitPromise=await_promise)
        if "exceptionDetails" in result:
            raise RuntimeError(f"{expression}: {result['exceptionDetails']}")
        return result.get("result", {}).get("value")

    def wait_for(self, expression, timeout=90):
        deadline = time.time() + timeout
        while time.time() < deadline:
            if self.evaluate(expression):
                return
            time.sleep(0.2)
        raise TimeoutError(f"not true within {timeout} s: {expression}")

    def screenshot(self, path):
        data = self.call("Page.captureScreenshot", format="png")["data"]
        with open(path, "wb") as file:
            file.write(base64.b64decode(data))

    def click(self, x, y):
        for kind in ("mousePressed", "mouseReleased"):
            self.call("Input.dispatchMouseEvent", type=kind, x=x, y=y, button="left", clickCount=1)

    def key(self, key, code, key_code):
        for kind in ("rawKeyDown", "keyUp"):
            self.call("Input.dispatchKeyEvent", type=kind, key=key, code=code, windowsVirtualKeyCode=key_code)

    def close(self):
        if self.process.poll() is None:
            self.process.terminate()
            try:
                self.process.wait(timeout=10)
            except subprocess.TimeoutExpired:
                self.process.kill()
        shutil.rmtree(self.profile, ignore_errors=True)


def pixels(path):
    """Width, height and the RGB bytes of a picture (ImageMagick's convert)."""
    size = subprocess.run(["identify", "-format", "%w %h", path], check=True, capture_output=True, text=True).stdout
    width, height = map(int, size.split())
    rgb = subprocess.run(["convert", path, "-depth", "8", "rgb:-"], check=True, capture_output=True).stdout
    return width, height, rgb
