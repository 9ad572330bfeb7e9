# The project's two commands: `make test` and `make demo`. Both install what is missing first.
PACKAGES := build-essential cmake ninja-build ccache pkg-config libsqlite3-dev sqlite3 zlib1g-dev \
            libharfbuzz-dev libcairo2-dev nlohmann-json3-dev libcli11-dev libutf8proc-dev \
            libgtest-dev libgmock-dev fonts-dejavu-core qpdf poppler-utils \
            libpq-dev postgresql libcpp-httplib-dev chromium chromium-driver python3-selenium \
            dpkg-dev groff-base
PRESET ?= release
BUILD := build/$(PRESET)

.PHONY: deps build test test-asan demo install uninstall deb bench fuzz format format-check clean

deps:
	@missing=$$(for p in $(PACKAGES); do dpkg-query -W -f='$${Status}\n' $$p 2>/dev/null \
	  | grep -q 'install ok installed' || echo $$p; done); \
	if [ -n "$$missing" ]; then \
	  echo "Installing: $$missing"; \
	  SUDO=$$( [ "$$(id -u)" = 0 ] || echo sudo ); \
	  $$SUDO apt-get update -qq && DEBIAN_FRONTEND=noninteractive $$SUDO apt-get install -y -qq $$missing; \
	fi

build: deps
	cmake --preset $(PRESET) >/dev/null
	cmake --build --preset $(PRESET)

test: build
	ctest --preset $(PRESET)

test-asan:
	$(MAKE) test PRESET=asan

# Each entry of DEMO_PRINTS: the output name, the report, then its parameters; printed to
# out/<output name>.pdf and .txt.
STOCKREPORTS := $(BUILD)/host/stockreports
DEMO_PRINTS := \
	"stockItems stockItems -p pQuebra=1" \
	"stockGroupTree stockGroupTree" \
	"stockItemsByAccount stockItemsByAccount -p pQuebra=1" \
	"stockCountSheet stockCountSheet -p pInclUltimoCusto=1 -p pDataUltimoCusto=31/12/2026" \
	"stockBalances stockBalances -p pDataInicial=31/12/2026" \
	"stockListing stockListing -p pCodigoEmpresa=1..2 -p pModelo=1 -p pIncluirConta=1 -p pDataInicial=01/01/2026 -p pDataFinal=31/12/2026" \
	"stockListingSimples stockListing -p pCodigoEmpresa=1..2 -p pModelo=0 -p pDataInicial=01/01/2026 -p pDataFinal=31/12/2026" \
	"stockBookTerms stockBookTerms -p pCodigoEmpresa=1 -p pNumeroLivro=4 -p pNumeroFolha=300 -p pDataInicial=01/01/2026 -p pDataFinal=31/12/2026" \
	"stockBookTermsPaisagem stockBookTerms --definition taxBookTermsGraphicP1 -p pCodigoEmpresa=2 -p pAssinSocio=2 -p pNumeroFolha=400 -p pDataInicial=01/01/2026 -p pDataFinal=31/12/2026" \
	"stockBookTermsFilial stockBookTerms -p pCodigoEmpresa=1 -p pCodigoEstab=2 -p pNumeroLivro=3 -p pNumeroFolha=200 -p pDataInicial=01/01/2026 -p pDataFinal=31/12/2026" \
	"stockBookTermsFilialPaisagem stockBookTerms --definition taxBookTermsGraphicP1 -p pCodigoEmpresa=2 -p pCodigoEstab=2 -p pAssinSocio=2 -p pNumeroFolha=400 -p pDataInicial=01/01/2026 -p pDataFinal=31/12/2026" \
	"stockBookTermsLongos stockBookTerms -p pCodigoEmpresa=3 -p pAssinSocio=2 -p pNumeroFolha=500 -p pDataInicial=01/01/2026 -p pDataFinal=31/12/2026" \
	"stockBookTermsLongosPaisagem stockBookTerms --definition taxBookTermsGraphicP1 -p pCodigoEmpresa=3 -p pAssinSocio=2 -p pNumeroFolha=500 -p pDataInicial=01/01/2026 -p pDataFinal=31/12/2026" \
	"stockRegister stockRegister -p pCodigoEmpresa=1 -p pCodigoEstab=1 -p pCompetInicial=01/01/2026 -p pCompetFinal=31/12/2026" \
	"stockRegisterEmpresa2 stockRegister -p pCodigoEmpresa=2 -p pCodigoEstab=1 -p pCompetInicial=01/01/2026 -p pCompetFinal=31/12/2026" \
	"stockRegisterTermos stockRegister -p pCodigoEmpresa=1 -p pCodigoEstab=1 -p pCompetInicial=01/01/2026 -p pCompetFinal=31/12/2026 -p pImprimeTermos=1" \
	"stockRegisterFrenteVerso stockRegister -p pCodigoEmpresa=1 -p pCodigoEstab=2 -p pCompetInicial=01/01/2026 -p pCompetFinal=31/12/2026 -p pImprimeTermos=1" \
	"stockRegisterSemMovimento stockRegister -p pCodigoEmpresa=1 -p pCodigoEstab=3 -p pCompetInicial=01/01/2026 -p pCompetFinal=31/12/2026 -p pImprimeTermos=1"

