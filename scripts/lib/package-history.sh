# package-history.sh: the configuration history checked through an installed
# package's web server: history_check, for scripts/test-package's per-server
# checks. Needs common.sh sourced first.

# history_check NAME URL CA WORK FOLDER: through the server NAME at URL (its
# HTTPS address), with the certificate CA checked, as a database's owner uses
# the history from the sign-in page: a database made in FOLDER (where the
# program finds its databases) with the installed zephconf-admin create, a
# save in its form, History, Show changes, Restore this version (the
# confirmation, then the restore), and the form showing the old value again;
# no page may hold the password. The save is added to
# WORK/configured, whose lines the log's "configuration updated" lines are
# counted against. The database is removed again.
history_check() {
  local name=$1 url=$2 ca=$3 work=$4 folder=$5
  say "the history through $name over HTTPS: History, Show changes, Restore, and the form shows the old value"
  ZEPH_E2E_URL=$url ZEPH_E2E_CA=$ca ZEPH_E2E_SITE=$folder ZEPH_E2E_WORK=$work \
    ZEPH_HISTORY_TOOL=/usr/sbin/zephconf-admin ZEPH_HISTORY_FOLDER=$folder \
    ZEPH_HISTORY_DATABASE=pkghistory ZEPH_HISTORY_PASSWORD=hist-Check-5 \
    timeout --kill-after=10 120 node "$(project_root)/tests/package/history-walk.mjs" \
    || die "the history through $name failed"
}
