# common.sh: shared by the project's scripts: progress messages and installing
# the Debian packages a script needs when they are missing.

say() { printf '==> %s\n' "$*" >&2; }
die() { printf 'error: %s\n' "$*" >&2; exit 1; }

_apt_updated=0
# need_packages PKG...: installs those of the packages that are not installed yet.
# With ZEPH_NO_INSTALL=1 a missing package is an error instead (no root, no network).
need_packages() {
  local missing=() pkg
  for pkg in "$@"; do
    dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'ok installed' || missing+=("$pkg")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  [ "${ZEPH_NO_INSTALL:-0}" = 1 ] && die "missing packages: ${missing[*]} (scripts/build installs them)"
  if [ "$(id -u)" -ne 0 ]; then
    command -v sudo >/dev/null || die "missing packages: ${missing[*]} (run as root or install them)"
    SUDO=sudo
  else
    SUDO=
  fi
  say "installing ${missing[*]}"
  if [ $_apt_updated -eq 0 ]; then
    $SUDO apt-get update -qq || die "apt-get update failed"
    _apt_updated=1
  fi
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq "${missing[@]}" >/dev/null \
    || die "could not install ${missing[*]}"
}

# The project's root folder, whatever the caller's working directory.
project_root() { cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd; }

# The model database of `zephconf-admin create`, as the build in build/ has it
# (ZEPH_MODEL_FILE, CMakeLists.txt): scripts/package installs the example
# database there. From the project's root.
model_file() { sed -n 's/^ZEPH_MODEL_FILE:STRING=//p' build/CMakeCache.txt; }

# strace: the reliability tests kill updates at chosen system calls with it.
# libnss-extrausers: the shell tool's tests take accounts from a source other
# than the account files through it (only inside a mount namespace of theirs).
build_tools() { need_packages cmake g++ make libgtest-dev strace libnss-extrausers; }

# stop_process PID: ends a background process this script started (TERM, then
# KILL after 5 s) and waits for it. Nothing happens for one already gone.
stop_process() {
  local pid=$1 waited
  kill -TERM "$pid" 2>/dev/null || return 0
  for waited in $(seq 1 50); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  kill -KILL "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
}
