#!/usr/bin/env python3
"""Serves a folder on a loopback port for the update helper's tests.

    serve_repository.py FOLDER [--slow]

Prints the port on its first line, then serves until killed. With --slow, package files (.deb)
trickle at 4 KB every 0.2 s, so a test can act while apt downloads. Every request is logged on
standard error.
"""
import http.server
import sys
import time

folder = sys.argv[1]
slow = "--slow" in sys.argv[2:]


class Handler(http.server.SimpleHTTPRequestHandler):
    def __init__(self, *args, **kwargs):
        super().__init__(*args, directory=folder, **kwargs)

    def copyfile(self, source, destination):
        if not (slow and self.path.endswith(".deb")):
            return super().copyfile(source, destination)
        while True:
            block = source.read(4096)
            if not block:
                return
            destination.write(block)
            destination.flush()
            time.sleep(0.2)

    def log_message(self, form, *args):
        sys.stderr.write("%s\n" % (form % args))
        sys.stderr.flush()


server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
print(server.server_address[1], flush=True)
server.serve_forever()
