# package-servers.sh: the servers of packaging/servers for scripts/test-package,
# each serving the installed package's configuration on two ports of 127.0.0.1
# and nowhere else, plain HTTP on one and HTTPS on the other, and writing its
# logs, pid file and sockets into a folder of its own. For each server NAME of
# the table, NAME_lay_out DIR PORT TLS_PORT VARIANT makes its configuration in
# DIR from what the enable commands left in /etc, and NAME_start DIR PORT
# TLS_PORT starts it. Needs common.sh and demo-site.sh (port_in_use) sourced
# first.

SERVER_PIDS=()
# The folder of the server that server_start laid out last, until its checks
# are done (server_checks_done): what server_evidence shows when one fails.
SERVER_DIR=

# start_server LOG COMMAND...: starts a server in the foreground of a
# background job, its output into LOG; stop_servers stops it. COMMAND must be a
# program (env is one), not a function: the job's process must be the server's.
# The server gets a session of its own: Apache's prefork, stopping, signals its
# whole process group, which would otherwise be this script's.
start_server() {
  local log=$1
  shift
  setsid "$@" >>"$log" 2>&1 &
  SERVER_PIDS+=("$!")
}

# wait_for_ports LOG PORT...: waits (at most 10 s) until the server started
# last answers on each PORT of 127.0.0.1; shows the end of LOG if it stopped
# instead.
wait_for_ports() {
  local log=$1 pid=${SERVER_PIDS[-1]} port waited
  shift
  for port in "$@"; do
    for waited in $(seq 1 100); do
      port_in_use "$port" && continue 2
      kill -0 "$pid" 2>/dev/null || { tail -n 20 "$log" >&2; return 1; }
      sleep 0.1
    done
    say "nothing answers on port $port after 10 seconds"
    return 1
  done
}

