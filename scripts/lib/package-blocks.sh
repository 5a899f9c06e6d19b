# package-blocks.sh: the README's marked blocks (readme-blocks.sh) that the
# package and hosting tests run, by name: scripts/lib/package-testbed.sh and
# tests/hosting/owner-site.sh run them, and
# tests/package/check-servers fails when the README has a command block that
# is not one of them. Needs common.sh and server-table.sh sourced first.

# The blocks of every testbed, whatever its server.
PACKAGE_BLOCK=package
DATABASE_BLOCK=database
DATABASE_MANUAL_BLOCK=database-manual
FAIL2BAN_BLOCKS=(fail2ban fail2ban-SERVER fail2ban-restart)
REMOVE_BLOCK=remove
# The database program put beside the program (the server's own block,
# database-program-SERVER, then runs it).
DATABASE_PROGRAM_BLOCK=database-program
REMOVE_DATABASES_BLOCK=remove-databases
# The upgrade's testbed: the install's lines that name the move (of the
# databases and their database program, and of a database program left
# behind by the move of 5.31-2), and the blocks of the shell tool and of the
# program built from source, run there.
UPGRADE_BLOCK=upgrade
UPGRADE_PROGRAM_BLOCK=upgrade-program
TOOL_BLOCKS=(tool history shop shop-manual)
SOURCE_BLOCK=source
# The hosting account's owner, run by scripts/test-hosting as that owner.
HOSTING_BLOCK=hosting-owner

# server_block_names SERVER: the blocks of SERVER's own: the one that enables
# it in each variant, its fail2ban jail's, the one that runs the database
# program, and remove-SERVER where the README has one (what its purge leaves
# to take out by hand).
server_block_names() {
  server_variants | awk -v server="$1" '$1 == server { print $3 }' | sort -u
  printf 'database-program-%s\n' "$1"
  printf '%s\n' "${FAIL2BAN_BLOCKS[@]}" | grep -F SERVER | sed "s/SERVER/$1/"
  readme_block_names | grep -x "remove-$1" || true
}

# package_block_names: every block that the package test runs, one a line.
package_block_names() {
  local server
  printf '%s\n' "$PACKAGE_BLOCK" "$DATABASE_BLOCK" "$DATABASE_MANUAL_BLOCK" "$REMOVE_BLOCK" \
    "$REMOVE_DATABASES_BLOCK" "$DATABASE_PROGRAM_BLOCK" "$UPGRADE_BLOCK" "$UPGRADE_PROGRAM_BLOCK" \
    "${TOOL_BLOCKS[@]}" "$SOURCE_BLOCK" "$HOSTING_BLOCK"
  printf '%s\n' "${FAIL2BAN_BLOCKS[@]}" | grep -vF SERVER
  for server in $(server_column 1); do
    server_block_names "$server"
  done
}
