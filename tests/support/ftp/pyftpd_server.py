#!/usr/bin/python3
"""A real FTP server for the tests: pyftpdlib on a free loopback port.

Prints "PORT <n>" once it listens, then one line per command received
("<- TYPE A"), per reply sent ("-> 226 ...") and per connection opened or
closed, so tests can check what reached the server.
"""

import argparse
import logging
import sys

# pyOpenSSL only for TLS servers: keeping it out halves the start-up time.
if "--tls-cert" not in sys.argv:
    sys.modules["OpenSSL"] = None

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import FTPHandler
from pyftpdlib.servers import FTPServer

PERMISSIONS = "elradfmwMT"


def emit(text):
    sys.stdout.write(text + "\n")
    sys.stdout.flush()


class Logging:
    """Logs what the server receives and sends; mixed into the handler in use."""

    refuse_stor = False

    def on_connect(self):
        emit("CONNECT %s:%s" % (self.remote_ip, self.remote_port))

    def on_disconnect(self):
        emit("DISCONNECT %s:%s" % (self.remote_ip, self.remote_port))

    def pre_process_command(self, line, cmd, arg):
        shown = line if cmd != "PASS" else "PASS ******"
        emit("<- " + shown)
        return super().pre_process_command(line, cmd, arg)

    def respond(self, resp, logfun=None):
        emit("-> " + resp)
        return super().respond(resp)

    def ftp_STOR(self, file, mode="w"):
        if self.refuse_stor:
            self.respond("553 Uploads are not accepted here.")
            return None
        return super().ftp_STOR(file, mode)

    def ftp_APPE(self, file):
        if self.refuse_stor:
            self.respond("553 Uploads are not accepted here.")
            return None
        return super().ftp_APPE(file)

    def ftp_STOU(self, line):
        if self.refuse_stor:
            self.respond("553 Uploads are not accepted here.")
            return None
        return super().ftp_STOU(line)


class LoggingHandler(Logging, FTPHandler):
    pass


def tls_handler(cert, key, required):
    from pyftpdlib.handlers import TLS_FTPHandler

    class LoggingTlsHandler(Logging, TLS_FTPHandler):
        pass

    LoggingTlsHandler.certfile = cert
    LoggingTlsHandler.keyfile = key
    LoggingTlsHandler.tls_control_required = required
    LoggingTlsHandler.tls_data_required = required
    return LoggingTlsHandler


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--root", required=True)
    parser.add_argument("--host", default="127.0.0.1")
    parser.add_argument("--user", default="user")
    parser.add_argument("--password", default="secret")
    parser.add_argument("--anonymous", action="store_true")
    parser.add_argument("--refuse-stor", action="store_true")
    parser.add_argument("--list-only", action="store_true")
    parser.add_argument("--tls-cert")
    parser.add_argument("--tls-key")
    parser.add_argument("--tls-required", action="store_true")
    args = parser.parse_args()

    logging.basicConfig(stream=sys.stderr, level=logging.WARNING)

    authorizer = DummyAuthorizer()
    authorizer.add_user(args.user, args.password, args.root, perm=PERMISSIONS)
    if args.anonymous:
        authorizer.add_anonymous(args.root, perm=PERMISSIONS)

    if args.tls_cert:
        handler = tls_handler(args.tls_cert, args.tls_key, args.tls_required)
    else:
        handler = LoggingHandler
    handler.authorizer = authorizer
    handler.refuse_stor = args.refuse_stor
    if args.list_only:
        # Like vsftpd: listings only through LIST, where links show as links.
        handler.proto_cmds = {name: command for name, command in handler.proto_cmds.items()
                              if name not in ("MLSD", "MLST")}
    handler.banner = "pyftpdlib test server ready."
    handler.timeout = 120
    # Refused logins answer at once: tests of a wrong password need no wait.
    handler.auth_failed_timeout = 0.05
    # Loopback only: the client's PORT/EPRT address is always ours.
    handler.permit_foreign_addresses = False

    server = FTPServer((args.host, 0), handler)
    emit("PORT %d" % server.socket.getsockname()[1])
    try:
        server.serve_forever(timeout=0.2, blocking=True, handle_exit=True)
    except KeyboardInterrupt:
        pass
    finally:
        server.close_all()


if __name__ == "__main__":
    main()