# stop_servers: stops every server that start_server started, last first
# (TERM, then KILL after 5 s). Safe to call more than once.
stop_servers() {
  local i
  for ((i = ${#SERVER_PIDS[@]} - 1; i >= 0; i--)); do
    stop_process "${SERVER_PIDS[i]}"
  done
  SERVER_PIDS=()
}

# replace_line FILE PATTERN REPLACEMENT: replaces the one line of FILE that
# matches the extended regular expression PATTERN; fails when not exactly one
# does. With COUNT=any, every line that matches, and at least one must.
replace_line() {
  local file=$1 pattern=$2 replacement=$3 found
  found=$(grep -cE "$pattern" "$file" || true)
  if [ "${COUNT:-}" = any ]; then
    [ "$found" -ge 1 ] || { say "$file: no line matches $pattern"; return 1; }
  else
    [ "$found" = 1 ] || { say "$file: no single line matches $pattern"; return 1; }
  fi
  # Through the environment: awk -v would take the pattern's backslashes as escapes.
  PATTERN=$pattern REPLACEMENT=$replacement \
    awk '$0 ~ ENVIRON["PATTERN"] { print ENVIRON["REPLACEMENT"]; next } { print }' "$file" > "$file.new"
  mv "$file.new" "$file"
}

# server_start SERVER VARIANT DIR PORT TLS_PORT [CONF LINE]: lays out SERVER
# of the table, run as VARIANT ("-": its one way), in DIR and starts it on
# 127.0.0.1, plain HTTP on PORT and HTTPS on TLS_PORT. With CONF and LINE, the
# commented LINE of the lay-out's copy of the configuration CONF taken in;
# with LINE "-", that copy left out, as before the configuration is enabled.
server_start() {
  local server=$1 variant=$2 dir=$3 port=$4 tls_port=$5 conf=${6:-} line=${7:-}
  declare -F "${server}_lay_out" "${server}_start" >/dev/null || { say "no lay-out or start for $server"; return 1; }
  SERVER_DIR=$dir
  "${server}_lay_out" "$dir" "$port" "$tls_port" "$variant" || return 1
  if [ "$line" = - ]; then
    find "$dir" -name "${conf##*/}" -delete
  elif [ -n "$line" ]; then
    take_in_line "$dir" "${conf##*/}" "$line" || return 1
  fi
  "${server}_start" "$dir" "$port" "$tls_port"
}

# take_in_line DIR NAME LINE: in the one file named NAME under DIR, the one
# line LINE, which starts with "#", without that "#".
take_in_line() {
  local dir=$1 name=$2 line=$3 file
  file=$(find "$dir" -type f -name "$name")
  [ -n "$file" ] && [ "$(wc -l <<< "$file")" = 1 ] || { say "no single file $name in $dir"; return 1; }
  LINE=$line awk '$0 == ENVIRON["LINE"] { print substr($0, 2); taken++; next } { print }
    END { exit taken != 1 }' "$file" > "$file.new" || { say "$file has no single line $line"; return 1; }
  mv "$file.new" "$file"
}

# server_evidence: when a check of the server laid out last fails, what it
# said: the last lines of its error log, of its configuration test and of
# what it printed, and where its folder is kept for the rest.
server_evidence() {
  [ -n "$SERVER_DIR" ] || return 0
  local file
  say "the server's folder is kept: $SERVER_DIR"
  for file in "$SERVER_DIR"/log/error.log "$SERVER_DIR"/log/configtest.log "$SERVER_DIR"/log/server.log \
    "$SERVER_DIR"/log/fcgiwrap.log; do
    [ -s "$file" ] || continue
    say "the last lines of $file:"
    tail -n 40 "$file" | sed 's/^/    /' >&2
  done
}

# server_checks_done: the checks of the server laid out last have passed.
server_checks_done() { SERVER_DIR=; }

# server_stop: stops the servers that server_start started, and what they left.
server_stop() {
  stop_servers
  remove_fcgiwrap_socket
}

# Each server compresses HTML, as Debian's Apache and nginx do by default, so
# that the package's configurations are seen to keep the program's answers
# out of it.

# An address that Apache's lay-out leads into the program's folder, as a
# site's own alias could (the other servers' configurations can refuse no
# file system path, and their lay-outs lead nothing there).
SITE_ALIAS=/site-data

# apache_lay_out DIR PORT TLS_PORT VARIANT: a copy of /etc/apache2 in
# DIR/conf, as enabled there (Debian's default site and its HTTPS site, and
# serve-cgi-bin.conf serving /usr/lib/cgi-bin), with mod_remoteip and
# SITE_ALIAS, that
# listens on 127.0.0.1:PORT and :TLS_PORT only. VARIANT: cgid (as it is: cgid
# with the event MPM), cgid-scriptalias (without Debian's serve-cgi-bin.conf:
# the package's alias of the program alone), cgi (the prefork MPM with
# mod_cgi instead), noheaders (without mod_headers) or none (no CGI module).
apache_lay_out() {
  local dir=$1 port=$2 tls_port=$3 variant=$4 mods=$1/conf/mods-enabled
  rm -rf "$dir"
  # As Debian's apache2ctl makes them: the CGI daemon's socket folder and the
  # lock folder belong to the server's user.
  mkdir -p "$dir/log" "$dir/run/socks" "$dir/lock"
  chown www-data:www-data "$dir/run/socks" "$dir/lock"
  cp -a /etc/apache2 "$dir/conf"
  [ -e "$mods/cgid.load" ] || { say "cgid is not enabled in /etc/apache2"; return 1; }
  [ -e "$mods/ssl.load" ] || { say "ssl is not enabled in /etc/apache2"; return 1; }
  [ -e "$dir/conf/sites-enabled/default-ssl.conf" ] || { say "default-ssl is not enabled in /etc/apache2"; return 1; }
  replace_line "$dir/conf/ports.conf" '^Listen 80$' "Listen 127.0.0.1:$port" || return 1
  # Once for mod_ssl, once for mod_gnutls.
  COUNT=any replace_line "$dir/conf/ports.conf" '^[[:space:]]*Listen 443$' "Listen 127.0.0.1:$tls_port" || return 1
  replace_line "$dir/conf/sites-available/000-default.conf" '^<VirtualHost \*:80>$' "<VirtualHost *:$port>" \
    || return 1
  replace_line "$dir/conf/sites-available/default-ssl.conf" '^<VirtualHost \*:443>$' "<VirtualHost *:$tls_port>" \
    || return 1
  local file
  for file in "$dir"/conf/mods-available/{filter,deflate}.*; do
    [ -e "$mods/${file##*/}" ] || ln -s "../mods-available/${file##*/}" "$mods/"
  done
  # mod_remoteip taking the client's address from X-Forwarded-For, with no
  # list of trusted proxies: any client may claim any address. And an alias
  # of the site's own that leads into the program's folder, where the
  # package's configuration must refuse the databases by their file path.
  [ -e "$mods/remoteip.load" ] || ln -s ../mods-available/remoteip.load "$mods/"
  printf 'RemoteIPHeader X-Forwarded-For\nAlias %s %s\n' "$SITE_ALIAS" /var/lib/zephconf \
    > "$dir/conf/conf-enabled/site-test.conf"
  case $variant in
    cgid) ;;
    cgid-scriptalias) rm "$dir/conf/conf-enabled/serve-cgi-bin.conf" ;;
    cgi)
      rm -f "$mods"/mpm_* "$mods"/cgid.*
      ln -s ../mods-available/mpm_prefork.load ../mods-available/mpm_prefork.conf \
        ../mods-available/cgi.load "$mods/"
      ;;
    noheaders) rm -f "$mods"/headers.load ;;
    none) rm -f "$mods"/cgid.* "$mods"/cgi.load ;;
    *) say "no Apache variant $variant"; return 1 ;;
  esac
}

