# package-servers.sh: Apache, nginx with fcgiwrap, and lighttpd for
# scripts/test-package, each serving the installed package's configuration on a
# port of 127.0.0.1 and nowhere else, and writing its logs, pid file and
# sockets into a folder of its own. Needs common.sh and demo-site.sh
# (port_in_use) sourced first.

SERVER_PIDS=()

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

# wait_for_port PORT LOG: waits (at most 10 s) until the server started last
# answers on 127.0.0.1:PORT; shows the end of LOG if it stopped instead.
wait_for_port() {
  local port=$1 log=$2 pid=${SERVER_PIDS[-1]} waited
  for waited in $(seq 1 100); do
    port_in_use "$port" && return 0
    kill -0 "$pid" 2>/dev/null || { tail -n 20 "$log" >&2; return 1; }
    sleep 0.1
  done
  say "nothing answers on port $port after 10 seconds"
  return 1
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
# matches the extended regular expression PATTERN; fails when not exactly one does.
replace_line() {
  local file=$1 pattern=$2 replacement=$3
  [ "$(grep -cE "$pattern" "$file")" = 1 ] || { say "$file: no single line matches $pattern"; return 1; }
  REPLACEMENT=$replacement awk -v pattern="$pattern" \
    '$0 ~ pattern { print ENVIRON["REPLACEMENT"]; next } { print }' "$file" > "$file.new"
  mv "$file.new" "$file"
}

# server_start NAME DIR PORT: lays out the server NAME (apache-VARIANT, nginx or
# lighttpd) in DIR and starts it on 127.0.0.1:PORT.
server_start() {
  local name=$1 dir=$2 port=$3
  case $name in
    apache-*) apache_lay_out "$dir" "$port" "${name#apache-}" && apache_start "$dir" "$port" ;;
    nginx) nginx_lay_out "$dir" "$port" && nginx_start "$dir" "$port" ;;
    lighttpd) lighttpd_lay_out "$dir" "$port" && lighttpd_start "$dir" "$port" ;;
    *) say "no server $name"; return 1 ;;
  esac
}

# server_stop: stops the servers that server_start started, and what they left.
server_stop() {
  stop_servers
  remove_fcgiwrap_socket
}

# Each server compresses HTML, as Debian's Apache and nginx do by default, so
# that the package's configurations are seen to keep the program's answers
# out of it.

# apache_lay_out DIR PORT VARIANT: a copy of /etc/apache2 in DIR/conf, as
# enabled there, that listens on 127.0.0.1:PORT only. VARIANT: cgid (as it is:
# cgid with the event MPM), cgid-scriptalias (without Debian's serve-cgi-bin.conf,
# so that the package's own ScriptAlias applies), cgi (the prefork MPM with
# mod_cgi instead), noheaders (without mod_headers) or none (no CGI module).
apache_lay_out() {
  local dir=$1 port=$2 variant=$3 mods=$1/conf/mods-enabled
  rm -rf "$dir"
  # As Debian's apache2ctl makes them: the CGI daemon's socket folder and the
  # lock folder belong to the server's user.
  mkdir -p "$dir/log" "$dir/run/socks" "$dir/lock"
  chown www-data:www-data "$dir/run/socks" "$dir/lock"
  cp -a /etc/apache2 "$dir/conf"
  replace_line "$dir/conf/ports.conf" '^Listen 80$' "Listen 127.0.0.1:$port" || return 1
  replace_line "$dir/conf/sites-available/000-default.conf" '^<VirtualHost \*:80>$' "<VirtualHost *:$port>" \
    || return 1
  [ -e "$mods/cgid.load" ] || { say "cgid is not enabled in /etc/apache2"; return 1; }
  local file
  for file in "$dir"/conf/mods-available/{filter,deflate}.*; do
    [ -e "$mods/${file##*/}" ] || ln -s "../mods-available/${file##*/}" "$mods/"
  done
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

# apache_start DIR PORT: checks the configuration (no warning of an alias that
# never applies) and starts Apache.
apache_start() {
  local dir=$1 port=$2
  apache_command "$dir"
  "${APACHE[@]}" -t > "$dir/log/configtest.log" 2>&1 || { cat "$dir/log/configtest.log" >&2; return 1; }
  if grep -q 'AH00671' "$dir/log/configtest.log"; then
    cat "$dir/log/configtest.log" >&2
    say "an alias overlaps another one"
    return 1
  fi
  start_server "$dir/log/server.log" "${APACHE[@]}" -DFOREGROUND
  wait_for_port "$port" "$dir/log/error.log"
}

FCGIWRAP_SOCKET=/run/fcgiwrap.socket

# nginx_lay_out DIR PORT: a main configuration in DIR/conf whose one server
# block on 127.0.0.1:PORT includes the package's snippet, as the README says.
# Relative includes resolve in DIR/conf, where Debian's files are linked.
nginx_lay_out() {
  local dir=$1 port=$2 tmp=$1/tmp
  rm -rf "$dir"
  mkdir -p "$dir/conf" "$dir/log" "$dir/run" "$tmp"
  ln -s /etc/nginx/mime.types /etc/nginx/fastcgi_params /etc/nginx/snippets "$dir/conf/"
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
  client_body_temp_path $tmp/body;
  fastcgi_temp_path $tmp/fastcgi;
  proxy_temp_path $tmp/proxy;
  scgi_temp_path $tmp/scgi;
  uwsgi_temp_path $tmp/uwsgi;
  server {
    listen 127.0.0.1:$port;
    root /var/www/html;
    include snippets/zephconf.conf;
  }
}
EOF
}

# nginx_start DIR PORT: starts fcgiwrap on Debian's socket, the one the snippet
# names, as Debian starts it (with -f: the program's standard error goes to
# nginx), then nginx.
nginx_start() {
  local dir=$1 port=$2 waited
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
  "${nginx[@]}" -t -q || return 1
  start_server "$dir/log/server.log" "${nginx[@]}"
  wait_for_port "$port" "$dir/log/error.log"
}

# remove_fcgiwrap_socket: the socket that nginx_start made, once its fcgiwrap
# has stopped.
remove_fcgiwrap_socket() {
  [ "${FCGIWRAP_STARTED:-}" = 1 ] || return 0
  rm -f "$FCGIWRAP_SOCKET"
  FCGIWRAP_STARTED=
}

# lighttpd_lay_out DIR PORT: Debian's lighttpd.conf, with the modules enabled
# in /etc/lighttpd, listening on 127.0.0.1:PORT only (no IPv6 socket on all
# addresses), with its own error log, pid file and compression cache in DIR,
# and compressing HTML. The breakage log stays where the package's
# configuration puts it.
lighttpd_lay_out() {
  local dir=$1 port=$2 conf=$1/lighttpd.conf
  rm -rf "$dir"
  mkdir -p "$dir/log" "$dir/run" "$dir/compress"
  # lighttpd opens its logs as its user, as it does in Debian's /var/log/lighttpd.
  chown www-data:www-data "$dir/log" "$dir/compress"
  cp /etc/lighttpd/lighttpd.conf "$conf"
  cat >> "$conf" <<EOF
server.modules += ( "mod_deflate" )
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

# lighttpd_start DIR PORT
lighttpd_start() {
  local dir=$1 port=$2
  lighttpd -tt -f "$dir/lighttpd.conf" > "$dir/log/configtest.log" 2>&1 \
    || { cat "$dir/log/configtest.log" >&2; return 1; }
  start_server "$dir/log/server.log" lighttpd -D -f "$dir/lighttpd.conf"
  wait_for_port "$port" "$dir/log/error.log"
}
