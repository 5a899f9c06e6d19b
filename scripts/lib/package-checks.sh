# package-checks.sh: the checks of the installed package that no server
# needs, and the README's blocks of the shell tool, for the upgrade's testbed
# of scripts/lib/package-testbed.sh (whose settings they read: work,
# PROGRAM_DIR, ADMIN_TOOL, EXAMPLE, deb, MEMBERS, run_block).

# package_checks: every file under /etc a conffile; the program static; the
# shell tool at the program's version, with its manual page; the example
# database without a password and zephconf-admin create making a database of
# it as the README says; fail2ban's filter on the sample lines of
# tests/package/fail2ban-lines.txt, and every packaged jail on its server's
# log with the packaged ban action.
package_checks() {
  say "$name: the package's files, the shell tool, the example and fail2ban's filter and jails"
  grep '^/etc/' "$work/package-files" > "$work/etc-files"
  dpkg-query -W -f='${Conffiles}\n' zephconf | awk 'NF { print $1 }' | sort > "$work/conffiles"
  diff -u "$work/etc-files" "$work/conffiles" || die "the files under /etc and the conffiles differ"
  ! readelf -d "$PROGRAM_DIR/zephconf" | grep '(NEEDED)' >/dev/null || die "the installed program needs shared libraries"

  local program_version tool_version manual
  program_version=$(env -i REQUEST_METHOD=GET QUERY_STRING=act=version "$PROGRAM_DIR/zephconf" \
    | sed -n 's/.*The version of ZEP on this server is \([0-9][0-9.]*[0-9]\)\..*/\1/p')
  tool_version=$("$ADMIN_TOOL" --version) || die "$ADMIN_TOOL --version failed"
  [ -n "$program_version" ] && [ "$tool_version" = "zephconf-admin $program_version" ] \
    || die "$ADMIN_TOOL --version says '$tool_version', the program is at '$program_version'"
  manual=$(man -w zephconf-admin 2>/dev/null) || die "man finds no manual page zephconf-admin"
  [ "$manual" = /usr/share/man/man8/zephconf-admin.8.gz ] || die "man finds zephconf-admin's manual page at $manual"

  create_check

  local samples=tests/package/fail2ban-lines.txt
  grep -v '^[#[]' "$samples" | sed 's/^[^ ]* //' > "$work/fail2ban-lines.log"
  grep -v '^[#[]' "$samples" | cut -d' ' -f1 | grep -vx -- '-' > "$work/fail2ban-lines.expected"
  fail2ban-regex -o ip "$work/fail2ban-lines.log" /etc/fail2ban/filter.d/zephconf.conf \
    > "$work/fail2ban-lines.found"
  diff -u "$work/fail2ban-lines.expected" "$work/fail2ban-lines.found" \
    || die "fail2ban's filter takes other addresses from $samples than it names"

  # Each jail must read the log its server writes the program's lines to,
  # with the packaged ban action; fail2ban refuses a jail whose log is
  # missing, and a testbed holds every server's.
  local jail log jails_local=/etc/fail2ban/jail.d/zephconf-check.local
  : > "$jails_local"
  while IFS='|' read -r _ _ _ log jail _; do
    [ -e "$log" ] || install -D -m 0640 /dev/null "$log"
    printf '[%s]\nenabled = true\n\n' "$jail" >> "$jails_local"
  done < <(server_rows)
  fail2ban-client -d > "$work/fail2ban-dump.txt" 2>&1 || { cat "$work/fail2ban-dump.txt" >&2; die "fail2ban refuses the packaged jails"; }
  while IFS='|' read -r _ _ _ log jail _; do
    grep -qF "['set', '$jail', 'addlogpath', '$log', 'head']" "$work/fail2ban-dump.txt" \
      || die "fail2ban does not set up the jail $jail on $log"
    grep -qF "['set', '$jail', 'addaction', 'nftables-multiport']" "$work/fail2ban-dump.txt" \
      || die "the jail $jail does not ban with nftables-multiport"
  done < <(server_rows)
  rm -f "$jails_local"
}