# apache_command DIR: sets APACHE to the command that runs Apache on the copy in
# DIR, with the variables that Debian's apache2ctl reads from envvars pointing
# into DIR.
apache_command() {
  local dir=$1
  APACHE=(env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin LANG=C
    APACHE_RUN_USER=www-data APACHE_RUN_GROUP=www-data
    APACHE_PID_FILE="$dir/run/apache2.pid" APACHE_RUN_DIR="$dir/run"
    APACHE_LOCK_DIR="$dir/lock" APACHE_LOG_DIR="$dir/log"
    /usr/sbin/apache2 -d "$dir/conf")
}

# apache_start DIR PORT TLS_PORT: checks the configuration (no warning of an
# alias that never applies) and starts Apache.
apache_start() {
  local dir=$1 port=$2 tls_port=$3
  apache_command "$dir"
  "${APACHE[@]}" -t > "$dir/log/configtest.log" 2>&1 || { cat "$dir/log/configtest.log" >&2; return 1; }
  if grep -q 'AH00671' "$dir/log/configtest.log"; then
    cat "$dir/log/configtest.log" >&2
    say "an alias overlaps another one"
    return 1
  fi
  start_server "$dir/log/server.log" "${APACHE[@]}" -DFOREGROUND
  wait_for_ports "$dir/log/error.log" "$port" "$tls_port"
}

FCGIWRAP_SOCKET=/run/fcgiwrap.socket
# Debian's way of serving /usr/lib/cgi-bin through nginx: the location of
# fcgiwrap's example.
FCGIWRAP_LOCATION=/usr/share/doc/fcgiwrap/examples/nginx.conf

