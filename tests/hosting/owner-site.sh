#!/usr/bin/env bash
# owner-site.sh TARBALL: run by scripts/test-hosting as root in a testbed
# (scripts/lib/testbed.sh). Sets up the hosting provider's Apache, runs the
# README's block hosting-owner verbatim as the account "owner" (no root, no
# sudo) with the release TARBALL in its home, and checks the owner's site.
set -euo pipefail
project=$(cd "$(dirname "$0")/../.." && pwd)
source "$project/scripts/lib/common.sh"
source "$project/scripts/lib/readme-blocks.sh"
source "$project/scripts/lib/package-blocks.sh"
tarball=$1

OWNER=owner
NEIGHBOUR=neighbour
PASSWORD='Hosting-Check-7'
PROGRAM_URL=/~$OWNER/cgi-bin/zephconf/zephconf
PROGRAM_DIR=/home/$OWNER/public_html/cgi-bin/zephconf
DATABASE=$PROGRAM_DIR/members
ERROR_LOG=/var/log/apache2/error.log
# The override classes the release's .htaccess files need, as they say.
CLASSES=$(sed -n 's/^# Needs "AllowOverride \(.*\)" from the host.*/\1/p' "$project/packaging/hosting/protect.htaccess")
[ -n "$CLASSES" ] || die "packaging/hosting/protect.htaccess names no override classes"
CA=/etc/ssl/certs/ssl-cert-snakeoil.pem
work=$(mktemp -d /tmp/hosting-test.XXXXXX)
chmod 0755 "$work"

failed() {
  say "FAILED: $*"
  say "the last lines of $ERROR_LOG:"
  tail -n 30 "$ERROR_LOG" >&2 || true
  [ -f /var/log/apache2/suexec.log ] && { say "suexec.log:"; tail -n 10 /var/log/apache2/suexec.log >&2; }
  exit 1
}

# --- The hosting provider's part -----------------------------------------

# The provider's own configuration: CGI in every account's cgi-bin (and below),
# run through suexec as the account; the .htaccess classes under test; and a
# second address of the owner's site, as a per-account virtual host gives one
# (no suexec there: Apache's own user); mod_remoteip trusting loopback.
provider_conf() {
  cat > /etc/apache2/conf-available/hosting.conf <<EOF
<Directory "/home/*/public_html">
    AllowOverride $1
</Directory>
<Directory "/home/*/public_html/cgi-bin">
    Options +ExecCGI
    SetHandler cgi-script
</Directory>
Alias /sites/$OWNER /home/$OWNER/public_html
# The client's address taken from X-Forwarded-For, from any loopback address:
# the HTTPS-only rule must test the connection's own.
RemoteIPHeader X-Forwarded-For
RemoteIPInternalProxy 127.0.0.0/8
EOF
}

# an_account NAME: a user with a site, its home passable by Apache's user.
an_account() {
  useradd --create-home --shell /bin/bash "$1"
  chmod 0711 "/home/$1"
  install -d -o "$1" -g "$1" -m 0755 "/home/$1/public_html" "/home/$1/public_html/cgi-bin"
  printf '<p>the site of %s</p>\n' "$1" > "/home/$1/public_html/index.html"
  # A CGI program of the account's own, which says whose process runs it.
  printf '#!/bin/sh\nprintf "Content-Type: text/plain\\n\\n"\nid -un\n' > "/home/$1/public_html/cgi-bin/whoami"
  chown "$1:$1" "/home/$1/public_html/index.html" "/home/$1/public_html/cgi-bin/whoami"
  chmod 0755 "/home/$1/public_html/cgi-bin/whoami"
}

restart_apache() {
  : > "$ERROR_LOG"
  service apache2 restart >/dev/null 2>&1 || { apache2ctl configtest >&2 || true; failed "Apache does not start"; }
}

