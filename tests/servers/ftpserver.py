#!/usr/bin/python3
# Run with /usr/bin/python3: pyftpdlib comes from Debian's python3-pyftpdlib,
# which is installed for the system interpreter only (not for pyenv ones).
"""FTP test server: anonymous, read-only, over a root folder.

    /usr/bin/python3 ftpserver.py --root DIR [--user USER:PASS] [--port N]
        [--log FILE] [--max-seconds S] [--no-stdin]

Prints "PORT <n>" once started; stops when stdin closes, on SIGTERM, or
after --max-seconds. Listens on 127.0.0.1 only. With --log every command
the client sends is logged as one JSON line {"cmd": ..., "arg": ...}.
"""

import argparse
import logging
import os
import sys
import threading

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import servercommon  # noqa: E402

try:
    from pyftpdlib.authorizers import DummyAuthorizer
    from pyftpdlib.handlers import FTPHandler
    from pyftpdlib.servers import FTPServer
except ImportError:
    sys.stderr.write("ftpserver.py needs python3-pyftpdlib; run it with "
                     "/usr/bin/python3\n")
    sys.exit(3)

READ_ONLY = "elr"  # change folder, list, retrieve


class LoggingHandler(FTPHandler):
    def pre_process_command(self, line, cmd, arg):
        # The password is logged too: these are throwaway test accounts.
        servercommon.request_log.write({"cmd": cmd, "arg": arg})
        return super().pre_process_command(line, cmd, arg)


def main():
    ap = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    ap.add_argument("--root", required=True)
    ap.add_argument("--user", metavar="USER:PASS",
                    help="also accept this user (read-only, same root)")
    ap.add_argument("--no-anonymous", action="store_true")
    servercommon.add_lifecycle_args(ap)
    args = ap.parse_args()
    if not os.path.isdir(args.root):
        ap.error("--root must name a folder")
    root = os.path.realpath(args.root)
    # A handler of our own keeps the library from logging every command to
    # stderr; commands go to --log instead.
    quiet = logging.getLogger("pyftpdlib")
    quiet.addHandler(logging.NullHandler())
    quiet.setLevel(logging.CRITICAL)
    quiet.propagate = False

    auth = DummyAuthorizer()
    if not args.no_anonymous:
        auth.add_anonymous(root, perm=READ_ONLY)
    if args.user:
        user, _, password = args.user.partition(":")
        auth.add_user(user, password, root, perm=READ_ONLY)

    handler = LoggingHandler
    handler.authorizer = auth
    handler.banner = "test ftp server ready"
    handler.masquerade_address = None
    handler.passive_ports = None
    handler.timeout = 60
    servercommon.request_log.open(args.log)
    server = FTPServer(("127.0.0.1", args.port), handler)
    port = server.socket.getsockname()[1]

    def serve():
        while not servercommon.stopping():
            server.ioloop.loop(0.2, blocking=False)

    threading.Thread(target=serve, daemon=True).start()
    servercommon.announce_port(port, args)
    servercommon.run_until_stopped(args)
    return 0


if __name__ == "__main__":
    sys.exit(main())