# nginx_lay_out DIR PORT TLS_PORT: a main configuration in DIR/conf with the
# site that the README has the administrator put in /etc/nginx (the package's
# example: both server blocks include the snippet), its ports 80 and 443 made
# 127.0.0.1:PORT and :TLS_PORT, other CGI programs served through fcgiwrap
# by the location of fcgiwrap's example, and the real-IP module taking the
# client's address from X-Forwarded-For of any client. Relative includes
# resolve in DIR/conf, where Debian's files are linked.
nginx_lay_out() {
  local dir=$1 port=$2 tls_port=$3 tmp=$1/tmp site=$1/conf/site
  [ "$4" = - ] || { say "nginx has no variant $4"; return 1; }
  rm -rf "$dir"
  mkdir -p "$dir/conf" "$dir/log" "$dir/run" "$tmp"
  ln -s /etc/nginx/mime.types /etc/nginx/fastcgi_params "$dir/conf/"
  cp -r /etc/nginx/snippets "$dir/conf/"
  cp /etc/nginx/sites-available/default "$site"
  replace_line "$site" '^[[:space:]]*listen 80 default_server;$' "listen 127.0.0.1:$port;" || return 1
  replace_line "$site" '^[[:space:]]*listen \[::\]:80 default_server;$' '' || return 1
  replace_line "$site" '^[[:space:]]*listen 443 ssl default_server;$' "listen 127.0.0.1:$tls_port ssl;" || return 1
  replace_line "$site" '^[[:space:]]*listen \[::\]:443 ssl default_server;$' '' || return 1
  [ -e "$FCGIWRAP_LOCATION" ] || { say "$FCGIWRAP_LOCATION is missing"; return 1; }
  COUNT=any replace_line "$site" '^[[:space:]]*server_name _;$' "server_name _; include $FCGIWRAP_LOCATION;" \
    || return 1
  cat > "$dir/conf/nginx.conf" <<EOF
user www-data;
worker_processes 1;
daemon off;
pid $dir/run/nginx.pid;
error_log $dir/log/error.log;
events {
  worker_connections 64;
}
http {
  include mime.types;
  default_type application/octet-stream;
  access_log $dir/log/access.log;
  gzip on;
  set_real_ip_from 0.0.0.0/0;
  set_real_ip_from ::/0;
  real_ip_header X-Forwarded-For;
  client_body_temp_path $tmp/body;
  fastcgi_temp_path $tmp/fastcgi;
  proxy_temp_path $tmp/proxy;
  scgi_temp_path $tmp/scgi;
  uwsgi_temp_path $tmp/uwsgi;
  include $site;
}
EOF
}

# nginx_start DIR PORT TLS_PORT: starts fcgiwrap on Debian's socket, the one
# the snippet names, as Debian starts it (with -f: the program's standard
# error goes to nginx), then nginx.
nginx_start() {
  local dir=$1 port=$2 tls_port=$3 waited
  if [ -e "$FCGIWRAP_SOCKET" ]; then
    say "$FCGIWRAP_SOCKET exists already: another fcgiwrap serves it"
    return 1
  fi
  start_server "$dir/log/fcgiwrap.log" spawn-fcgi -n -s "$FCGIWRAP_SOCKET" -M 0660 \
    -u www-data -g www-data -U www-data -G www-data -- /usr/sbin/fcgiwrap -f
  FCGIWRAP_STARTED=1
  for waited in $(seq 1 50); do
    [ -S "$FCGIWRAP_SOCKET" ] && break
    sleep 0.1
  done
  [ -S "$FCGIWRAP_SOCKET" ] || { cat "$dir/log/fcgiwrap.log" >&2; say "fcgiwrap made no socket"; return 1; }
  local nginx=(nginx -c "$dir/conf/nginx.conf" -e "$dir/log/error.log")
  "${nginx[@]}" -t -q > "$dir/log/configtest.log" 2>&1 || { cat "$dir/log/configtest.log" >&2; return 1; }
  start_server "$dir/log/server.log" "${nginx[@]}"
  wait_for_ports "$dir/log/error.log" "$port" "$tls_port"
}

# remove_fcgiwrap_socket: the socket that nginx_start made, once its fcgiwrap
# has stopped.
remove_fcgiwrap_socket() {
  [ "${FCGIWRAP_STARTED:-}" = 1 ] || return 0
  rm -f "$FCGIWRAP_SOCKET"
  FCGIWRAP_STARTED=
}