# The testbed's root lies over the machine's own, which another run may change
# meanwhile (a package test switching Apache's modules shows through): the
# folders this test changes become copies of its own first, and the MPM is
# chosen here rather than taken as found.
own_copy() { cp -a "$1" "$1.own" && rm -rf "$1" && mv "$1.own" "$1"; }
own_copy /etc/apache2
own_copy /var/log/apache2
own_copy /etc/fail2ban

say "the provider: Apache with mod_userdir, suexec, HTTPS with Debian's certificate, two accounts"
a2dismod -q -f mpm_prefork mpm_worker cgi >/dev/null 2>&1 || true
a2enmod -q mpm_event cgid headers ssl userdir suexec remoteip >/dev/null
a2ensite -q default-ssl >/dev/null
make-ssl-cert generate-default-snakeoil >/dev/null 2>&1
provider_conf "$CLASSES"
a2enconf -q hosting >/dev/null
an_account "$OWNER"
an_account "$NEIGHBOUR"
! id -nG "$OWNER" | grep -qw -e sudo -e root || failed "the owner may use sudo"
install -m 0644 "$project/packaging/etc/fail2ban/filter.d/zephconf.conf" /etc/fail2ban/filter.d/zephconf.conf
restart_apache

# The certificate is made for the testbed's name: requests go there, to 127.0.0.1.
host=$(openssl x509 -in "$CA" -noout -subject -nameopt multiline | sed -n 's/^ *commonName *= //p')
[ -n "$host" ] || failed "no name in $CA"

# fetch SCHEME PATH [CURL ARG...]: a request to the testbed's Apache, the
# certificate checked; prints the answer's status, and leaves its headers in
# $work/headers and its body in $work/body.
fetch() {
  local scheme=$1 path=$2
  shift 2
  local url=$scheme://$host$path
  curl -sS --cacert "$CA" --resolve "$host:443:127.0.0.1" --resolve "$host:80:127.0.0.1" \
    -D "$work/headers" -o "$work/body" -w '%{http_code}' "$@" "$url"
}
# header NAME: the value of header NAME in the last answer.
header() { sed -n "s/^$1: \\(.*\\)\\r\$/\\1/Ip" "$work/headers"; }
# post SCHEME PATH BODY [CURL ARG...]: fetch with BODY posted.
post() {
  local scheme=$1 path=$2 body=$3
  shift 3
  fetch "$scheme" "$path" --data-binary "$body" "$@"
}

expect_status() {
  local want=$1 got=$2 what=$3
  [ "$got" = "$want" ] || failed "$what: status $got, not $want"
}

# whoami_runs ACCOUNT WHEN: ACCOUNT's own program answers, run as ACCOUNT.
whoami_runs() {
  local status
  status=$(fetch https "/~$1/cgi-bin/whoami")
  if [ "$status" != 200 ] || [ "$(cat "$work/body")" != "$1" ]; then
    failed "$1's program $2: status $status, run as $(cat "$work/body")"
  fi
}
whoami_runs "$NEIGHBOUR" "before the owner's install"

# --- The owner's part: the README's block, verbatim ----------------------

say "the README's $HOSTING_BLOCK block, verbatim, as $OWNER"
block=$work/$HOSTING_BLOCK.sh
readme_block "$HOSTING_BLOCK" "$project/README.md" > "$block"
! grep -qw -e sudo -e su -e runuser "$block" || failed "the owner's block asks for root"
grep -qF "$(basename "$tarball")" "$block" || failed "the owner's block does not name the release $(basename "$tarball")"
install -o "$OWNER" -g "$OWNER" -m 0644 "$tarball" "/home/$OWNER/"
printf '%s\n' "$PASSWORD" > "$work/password"
runuser -l "$OWNER" -c "bash -e $block" < "$work/password" > "$work/block.out" 2>&1 \
  || { cat "$work/block.out" >&2; failed "the owner's block failed"; }
cat "$work/block.out" >&2
grep -qix 'X-Frame-Options: DENY.' "$work/block.out" || failed "the block's check printed no header"

# as_owner COMMAND...: COMMAND run by the owner.
as_owner() { runuser -u "$OWNER" -- "$@"; }

