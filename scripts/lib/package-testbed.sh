#!/usr/bin/env bash
# package-testbed.sh: the package test inside one testbed (testbed.sh), run
# by scripts/test-package as root in a throwaway copy of the machine:
#
#   package-testbed.sh server SERVER VARIANT BLOCK
#     SERVER of packaging/servers in use (SERVER_in_use VARIANT: its default
#     site serving two other CGI programs the Debian way), then the README's
#     blocks verbatim: the install, BLOCK (the server's enable commands), the
#     database program (a stand-in) beside the program and the server's block
#     that runs it, a database, fail2ban with the server's jail; the checks
#     over HTTPS and
#     plain HTTP (tests/package/served.test.mjs), the history walk, the log's
#     lines, a real ban, the lifting line; the removal blocks, nothing left,
#     the server serving as before without a restart and after one.
#   package-testbed.sh upgrade SERVER VARIANT BLOCK
#     SERVER in use with release 5.31-1 installed and enabled as its README
#     said, a database where it kept them (with a kept version) and its
#     database program (a stand-in) beside it; the README's install block,
#     the one command the install names, and the program then serving that
#     database over HTTPS with no other command; without mod_headers, the
#     one command the install names then; the package's own checks, the
#     shell tool's blocks; the server's block that runs the database program,
#     which must then read that database and what a save and a restore from
#     the web leave in it; an install again with the database program back
#     where 5.31-2's command left it, and the command that install names; the
#     removal blocks
#     on a fail2ban never set up (as Debian 12 installs it: not running).
#
# Each block's commands run as the README has them, in the checkout (where
# `./build/...` lies), with `yes` on standard input for apt's questions (a
# database block gets its password there instead); a command that fails, or
# an answer that differs, fails the testbed. What the other CGI programs
# answered at each stage goes to build/package-test/NAME/other-STAGE, every
# block's output to build/package-test/NAME/block-BLOCK.log, and the number of
# commands each block holds to build/package-test/NAME/commands.
set -euo pipefail
LIB=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$LIB/common.sh"
source "$LIB/readme-blocks.sh"
source "$LIB/server-table.sh"
source "$LIB/package-blocks.sh"
source "$LIB/package-servers.sh"
source "$LIB/package-ban.sh"
source "$LIB/package-checks.sh"
for check in "$LIB"/package-checks.d/*.sh; do
  [ -e "$check" ] && source "$check"
done
cd "$(project_root)"

[ "${ZEPH_TESTBED:-}" = 1 ] || die "package-testbed.sh changes /etc: run it in a testbed (scripts/test-package)"
mode=$1 server=$2 variant=$3 enable_block=$4
name=$server
[ "$variant" = - ] || name=$server-$variant
[ "$mode" = server ] || name=$server-$mode
work=$(project_root)/build/package-test/$name
rm -rf "$work"
mkdir -p "$work"
IFS='|' read -r _ confs _ log jail lift _ <<< "$(server_row "$server")"
service_name=$("${server}_service")
PROGRAM_DIR=/var/lib/zephconf
ADMIN_TOOL=/usr/sbin/zephconf-admin
SNAKEOIL=/etc/ssl/certs/ssl-cert-snakeoil.pem
EXAMPLE=$(dirname "$(model_file)")
# The database the README's blocks make, and its password.
MEMBERS=members
MEMBERS_PASSWORD=members-Check-9
# The database the ban check's wrong passwords are sent for.
BAN_DATABASE=zephban
BAN_PASSWORD=ban-Check-3
# The password that tests/package/served.test.mjs sets on its databases.
SERVED_PASSWORD=pkg-Check-7
# The database program's address, which the databases' "exe full URL" names
# (package-checks.d/database-program.sh puts its stand-in in place).
DATABASE_PROGRAM=$(database_program_address demo/members/members.ini)
[ "$DATABASE_PROGRAM" = "/cgi-bin/${DATABASE_PROGRAM##*/}" ] \
  || die "the demo database names the database program $DATABASE_PROGRAM, not one in /cgi-bin/"
# The package built from this checkout, and release 5.31-1's, which
# scripts/test-package built for the upgrade.
OLD_DEB=$work/../zephconf_5.31-1_$(dpkg --print-architecture).deb

trap 'status=$?; [ "$status" = 0 ] || server_evidence "$server"; exit "$status"' EXIT

