# package-ban.sh: a real ban for scripts/test-package: fail2ban started with
# the package's jails only, in a folder of its own, one jail enabled on a test
# server's log and port; wrong passwords sent from a second loopback address
# until the jail bans it; its new connections then refused while 127.0.0.1 is
# still answered; then the unban. Needs common.sh sourced first.

# fail2ban ignores the host's own addresses (127.0.0.1): the guesser is 127.0.0.2.
BAN_CLIENT=127.0.0.2
# The packaged ban action, on an nftables table of the test's own: a fail2ban
# of the host's keeps its f2b-table untouched.
BAN_TABLE=zephconf-test
# The configuration folder of the fail2ban that fail2ban_start started.
F2B_DIR=

# nftables_usable: true when this process may add nftables tables.
nftables_usable() {
  command -v nft >/dev/null || return 1
  nft add table inet "$BAN_TABLE" 2>/dev/null || return 1
  nft delete table inet "$BAN_TABLE"
}

# remove_ban_table: the test's nftables table, should fail2ban have left it.
remove_ban_table() {
  ! nft list table inet "$BAN_TABLE" >/dev/null 2>&1 || nft delete table inet "$BAN_TABLE"
}

# fail2ban_lay_out DIR: a copy of /etc/fail2ban in DIR with the package's jails
# only (none enabled: the caller adds DIR/jail.d/zephconf.local), whose server
# keeps its socket, pid file, database and log in DIR.
fail2ban_lay_out() {
  local dir=$1
  rm -rf "$dir"
  cp -a /etc/fail2ban "$dir"
  rm -rf "$dir/jail.d" "$dir/fail2ban.d" "$dir/jail.local" "$dir/fail2ban.local"
  mkdir "$dir/jail.d" "$dir/fail2ban.d"
  cp /etc/fail2ban/jail.d/zephconf.conf "$dir/jail.d/"
  cat > "$dir/fail2ban.local" <<EOF
[DEFAULT]
logtarget = $dir/fail2ban.log
socket = $dir/fail2ban.sock
pidfile = $dir/fail2ban.pid
dbfile = $dir/fail2ban.sqlite3

[Definition]
allowipv6 = auto
EOF
  printf '[Init]\ntable = %s\n' "$BAN_TABLE" > "$dir/action.d/nftables-common.local"
}

# fail2ban_start DIR: starts the fail2ban server of the configuration in DIR.
fail2ban_start() {
  F2B_DIR=$1
  fail2ban-client -c "$F2B_DIR" start >/dev/null || { cat "$F2B_DIR/fail2ban.log" >&2; return 1; }
}

# fail2ban_stop: stops the server that fail2ban_start started (its ban action
# then removes its rules); by its pid when it does not answer. Safe to call
# more than once.
fail2ban_stop() {
  [ -n "$F2B_DIR" ] || return 0
  if ! timeout 30 fail2ban-client -c "$F2B_DIR" stop >/dev/null 2>&1 && [ -s "$F2B_DIR/fail2ban.pid" ]; then
    stop_process "$(cat "$F2B_DIR/fail2ban.pid")"
  fi
  F2B_DIR=
}

# request_from ADDR PORT BODY: POSTs BODY over HTTPS to the program on
# 127.0.0.1:PORT from the local address ADDR; prints the answer's body. curl's
# exit status: 7 when the connection was refused. The certificate is not
# checked here (it names the host, not 127.0.0.1): the HTTP checks do that.
request_from() {
  local addr=$1 port=$2 body=$3
  curl -sS --insecure --max-time 10 --interface "$addr" --data-raw "$body" "https://127.0.0.1:$port/cgi-bin/zephconf"
}

# wait_until SECONDS COMMAND...: runs COMMAND every 0.2 s until it succeeds;
# fails after SECONDS.
wait_until() {
  local seconds=$1 tries
  shift
  for tries in $(seq 1 $((seconds * 5))); do
    "$@" && return 0
    sleep 0.2
  done
  return 1
}

banned() { [ "$(fail2ban-client -c "$F2B_DIR" get "$1" banned "$BAN_CLIENT")" = 1 ]; }
refused() {
  local status=0
  request_from "$BAN_CLIENT" "$1" act=version >/dev/null 2>&1 || status=$?
  [ "$status" = 7 ]
}
answered() { request_from "$1" "$2" act=version 2>/dev/null | grep -q 'The version of ZEP'; }

# ban_check DIR JAIL PORT LOG DATABASE PASSWORD: fail2ban with JAIL alone,
# enabled on LOG (from its end) and the HTTPS port PORT, configured in DIR; as
# many wrong passwords for DATABASE (whose password is PASSWORD) from
# 127.0.0.2 as the jail allows; then 127.0.0.2 must be banned and refused,
# 127.0.0.1 still answered, and after the unban 127.0.0.2 answered again.
# Writes the number of wrong passwords sent to DIR/sent and what it saw to
# DIR/ban.txt.
ban_check() {
  local dir=$1 jail=$2 port=$3 log=$4 database=$5 password=$6 maxretry answer i
  fail2ban_lay_out "$dir"
  printf '[%s]\nenabled = true\nport = %s\nlogpath = %s tail\n' "$jail" "$port" "$log" \
    > "$dir/jail.d/zephconf.local"
  echo 0 > "$dir/sent"
  fail2ban_start "$dir" || die "fail2ban did not start with the jail $jail"
  maxretry=$(fail2ban-client -c "$dir" get "$jail" maxretry)
  for i in $(seq 1 "$maxretry"); do
    answer=$(request_from "$BAN_CLIENT" "$port" "DBName=$database&password=not-$password&act=entrance") \
      || die "wrong password $i of $maxretry from $BAN_CLIENT: no answer"
    grep -q 'Bad password' <<< "$answer" || die "wrong password $i of $maxretry from $BAN_CLIENT not refused"
    echo "$i" > "$dir/sent"
  done
  wait_until 15 banned "$jail" \
    || { cat "$dir/fail2ban.log" >&2; die "$jail did not ban $BAN_CLIENT after $maxretry wrong passwords"; }
  {
    echo "after $maxretry wrong passwords from $BAN_CLIENT, $jail bans it:"
    nft list table inet "$BAN_TABLE" 2>&1 || echo "(and nftables has no table $BAN_TABLE)"
  } > "$dir/ban.txt"
  # The ban must block, not only be listed: a new connection is refused.
  wait_until 5 refused "$port" || {
    cat "$dir/ban.txt" "$dir/fail2ban.log" >&2
    die "$BAN_CLIENT is banned by $jail but still answered on port $port"
  }
  request_from "$BAN_CLIENT" "$port" act=version >> "$dir/ban.txt" 2>&1 || true
  answered 127.0.0.1 "$port" || die "127.0.0.1 is not answered while $BAN_CLIENT is banned"
  echo "127.0.0.1 is still answered" >> "$dir/ban.txt"
  fail2ban-client -c "$dir" set "$jail" unbanip "$BAN_CLIENT" >/dev/null
  wait_until 5 answered "$BAN_CLIENT" "$port" || die "$BAN_CLIENT is not answered after its unban"
  echo "after the unban $BAN_CLIENT is answered again" >> "$dir/ban.txt"
  fail2ban_stop
  ! nft list table inet "$BAN_TABLE" >/dev/null 2>&1 || { remove_ban_table; say "fail2ban left $BAN_TABLE behind"; }
}