# lighttpd_lay_out DIR PORT TLS_PORT VARIANT: Debian's lighttpd.conf, with a
# copy of the modules enabled in /etc/lighttpd (its HTTPS module among them),
# and with VARIANT cgi Debian's 10-cgi.conf as well (lighty-enable-mod cgi:
# every file in /usr/lib/cgi-bin served at /cgi-bin/); mod_extforward with the
# one proxy that the package's configuration says a site must name (none of
# the test's clients: so the forged X-Forwarded-For check cannot fail under
# lighttpd, which has no connection's own address to test; it checks that the
# documented setting holds, where apache2 and nginx are trapped by a real-IP
# module that trusts any client);
# listening on 127.0.0.1:PORT and, with TLS, :TLS_PORT only (no IPv6 socket on
# all addresses), with its own error log, pid file and compression cache in
# DIR, and compressing HTML. The breakage log stays where the package's
# configuration puts it.
lighttpd_lay_out() {
  local dir=$1 port=$2 tls_port=$3 conf=$1/lighttpd.conf
  rm -rf "$dir"
  mkdir -p "$dir/log" "$dir/run" "$dir/compress"
  # lighttpd opens its logs as its user, as it does in Debian's /var/log/lighttpd.
  chown www-data:www-data "$dir/log" "$dir/compress"
  cp /etc/lighttpd/lighttpd.conf "$conf"
  cp -rL /etc/lighttpd/conf-enabled "$dir/conf-enabled"
  case $4 in
    -) ;;
    cgi) cp /etc/lighttpd/conf-available/10-cgi.conf "$dir/conf-enabled/" ;;
    *) say "lighttpd has no variant $4"; return 1 ;;
  esac
  [ -e "$dir/conf-enabled/10-ssl.conf" ] || { say "ssl is not enabled in /etc/lighttpd"; return 1; }
  replace_line "$dir/conf-enabled/10-ssl.conf" '^\$SERVER\["socket"\] == "0\.0\.0\.0:443" \{$' \
    "\$SERVER[\"socket\"] == \"127.0.0.1:$tls_port\" {" || return 1
  replace_line "$dir/conf-enabled/10-ssl.conf" '^include_shell "/usr/share/lighttpd/use-ipv6\.pl 443"$' '' || return 1
  replace_line "$conf" '^include "/etc/lighttpd/conf-enabled/\*\.conf"$' "include \"$dir/conf-enabled/*.conf\"" || return 1
  cat >> "$conf" <<EOF
server.modules += ( "mod_deflate", "mod_extforward" )
extforward.forwarder = ( "127.0.0.3" => "trust" )
deflate.mimetypes = ( "text/html" )
deflate.allowed-encodings = ( "gzip", "deflate" )
deflate.cache-dir = "$dir/compress"
EOF
  replace_line "$conf" '^server\.port += 80$' "server.port = $port
server.bind = \"127.0.0.1\"" || return 1
  replace_line "$conf" '^server\.errorlog += ' "server.errorlog = \"$dir/log/error.log\"" || return 1
  replace_line "$conf" '^server\.pid-file += ' "server.pid-file = \"$dir/run/lighttpd.pid\"" || return 1
  replace_line "$conf" '^include_shell "/usr/share/lighttpd/use-ipv6\.pl' '' || return 1
}

# lighttpd_start DIR PORT TLS_PORT
lighttpd_start() {
  local dir=$1 port=$2 tls_port=$3
  lighttpd -tt -f "$dir/lighttpd.conf" > "$dir/log/configtest.log" 2>&1 \
    || { cat "$dir/log/configtest.log" >&2; return 1; }
  start_server "$dir/log/server.log" lighttpd -D -f "$dir/lighttpd.conf"
  wait_for_ports "$dir/log/error.log" "$port" "$tls_port"
}