# A testbed is a copy of a machine built for containers, where a policy
# forbids every service to start; a real machine has none, and the
# package's own reloads must be seen to work.
rm -f /usr/sbin/policy-rc.d
# sudo looks the host's name up.
printf '127.0.1.1 %s\n' "$(hostname)" >> /etc/hosts
# A machine without the package: should the machine under the testbed have
# it (another test of it running there), it goes, with its databases.
if dpkg-query -W -f='${Status}' zephconf 2>/dev/null | grep -q 'ok installed\|config-files'; then
  dpkg --purge zephconf > "$work/host-package-purged.log" 2>&1
fi
rm -rf /var/lib/zephconf

# run_block NAME [INPUT]: the README's block NAME, run verbatim as root in
# the folder BLOCK_DIR (default: the checkout, where `./build/...` lies), with
# the file INPUT on standard input (default: `yes`, the answers to apt's
# questions); its output in $work/block-NAME.log.
run_block() {
  local block=$1 input=${2:-} status=0
  readme_block "$block" > "$work/block-$block.sh" || die "the README has no block $block"
  printf '%s %s\n' "$block" "$(grep -cv '^$' "$work/block-$block.sh")" >> "$work/commands"
  say "$name: the README's block $block:"
  sed 's/^/    /' "$work/block-$block.sh" >&2
  if [ -n "$input" ]; then
    (cd "${BLOCK_DIR:-.}" && bash -e "$work/block-$block.sh") < "$input" > "$work/block-$block.log" 2>&1 || status=$?
  else
    (cd "${BLOCK_DIR:-.}" && bash -e "$work/block-$block.sh") < <(yes) > "$work/block-$block.log" 2>&1 || status=$?
  fi
  [ "$status" = 0 ] || { sed 's/^/    /' "$work/block-$block.log" >&2; die "$name: the README's block $block failed (status $status)"; }
}

# wait_for_port PORT: something answers on PORT of 127.0.0.1 (at most 10 s).
wait_for_port() {
  local tries
  for tries in $(seq 1 100); do
    (exec 3<>"/dev/tcp/127.0.0.1/$1") 2>/dev/null && return 0
    sleep 0.1
  done
  die "$name: nothing answers on port $1"
}

# other_stage STAGE [SAME]: what the other programs answer over plain HTTP
# at STAGE, written to $work/other-STAGE; with SAME (a stage), it must be
# what they answered then.
other_stage() {
  local stage=$1 same=${2:-} program answer
  for program in "${OTHER_PROGRAMS[@]}"; do
    answer=$(curl -sS --max-time 10 -w '\n%{http_code}' "http://127.0.0.1/cgi-bin/$program" 2>&1) || true
    printf '/cgi-bin/%s %s %s\n' "$program" "${answer##*$'\n'}" "$(head -n 1 <<< "${answer%$'\n'*}" | cut -c1-60)"
  done > "$work/other-$stage"
  [ -z "$same" ] && return 0
  diff -u "$work/other-$same" "$work/other-$stage" >&2 \
    || die "$name: the other CGI programs answer otherwise $stage than $same"
}

# signed_in DATABASE PASSWORD: the database's administration form over HTTPS,
# the certificate checked as a browser that trusts it does.
signed_in() {
  local page
  page=$(curl -sS --max-time 10 --cacert "$SNAKEOIL" --resolve "$(snakeoil_name):443:127.0.0.1" \
    --data-raw "DBName=$1&password=$2&act=entrance" "https://$(snakeoil_name)/cgi-bin/zephconf") || return 1
  grep -q "($1) Administration Page" <<< "$page"
}
snakeoil_name() { openssl x509 -noout -subject -nameopt multiline -in "$SNAKEOIL" | sed -n 's/^ *commonName *= *//p'; }

# tree_state DIR: every path under DIR with its owner, group and mode, and
# every file's digest.
tree_state() {
  (cd "$1" && find . -printf '%u:%g %m %p\n' | sort && find . -type f -exec md5sum {} + | sort -k 2)
}

