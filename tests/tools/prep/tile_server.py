#!/usr/bin/env python3
"""A tile and object server for the prep tests: serves the files under ROOT
over HTTP/1.1 on 127.0.0.1 as object stores do (Range requests answered 206
with Content-Range, a missing .tif answered 403 as S3 does), counts the
requests it serves (GET /__stats), logs each as it arrives (--log: seconds
since the epoch, method, path), and plays one fault on the paths that contain
--match."""

import argparse
import json
import os
import re
import threading
import time
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer

FAULTS = ["none", "404", "500", "500-twice", "429", "slow", "short", "html200", "redirect"]


class State:
    def __init__(self, args):
        self.args = args
        self.lock = threading.Lock()
        self.requests = 0
        self.fault_hits = 0
        # Line-buffered, so that a test polling the log sees each request as
        # it arrives; an append costs far less than the 50 ms a benchmark adds.
        self.log = open(args.log, "a", buffering=1) if args.log else None


class Handler(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    # Headers and body go out in separate writes: without this each answer
    # would wait for the client's delayed acknowledgement.
    disable_nagle_algorithm = True

    def log_message(self, *args):
        pass

    def do_HEAD(self):
        self.answer(head=True)

    def do_GET(self):
        self.answer(head=False)

    def send_body(self, status, body, content_type, head, extra=()):
        self.send_response(status)
        self.send_header("Content-Type", content_type)
        self.send_header("Content-Length", str(len(body)))
        for name, value in extra:
            self.send_header(name, value)
        self.end_headers()
        if not head:
            self.wfile.write(body)

    def answer(self, head):
        state = self.server.state
        args = state.args
        path = self.path.split("?", 1)[0]
        if path == "/__stats":
            with state.lock:
                body = json.dumps({"requests": state.requests}).encode()
            self.send_body(200, body, "application/json", head)
            return
        with state.lock:
            state.requests += 1
            if state.log:
                state.log.write("%.6f %s %s\n" % (time.time(), self.command, self.path))
            faulty = args.fault != "none" and args.match in path and not path.startswith("/moved/")
            if faulty:
                state.fault_hits += 1
            hits = state.fault_hits
        if args.delay_ms:
            time.sleep(args.delay_ms / 1000.0)
        if faulty:
            if args.fault == "404":
                self.send_body(404, b"not found", "text/plain", head)
                return
            if args.fault == "500" or (args.fault == "500-twice" and hits <= 2):
                self.send_body(500, b"busy", "text/plain", head)
                return
            if args.fault == "429" and hits <= 1:
                self.send_body(429, b"slow down", "text/plain", head, [("Retry-After", "1")])
                return
            if args.fault == "slow" and (hits <= 1 or not args.slow_once):
                time.sleep(args.slow_seconds)
            if args.fault == "html200":
                self.send_body(200, b"<html><body>Service unavailable</body></html>", "text/html", head)
                return
            if args.fault == "redirect":
                self.send_body(302, b"", "text/plain", head, [("Location", "/moved" + path)])
                return
        if path.startswith("/moved/"):
            path = path[len("/moved"):]
        file_path = os.path.normpath(os.path.join(args.root, path.lstrip("/")))
        if not file_path.startswith(os.path.abspath(args.root)) or not os.path.isfile(file_path):
            self.send_body(403 if path.endswith(".tif") else 404, b"no such object", "text/plain", head)
            return
        with open(file_path, "rb") as f:
            data = f.read()
        content_type = "image/tiff" if path.endswith(".tif") else "application/octet-stream"
        if faulty and args.fault == "short":
            self.send_response(200)
            self.send_header("Content-Type", content_type)
            self.send_header("Content-Length", str(len(data)))
            self.end_headers()
            if not head:
                self.wfile.write(data[: len(data) // 2])
            self.close_connection = True
            return
        wanted = self.headers.get("Range")
        match = re.match(r"bytes=(\d*)-(\d*)$", wanted or "")
        if match and data:
            first, last = match.group(1), match.group(2)
            if first:
                start = int(first)
                end = min(int(last), len(data) - 1) if last else len(data) - 1
            else:
                start = max(len(data) - int(last), 0)
                end = len(data) - 1
            if start >= len(data):
                self.send_body(416, b"", "text/plain", head, [("Content-Range", "bytes */%d" % len(data))])
                return
            self.send_body(206, data[start:end + 1], content_type, head,
                           [("Content-Range", "bytes %d-%d/%d" % (start, end, len(data))), ("Accept-Ranges", "bytes")])
            return
        self.send_body(200, data, content_type, head, [("Accept-Ranges", "bytes")])


class Server(ThreadingHTTPServer):
    daemon_threads = True

    def handle_error(self, request, client_address):
        pass  # clients that give up (time-outs) are part of the tests


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("root")
    parser.add_argument("--port-file", required=True)
    parser.add_argument("--log", default="")
    parser.add_argument("--fault", choices=FAULTS, default="none")
    parser.add_argument("--match", default="")
    parser.add_argument("--delay-ms", type=float, default=0.0)
    parser.add_argument("--slow-seconds", type=float, default=3.0)
    parser.add_argument("--slow-once", action="store_true")
    args = parser.parse_args()
    args.root = os.path.abspath(args.root)
    server = Server(("127.0.0.1", 0), Handler)
    server.state = State(args)
    with open(args.port_file + ".tmp", "w") as f:
        f.write(str(server.server_address[1]))
    os.replace(args.port_file + ".tmp", args.port_file)
    server.serve_forever()


if __name__ == "__main__":
    main()
