# server-table.sh: reads packaging/servers, the table of the web servers the
# package serves the program through (what each column holds is said there).
# Needs common.sh sourced first.

# server_rows: the table's rows, one a line, each field trimmed, separated by
# "|": SERVER|CONF|PACKAGES|LOG|JAIL|LIFT|VARIANTS.
server_rows() {
  sed -e '/^#/d' -e '/^ *$/d' -e 's/ *| */|/g' -e 's/ *$//' "$(project_root)/packaging/servers"
}

# server_column N: the Nth field of every row, one a line.
server_column() {
  server_rows | cut -d'|' -f"$1"
}

# server_row SERVER: the row of SERVER.
server_row() {
  server_rows | awk -F'|' -v server="$1" '$1 == server'
}

# server_packages: every package of every row, one a line, in table order.
server_packages() {
  server_column 3 | tr ' ' '\n'
}

# server_suggests: the servers for the control file's Suggests: the first
# package of each row as alternatives, then the other packages.
server_suggests() {
  server_column 3 | awk '
    { first = first (NR > 1 ? " | " : "") $1; for (i = 2; i <= NF; i++) rest = rest ", " $i }
    END { print first rest }'
}

# server_variants: every server's variants, one a line: SERVER VARIANT BLOCK,
# BLOCK the README's block that enables it there.
server_variants() {
  server_rows | while IFS='|' read -r server conf packages log jail lift variants; do
    for variant in $variants; do
      block=$server
      case $variant in *:*) block=${variant#*:} variant=${variant%%:*} ;; esac
      printf '%s %s %s\n' "$server" "$variant" "$block"
    done
  done
}
