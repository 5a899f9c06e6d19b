# package-history.sh: the configuration history checked through an installed
# package's web server: history_check, one of scripts/test-package's
# per-server checks. Needs common.sh sourced first, and the package test's
# SNAKEOIL (the servers' certificate), PROGRAM_DIR (the program's folder,
# with its databases beside it) and work (its work folder).

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
    ZEPH_E2E_WORK="$work/$name" ZEPH_HISTORY_TOOL=/usr/sbin/zephconf-admin ZEPH_HISTORY_FOLDER=$PROGRAM_DIR \
    ZEPH_HISTORY_DATABASE=pkghistory ZEPH_HISTORY_PASSWORD=hist-Check-5 \
    timeout --kill-after=10 120 node "$(project_root)/tests/package/history-walk.mjs" \
    || die "the history through $name failed"
}
