# readme-blocks.sh: the README's command blocks, as the tests run them.
#
# A block the tests run stands in the README as an ordinary indented code
# block, right after a line that names it and that Markdown does not show:
#
#     <!-- block: NAME -->
#
#         sudo apt install apache2 ssl-cert
#         sudo service apache2 restart
#
# readme_block NAME [README] prints the block's lines without their
# indentation, exactly the commands a person copies; it fails when the README
# has no such block, or more than one.
readme_block() {
  local name=$1 readme=${2:-$(project_root)/README.md}
  awk -v name="$name" '
    $0 == "<!-- block: " name " -->" { found++; state = "gap"; next }
    state == "gap" && /^$/ { next }
    state != "" && /^    / {
      state = "in"
      for (; blank > 0; blank--) print ""
      sub(/^    /, ""); print; next
    }
    state == "in" && /^$/ { blank++; next }
    { state = ""; blank = 0 }
    END { if (found != 1) exit 2 }
  ' "$readme" || {
    say "the README has no block \"$name\", or more than one"
    return 1
  }
}

# readme_block_names [README]: the names of every block the README marks.
readme_block_names() {
  sed -n 's/^<!-- block: \(.*\) -->$/\1/p' "${1:-$(project_root)/README.md}"
}
