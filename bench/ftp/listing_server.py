#!/usr/bin/python3
"""A real FTP server (pyftpdlib) whose folder "many" lists as many entries as
asked, without that many files on disk: the LIST body is made once, in the
form vsftpd prints. LIST only (no MLSD), like vsftpd. Loopback, one user whose
password the caller chooses per run; prints "PORT <n>" once it listens.
"""

import argparse
import logging
import os
import sys
import tempfile

# No TLS here: keeping pyOpenSSL out halves the start-up time.
sys.modules["OpenSSL"] = None

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import FTPHandler
from pyftpdlib.servers import FTPServer


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--entries", type=int, required=True)
    parser.add_argument("--password", required=True)
    args = parser.parse_args()
    logging.basicConfig(stream=sys.stderr, level=logging.WARNING)

    root = tempfile.mkdtemp(prefix="sendora-bench-")
    os.mkdir(os.path.join(root, "many"))
    body = b"".join(
        b"-rw-r--r--    1 1001     1001     %8d Mar 15 12:00 entry_%07d.dat\r\n" % (i % 100, i)
        for i in range(args.entries))

    class ManyHandler(FTPHandler):
        def ftp_LIST(self, path):
            if os.path.basename(path.rstrip("/")) == "many":
                self.push_dtp_data(body, cmd="LIST")
                return path
            return super().ftp_LIST(path)

    ManyHandler.proto_cmds = {
        name: command for name, command in FTPHandler.proto_cmds.items() if name not in ("MLSD", "MLST")}
    authorizer = DummyAuthorizer()
    authorizer.add_user("bench", args.password, root, perm="elr")
    ManyHandler.authorizer = authorizer
    server = FTPServer(("127.0.0.1", 0), ManyHandler)
    print("PORT %d" % server.socket.getsockname()[1], flush=True)
    try:
        server.serve_forever(timeout=0.2, blocking=True, handle_exit=True)
    finally:
        server.close_all()
        os.rmdir(os.path.join(root, "many"))
        os.rmdir(root)


if __name__ == "__main__":
    main()
