# What the program itself says it knows, for the completion and manual page tests: its
# commands (--help), its reports and the names `print` takes (list), a report's parameters
# (print REPORT --help), a command's options (COMMAND --help). $program is the program.

commands() { "$program" --help | sed -n '/^Comandos:/,/^$/p' | awk 'NR > 1 && NF {print $1}'; }
# The output of `list`, read once.
listing() {
  [ -n "${listing_text:-}" ] || listing_text=$("$program" list)
  echo "$listing_text"
}
# Reports `list` shows, and the plug-in names of its "(também: ... print PLUGIN --definition X)";
# an entry that is a command of its own (efd) is no report `print` takes.
reports() {
  listing | awk '/^[^ ].* - / {print $1} /--definition/ {for (i = 1; i < NF; i++) if ($i == "print") print $(i + 1)}' \
    | sort -u | grep -vxF -f <(commands)
}
# Definitions printed by plug-in $1 (empty when it has one only).
definitions_of() { listing | sed -n "s/.*print $1 --definition \([^)]*\)).*/\1/p"; }
parameters_of() { "$program" print "$1" --help | sed -n 's/^    \([A-Za-z0-9_]*\) (.*/\1/p'; }
options_of() { "$program" $1 --help | grep -oE '^  (-[a-zA-Z],)?--[a-z][a-z-]*' | sed 's/^  //; s/.*,//'; }
