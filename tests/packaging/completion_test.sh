#!/bin/bash
# The bash completion offers every command, every report, each report's parameters and
# --definition values, and each command's options, as the program lists them; file options
# complete file names.
#   completion_test.sh PROGRAM COMPLETION_SCRIPT
set -u
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
mkdir "$tmp/bin" && ln -s "$(realpath "$1")" "$tmp/bin/stockreports"
export PATH="$tmp/bin:$PATH"
program=stockreports
. "$(dirname "$0")/names.sh"
. "$2"
failures=0
fail() { echo "FALHA: $*"; failures=$((failures + 1)); }

# The candidates bash shows for the line $1 (the last word being completed, maybe empty).
candidates() {
  read -ra COMP_WORDS <<<"$1"
  [[ $1 == *" " ]] && COMP_WORDS+=("")
  COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
  COMPREPLY=()
  _stockreports
  printf '%s\n' "${COMPREPLY[@]}"
}
# Fails unless every word of $2 (one a line) is among the candidates for line $1.
expect_all() {
  local got missing
  got=$(candidates "$1")
  [ -n "$2" ] || fail "nada a conferir para '$1'"
  missing=$(comm -23 <(echo "$2" | sort -u) <(echo "$got" | sort -u))
  [ -z "$missing" ] || fail "'$1' não completa: $(echo $missing)"
}

[ "$(commands | wc -l)" -ge 4 ] || fail "a ajuda lista poucos comandos: $(commands)"
expect_all "stockreports " "$(commands)"
expect_all "stockreports --db demo.db " "$(commands)"
[ "$(candidates "stockreports li")" = "list" ] || fail "'li' completa para: $(candidates "stockreports li")"

[ "$(reports | wc -l)" -ge 8 ] || fail "list mostra poucos relatórios: $(reports)"
expect_all "stockreports print " "$(reports)"
listing >/dev/null
for report in $(reports); do
  params=$(parameters_of "$report" | sed 's/$/=/')
  expect_all "stockreports print $report -p " "$params"
  defs=$(definitions_of "$report")
  [ -n "$defs" ] && expect_all "stockreports print $report --definition " "$defs"
done
[ -n "$(definitions_of stockBookTerms)" ] || fail "list não mostra as definições de stockBookTerms"
expect_all "stockreports print --db x.db stockItems --param " "$(parameters_of stockItems | sed 's/$/=/')"
# The parameters of the definition chosen, not of the plug-in's first.
expect_all "stockreports print stockBookTerms --definition taxBookTermsGraphicP1 -p " \
  "$(parameters_of taxBookTermsGraphicP1 | sed 's/$/=/')"

for command in $(commands); do
  expect_all "stockreports $command --" "$(options_of "$command" | grep -- '^--')"
done

# Files and folders come from the file system.
mkdir "$tmp/work" && cd "$tmp/work" && touch empresa.db && mkdir pasta
[ "$(candidates "stockreports print stockItems --db emp")" = "empresa.db" ] || fail "--db não completa arquivos"
[ "$(candidates "stockreports list --plugins pa")" = "pasta" ] || fail "--plugins não completa pastas"
[ -z "$(candidates "stockreports print stockItems --out x --yes naoexiste")" ] || fail "candidatos inventados"

[ $failures -eq 0 ] && echo "ok"
exit $((failures > 0))