# The requests of tests/package/served.test.mjs through the server, HTTPS on
# port 443 and plain HTTP on port 80.
served_checks() {
  say "$name: the HTTP checks over HTTPS and plain HTTP"
  ZEPH_E2E_URL=https://127.0.0.1 ZEPH_E2E_CA=$SNAKEOIL ZEPH_E2E_SITE=/usr/lib ZEPH_E2E_PROGRAM_DIR=$PROGRAM_DIR \
    ZEPH_E2E_WORK=$work ZEPH_PACKAGE_PLAIN_URL=http://127.0.0.1 ZEPH_PACKAGE_OTHER_CLIENT=$BAN_CLIENT \
    ZEPH_PACKAGE_SITE_ALIAS=$SITE_ALIAS ZEPH_PACKAGE_SERVER=$server ZEPH_PACKAGE_CGI=yes \
    ZEPH_PACKAGE_PASSWORD=$SERVED_PASSWORD ZEPH_PACKAGE_DATABASE_PROGRAM=$DATABASE_PROGRAM \
    ZEPH_PACKAGE_UID=$(id -u www-data) ZEPH_PACKAGE_GID=$(id -g www-data) ZEPH_PACKAGE_EXAMPLE=$EXAMPLE \
    timeout --kill-after=10 300 node --test --test-concurrency=1 tests/package/ > "$work/served.tap" \
    || { cat "$work/served.tap" >&2; die "$name: the HTTP checks failed"; }
  grep -E '^# (tests|pass|fail|skipped) ' "$work/served.tap" | paste -sd' ' >&2
  [ ! -e "$work/headers.txt" ] || sed 's/^/    /' "$work/headers.txt" >&2
}

# audit_check LOG: LOG holds one "configuration updated" line, from
# 127.0.0.1, for each Configure that the checks had accepted (the database
# names in $work/configured, one a line), none for anything else, and no
# password anywhere.
audit_check() {
  local log=$1 count database found all
  all=$(wc -l < "$work/configured")
  [ "$all" -gt 0 ] || die "$name: the HTTP checks had no Configure accepted"
  while read -r count database; do
    found=$(grep -cE "zephconf: configuration updated for database \"$database\" from 127\.0\.0\.1([^0-9]|\$)" "$log" || true)
    [ "$found" = "$count" ] || { cat "$log" >&2; die "$name: the log has $found configuration-updated lines for $database, not $count"; }
  done < <(sort "$work/configured" | uniq -c)
  found=$(grep -c 'zephconf: configuration updated for database' "$log" || true)
  [ "$found" = "$all" ] || { cat "$log" >&2; die "$name: the log has $found configuration-updated lines, not $all"; }
  ! grep -qF -e "$SERVED_PASSWORD" -e "$BAN_PASSWORD" -e "$MEMBERS_PASSWORD" "$log" || die "$name: the log holds a password"
  say "$name: the log has one configuration-updated line per accepted Configure ($all), and no password"
}

# fail2ban_check LOG: the packaged filter must find in LOG the refused
# passwords of the HTTP checks, from 127.0.0.1, and those of the ban check,
# from 127.0.0.2, each with its client's address, and nothing else.
fail2ban_check() {
  local log=$1 local_refused ban_sent
  local_refused=$(cat "$work/refused-passwords")
  ban_sent=$(cat "$work/fail2ban/sent")
  awk -v a="$local_refused" -v b="$ban_sent" -v client="$BAN_CLIENT" \
    'BEGIN { for (i = 0; i < a; i++) print "127.0.0.1"; for (i = 0; i < b; i++) print client }' \
    > "$work/fail2ban.expected"
  fail2ban-regex -o ip "$log" /etc/fail2ban/filter.d/zephconf.conf | sort > "$work/fail2ban.found"
  if ! diff -u "$work/fail2ban.expected" "$work/fail2ban.found" >&2; then
    cat "$log" >&2
    die "$name: fail2ban's filter does not find in the log the $local_refused refused passwords from 127.0.0.1 and the $ban_sent from $BAN_CLIENT"
  fi
  say "$name: fail2ban's filter finds the $local_refused refused passwords from 127.0.0.1 and the $ban_sent from $BAN_CLIENT, and no configuration update"
}

