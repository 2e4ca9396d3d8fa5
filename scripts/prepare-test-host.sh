#!/usr/bin/env bash
# What the vsftpd fixture needs from the host: a local account the tests log in with.
set -euo pipefail
SUDO=""
[[ $(id -u) -ne 0 ]] && SUDO=sudo
if ! id ftptest >/dev/null 2>&1; then
    $SUDO useradd --create-home --shell /bin/bash ftptest
fi
echo 'ftptest:ftptest-pw' | $SUDO chpasswd
# vsftpd refuses to start without its secure chroot folder.
$SUDO mkdir -p /var/run/vsftpd/empty
