#!/bin/bash
# The manual page is well-formed man(7) and names every command, report and option the
# program knows, its exit statuses, environment variables and examples, as --help gives them.
#   manual_test.sh PROGRAM MANUAL_PAGE(.gz)
set -u
program=$1
. "$(dirname "$0")/names.sh"
failures=0
fail() { echo "FALHA: $*"; failures=$((failures + 1)); }

warnings=$(zcat -f "$2" | LC_ALL=C.UTF-8 groff -k -man -Tutf8 -ww -z 2>&1)
[ -z "$warnings" ] || fail "groff: $warnings"
page=$(zcat -f "$2" | LC_ALL=C.UTF-8 groff -k -man -Tutf8 -rLL=250n -P-cbou 2>/dev/null)
section() { echo "$page" | sed -n "/^$1\$/,/^[^ ]/p"; }
for heading in NOME SINOPSE DESCRIÇÃO OPÇÕES COMANDOS RELATÓRIOS "ESTADO DE SAÍDA" AMBIENTE EXEMPLOS; do
  echo "$page" | grep -qx "$heading" || fail "falta a seção $heading"
done
echo "$page" | grep -q "stockreports $("$program" --version | awk '{print $2}')" || fail "a página não traz a versão"

commands_text=$(section COMANDOS) options_text=$(section OPÇÕES) reports_text=$(section RELATÓRIOS)
[ "$(commands | wc -l)" -ge 4 ] || fail "a ajuda lista poucos comandos"
for command in $(commands); do
  grep -qx "   $command" <<<"$commands_text" || fail "falta o comando $command"
  # every option of the command, under it or among the program's common options
  own=$(sed -n "/^   $command\$/,/^   [a-z]/p" <<<"$commands_text")
  for option in $(options_of "$command"); do
    grep -q -- "$option\b" <<<"$own$options_text" || fail "falta a opção $option de $command"
  done
done
for option in $(options_of ""); do
  grep -q -- "$option\b" <<<"$options_text" || fail "falta a opção $option"
done
[ "$(reports | wc -l)" -ge 8 ] || fail "list mostra poucos relatórios"
for report in $(reports); do
  grep -qw -- "$report" <<<"$reports_text" || fail "falta o relatório $report"
done
for param in $(parameters_of stockRegister); do
  grep -qw -- "$param" <<<"$reports_text" || fail "falta o parâmetro $param de stockRegister"
done
# The help's exit statuses, environment variables and examples, word for word.
help=$("$program" --help)
for status in $(echo "$help" | sed -n '/^Estado de saída:/,/^$/p' | awk '/^  [0-9]/ {print $1}'); do
  section "ESTADO DE SAÍDA" | grep -q "^       $status\b" || fail "falta o estado de saída $status"
done
[ "$(section "ESTADO DE SAÍDA" | grep -c '^       [0-9] ')" -ge 4 ] || fail "poucos estados de saída"
for var in $(echo "$help" | sed -n '/^Variáveis de ambiente:/,/^$/p' | awk '/^  [A-Z]/ {print $1}'); do
  section AMBIENTE | grep -q "$var" || fail "falta a variável $var"
done
echo "$help" | sed -n '/^Exemplos:/,$p' | grep '^  stockreports ' | sed 's/^  //' | while read -r example; do
  section EXEMPLOS | grep -qF -- "$example" || { echo "FALHA: falta o exemplo $example"; exit 1; }
done || failures=$((failures + 1))

[ $failures -eq 0 ] && echo "ok"
exit $((failures > 0))
