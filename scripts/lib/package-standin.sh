# package-standin.sh: the product's database program in the package test,
# played by a stand-in of the test's own (tests/package/zeph-standin.c): a
# CGI program that, like the real one, opens NAME/NAME.ini beside its own
# path, and answers its "SMTP server" line. It is put in place as the README
# says (its blocks database-program and database-program-SERVER), asked over
# HTTPS with the servers' certificate checked, and its answer compared with
# what the file holds. Needs common.sh and readme-blocks.sh sourced first, and
# the package test's SNAKEOIL (the servers' certificate) and PROGRAM_DIR (the
# program's folder, with its databases beside it).

# database_program_address MODEL: the database program's address, as the
# databases made from MODEL name it in their "exe full URL".
database_program_address() {
  sed -n 's/^exe full URL=//p' "$1" | head -n 1
}

# standin_build FILE: the stand-in compiled into FILE.
standin_build() {
  mkdir -p "$(dirname "$1")"
  gcc -O2 -Wall -Wextra -Werror -o "$1" "$(project_root)/tests/package/zeph-standin.c" \
    || die "the stand-in of the database program does not build"
}

# readme_block_run NAME [DIR]: the README's block NAME run as root in DIR (the
# working directory by default), each line without its "sudo "; a service
# command is left out, since the package test starts its servers itself.
readme_block_run() {
  local block line
  block=$(readme_block "$1") || die "the README has no block $1"
  while IFS= read -r line; do
    case $line in
      'sudo service '*) ;;
      'sudo '*) (cd "${2:-.}" && eval "${line#sudo }") || die "the README's block $1 failed at: $line" ;;
      *) die "the README's block $1 has a line that is no sudo command: $line" ;;
    esac
  done <<< "$block"
}

# standin_install STANDIN ADDRESS: the stand-in STANDIN put beside the
# program as the README says: its block database-program, run in a folder
# where the stand-in has the name that ADDRESS ends in.
standin_install() {
  local standin=$1 name=${2##*/} dir
  dir=$(mktemp -d)
  cp "$standin" "$dir/$name"
  readme_block_run database-program "$dir"
  rm -r "$dir"
  [ "$(stat -c '%U:%G %a' "$PROGRAM_DIR/$name")" = 'root:root 755' ] && cmp -s "$standin" "$PROGRAM_DIR/$name" \
    || die "the README's block database-program did not put the stand-in at $PROGRAM_DIR/$name, root's 0755"
}

# standin_reads PROGRAM DATABASE: PROGRAM, started from a shell by its
# absolute path as a web server starts it, answers the "SMTP server" line of
# the database DATABASE beside it, as its file holds it.
standin_reads() {
  local program=$1 database=$2 file answer
  file=$(dirname "$program")/$database/$database.ini
  answer=$(env -i REQUEST_METHOD=GET QUERY_STRING="DBName=$database" "$program" | tail -n +3)
  [ -n "$answer" ] && [ "$answer" = "$(smtp_line "$file")" ] \
    || die "$program answers '$answer' for $database, which holds '$(smtp_line "$file")'"
}

# smtp_line FILE: the "SMTP server" line of the section [report] of FILE.
smtp_line() {
  awk '/^\[/ { in_report = ($0 == "[report]"); next } in_report && /^SMTP server=/' "$1"
}

# standin_check NAME TLS_PORT ADDRESS DATABASE: through the server NAME over
# HTTPS, the database program at ADDRESS answers the "SMTP server" line of
# DATABASE, beside the program, as its file holds it.
standin_check() {
  local name=$1 tls_port=$2 address=$3 database=$4 answer file host
  file=$PROGRAM_DIR/$database/$database.ini
  # The certificate names the host: its name is led to 127.0.0.1.
  host=$(openssl x509 -in "$SNAKEOIL" -noout -subject -nameopt multiline | sed -n 's/^ *commonName *= *//p')
  [ -n "$host" ] || die "$SNAKEOIL names no host"
  answer=$(curl -sS --max-time 10 --cacert "$SNAKEOIL" --resolve "$host:$tls_port:127.0.0.1" -w '%{http_code}' \
    "https://$host:$tls_port$address?DBName=$database" 2>&1) || true
  [ "$answer" = "$(smtp_line "$file")"$'\n'200 ] \
    || die "under $name $address answers '$answer' for $database, which holds '$(smtp_line "$file")'"
  say "under $name the database program at $address reads $database beside the program: $(smtp_line "$file")"
}
