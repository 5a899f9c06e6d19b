# test-site.sh: what the end-to-end and the load test share: the tools they need,
# and the demo site served by lighttpd on a free port of 127.0.0.1 for the run of
# one command. Used by scripts/test-e2e and scripts/test-load; needs common.sh
# sourced first.
source "$(dirname "${BASH_SOURCE[0]}")/demo-site.sh"

# site_tests_unavailable WHAT: under CI=true a test that cannot run fails the run;
# elsewhere it is skipped with a message.
site_tests_unavailable() {
  if [ "${CI:-}" = true ]; then
    die "$SITE_TESTS cannot run: $*"
  fi
  say "SKIPPING the $SITE_TESTS: $*"
  exit 0
}

# need_site_tools NAME [PACKAGE...]: lighttpd, Node.js 20 or newer and the given
# Debian packages, installed when they are missing. NAME names the tests in the
# messages.
need_site_tools() {
  SITE_TESTS=$1
  shift
  ( need_packages lighttpd "$@" ) || site_tests_unavailable "could not install lighttpd $*"
  if ! command -v node >/dev/null || ! command -v npm >/dev/null; then
    ( need_packages nodejs npm ) || site_tests_unavailable "Node.js and npm could not be installed"
  fi
  local node_major
  node_major=$(node -p 'process.versions.node.split(".")[0]')
  [ "$node_major" -ge 20 ] || site_tests_unavailable "Node.js 20 or newer is needed, found $(node --version)"
}

# need_e2e_packages: the npm packages of tests/e2e, as package-lock.json names them.
need_e2e_packages() {
  local locked installed
  locked=$(node -p 'require("./tests/e2e/package-lock.json").packages["node_modules/playwright-core"].version')
  installed=$(node -p 'try { require("./tests/e2e/node_modules/playwright-core/package.json").version } catch { "" }')
  [ "$installed" = "$locked" ] && return 0
  say "installing the npm packages of tests/e2e"
  (cd tests/e2e && timeout 300 npm ci --no-audit --no-fund --loglevel=error) \
    || site_tests_unavailable "npm ci in tests/e2e failed"
}

# with_test_site NAME PROGRAM COMMAND...: lays out the demo site in build/NAME/site
# with PROGRAM as its zephconf, serves it with lighttpd on a free port while
# COMMAND runs, and stops lighttpd afterwards (also on Ctrl-C). COMMAND finds the
# site in ZEPH_E2E_URL, ZEPH_E2E_SITE and ZEPH_E2E_WORK (build/NAME). Returns
# COMMAND's exit status.
with_test_site() {
  local name=$1 program=$2 work site port status=0
  shift 2
  case $program in /*) ;; *) program=$(pwd)/$program ;; esac
  [ -x "$program" ] || die "no program at $program"
  work=$(project_root)/build/$name
  site=$work/site
  port=$(free_port) || exit 1
  say "laying out the test site in $site"
  lay_out_demo_site "$site" "$port"
  cp "$program" "$site/cgi-bin/zephconf"

  trap stop_demo_server EXIT
  trap 'exit 130' INT
  trap 'exit 143' TERM
  say "starting lighttpd on 127.0.0.1:$port"
  start_demo_server "$site" "$port"
  ZEPH_E2E_URL="http://127.0.0.1:$port" ZEPH_E2E_SITE="$site" ZEPH_E2E_WORK="$work" "$@" || status=$?
  stop_demo_server
  trap - EXIT INT TERM
  return "$status"
}