# owned_as PATH MODE: PATH is the owner's, with mode MODE.
owned_as() {
  [ "$(stat -c '%U:%G %a' "$1")" = "$OWNER:$OWNER $2" ] \
    || failed "$1 is $(stat -c '%U:%G %a' "$1"), not the owner's $2"
}
owned_as "$DATABASE" 700
owned_as "$DATABASE/members.ini" 600
grep -qx "Administration password=$PASSWORD" "$DATABASE/members.ini" || failed "the database has not the password given"

# --- Over HTTPS: sign-in, Configure, history, restore ---------------------

say "sign-in, a save, History, Show changes, Restore over HTTPS, as the owner's process"
status=$(post https "$PROGRAM_URL" "DBName=members&act=entrance&password=$PASSWORD")
expect_status 200 "$status" "the sign-in over HTTPS"
grep -q 'name="iteminfo"' "$work/body" || failed "the sign-in did not open the form"
grep -q 'action="zephconf"' "$work/body" || failed "the form is not posted to the program beside it"
ZEPH_E2E_URL="https://127.0.0.1" ZEPH_E2E_CA=$CA ZEPH_E2E_SITE=$PROGRAM_DIR ZEPH_E2E_WORK=$work \
  ZEPH_HISTORY_FOLDER=$PROGRAM_DIR ZEPH_HISTORY_DATABASE=members ZEPH_HISTORY_PASSWORD=$PASSWORD \
  ZEPH_HISTORY_PROGRAM_URL=$PROGRAM_URL \
  timeout --kill-after=10 120 node "$project/tests/package/history-walk.mjs" \
  || failed "the history walk over HTTPS"
owned_as "$DATABASE/members.ini" 600
owned_as "$DATABASE/zephconf-history" 700
versions=$(find "$DATABASE/zephconf-history" -type f | wc -l)
[ "$versions" -ge 2 ] || failed "the save and the restore kept $versions versions"
find "$DATABASE/zephconf-history" -type f | while IFS= read -r version; do owned_as "$version" 600; done
grep -q "uid: ($(id -u "$OWNER")/$OWNER) .* cmd: zephconf" /var/log/apache2/suexec.log \
  || failed "suexec did not run the program as $OWNER"
grep -q 'configuration updated for database "members"' "$ERROR_LOG" || failed "no configuration updated line in $ERROR_LOG"
grep -q 'configuration restored for database "members"' "$ERROR_LOG" || failed "no configuration restored line in $ERROR_LOG"
! grep -qF "$PASSWORD" "$ERROR_LOG" || failed "the error log holds the password"

say "the owner's shell tool on the database: status, history, diff, restore"
as_owner /home/$OWNER/bin/zephconf-admin status "$DATABASE" > "$work/status" || failed "status as the owner"
grep -q 'administration password: set' "$work/status" || failed "status: $(cat "$work/status")"
as_owner /home/$OWNER/bin/zephconf-admin history "$DATABASE" | grep -q 'SMTP server' || failed "history as the owner"
as_owner /home/$OWNER/bin/zephconf-admin diff "$DATABASE" 1 | grep -q 'SMTP server' || failed "diff as the owner"
# Restoring the newest version puts the web's save back; restoring the newest
# again (what that restore replaced) undoes it.
before=$(cat "$DATABASE/members.ini")
as_owner /home/$OWNER/bin/zephconf-admin restore "$DATABASE" 1 > /dev/null || failed "restore as the owner"
grep -q '^SMTP server=history-check.example.net$' "$DATABASE/members.ini" || failed "the owner's restore did not put the save back"
as_owner /home/$OWNER/bin/zephconf-admin restore "$DATABASE" 1 > /dev/null || failed "the owner's second restore"
[ "$(cat "$DATABASE/members.ini")" = "$before" ] || failed "the owner's second restore did not undo the first"
owned_as "$DATABASE/members.ini" 600
find "$DATABASE/zephconf-history" -type f | while IFS= read -r version; do owned_as "$version" 600; done

