# testbed.sh: a throwaway copy of this machine for the package tests, in which
# the README's commands run verbatim, as root, with nothing reaching the real
# machine. Needs common.sh sourced first, and root.
#
# testbed_run SCRIPT [ARG...] runs the bash script SCRIPT as root in a testbed
# and returns its exit status. The testbed is:
# - the machine's root file system under an overlay whose upper folder is a
#   memory file system: /etc, /usr, /var and the rest can be changed freely,
#   and every change is gone when the script ends;
# - mount, network, process, host name and IPC namespaces of its own: only a
#   loopback interface (so no download, and no port of the real machine taken),
#   and every process the script started (a server it left running) is ended
#   with it;
# - fresh /proc, /run and /tmp (no systemd is running there: Debian's
#   `service` then takes the init scripts, as on a machine without systemd);
# - the project's checkout bound at its own path, writable, so that the
#   script reads the built package and leaves its evidence in build/.
# Packages that the script installs with apt must be installed on the machine
# beforehand (testbed_packages): inside, apt finds them installed and needs
# no network.

TESTBED_LIB=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

# testbed_packages PKG...: installs the packages on the real machine with no
# service started (the testbed starts its own), so that the README's
# `apt install` lines find them there.
testbed_packages() {
  local policy=/usr/sbin/policy-rc.d made=0
  if [ ! -e "$policy" ]; then
    printf '#!/bin/sh\n# testbed_packages: no service starts while it installs\nexit 101\n' > "$policy"
    chmod 0755 "$policy"
    made=1
  fi
  local status=0
  need_packages "$@" || status=$?
  [ $made -eq 1 ] && rm -f "$policy"
  return $status
}

testbed_run() {
  local script=$1 scratch status=0
  shift
  [ "$(id -u)" -eq 0 ] || die "a testbed needs root"
  [ -f "$script" ] || die "testbed: no script $script"
  # A package manager at work on the machine leaves dpkg's database half
  # written: the testbed starts from it once that is done (at most 10 min).
  local waited
  for waited in $(seq 1 600); do
    ! pgrep -x dpkg >/dev/null && [ -z "$(ls -A /var/lib/dpkg/updates 2>/dev/null)" ] && break
    sleep 1
  done
  scratch=$(mktemp -d /var/tmp/zephconf-testbed.XXXXXX)
  unshare --mount --net --pid --uts --ipc --fork --propagation private \
    bash "$TESTBED_LIB/testbed-enter.sh" "$scratch" "$(project_root)" \
    "$(cd "$(dirname "$script")" && pwd)/$(basename "$script")" "$@" || status=$?
  rmdir "$scratch" 2>/dev/null || true
  return $status
}
