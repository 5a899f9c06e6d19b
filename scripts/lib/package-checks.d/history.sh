# history.sh: the configuration history checked through an installed
# package's web server, one of the per-server checks of the package test.
# Every file of scripts/lib/package-checks.d is sourced by
# scripts/lib/package-testbed.sh, which runs each function server_check_NAME
# defined there while the server serves the program, after the HTTP checks
# and before the ban (the server's name in $name and $server, its work
# folder in $work, its certificate in $SNAKEOIL, the program's folder in
# $PROGRAM_DIR). A check of one more page plugs in as a file of its own here.
# With DATABASE_PROGRAM set (the database program's address, its stand-in
# beside the program), that program must read each value a walk leaves in
# the file.

server_check_history() { history_check "$name" 80 443; }

# history_check NAME PORT TLS_PORT: through the server NAME on HTTPS at
# TLS_PORT of 127.0.0.1, with its certificate checked, as a database's owner
# uses the history from the sign-in page: a database made beside the program
# with the installed zephconf-admin create, a save in its form, History, Show
# changes, Undo this change (the confirmation, then the restore), and the
# form showing the old value again; no page may hold the password. The save
# is added to $work/configured, whose lines the log's "configuration
# updated" lines are counted against. The database is removed again.
history_check() {
  history_walk "$1" "$3" pkghistory hist-Check-5 0
}

# history_walk NAME TLS_PORT DATABASE PASSWORD EXISTING: that walk through
# NAME for DATABASE with its administration password PASSWORD: made and
# removed again (EXISTING 0), or one beside the program already (EXISTING 1),
# which the restore leaves as it was.
history_walk() {
  local name=$1 tls_port=$2 database=$3 password=$4 existing=$5
  say "the history of $database through $name over HTTPS: History, Show changes, Restore, and the form shows the old value${DATABASE_PROGRAM:+, $DATABASE_PROGRAM reading each}"
  ZEPH_E2E_URL="https://127.0.0.1:$tls_port" ZEPH_E2E_CA=$SNAKEOIL ZEPH_E2E_SITE=$PROGRAM_DIR \
    ZEPH_E2E_WORK="$work" ZEPH_HISTORY_TOOL=/usr/sbin/zephconf-admin ZEPH_HISTORY_FOLDER=$PROGRAM_DIR \
    ZEPH_HISTORY_DATABASE=$database ZEPH_HISTORY_PASSWORD=$password ZEPH_HISTORY_EXISTING=$existing \
    ZEPH_HISTORY_PROGRAM=${DATABASE_PROGRAM:-} \
    timeout --kill-after=10 120 node "$(project_root)/tests/package/history-walk.mjs" \
    || die "the history of $database through $name failed"
}