# --- The headers, HTTPS only, no compression, no path info ---------------

say "the headers on the program and the pages; HSTS over HTTPS only; no compression"
check_headers() {
  local what=$1 hsts=$2
  [ "$(header Cache-Control)" = no-store ] || failed "$what: Cache-Control $(header Cache-Control)"
  [ "$(header X-Frame-Options)" = DENY ] || failed "$what: X-Frame-Options"
  [ "$(header Content-Security-Policy)" = "frame-ancestors 'none'" ] || failed "$what: Content-Security-Policy"
  [ "$(header Referrer-Policy)" = no-referrer ] || failed "$what: Referrer-Policy"
  [ "$(header X-Content-Type-Options)" = nosniff ] || failed "$what: X-Content-Type-Options"
  [ "$(header Strict-Transport-Security)" = "$hsts" ] || failed "$what: Strict-Transport-Security \"$(header Strict-Transport-Security)\""
}
expect_status 200 "$(fetch https "$PROGRAM_URL?act=version" -H 'Accept-Encoding: gzip')" "the version over HTTPS"
check_headers "the program over HTTPS" "max-age=31536000"
[ -z "$(header Content-Encoding)" ] || failed "the program's answer is compressed"
fetch https "/~$OWNER/zephconf/help/adminhlp.html" -H 'Accept-Encoding: gzip' > /dev/null
[ "$(header Content-Encoding)" = gzip ] || failed "the host compresses nothing: the program's answer proves nothing"
expect_status 200 "$(fetch https "/~$OWNER/zephconf/")" "the sign-in page over HTTPS"
check_headers "the sign-in page over HTTPS" "max-age=31536000"
grep -q 'action="../cgi-bin/zephconf/zephconf"' "$work/body" || failed "the sign-in page does not post to the program"
expect_status 200 "$(fetch http "$PROGRAM_URL?act=version")" "the version over plain HTTP from 127.0.0.1"
check_headers "the program over plain HTTP from 127.0.0.1" ""
expect_status 200 "$(fetch http "/~$OWNER/zephconf/help/adminhlp.html")" "a help page over plain HTTP from 127.0.0.1"
check_headers "a help page over plain HTTP from 127.0.0.1" ""

say "plain HTTP from 127.0.0.2: the program refused before it runs, the pages sent to HTTPS"
: > "$ERROR_LOG"
expect_status 403 "$(post http "$PROGRAM_URL" "DBName=members&act=entrance&password=wrong" --interface 127.0.0.2)" \
  "the program over plain HTTP from 127.0.0.2"
expect_status 403 "$(post http "$PROGRAM_URL" "DBName=members&act=entrance&password=wrong" --interface 127.0.0.2 -H 'X-Forwarded-For: 127.0.0.1')" \
  "the program over plain HTTP from 127.0.0.2, claiming 127.0.0.1"
! grep -q 'authentication failure' "$ERROR_LOG" || failed "the program ran for a plain HTTP request from 127.0.0.2"
# The claim is believed where the rule does not look: over HTTPS the program
# sees the claimed address.
post https "$PROGRAM_URL" "DBName=members&act=entrance&password=wrong" --interface 127.0.0.2 -H 'X-Forwarded-For: 192.0.2.9' > /dev/null
grep -q 'authentication failure for database "members" from 192\.0\.2\.9$' "$ERROR_LOG" \
  || failed "mod_remoteip does not take the address from X-Forwarded-For"
expect_status 301 "$(fetch http "/~$OWNER/zephconf/" --interface 127.0.0.2)" "the sign-in page over plain HTTP from 127.0.0.2"
[ "$(header Location)" = "https://$host/~$OWNER/zephconf/" ] || failed "the sign-in page is sent to $(header Location)"

say "path info refused"
status=$(fetch https "$PROGRAM_URL/members/members.ini?act=version")
[ "$status" = 404 ] || [ "$status" = 403 ] || failed "path info: status $status"
! grep -q 'version of ZEP' "$work/body" || failed "the program ran with path info"

