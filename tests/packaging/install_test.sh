#!/bin/bash
# Installs the build into a scratch DESTDIR under a prefix of its own and runs the installed
# program from another folder, with a bare environment: it must find its library, plug-ins and
# definitions from where it was installed, never from the build tree. Then uninstalls.
#   install_test.sh BUILD_DIR VERSION
set -u
build=$1 version=$2
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
prefix=/opt/stock
root=$tmp/root
failures=0
fail() { echo "FALHA: $*"; failures=$((failures + 1)); }
# The installed program, run with nothing of the build's environment.
run() { (cd "$tmp/work" && env -i PATH=/usr/bin:/bin HOME="$tmp" LANG=C.UTF-8 "$@"); }

DESTDIR=$root cmake --install "$build" --prefix $prefix >"$tmp/install.log" 2>&1 \
  || { cat "$tmp/install.log"; exit 1; }
program=$root$prefix/bin/stockreports
mkdir -p "$tmp/work" "$tmp/bin" "$tmp/empty"

# Nothing installed may name the build tree (a run path, a compiled-in folder); debugging
# information, which names the folder compiled in, aside.
build_path=$(cd "$build" && pwd)
find "$root" -type f | while read -r file; do
  if [ "$(head -c 4 "$file" | tr -d '\0')" = $'\x7fELF' ]; then
    objcopy --strip-debug "$file" "$tmp/stripped" && file=$tmp/stripped
  fi
  grep -q -- "$build_path" "$file" && echo "$file"
done >"$tmp/leaks"
[ -s "$tmp/leaks" ] && fail "arquivos instalados citam a pasta de compilação: $(cat "$tmp/leaks")"
readelf -d "$program" | grep -q 'RUNPATH.*\[\$ORIGIN/[^]:]*\]' || fail "run path do programa: $(readelf -d "$program" | grep PATH)"

[ "$(run "$program" --version)" = "stockreports $version" ] || fail "--version: $(run "$program" --version)"

# Every example of the help that works on a database runs as written (serve is left out: it
# does not end). The first creates the database the others use.
run "$program" --help | sed -n '/^Exemplos:/,$p' | grep '^  stockreports ' | grep -v ' serve ' \
  >"$tmp/examples"
[ "$(wc -l <"$tmp/examples")" -ge 3 ] || fail "a ajuda tem poucos exemplos"
while read -r example; do
  out=$(cd "$tmp/work" && env -i PATH="$root$prefix/bin:/usr/bin:/bin" HOME="$tmp" bash -c "$example" 2>&1) \
    || fail "exemplo da ajuda falhou: $example: $out"
done <"$tmp/examples"

run "$program" list >"$tmp/list" 2>&1 || fail "list: $(cat "$tmp/list")"
grep -q '^stockRegister - ' "$tmp/list" || fail "list não mostra stockRegister"
out=$(run "$program" print stockRegister --db demo.db -p pCompetInicial=01/01/2026 -p pCompetFinal=31/03/2026 \
  --out livro.pdf -q 2>&1) || fail "print stockRegister: $out"
head -c 5 "$tmp/work/livro.pdf" | grep -q '%PDF-' || fail "livro.pdf não é um PDF"
out=$(run "$program" print stockItems --db demo.db --out itens.txt -q 2>&1) || fail "print .txt: $out"
grep -q 'RELAÇÃO DE PRODUTOS' "$tmp/work/itens.txt" || fail "itens.txt sem o título"

# The parameter screens, served by the installed program.
(cd "$tmp/work" && env -i "$program" serve --db demo.db --port 0 >"$tmp/serve.log" 2>&1) &
server=$!
for _ in $(seq 50); do grep -q 'http://' "$tmp/serve.log" && break; sleep 0.1; done
port=$(grep -o "http://127.0.0.1:[0-9]*" "$tmp/serve.log" | sed "s/.*://")
page=$(exec 3<>"/dev/tcp/127.0.0.1/$port" && printf 'GET / HTTP/1.0\r\nHost: 127.0.0.1:%s\r\n\r\n' "$port" >&3 && timeout 5 cat <&3)
kill $server; wait $server 2>/dev/null
echo "$page" | head -1 | grep -q ' 200 ' || fail "serve instalado: $(cat "$tmp/serve.log") $(echo "$page" | head -1)"
echo "$page" | grep -q 'stockItems' || fail "a tela do serve não lista stockItems"

