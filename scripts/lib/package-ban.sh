# package-ban.sh: a real ban for the package test, by the fail2ban that the
# README's blocks set up in a testbed, with the jail of the server under test:
# wrong passwords sent from a second loopback address until the jail bans it;
# its new connections then refused while 127.0.0.1 is still answered; then the
# unban. Needs common.sh sourced first.

# fail2ban ignores the host's own addresses (127.0.0.1): the guesser is 127.0.0.2.
BAN_CLIENT=127.0.0.2

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

banned() { [ "$(fail2ban-client get "$1" banned "$BAN_CLIENT")" = 1 ]; }
refused() {
  local status=0
  request_from "$BAN_CLIENT" "$1" act=version >/dev/null 2>&1 || status=$?
  [ "$status" = 7 ]
}
answered() { request_from "$1" "$2" act=version 2>/dev/null | grep -q 'The version of ZEP'; }

# ban_check DIR JAIL PORT DATABASE PASSWORD: with the running fail2ban's JAIL,
# as many wrong passwords for DATABASE (whose password is PASSWORD) from
# 127.0.0.2 over HTTPS on PORT as the jail allows; then 127.0.0.2 must be
# banned and refused, 127.0.0.1 still answered, and after the unban
# 127.0.0.2 answered again. Writes the number of wrong passwords sent to
# DIR/sent and what it saw to DIR/ban.txt.
ban_check() {
  local dir=$1 jail=$2 port=$3 database=$4 password=$5 maxretry answer i
  mkdir -p "$dir"
  echo 0 > "$dir/sent"
  maxretry=$(fail2ban-client get "$jail" maxretry) || die "fail2ban runs no jail $jail"
  for i in $(seq 1 "$maxretry"); do
    answer=$(request_from "$BAN_CLIENT" "$port" "DBName=$database&password=not-$password&act=entrance") \
      || die "wrong password $i of $maxretry from $BAN_CLIENT: no answer"
    grep -q 'Bad password' <<< "$answer" || die "wrong password $i of $maxretry from $BAN_CLIENT not refused"
    echo "$i" > "$dir/sent"
  done
  wait_until 15 banned "$jail" \
    || { tail -n 40 /var/log/fail2ban.log >&2; die "$jail did not ban $BAN_CLIENT after $maxretry wrong passwords"; }
  {
    echo "after $maxretry wrong passwords from $BAN_CLIENT, $jail bans it:"
    nft list table inet f2b-table 2>&1 || echo "(and nftables has no table f2b-table)"
  } > "$dir/ban.txt"
  # The ban must block, not only be listed: a new connection is refused.
  wait_until 5 refused "$port" || {
    cat "$dir/ban.txt" >&2
    tail -n 40 /var/log/fail2ban.log >&2
    die "$BAN_CLIENT is banned by $jail but still answered on port $port"
  }
  request_from "$BAN_CLIENT" "$port" act=version >> "$dir/ban.txt" 2>&1 || true
  answered 127.0.0.1 "$port" || die "127.0.0.1 is not answered while $BAN_CLIENT is banned"
  echo "127.0.0.1 is still answered" >> "$dir/ban.txt"
  fail2ban-client set "$jail" unbanip "$BAN_CLIENT" >/dev/null
  wait_until 5 answered "$BAN_CLIENT" "$port" || die "$BAN_CLIENT is not answered after its unban"
  echo "after the unban $BAN_CLIENT is answered again" >> "$dir/ban.txt"
}