# lift_check: the line for a proxy that ends TLS taken in, as the README has
# the administrator do, and the server restarted: plain HTTP from
# BAN_CLIENT, refused before, is then answered. The configuration is put
# back as it was, and the server restarted again.
lift_check() {
  local conf=/etc/${confs%% *}
  say "$name: with the line for a proxy that ends TLS taken in: $lift"
  cp -p "$conf" "$work/lift-saved"
  take_in_line "$conf" "$lift" || die "$name: no line $lift to take in"
  service "$service_name" restart > "$work/lift-restart.log" 2>&1 || { cat "$work/lift-restart.log" >&2; die "$name: no restart with $lift"; }
  wait_for_port 80
  curl -sS --max-time 10 --interface "$BAN_CLIENT" "http://127.0.0.1/cgi-bin/zephconf?act=version" \
    | grep 'The version of ZEP' >/dev/null || die "$name so does not answer the program over plain HTTP to $BAN_CLIENT"
  [ "$(curl -sS --max-time 10 -o /dev/null -w '%{http_code}' --interface "$BAN_CLIENT" http://127.0.0.1/zephconf/)" = 200 ] \
    || die "$name so does not serve the sign-in page over plain HTTP to $BAN_CLIENT"
  cat "$work/lift-saved" > "$conf"
  service "$service_name" restart > "$work/lift-restart.log" 2>&1 || { cat "$work/lift-restart.log" >&2; die "$name: no restart after $lift"; }
  wait_for_port 443
  say "$name so answers the program and the sign-in page over plain HTTP to $BAN_CLIENT"
}

# purge_check: after the removal blocks dpkg knows the package no more, no
# file of it is left (nor a link or record that enabling it made), and man
# finds its manual page no more.
purge_check() {
  dpkg-query -W -f='${Status}' zephconf 2>/dev/null | grep -q 'ok installed\|config-files' \
    && die "$name: dpkg still knows zephconf after the purge"
  local left
  left=$(while IFS= read -r path; do
      [ ! -e "$path" ] || printf '%s\n' "$path"
    done < "$work/package-files"
    ls -d /usr/share/zephconf /usr/share/doc/zephconf 2>/dev/null || true
    find /etc /var/lib/apache2 -name '*zephconf*' 2>/dev/null)
  [ -z "$left" ] || die "$name: left after the purge: $left"
  ! man -w zephconf-admin >/dev/null 2>&1 || die "$name: man still finds zephconf-admin's manual page after the purge"
}

# after_purge: the server, reloaded by the purge, serves the other programs as
# before and the program no more; and so again once restarted.
after_purge() {
  local answer stage
  for stage in purged restarted; do
    if [ "$stage" = restarted ]; then
      service "$service_name" restart > "$work/restart-after-purge.log" 2>&1 \
        || { cat "$work/restart-after-purge.log" >&2; die "$name does not start after the purge"; }
      wait_for_port 80
    fi
    other_stage "$stage" before
    answer=$(curl -sS --max-time 10 "http://127.0.0.1/cgi-bin/zephconf?act=version") || true
    ! grep -q 'The version of ZEP' <<< "$answer" || die "$name still runs the program $stage"
  done
}

package_files() {
  dpkg-deb --fsys-tarfile "$1" | tar -t | grep -v '/$' | sed 's|^\./|/|' | sort > "$work/package-files"
}

deb=$(ls build/zephconf_*.deb)
package_files "$deb"
other_programs_lay_out

if [ "$mode" = server ]; then
  say "$name: $server in use, serving the other CGI programs the Debian way"
  "${server}_in_use" "$variant"
  wait_for_port 80
  other_stage before

  run_block "$PACKAGE_BLOCK"
  run_block "$enable_block"
  wait_for_port 443
  other_stage enabled before
  database_program_in_place
  run_block "database-program-$server"
  wait_for_port 443

  # Each way of making a database is run under one server at least.
  printf '%s\n%s\n' "$MEMBERS_PASSWORD" "$MEMBERS_PASSWORD" > "$work/password"
  if [ "$server" = nginx ]; then
    run_block "$DATABASE_MANUAL_BLOCK" "$work/password"
  else
    run_block "$DATABASE_BLOCK" "$work/password"
  fi
  signed_in "$MEMBERS" "$MEMBERS_PASSWORD" || die "$name: no sign-in over HTTPS with the database the README made"
  say "$name: signed in over HTTPS with the database the README made"

  for block in "${FAIL2BAN_BLOCKS[@]}"; do
    run_block "${block/SERVER/$server}"
  done
  fail2ban-client status "$jail" > "$work/jail-status" || die "$name: fail2ban runs no jail $jail"

  log_start=$(stat -c %s "$log" 2>/dev/null || echo 0)
  printf '%s\n' "$BAN_PASSWORD" | "$ADMIN_TOOL" create "$PROGRAM_DIR/$BAN_DATABASE" > /dev/null
  served_checks
  for check in $(declare -F | sed -n 's/^declare -f \(server_check_.*\)$/\1/p'); do
    "$check"
  done
  say "$name: $jail bans $BAN_CLIENT after wrong passwords over HTTPS"
  ban_check "$work/fail2ban" "$jail" 443 "$BAN_DATABASE" "$BAN_PASSWORD"
  sed 's/^/    /' "$work/fail2ban/ban.txt" >&2
  tail -c +"$((log_start + 1))" "$log" > "$work/program-lines.log"
  audit_check "$work/program-lines.log"
  fail2ban_check "$work/program-lines.log"
  lift_check
  other_stage checked before

  run_block "$REMOVE_BLOCK"
  purge_check
  if readme_block_names | grep -qx "remove-$server"; then
    run_block "remove-$server"
  fi
  after_purge
  run_block "$REMOVE_DATABASES_BLOCK"
  [ ! -e "$PROGRAM_DIR" ] || die "$name: $PROGRAM_DIR is still there"
  say "$name: installed, enabled, served, checked and purged as the README says"
  exit 0
