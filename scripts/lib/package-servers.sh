# package-servers.sh: the web servers of packaging/servers as a testbed of the
# package test holds them before the README's commands run: a server in use,
# as the distribution installed it, serving two other CGI programs the Debian
# way, with a real-IP module that trusts any client (a trap for the HTTPS-only
# rule), compressing HTML, and started by its init script on the standard
# ports 80 and 443 (the testbed has a network of its own). For each server
# NAME of the table:
#   NAME_in_use VARIANT   sets the server up so and starts it
#   NAME_service          the name of its service (service NAME restart)
# Needs common.sh sourced first; run as root inside a testbed only: it changes
# /etc.

# The folder of CGI programs that Debian's servers serve at /cgi-bin/, where
# release 5.31-1 also had the program and its databases.
CGI_DIR=/usr/lib/cgi-bin
# The other CGI programs, in CGI_DIR: one file, and one in a folder of its own.
OTHER_PROGRAMS=(zephpkg-hello zephpkg-other/run.cgi)
# An address that Apache's site leads into the program's folder, as a site's
# own alias could (the other servers' configurations can refuse no file system
# path, and their sites lead nothing there).
SITE_ALIAS=/site-data

# other_programs_lay_out: the other CGI programs in CGI_DIR, each answering
# with its name.
other_programs_lay_out() {
  local program
  for program in "${OTHER_PROGRAMS[@]}"; do
    mkdir -p "$(dirname "$CGI_DIR/$program")"
    printf '#!/bin/sh\nprintf "Content-type: text/plain\\n\\nother program %s ran\\n"\n' "$program" \
      > "$CGI_DIR/$program"
    chmod 0755 "$CGI_DIR/$program"
  done
}

# apache_in_use VARIANT: Debian's Apache with its default site, serving
# /usr/lib/cgi-bin through serve-cgi-bin.conf (enabled by default, active once
# a CGI module is): VARIANT cgid with the CGI daemon under the event MPM
# (Debian's), cgi with the prefork MPM and mod_cgi. mod_remoteip takes the
# client's address from X-Forwarded-For with no list of trusted proxies, and
# a configuration of the site's own leads SITE_ALIAS into the program's
# folder, where the package's configuration must refuse the databases by
# their file path. mod_deflate (on by default) compresses HTML.
apache_in_use() {
  case $1 in
    cgid) a2enmod -q cgid ;;
    cgi) a2dismod -q mpm_event && a2enmod -q mpm_prefork cgi ;;
    *) say "no Apache variant $1"; return 1 ;;
  esac
  a2enmod -q remoteip
  printf 'RemoteIPHeader X-Forwarded-For\nAlias %s %s\n' "$SITE_ALIAS" /var/lib/zephconf \
    > /etc/apache2/conf-available/site-test.conf
  a2enconf -q site-test
  service apache2 start
}
apache_service() { echo apache2; }

# nginx_in_use: Debian's nginx with its default site, which serves
# /usr/lib/cgi-bin through fcgiwrap by the location of fcgiwrap's example,
# included in its server block; the real-IP module takes the client's address
# from X-Forwarded-For of any client. fcgiwrap is started by its init script
# (through spawn-fcgi, without systemd), nginx's gzip (on by default)
# compresses HTML.
nginx_in_use() {
  [ "$1" = - ] || { say "nginx has no variant $1"; return 1; }
  local example=/usr/share/doc/fcgiwrap/examples/nginx.conf
  [ -e "$example" ] || { say "$example is missing"; return 1; }
  sed -i "0,/^\tserver_name _;\$/s||&\n\tinclude $example;|" /etc/nginx/sites-available/default
  grep -qF "include $example;" /etc/nginx/sites-available/default || { say "no server_name _; in nginx's default site"; return 1; }
  printf 'set_real_ip_from 0.0.0.0/0;\nset_real_ip_from ::/0;\nreal_ip_header X-Forwarded-For;\n' \
    > /etc/nginx/conf.d/real-ip.conf
  service fcgiwrap start
  service nginx start
}
nginx_service() { echo nginx; }

# lighttpd_in_use VARIANT: Debian's lighttpd with its default configuration;
# VARIANT cgi with Debian's 10-cgi.conf enabled (every file in
# /usr/lib/cgi-bin at /cgi-bin/), "-" without it (the other programs are then
# served nowhere, and must stay so). mod_extforward trusts the one proxy that
# the package's configuration says a site must name (none of the test's
# clients: lighttpd has no connection's own address to test, so there the
# forged X-Forwarded-For check checks that the documented setting holds);
# mod_deflate compresses HTML.
lighttpd_in_use() {
  case $1 in
    cgi) lighty-enable-mod cgi >/dev/null ;;
    -) ;;
    *) say "lighttpd has no variant $1"; return 1 ;;
  esac
  cat > /etc/lighttpd/conf-available/60-site-test.conf <<'EOF'
server.modules += ( "mod_deflate", "mod_extforward" )
extforward.forwarder = ( "127.0.0.3" => "trust" )
deflate.mimetypes = ( "text/html" )
deflate.allowed-encodings = ( "gzip", "deflate" )
EOF
  lighty-enable-mod site-test >/dev/null
  service lighttpd start
}
lighttpd_service() { echo lighttpd; }

# server_evidence SERVER: when a check fails, the last lines of the server's
# error logs.
server_evidence() {
  local file
  for file in /var/log/"$("${1}_service")"/*.log; do
    [ -s "$file" ] || continue
    say "the last lines of $file:"
    tail -n 40 "$file" | sed 's/^/    /' >&2
  done
}

# take_in_line FILE LINE: the one line LINE of FILE, which starts with "#",
# taken in (without that "#").
take_in_line() {
  local file=$1 line=$2
  LINE=$line awk '$0 == ENVIRON["LINE"] { print substr($0, 2); taken++; next } { print }
    END { exit taken != 1 }' "$file" > "$file.new" || { rm -f "$file.new"; say "$file has no single line $line"; return 1; }
  cat "$file.new" > "$file"
  rm -f "$file.new"
}