# --- Nothing in the program's folder served or run but the program -------

say "nothing in the program's folder served or run, whatever the address"
# Programs the owner might leave there, and one in a folder Apache's user may
# enter: none may run.
as_owner install -d -m 0755 "$PROGRAM_DIR/open"
for planted in "$PROGRAM_DIR/planted" "$PROGRAM_DIR/open/planted" "$DATABASE/planted"; do
  printf '#!/bin/sh\ntouch %s.ran\nprintf "Content-Type: text/plain\\n\\nran\\n"\n' "$planted" | as_owner tee "$planted" >/dev/null
  as_owner chmod 0755 "$planted"
done
version=$(basename "$(find "$DATABASE/zephconf-history" -type f | head -n 1)")
# The database folder's addresses, and with "all" those of everything else in
# the program's folder, which only its .htaccess refuses.
database_paths=("/~$OWNER/cgi-bin/zephconf/members/members.ini" "/~$OWNER/cgi-bin/zephconf/members/"
  "/~$OWNER/cgi-bin/zephconf/members/zephconf-history/" "/~$OWNER/cgi-bin/zephconf/members/zephconf-history/$version"
  "/~$OWNER/cgi-bin/zephconf/members/planted" "/~$OWNER/cgi-bin/zephconf//members/members.ini"
  "/~$OWNER/cgi-bin/zephconf/%6dembers/members%2eini" "/~$OWNER/cgi-bin/zephconf/open/../members/members.ini"
  "/sites/$OWNER/cgi-bin/zephconf/members/members.ini" "/sites/$OWNER/cgi-bin/zephconf/members/planted")
folder_paths=("/~$OWNER/cgi-bin/zephconf/planted" "/~$OWNER/cgi-bin/zephconf/open/planted"
  "/~$OWNER/cgi-bin/zephconf/" "/~$OWNER/cgi-bin/zephconf/.htaccess"
  "/sites/$OWNER/cgi-bin/zephconf/planted" "/sites/$OWNER/cgi-bin/zephconf/open/planted")
refused_everywhere() {
  local scheme path status paths=("${database_paths[@]}")
  [ "${1:-all}" = database ] || paths+=("${folder_paths[@]}")
  for scheme in https http; do
    for path in "${paths[@]}"; do
      status=$(fetch "$scheme" "$path" --path-as-is)
      case $status in 200|30?) failed "$scheme $path: status $status" ;; esac
      ! grep -q -e 'password=' -e '^ran$' -e 'Index of' "$work/body" || failed "$scheme $path: served or run"
    done
  done
  ! compgen -G "$DATABASE/*.ran" >/dev/null || failed "a program planted in the database folder ran"
  [ "${1:-all}" = database ] || ! compgen -G "$PROGRAM_DIR/*.ran" >/dev/null || failed "a program planted in the program's folder ran"
  [ "${1:-all}" = database ] || ! compgen -G "$PROGRAM_DIR/open/*.ran" >/dev/null || failed "a program planted below the program's folder ran"
}
refused_everywhere

say "the neighbour's site and program, and the owner's other program, as before"
whoami_runs "$NEIGHBOUR" "after the owner's install"
expect_status 200 "$(fetch https "/~$NEIGHBOUR/")" "the neighbour's site"
whoami_runs "$OWNER" "beside the program's folder"
[ -z "$(header X-Frame-Options)" ] || failed "the program's .htaccess governs the owner's other programs"

# --- fail2ban's filter on Apache's error log -----------------------------

