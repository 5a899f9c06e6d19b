# demo-site.sh: lays out the demo site (program, demo database, pages, lighttpd
# configuration) in one folder and starts and stops its lighttpd on 127.0.0.1.
# Used by scripts/serve and scripts/lib/test-site.sh; needs common.sh sourced first.

DEMO_MARKER=.zeph-demo-site
DEMO_SERVER_PID=
DEMO_NOTE_MARKER='<!-- demo site: sign-in note -->'

# demo_site_source: the checked-in demo files.
demo_site_source() { printf '%s/demo\n' "$(project_root)"; }

# lay_out_demo_site SITE PORT: (re)builds the demo site in SITE from the checked-in
# demo files and the built program (installed with the project's install rules).
# Writes nothing outside SITE. A SITE that holds anything but an earlier demo site
# is left alone.
lay_out_demo_site() {
  local site=$1 port=$2 source root
  source=$(demo_site_source)
  root=$(project_root)
  case $site in /*) ;; *) die "the demo folder must be an absolute path: $site" ;; esac
  if [ -e "$site" ] && [ ! -e "$site/$DEMO_MARKER" ] && [ -n "$(ls -A "$site" 2>/dev/null)" ]; then
    die "$site exists and is not a demo site; choose an empty or new folder"
  fi
  [ -x "$root/build/zephconf" ] || die "build/zephconf is missing: run scripts/build"
  rm -rf "$site"
  mkdir -p "$site/log" "$site/tmp"
  : > "$site/$DEMO_MARKER"
  cmake --install "$root/build" --prefix "$site" >/dev/null || die "cmake --install failed"
  [ -x "$site/cgi-bin/zephconf" ] || die "the install rules did not put zephconf into cgi-bin/"
  cp -R "$source/htdocs" "$site/htdocs"
  cp -R "$source/members" "$site/cgi-bin/members"
  add_demo_sign_in_note "$site/htdocs/index.html" "$site/cgi-bin/members/members.ini"
  sed -e "s|@SITE@|$site|g" -e "s|@PORT@|$port|g" "$source/lighttpd.conf.in" > "$site/lighttpd.conf"
  lighttpd -tt -f "$site/lighttpd.conf" >/dev/null || die "lighttpd refuses $site/lighttpd.conf"
}

# add_demo_sign_in_note PAGE INI: the demo site's sign-in page alone names the
# demo database and its password, in place of the marker line; the pages in
# demo/htdocs, which the package installs and the README has copied to a real
# server, name no password.
add_demo_sign_in_note() {
  local page=$1 ini=$2 password
  password=$(sed -n 's/^Administration password=//p' "$ini")
  [ "$(grep -cxF "$DEMO_NOTE_MARKER" "$page")" = 1 ] || die "$page has no line $DEMO_NOTE_MARKER"
  NOTE="<p class=\"note\">The demo database is <b>members</b>; its administration password is <b>$password</b>.</p>" \
    awk -v marker="$DEMO_NOTE_MARKER" '$0 == marker { print ENVIRON["NOTE"]; next } { print }' \
    "$page" > "$page.new"
  mv "$page.new" "$page"
}

# port_in_use PORT: true when something accepts connections on 127.0.0.1:PORT.
port_in_use() { (exec 3<>"/dev/tcp/127.0.0.1/$1") 2>/dev/null; }

# free_port: prints a port on 127.0.0.1 that nothing listens on (a bounded search).
free_port() {
  local tries port
  for tries in $(seq 1 50); do
    port=$(( 20000 + RANDOM % 30000 ))
    port_in_use "$port" || { printf '%s\n' "$port"; return 0; }
  done
  die "no free port found on 127.0.0.1"
}

# start_demo_server SITE PORT: starts lighttpd for SITE in the background and waits
# (at most 10 s) until it answers on PORT. Sets DEMO_SERVER_PID.
start_demo_server() {
  local site=$1 port=$2 waited
  port_in_use "$port" && die "port $port on 127.0.0.1 is already in use (give another port)"
  lighttpd -D -f "$site/lighttpd.conf" &
  DEMO_SERVER_PID=$!
  for waited in $(seq 1 100); do
    port_in_use "$port" && return 0
    if ! kill -0 "$DEMO_SERVER_PID" 2>/dev/null; then
      DEMO_SERVER_PID=
      tail -n 5 "$site/log/error.log" >&2 2>/dev/null || true
      die "lighttpd stopped while starting"
    fi
    sleep 0.1
  done
  stop_demo_server
  die "lighttpd did not answer on port $port within 10 seconds"
}

# stop_demo_server: stops the lighttpd that start_demo_server started (TERM, then
# KILL after 5 s) and waits for it. Safe to call more than once.
stop_demo_server() {
  local pid=$DEMO_SERVER_PID
  [ -n "$pid" ] || return 0
  DEMO_SERVER_PID=
  stop_process "$pid"
}
