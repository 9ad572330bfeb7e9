#!/bin/bash
# Builds the Debian package of the build tree into a scratch folder and reads it back with
# dpkg-deb: its files, its conffiles, and dependencies that come from the libraries it links,
# with no package of the build or of the tests among them.
#   deb_test.sh BUILD_DIR SOURCE_DIR VERSION
set -u
build=$1 source=$2 version=$3
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
failures=0
fail() { echo "FALHA: $*"; failures=$((failures + 1)); }

(cd "$build" && cpack --config CPackConfig.cmake -B "$tmp/out") >"$tmp/cpack.log" 2>&1 \
  || { cat "$tmp/cpack.log"; exit 1; }
deb=$(ls "$tmp"/out/*.deb)
[ "$(basename "$deb")" = "stockreports_${version}-1_amd64.deb" ] || fail "nome do pacote: $deb"
grep -i 'warning' "$tmp/cpack.log" && fail "avisos ao montar o pacote"
[ "$(dpkg-deb -f "$deb" Version)" = "${version}-1" ] || fail "versão: $(dpkg-deb -f "$deb" Version)"

# Dependencies: the C and C++ run-times and the libraries linked, with versions; the font the
# PDF writer embeds; nothing the Makefile installs only to build and test.
depends=$(dpkg-deb -f "$deb" Depends)
for lib in libc6 "libstdc\\+\\+6" libsqlite3-0 libpq5 libharfbuzz0b libharfbuzz-subset0 libcairo2 zlib1g \
           libutf8proc2 libcpp-httplib; do
  echo "$depends" | grep -Eq "(^|, )$lib[^,]* \(>= " || fail "Depends sem $lib versionado: $depends"
done
echo "$depends" | grep -q 'fonts-dejavu-core' || fail "Depends sem a fonte: $depends"
build_packages=$(sed -n '/^PACKAGES :=/,/^[^ ]/p' "$source/Makefile" | sed 's/PACKAGES :=//; s/\\//' \
  | tr ' ' '\n' | grep -v '^fonts-' | grep .)
[ -n "$build_packages" ] || fail "a lista PACKAGES do Makefile não foi lida"
for dep in $(echo "$depends" | tr ',|' '\n\n' | awk '{print $1}'); do
  echo "$build_packages" | grep -qx "$dep" && fail "dependência de compilação ou teste: $dep"
  case $dep in *-dev|*gtest*|*gmock*) fail "dependência de compilação: $dep" ;; esac
done

# The files: program, library, exactly the plug-ins the definitions name, every definition,
# manual page, completion, copyright, the unit and its configuration (a conffile).
dpkg-deb -c "$deb" | awk '{print $6}' | sed 's|^\./|/|' >"$tmp/files"
for f in /usr/bin/stockreports /usr/lib/stockreports/libstockhost.so /usr/share/man/man1/stockreports.1.gz \
         /usr/share/bash-completion/completions/stockreports /usr/share/doc/stockreports/copyright \
         /usr/lib/systemd/system/stockreports.service /usr/lib/sysusers.d/stockreports.conf \
         /etc/stockreports/serve.conf /usr/share/stockreports/schema.sql; do
  grep -qx "$f" "$tmp/files" || fail "falta $f"
done
expected_plugins=$(grep -ho '"plugin": *"[^"]*"' "$source"/definitions/*.json | sed 's/.*"\([^"]*\)"$/\1.so/' \
  | grep -v '^\.so$' | sort -u)
packaged_plugins=$(grep '^/usr/lib/stockreports/plugins/.' "$tmp/files" | xargs -n1 basename | sort)
[ "$expected_plugins" = "$packaged_plugins" ] || fail "plug-ins: $(echo $packaged_plugins) em vez de $(echo $expected_plugins)"
for def in "$source"/definitions/*.json; do
  grep -qx "/usr/share/stockreports/definitions/$(basename "$def")" "$tmp/files" || fail "falta a definição $def"
done
grep -Ev '^/(usr/(bin|lib/stockreports|lib/systemd/system|lib/sysusers\.d|share/(stockreports|man|doc/stockreports|bash-completion))|etc/stockreports)(/|$)|^/(usr/?|usr/lib/?|usr/share/?|etc/?|usr/lib/systemd/?|usr/share/doc/?|usr/share/man/man1/?)?$' \
  "$tmp/files" | sed 's/^/fora do lugar: /' | grep . && fail "arquivos fora do lugar"
dpkg-deb --ctrl-tarfile "$deb" | tar -xO ./conffiles | grep -qx /etc/stockreports/serve.conf \
  || fail "serve.conf não é conffile"
dpkg-deb -e "$deb" "$tmp/control"
for script in postinst prerm postrm; do
  [ -x "$tmp/control/$script" ] && sh -n "$tmp/control/$script" || fail "script $script"
done
# The unit is installed, not enabled: nothing in the package links it into a target.
grep -q '\.wants/' "$tmp/files" && fail "o pacote habilita o serviço"

# The packaged program works from where the package puts it.
dpkg-deb -x "$deb" "$tmp/root"
mkdir "$tmp/work"
[ "$(cd "$tmp/work" && env -i "$tmp/root/usr/bin/stockreports" --version)" = "stockreports $version" ] \
  || fail "--version do programa empacotado"
(cd "$tmp/work" && env -i "$tmp/root/usr/bin/stockreports" list | grep -q '^stockItems - ') \
  || fail "list do programa empacotado"

[ $failures -eq 0 ] && echo "ok"
exit $((failures > 0))