# guesses_found COUNT HOW: COUNT wrong passwords sent over HTTPS from
# 127.0.0.2, each refused, and the packaged filter finding exactly COUNT
# failures of 127.0.0.2 in Apache's error log, emptied first.
guesses_found() {
  local count=$1 how=$2 guess matched
  : > "$ERROR_LOG"
  for guess in $(seq 1 "$count"); do
    expect_status 200 "$(post https "$PROGRAM_URL" "DBName=members&act=entrance&password=guess-$guess" --interface 127.0.0.2)" \
      "a wrong password over HTTPS $how"
    grep -q 'Bad password' "$work/body" || failed "a wrong password was not refused $how"
  done
  grep 'authentication failure' "$ERROR_LOG" >&2 || failed "no authentication failure line in $ERROR_LOG $how"
  fail2ban-regex "$ERROR_LOG" /etc/fail2ban/filter.d/zephconf.conf > "$work/regex" || failed "fail2ban-regex"
  matched=$(sed -n 's/^Lines: .* \([0-9]\+\) matched.*/\1/p' "$work/regex")
  [ "$matched" = "$count" ] || { cat "$work/regex" >&2; failed "the filter found $matched lines of $count $how"; }
  [ "$(grep -c 'authentication failure .* from 127\.0\.0\.2' "$ERROR_LOG")" = "$count" ] \
    || failed "the lines do not name 127.0.0.2 $how"
}
say "refused passwords in Apache's error log, as the packaged fail2ban filter finds them"
guesses_found 3 "under mod_cgid"

# --- The host allowing fewer classes --------------------------------------

# the_check: the README block's last line, the owner's check, run as the owner.
the_check() {
  tail -n 1 "$block" > "$work/check.sh"
  runuser -l "$OWNER" -c "bash -e $work/check.sh" > /dev/null 2>&1
}
the_check || failed "the block's check fails on the host as the README asks for it"

# fewer WHAT PROGRAM PAGES SAYS [database]: the host as WHAT says; the program
# answers PROGRAM, the sign-in page PAGES, the error log says SAYS; with
# "database", the host reads no .htaccess and only the database folder is
# checked: its modes keep Apache's user out of it.
fewer() {
  local what=$1 program=$2 pages=$3 says=$4 checked=${5:-all}
  rm -f "$PROGRAM_DIR"/*.ran "$PROGRAM_DIR"/*/*.ran
  say "the host with $what: the program answers $program, the pages $pages, the database neither served nor run, the check fails"
  restart_apache
  expect_status "$program" "$(fetch https "$PROGRAM_URL?act=version")" "the program with $what"
  expect_status "$pages" "$(fetch https "/~$OWNER/zephconf/")" "the sign-in page with $what"
  refused_everywhere "$checked"
  ! the_check || failed "the block's check passes with $what"
  [ -z "$says" ] || grep -q "$says" "$ERROR_LOG" || failed "the error log does not say \"$says\" with $what"
}
provider_conf "AuthConfig Limit Indexes"
fewer "AllowOverride AuthConfig Limit Indexes (no FileInfo)" 500 500 "Header not allowed here"
provider_conf "FileInfo Limit Indexes"
fewer "AllowOverride FileInfo Limit Indexes (no AuthConfig)" 500 200 "Require not allowed here"
provider_conf "None"
fewer "AllowOverride None" 200 200 "" database
provider_conf "$CLASSES"
a2dismod -q -f headers >/dev/null
fewer "no mod_headers" 500 500 "Invalid command 'Header'"
a2enmod -q headers >/dev/null
restart_apache
the_check || failed "the block's check fails once the host allows the classes again"

# mod_cgi, not cgid, writes a program's standard error into the log behind a
# prefix of its own, naming the program's path: the filter must still find it.
say "with the prefork MPM and mod_cgi: the program as the owner, its refused passwords found by the filter"
a2dismod -q -f mpm_event cgid >/dev/null
a2enmod -q mpm_prefork cgi >/dev/null
restart_apache
: > /var/log/apache2/suexec.log
guesses_found 2 "under mod_cgi"
grep -q "uid: ($(id -u "$OWNER")/$OWNER) .* cmd: zephconf" /var/log/apache2/suexec.log \
  || failed "suexec did not run the program as $OWNER under mod_cgi"
refused_everywhere
say "the owner's site passed every check"