# Through a link in another folder, as from /usr/local/bin, the program still finds its own.
ln -s "$program" "$tmp/bin/stockreports"
out=$(run "$tmp/bin/stockreports" print stockItems --db demo.db --out link.pdf -q 2>&1) \
  || fail "programa chamado por um link: $out"

# The installed folders are the ones used: a definition or plug-in taken away from them is
# missed, though the build tree still has it.
mv "$root$prefix/share/stockreports/definitions/stockBalances.json" "$tmp/"
run "$program" list | grep -q '^stockBalances ' && fail "list achou stockBalances fora da instalação"
mv "$tmp/stockBalances.json" "$root$prefix/share/stockreports/definitions/"
mv "$root$prefix/lib/stockreports/plugins/stockItems.so" "$tmp/"
run "$program" print stockItems --db demo.db --out semplugin.pdf -q >/dev/null 2>&1 \
  && fail "print achou stockItems.so fora da instalação"
mv "$tmp/stockItems.so" "$root$prefix/lib/stockreports/plugins/"
# The environment still wins over the installed folders.
out=$(cd "$tmp/work" && env -i STOCK_DEFINITION_DIR="$tmp/empty" "$program" list 2>&1) \
  && fail "list com STOCK_DEFINITION_DIR vazio terminou bem"
echo "$out" | grep -q "$tmp/empty" || fail "a mensagem não cita STOCK_DEFINITION_DIR: $out"

# The service's unit runs the installed program with the installed configuration.
unit=$root$prefix/lib/systemd/system/stockreports.service
conf=$root$prefix/etc/stockreports/serve.conf
grep -q "^ExecStart=$prefix/bin/stockreports serve " "$unit" || fail "ExecStart: $(grep ExecStart "$unit")"
grep -q "^EnvironmentFile=$prefix/etc/stockreports/serve.conf$" "$unit" || fail "EnvironmentFile"
grep -q '^STOCK_DB=' "$conf" || fail "serve.conf sem STOCK_DB"
if command -v systemd-analyze >/dev/null; then
  sed "s|=$prefix/|=$root$prefix/|" "$unit" >"$tmp/stockreports.service"
  out=$(systemd-analyze verify --man=no "$tmp/stockreports.service" 2>&1) && [ -z "$out" ] \
    || fail "systemd-analyze verify: $out"
fi

# The unit's user is the one the package creates: a system user without a login shell, its
# home the service's working folder.
if command -v systemd-sysusers >/dev/null; then
  mkdir -p "$tmp/sysroot/etc"
  systemd-sysusers --root="$tmp/sysroot" "$root$prefix/lib/sysusers.d/stockreports.conf" >/dev/null 2>&1
  user=$(sed -n 's/^User=//p' "$unit")
  entry=$(grep "^$user:" "$tmp/sysroot/etc/passwd")
  [ "$(echo "$entry" | cut -d: -f6)" = "$(sed -n 's/^WorkingDirectory=//p' "$unit")" ] \
    && [ "$(echo "$entry" | cut -d: -f7)" = /usr/sbin/nologin ] && [ "$(echo "$entry" | cut -d: -f3)" -lt 1000 ] \
    || fail "usuário do serviço: '$entry'"
fi

# Installing again keeps a configuration the administrator changed; uninstalling leaves it
# and nothing else of the program's own.
echo 'STOCK_PORT=9090' >>"$conf"
DESTDIR=$root cmake --install "$build" --prefix $prefix >/dev/null 2>&1 || fail "segunda instalação"
grep -q '^STOCK_PORT=9090$' "$conf" || fail "a reinstalação trocou serve.conf"
source_dir=$(cd "$(dirname "$0")/../.." && pwd)
DESTDIR=$root cmake -DBUILD="$build" -DPREFIX=$prefix -P "$source_dir/packaging/Uninstall.cmake" \
  >"$tmp/uninstall.log" 2>&1 || fail "uninstall: $(cat "$tmp/uninstall.log")"
left=$(cd "$root" && find . -type f -o -type l)
[ "$left" = "./opt/stock/etc/stockreports/serve.conf" ] || fail "sobrou depois do uninstall: $left"
[ -e "$root$prefix/lib/stockreports" ] && fail "sobrou a pasta lib/stockreports"

[ $failures -eq 0 ] && echo "ok"
exit $((failures > 0))
