# database-program.sh: the product's database program in the package test,
# played by a stand-in of the test's own (tests/package/zeph-standin.c): a
# CGI program that, like the real one, opens NAME/NAME.ini beside its own
# path, and answers its "SMTP server" line. scripts/lib/package-testbed.sh
# puts it in place as the README says (database_program_in_place, then the
# server's block database-program-SERVER), and lays it out where release
# 5.31-1 had it for the upgrade; server_check_database_program is one of the
# per-server checks (see history.sh). Needs the testbed's settings: work,
# PROGRAM_DIR, SNAKEOIL, MEMBERS and MEMBERS_PASSWORD, and DATABASE_PROGRAM,
# the database program's address.

# database_program_address MODEL: the database program's address, as the
# databases made from MODEL name it in their "exe full URL".
database_program_address() {
  sed -n 's/^exe full URL=//p' "$1" | head -n 1
}

# standin_build: the stand-in, compiled into $work/standin under the name
# that the database program's address ends in; prints its path.
standin_build() {
  local standin=$work/standin/${DATABASE_PROGRAM##*/}
  mkdir -p "$work/standin"
  gcc -O2 -Wall -Wextra -Werror -o "$standin" "$(project_root)/tests/package/zeph-standin.c" \
    || die "$name: the stand-in of the database program does not build"
  printf '%s\n' "$standin"
}

# database_program_in_place: the stand-in put beside the program by the
# README's block database-program, run where the stand-in lies under the
# program's name: it must be there, root's and 0755, and answer for a
# database beside it.
database_program_in_place() {
  local standin placed=$PROGRAM_DIR/${DATABASE_PROGRAM##*/}
  standin=$(standin_build)
  BLOCK_DIR=$(dirname "$standin") run_block "$DATABASE_PROGRAM_BLOCK"
  [ "$(stat -c '%U:%G %a' "$placed")" = 'root:root 755' ] && cmp -s "$standin" "$placed" \
    || die "$name: the README's block $DATABASE_PROGRAM_BLOCK did not put the database program at $placed, root's and 0755"
}

# smtp_line FILE: the "SMTP server" line of the section [report] of FILE.
smtp_line() {
  awk '/^\[/ { in_report = ($0 == "[report]"); next } in_report && /^SMTP server=/' "$1"
}

# standin_reads DATABASE FOLDER: the stand-in in FOLDER, started from a shell
# by its absolute path as a web server starts it, answers the "SMTP server"
# line of the database DATABASE beside it, as its file holds it.
standin_reads() {
  local database=$1 program=$2/${DATABASE_PROGRAM##*/} file=$2/$1/$1.ini answer
  answer=$(env -i REQUEST_METHOD=GET QUERY_STRING="DBName=$database" "$program" | tail -n +3)
  [ -n "$answer" ] && [ "$answer" = "$(smtp_line "$file")" ] \
    || die "$name: $program answers '$answer' for $database, whose file $file holds '$(smtp_line "$file")'"
}

# standin_check DATABASE FOLDER: over HTTPS, with the certificate checked,
# the database program at its address answers the "SMTP server" line of the
# database DATABASE in FOLDER (the folder where the server runs it from) as
# its file holds it.
standin_check() {
  local database=$1 file=$2/$1/$1.ini answer host
  host=$(snakeoil_name)
  answer=$(curl -sS --max-time 10 --cacert "$SNAKEOIL" --resolve "$host:443:127.0.0.1" -w '%{http_code}' \
    "https://$host$DATABASE_PROGRAM?DBName=$database" 2>&1) || true
  [ -n "$(smtp_line "$file")" ] && [ "$answer" = "$(smtp_line "$file")"$'\n'200 ] \
    || die "$name: $DATABASE_PROGRAM answers '$answer' for $database, whose file $file holds '$(smtp_line "$file")'"
  say "$name: the database program at $DATABASE_PROGRAM reads $file: $(smtp_line "$file")"
}

# server_check_database_program: the database program beside the program
# reads the database that the README's blocks made, and what a save and a
# restore from the web leave in it (the history walk on that database, the
# program asked after each step).
server_check_database_program() {
  standin_check "$MEMBERS" "$PROGRAM_DIR"
  history_walk "$name" 443 "$MEMBERS" "$MEMBERS_PASSWORD" 1
}