fi

[ "$mode" = upgrade ] || die "no mode $mode"
say "$name: $server in use with HTTPS, and release 5.31-1 installed and enabled as its README said"
"${server}_in_use" "$variant"
wait_for_port 80
other_stage before
[ "$server" = apache ] || die "the upgrade is laid out for Apache only"
a2enmod -q headers ssl
make-ssl-cert generate-default-snakeoil
a2ensite -q default-ssl
dpkg -i "$OLD_DEB" > "$work/old-install.log" 2>&1 || { cat "$work/old-install.log" >&2; die "5.31-1 does not install"; }
a2enconf -q zephconf.conf
service apache2 restart > /dev/null
wait_for_port 443
# A database where 5.31-1 had them, as its README made them: folder 0700 and
# file 0600, www-data's, its password set with 5.31-1's shell tool, which
# kept the content it replaced as a version in its history.
old_db=$CGI_DIR/$MEMBERS
install -d -m 0700 -o www-data -g www-data "$old_db"
sed 's/^Enable Remote Administration=.*/Enable Remote Administration=1/' "$EXAMPLE/members.ini" > "$old_db/$MEMBERS.ini"
chown www-data:www-data "$old_db/$MEMBERS.ini"
chmod 0600 "$old_db/$MEMBERS.ini"
printf '%s\n' "$MEMBERS_PASSWORD" | "$ADMIN_TOOL" set-password "$old_db" > "$work/old-set-password.log" 2>&1 \
  || { cat "$work/old-set-password.log" >&2; die "5.31-1's shell tool does not set the password"; }
"$ADMIN_TOOL" history "$old_db" > "$work/old-history"
grep 'Administration password' "$work/old-history" >/dev/null || { cat "$work/old-history" >&2; die "5.31-1 kept no version"; }
tree_state "$old_db" > "$work/old-database"
signed_in "$MEMBERS" "$MEMBERS_PASSWORD" || die "$name: 5.31-1 does not serve its database over HTTPS"
# Its database program beside it, where its "exe full URL" leads, reading
# the database there. (5.31-1's Apache configuration refused every other
# address under /cgi-bin/, its own aside: there it is run from a shell.)
standin=$(standin_build)
install -m 0755 "$standin" "$CGI_DIR/"
standin_reads "$MEMBERS" "$CGI_DIR"
other_stage 5.31-1

# moved_as_said BLOCK LOG: the README's block BLOCK, lines that an install
# prints, stands in LOG line for line, and the install says nothing else of
# its own; the command after "with: " in them, as a person copies it from the
# line, is run.
moved_as_said() {
  local block=$1 log=$2 line
  readme_block "$block" > "$work/$block-lines"
  # apt ends the lines of dpkg's output with a carriage return as well.
  tr -d '\r' < "$log" | grep '^zephconf: ' > "$work/$block-said" || true
  while IFS= read -r line; do
    grep -qxF -- "$line" "$work/$block-said" || { cat "$log" >&2; die "the install does not say: $line"; }
  done < "$work/$block-lines"
  [ "$(wc -l < "$work/$block-said")" = "$(wc -l < "$work/$block-lines")" ] \
    || { cat "$log" >&2; die "the install says more than the README's block $block"; }
  sed -n 's/^.* with: //p' "$work/$block-lines" > "$work/$block-command"
  [ "$(wc -l < "$work/$block-command")" = 1 ] || die "the README's block $block has not one command"
  printf '%s-command %s\n' "$block" 1 >> "$work/commands"
  bash -e "$work/$block-command" > "$work/$block-command.log" 2>&1 \
    || { cat "$work/$block-command.log" >&2; die "the command of $block failed"; }
}

