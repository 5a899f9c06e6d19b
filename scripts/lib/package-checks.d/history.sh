# history.sh: the configuration history checked through an installed
# package's web server, one of the per-server checks of the package test.
# Every file of scripts/lib/package-checks.d is sourced by
# scripts/lib/package-testbed.sh, which runs each function server_check_NAME
# defined there while the server serves the program, after the HTTP checks
# and before the ban (the server's name in $name and $server, its work
# folder in $work, its certificate in $SNAKEOIL, the program's folder in
# $PROGRAM_DIR). A check of one more page plugs in as a file of its own here.

server_check_history() { history_check "$name" 80 443; }

# history_check NAME PORT TLS_PORT: through the server NAME on HTTPS at
# TLS_PORT of 127.0.0.1, with its certificate checked, as a database's owner
# uses the history from the sign-in page: a database made beside the program
# with the installed zephconf-admin create, a save in its form, History, Show
# changes, Restore this version (the confirmation, then the restore), and the
# form showing the old value again; no page may hold the password. The save
# is added to $work/NAME/configured, whose lines the log's "configuration
# updated" lines are counted against. The database is removed again.
history_check() {
  local name=$1 tls_port=$3
  say "the history through $name over HTTPS: History, Show changes, Restore, and the form shows the old value"
  ZEPH_E2E_URL="https://127.0.0.1:$tls_port" ZEPH_E2E_CA=$SNAKEOIL ZEPH_E2E_SITE=$PROGRAM_DIR \
    ZEPH_E2E_WORK="$work" ZEPH_HISTORY_TOOL=/usr/sbin/zephconf-admin ZEPH_HISTORY_FOLDER=$PROGRAM_DIR \
    ZEPH_HISTORY_DATABASE=pkghistory ZEPH_HISTORY_PASSWORD=hist-Check-5 \
    timeout --kill-after=10 120 node "$(project_root)/tests/package/history-walk.mjs" \
    || die "the history through $name failed"
}
