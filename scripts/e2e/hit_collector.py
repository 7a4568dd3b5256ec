#!/usr/bin/env python3
"""A loopback collection endpoint for the installer analytics tests.

Records every request as one JSON line (method, path, headers, body) and
answers 200. Listens on 127.0.0.1 on a free port, which it writes to
--port-file once it is ready, and stops by itself after --lifetime seconds.

With --silent it accepts connections and never answers: an endpoint that
holds every request until the client gives up. With --delay SECONDS it
records each request at once and answers only after that long; with
--trickle it sends its answer (status line, headers and a long body) one
byte a second. With --status CODE it answers CODE instead of 200 (a 3xx
with a Location on this server, which answers a GET with 405).
"""
import argparse
import http.server
import json
import socket
import threading
import time


class Recorder(http.server.BaseHTTPRequestHandler):
    log_path = None
    lock = threading.Lock()
    delay = 0.0
    trickle = False
    status = 200

    def do_POST(self):
        length = int(self.headers.get("Content-Length") or 0)
        body = self.rfile.read(length) if length > 0 else b""
        entry = {
            "method": "POST",
            "path": self.path,
            "headers": {k.lower(): v for k, v in self.headers.items()},
            "body": body.decode("utf-8", errors="replace"),
        }
        with self.lock, open(self.log_path, "a", encoding="utf-8") as log:
            log.write(json.dumps(entry) + "\n")
        try:
            self.answer()
        except OSError:
            pass  # the client gave up first

    def answer(self):
        time.sleep(self.delay)
        if self.trickle:
            # Status line, headers and a long body, one byte a second.
            body = b"ok" * 50000
            reply = (b"HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\nContent-Length: %d\r\n\r\n" % len(body)) + body
            self.close_connection = True
            for i in range(len(reply)):
                self.wfile.write(reply[i:i + 1])
                self.wfile.flush()
                time.sleep(1)
            return
        reply = b"ok"
        self.send_response(self.status)
        if 300 <= self.status <= 399:
            self.send_header("Location", "/moved")
        self.send_header("Content-Type", "text/plain")
        self.send_header("Content-Length", str(len(reply)))
        self.end_headers()
        self.wfile.write(reply)

    def do_GET(self):
        with self.lock, open(self.log_path, "a", encoding="utf-8") as log:
            log.write(json.dumps({"method": "GET", "path": self.path, "headers": {}, "body": ""}) + "\n")
        self.send_response(405)
        self.send_header("Content-Length", "0")
        self.end_headers()

    def log_message(self, *args):
        pass


def serve_recording(args):
    Recorder.log_path = args.log
    Recorder.delay = args.delay
    Recorder.trickle = args.trickle
    Recorder.status = args.status
    open(args.log, "w").close()
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Recorder)
    server.daemon_threads = True
    with open(args.port_file, "w") as f:
        f.write(str(server.server_address[1]))
    threading.Timer(args.lifetime, server.shutdown).start()
    server.serve_forever(poll_interval=0.2)


def serve_silent(args):
    listener = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    listener.bind(("127.0.0.1", 0))
    listener.listen(64)
    listener.settimeout(0.5)
    with open(args.port_file, "w") as f:
        f.write(str(listener.getsockname()[1]))
    held = []
    end = time.monotonic() + args.lifetime
    while time.monotonic() < end:
        try:
            conn, _ = listener.accept()
            held.append(conn)  # read nothing, answer nothing
        except socket.timeout:
            pass
    for conn in held:
        conn.close()
    listener.close()


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--port-file", required=True)
    parser.add_argument("--log", default="/dev/null")
    parser.add_argument("--lifetime", type=float, default=300)
    parser.add_argument("--silent", action="store_true")
    parser.add_argument("--delay", type=float, default=0.0)
    parser.add_argument("--trickle", action="store_true")
    parser.add_argument("--status", type=int, default=200)
    args = parser.parse_args()
    (serve_silent if args.silent else serve_recording)(args)


if __name__ == "__main__":
    main()
