#!/usr/bin/env bash
# Leaves no way to log in behind from earlier test runs. The vsftpd fixture
# makes an account for every run (no login shell, random password, a PAM
# service of its own) and removes it afterwards; this removes
#  - the login account "ftptest" with its published password, which earlier
#    versions of this script created on every machine that ran the tests;
#  - fixture accounts and PAM services, and the install tests' accounts,
#    whose test process has ended (a test killed before it could clean up).
set -euo pipefail
SUDO=""
[[ $(id -u) -ne 0 ]] && SUDO=sudo

if id ftptest >/dev/null 2>&1; then
    echo "Removing the account ftptest and its home: its password was published and the tests no longer use it."
    $SUDO userdel --force --remove ftptest 2>/dev/null || $SUDO userdel --force ftptest
fi

# Test accounts are named sendora-ftp-<pid>-... (FTP fixture) and sendora-it-<pid>-... (install tests).
leftovers=$( (getent passwd | cut -d: -f1; ls /etc/pam.d) | grep -E '^sendora-(ftp|it)-[0-9]+-' | sort -u || true)
for name in $leftovers; do
    pid=${name#sendora-*-}
    pid=${pid%%-*}
    [[ -d /proc/$pid ]] && continue
    echo "Removing $name, left by a test run that ended early."
    if id "$name" >/dev/null 2>&1; then
        $SUDO userdel --force "$name"
    fi
    $SUDO rm -f "/etc/pam.d/$name"
done