demo: build
	@mkdir -p out
	@[ -f demo.db ] || $(STOCKREPORTS) demo --db demo.db
	@for entry in $(DEMO_PRINTS); do \
	  set -- $$entry; out=$$1; report=$$2; shift 2; \
	  for ext in pdf txt; do \
	    $(STOCKREPORTS) print $$report --db demo.db "$$@" --out out/$$out.$$ext -q || exit 1; \
	  done; \
	done
	$(STOCKREPORTS) efd --db demo.db -p pCodigoEmpresa=1 -p pCodigoEstab=1 -p pDataInventario=31/12/2026 \
	  --out out/efd-bloco-h.txt
	$(STOCKREPORTS) efd --db demo.db --check out/efd-bloco-h.txt

# Installs the release build under PREFIX (DESTDIR honoured): the command in bin/, the library
# and plug-ins in lib/stockreports/, definitions in share/stockreports/, the manual page, bash
# completion and the service of `serve` (configuration in /etc/stockreports/ for PREFIX=/usr,
# kept when it exists). `make uninstall` with the same PREFIX and DESTDIR removes it all but
# the configuration.
PREFIX ?= /usr/local
install: build
	DESTDIR="$(DESTDIR)" cmake --install $(BUILD) --prefix "$(PREFIX)"

uninstall:
	@[ -f $(BUILD)/cmake_install.cmake ] || $(MAKE) build
	DESTDIR="$(DESTDIR)" cmake -DBUILD=$(BUILD) -DPREFIX="$(PREFIX)" -P packaging/Uninstall.cmake

# The Debian package of the release build, in build/release/package/.
deb: build
	cd $(BUILD) && cpack --config CPackConfig.cmake
	@ls $(BUILD)/package/*.deb

bench: deps
	cmake --preset release >/dev/null
	cmake --build --preset release
	@for b in $$(find $(BUILD)/bench -type f -name 'bench_*' -perm -u+x | sort); do echo "== $$b"; $$b || exit 1; done

# Fuzzing needs clang and libFuzzer, installed here only (make test does not need them). Each
# target runs FUZZ_SECONDS over its seed corpus (fuzz/corpus/<target>, read only); what it
# finds new is kept in build/fuzz/corpus/<target>, crashes in build/fuzz/crashes/.
FUZZ_SECONDS ?= 30
FUZZ_PACKAGES := clang-14 libclang-rt-14-dev libfuzzer-14-dev
FUZZ_TARGETS := filter_fuzzer literal_fuzzer format_fuzzer definition_fuzzer pdf_text_fuzzer efd_check_fuzzer

fuzz:
	$(MAKE) deps PACKAGES="$(PACKAGES) $(FUZZ_PACKAGES)"
	cmake --preset fuzz >/dev/null
	cmake --build --preset fuzz
	@for t in $(FUZZ_TARGETS); do \
	  mkdir -p build/fuzz/corpus/$$t build/fuzz/crashes; \
	  echo "== $$t ($(FUZZ_SECONDS) s)"; \
	  dict=; [ -f fuzz/$$t.dict ] && dict=-dict=fuzz/$$t.dict; \
	  build/fuzz/fuzz/$$t -max_total_time=$(FUZZ_SECONDS) -timeout=10 -print_final_stats=1 $$dict \
	    -artifact_prefix=build/fuzz/crashes/$$t- build/fuzz/corpus/$$t fuzz/corpus/$$t 2>build/fuzz/$$t.log \
	    || { tail -n 60 build/fuzz/$$t.log; exit 1; }; \
	  grep -E '^stat::(number_of_executed_units|new_units_added)' build/fuzz/$$t.log; \
	done

# The C++ sources follow .clang-format: `make format` rewrites them, `make format-check` lists
# the files that differ and fails.
FORMAT_PACKAGES := clang-format-14
FORMAT_FILES = $$(git ls-files '*.cpp' '*.h')

format:
	$(MAKE) deps PACKAGES="$(FORMAT_PACKAGES)"
	clang-format-14 -i $(FORMAT_FILES)

format-check:
	$(MAKE) deps PACKAGES="$(FORMAT_PACKAGES)"
	clang-format-14 --dry-run --Werror $(FORMAT_FILES)

clean:
	rm -rf build out