# create_check: a database made as the README has a new user make one, with
# the installed shell tool's create, from the packaged example, which holds
# no password.
create_check() {
  local db=$PROGRAM_DIR/zephcreate ini out key value
  ini=$db/zephcreate.ini
  # The keys that create sets: every other line is the example's, its own
  # name "members" carried over to the new database's where it stands as a word.
  local set_by_create='^(Administration password|Enable Remote Administration|masterpassword|(search|change|add) entry password)='
  "$ADMIN_TOOL" status "$EXAMPLE" > "$work/example-status"
  grep -qx 'administration password: not set' "$work/example-status" \
    && grep -qx 'empty database passwords: 4 of 4 (.*)' "$work/example-status" \
    || { cat "$work/example-status" >&2; die "$ADMIN_TOOL status does not say that the shipped example has no password"; }
  printf '%s\n' create-Check-4 | "$ADMIN_TOOL" create "$db" > "$work/create" 2>&1 \
    || { cat "$work/create" >&2; die "$ADMIN_TOOL create $db failed"; }
  [ "$(cat "$work/create")" = "created $ini for www-data: administration password set, remote administration on, the database's own passwords random (see them in the form)" ] \
    || { cat "$work/create" >&2; die "$ADMIN_TOOL create does not say what it made, or says more"; }
  [ "$(stat -c '%U:%G %a' "$db" "$ini" | paste -sd' ')" = 'www-data:www-data 700 www-data:www-data 600' ] \
    || die "create made $(stat -c '%U:%G %a %n' "$db" "$ini" | paste -sd' ')"
  [ "$(ls -A "$db")" = zephcreate.ini ] && ! ls -A "$PROGRAM_DIR" | grep -qF .creating \
    || die "create left more than $ini: $(ls -A "$db" "$PROGRAM_DIR")"
  diff -u <(grep -vE "$set_by_create" "$EXAMPLE/members.ini" | sed "s/\<members\>/zephcreate/g") \
    <(grep -vE "$set_by_create" "$ini") || die "create changed more of the example than it sets"
  grep -qx 'Administration password=create-Check-4' "$ini" && grep -qx 'Enable Remote Administration=1' "$ini" \
    || die "create did not set the administration password and remote administration"
  for key in masterpassword 'search entry password' 'change entry password' 'add entry password'; do
    value=$(grep "^$key=" "$ini" | cut -d= -f2-)
    [ "${#value}" -ge 16 ] || die "create set $key to a password of ${#value} characters"
    ! grep -qF -- "$value" "$work/create" || die "create said the $key"
  done
  out=$("$ADMIN_TOOL" status "$db")
  grep -qx 'administration password: set' <<< "$out" && grep -qx 'empty database passwords: 0 of 4' <<< "$out" \
    || { printf '%s\n' "$out" >&2; die "$ADMIN_TOOL status does not see the passwords create set"; }
  rm -r "$db"
}

# tool_block BLOCK: one of the README's blocks of the shell tool, run with
# the database MEMBERS in place: the passwords asked for on standard input
# (and in $pw, as the README's line for scripts has it), a database `shop`
# made from the test fixture shop.ini in the folder it runs in, every
# database it makes removed again.
tool_block() {
  local block=$1 dir=$work/tool-folder
  rm -rf "$dir"
  mkdir -p "$dir"
  cp tests/support/fixture/shop.ini "$dir/"
  printf '%s\n' "$MEMBERS_PASSWORD" "$MEMBERS_PASSWORD" "$MEMBERS_PASSWORD" "$MEMBERS_PASSWORD" > "$work/passwords"
  case $block in
    source) BLOCK_DIR=. run_block "$block" ;;
    *) pw=$MEMBERS_PASSWORD BLOCK_DIR=$dir run_block "$block" "$work/passwords" ;;
  esac
  case $block in
    source)
      env -i REQUEST_METHOD=GET QUERY_STRING=act=version "$PROGRAM_DIR/zephconf" | grep 'The version of ZEP' >/dev/null \
        || die "the program installed from source does not answer"
      rm -r "$PROGRAM_DIR"
      ;;
    shop|shop-manual)
      "$ADMIN_TOOL" status "$PROGRAM_DIR/shop" > "$work/shop-status" || die "$ADMIN_TOOL status refuses the database $block made"
      [ "$(stat -c '%U:%G %a' "$PROGRAM_DIR/shop" "$PROGRAM_DIR/shop/shop.ini" | paste -sd' ')" \
        = 'www-data:www-data 700 www-data:www-data 600' ] || die "the block $block made $(ls -ld "$PROGRAM_DIR/shop")"
      rm -r "$PROGRAM_DIR/shop"
      ;;
    tool)
      # Its last line undoes the last change the history holds: the
      # password's setting, there being no other (the sets before it found
      # the same password, and nothing to change).
      rm -r "$PROGRAM_DIR/shop"
      "$ADMIN_TOOL" status "$PROGRAM_DIR/$MEMBERS" | grep -x 'administration password: not set' >/dev/null \
        || die "$name: the block $block did not undo the last change"
      ;;
    history)
      # Its restore of the newest version undoes the tool block's restore.
      signed_in "$MEMBERS" "$MEMBERS_PASSWORD" || die "$name: after the block $block the database does not open with its password"
      ;;
  esac
}