run_block "$PACKAGE_BLOCK"
# Until the move, the database program answers at its address from where it
# was, served the Debian way: the install takes nothing from its visitors.
standin_check "$MEMBERS" "$CGI_DIR"
moved_as_said "$UPGRADE_BLOCK" "$work/block-$PACKAGE_BLOCK.log"
[ ! -e "$old_db" ] && diff -u "$work/old-database" <(tree_state "$PROGRAM_DIR/$MEMBERS") \
  || die "the command moved $old_db with changes"
signed_in "$MEMBERS" "$MEMBERS_PASSWORD" \
  || die "$name: after the upgrade and the move the program does not serve the database over HTTPS"
"$ADMIN_TOOL" history "$PROGRAM_DIR/$MEMBERS" > "$work/moved-history"
diff -u "$work/old-history" "$work/moved-history" || die "$name: the moved database's history is not the one it had"
say "$name: after the install and the move, the database is served over HTTPS with its history, no other command"
other_stage upgraded before

# 5.31-1 did not need mod_headers: where Apache lacks it, the program is not
# served, and the install names the one command that enables it.
a2dismod -q headers
service apache2 restart > /dev/null
! signed_in "$MEMBERS" "$MEMBERS_PASSWORD" || die "$name: the program is served without mod_headers"
dpkg -i "$deb" > "$work/install-without-headers.log" 2>&1 \
  || { cat "$work/install-without-headers.log" >&2; die "the install over itself failed"; }
headers_line=$(grep '^zephconf: Apache serves the program only with mod_headers' "$work/install-without-headers.log") \
  || { cat "$work/install-without-headers.log" >&2; die "the install does not name the command that enables mod_headers"; }
bash -e <<< "${headers_line#* with: }" > "$work/headers-command.log" 2>&1 \
  || { cat "$work/headers-command.log" >&2; die "the command the install names failed: ${headers_line#* with: }"; }
signed_in "$MEMBERS" "$MEMBERS_PASSWORD" || die "$name: after the command the install names the program is not served"
say "$name: without mod_headers the install names the one command, and after it the program is served: ${headers_line#* with: }"

# The database program moved with the database.
program_file=${DATABASE_PROGRAM##*/}
[ ! -e "$CGI_DIR/$program_file" ] && cmp -s "$standin" "$PROGRAM_DIR/$program_file" \
  || die "$name: the command did not move the database program beside the databases"

package_checks
printf '%s\n' "$MEMBERS_PASSWORD" > "$work/password"
for block in "${TOOL_BLOCKS[@]}"; do
  tool_block "$block"
done

# The server runs the database program, moved with the database, as the
# README's block says (after the shell tool's blocks, whose checks read the
# database's history as the move left it): it reads the database there, and
# what a save and a restore from the web leave in it.
run_block "database-program-$server"
wait_for_port 443
standin_check "$MEMBERS" "$PROGRAM_DIR"
history_walk "$name" 443 "$MEMBERS" "$MEMBERS_PASSWORD" 1
# As 5.31-2's command left them (the databases moved, the database program
# not): an install names the program's move alone. The configuration, whose
# line for the database program the administrator took in, is kept, as
# dpkg's question about it proposes.
reinstall() {
  dpkg --force-confdef --force-confold -i "$deb" > "$work/reinstall.log" 2>&1 \
    || { cat "$work/reinstall.log" >&2; die "$name: the package does not install again"; }
}
mv "$PROGRAM_DIR/$program_file" "$CGI_DIR/"
reinstall
moved_as_said "$UPGRADE_PROGRAM_BLOCK" "$work/reinstall.log"
[ ! -e "$CGI_DIR/$program_file" ] && cmp -s "$standin" "$PROGRAM_DIR/$program_file" \
  || die "$name: the command of $UPGRADE_PROGRAM_BLOCK did not move the database program"
standin_check "$MEMBERS" "$PROGRAM_DIR"
reinstall
! grep '^zephconf: ' "$work/reinstall.log" || die "$name: an install with everything in place still asks for a move"
say "$name: the database program moved as the install says reads the database over HTTPS, and what the web changes in it"

run_block "$REMOVE_BLOCK"
purge_check
after_purge
run_block "$REMOVE_DATABASES_BLOCK"
tool_block "$SOURCE_BLOCK"
say "$name: upgraded from 5.31-1, served at once, purged as the README says"
