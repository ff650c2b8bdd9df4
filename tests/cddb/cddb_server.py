#!/usr/bin/env python3
"""A CD database that speaks CDDB over HTTP on 127.0.0.1, for the tests.

It answers from canned replies in replies/<scenario>/, the scenario being the
first part of the request path (/single/~cddb/cddb.cgi):

  query                 the answer to a "cddb query" of any disc
  read-<category>-<id>  the answer to "cddb read <category> <id>"

A search without a reply gets 202 and a read without one 401, as a real
server answers an unknown disc. Requests without the greeting, or with
malformed commands, get the protocol's errors. Answers carry a
Content-Length and the connection closes after them, except in these
scenarios:

  silent   takes the connection and never answers
  cut      answers without a Content-Length (its read reply is cut short)
  open     keeps the connection open after each answer
  trickle  sends the answer of "single" one byte every 0.2 seconds

When the client closes a connection that silent, open or trickle keep,
"closed" and the target are logged. Every request target is appended to
DIR/requests.log before its answer goes out.

  cddb_server.py start DIR   serves in the background; DIR/port holds the port
  cddb_server.py stop DIR    stops it
A server ends by itself after an hour.
"""
import http.server
import os
import re
import sys
import threading
import time
import urllib.parse

sys.path.insert(0, os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
import background_server  # noqa: E402

REPLIES = os.path.join(os.path.dirname(os.path.abspath(__file__)), "replies")
TRICKLE_SECONDS = 0.2
# Scenarios that answer from the replies of another.
REPLIES_OF = {"open": "single", "trickle": "single"}


class Handler(http.server.BaseHTTPRequestHandler):
    def log_message(self, *args):
        pass

    def log_request_line(self, text):
        with self.server.log_lock, open(self.server.log_path, "a", encoding="utf-8") as log:
            log.write(text + "\n")

    def reply(self, scenario, body):
        head = b"HTTP/1.0 200 OK\r\nContent-Type: text/plain; charset=UTF-8\r\n"
        if scenario != "cut":
            head += b"Content-Length: %d\r\n" % len(body)
        answer = head + b"\r\n" + body
        if scenario != "trickle":
            self.wfile.write(answer)
        else:
            try:
                for i in range(len(answer)):
                    self.wfile.write(answer[i:i + 1])
                    time.sleep(TRICKLE_SECONDS)
            except OSError:
                self.log_request_line("closed " + self.path)
                self.close_connection = True
                return
        if scenario in ("open", "trickle"):
            self.wait_for_close()

    def do_GET(self):
        self.log_request_line(self.path)
        target = urllib.parse.urlsplit(self.path)
        parts = target.path.split("/")
        if len(parts) < 3 or not re.fullmatch(r"[a-z]+", parts[1]) or not target.path.endswith("/cddb.cgi"):
            self.send_error(404)
            return
        scenario = parts[1]
        if scenario == "silent":
            self.wait_for_close()
            return
        fields = urllib.parse.parse_qs(target.query, keep_blank_values=True)
        self.reply(scenario, self.answer(REPLIES_OF.get(scenario, scenario), fields))

    def wait_for_close(self):
        self.connection.settimeout(120)
        try:
            while self.connection.recv(1024):
                pass
            self.log_request_line("closed " + self.path)
        except OSError:
            pass
        self.close_connection = True

    def answer(self, scenario, fields):
        hello = fields.get("hello", [""])[0].split()
        if len(hello) != 4 or not all(hello):
            return b"409 No handshake.\r\n"
        if not re.fullmatch(r"[1-6]", fields.get("proto", [""])[0]):
            return b"501 Illegal protocol level.\r\n"
        words = fields.get("cmd", [""])[0].split()
        if words[:2] == ["cddb", "query"]:
            return self.query(scenario, words[2:])
        if words[:2] == ["cddb", "read"]:
            return self.read(scenario, words[2:])
        return b"500 Unrecognized command.\r\n"

    def query(self, scenario, words):
        numbers = words[1:]
        if (len(words) < 4 or not re.fullmatch(r"[0-9a-f]{8}", words[0])
                or not all(re.fullmatch(r"[0-9]+", w) for w in numbers)
                or len(numbers) != int(numbers[0]) + 2):
            return b"500 Command syntax error.\r\n"
        return self.canned(scenario, "query", b"202 No match for disc ID %s.\r\n" % words[0].encode())

    def read(self, scenario, words):
        if len(words) != 2 or not re.fullmatch(r"[a-z]+", words[0]) or not re.fullmatch(r"[0-9a-f]{8}", words[1]):
            return b"500 Command syntax error.\r\n"
        missing = b"401 %s %s No such CD entry in database.\r\n" % (words[0].encode(), words[1].encode())
        return self.canned(scenario, "read-%s-%s" % (words[0], words[1]), missing)

    def canned(self, scenario, name, otherwise):
        path = os.path.join(REPLIES, scenario, name)
        if not os.path.isfile(path):
            return otherwise
        with open(path, "rb") as reply:
            return reply.read()


def stop(directory):
    return background_server.stop(directory, "cddb_server.py", ["port"])


def start(directory):
    os.makedirs(directory, exist_ok=True)
    stop(directory)
    log_path = os.path.join(directory, "requests.log")
    open(log_path, "w").close()
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
    server.daemon_threads = True
    server.log_path = log_path
    server.log_lock = threading.Lock()
    if not background_server.detach(directory, {"port": str(server.server_address[1])}):
        server.server_close()
        return 0
    server.serve_forever()
    return 0


if __name__ == "__main__":
    if len(sys.argv) != 3 or sys.argv[1] not in ("start", "stop"):
        sys.exit("usage: cddb_server.py start|stop DIR")
    sys.exit(start(sys.argv[2]) if sys.argv[1] == "start" else stop(sys.argv[2]))
