# Front door over the CMake presets. `make test` and `make run` install whatever
# Debian packages are missing first (as root, or through sudo).

PRESET ?= release
JOBS ?= $(shell nproc)

.PHONY: all deps build test run screenshot asan fuzz bench bench-window bench-cli windows \
	windows-test windows-screenshot bench-windows web web-serve web-helpers web-test bench-web \
	bench-glyphs web-screenshot package package-test format clean

all: build

deps:
	@tools/install-deps core qt

build: deps
	cmake --preset $(PRESET)
	cmake --build --preset $(PRESET) -j $(JOBS)

test: build
	ctest --preset $(PRESET) -j $(JOBS)

# Opens the window, or renders it to a PNG when there is no display.
run: build
	@tools/run-window build/$(PRESET)

# The README's picture of the window.
screenshot: build
	build/$(PRESET)/app/qt/gbkhex-render docs/screenshot-linux.png

asan:
	@tools/install-deps core qt
	cmake --preset asan
	cmake --build --preset asan -j $(JOBS)
	ctest --preset asan -j $(JOBS)

FUZZ_SECONDS ?= 60
fuzz:
	@tools/install-deps fuzz
	cmake --preset fuzz
	cmake --build --preset fuzz -j $(JOBS)
	tools/run-fuzz $(FUZZ_SECONDS)

bench: PRESET = release
bench: build
	build/release/bench/convert_bench
	build/release/bench/utf8_bench
	build/release/bench/glyphs_bench

# Keystroke latency of the window, offscreen, beside Text1's own; its memory.
bench-window: PRESET = release
bench-window: build
	build/release/bench/window_bench

# gbkhex-cli against iconv | xxd and Python's str.encode('gbk'), whole processes.
bench-cli:
	@tools/install-deps core compare
	bench/compare_cli.sh

# gbkhex-cli --glyphs over every GBK character and over a usual few hundred.
bench-glyphs:
	@tools/install-deps core compare
	bench/glyphs_cli.sh

# gbkhex.exe, cross-built with mingw-w64: build/windows/bin/gbkhex.exe. FreeType,
# libpng and zlib are built first from Debian's sources (once; see the script).
windows:
	@tools/install-deps core windows
	tools/build-libs windows
	cmake --preset windows
	cmake --build --preset windows -j $(JOBS)

# Its tests under Wine on a virtual screen; no Wine process outlives them. The
# Linux gbkhex-cli, built beside it, must write the same glyph headers.
WINE_STOP = WINEPREFIX=$(CURDIR)/build/windows/wine wineserver -k 2>/dev/null || true
NATIVE_CLI = build/native-cli
windows-test: windows
	cmake -S . -B $(NATIVE_CLI) -G Ninja -DCMAKE_BUILD_TYPE=Release -DGBKHEX_BUILD_QT=OFF \
		-DGBKHEX_BUILD_TESTS=OFF -DGBKHEX_BUILD_BENCH=OFF >/dev/null
	cmake --build $(NATIVE_CLI) --target gbkhex-cli -j $(JOBS)
	GBKHEX_NATIVE_CLI=$(CURDIR)/$(NATIVE_CLI)/cli/gbkhex-cli tools/windows-test; status=$$?; \
		$(WINE_STOP); exit $$status

windows-screenshot: windows
	tools/windows-test --pose; status=$$?; $(WINE_STOP); exit $$status

# Paste and keystroke latency of gbkhex.exe under Wine, beside Text1's own.
bench-windows: windows
	tools/windows-test --bench $(BENCH_ARGS); status=$$?; $(WINE_STOP); exit $$status

# The release packages: build/packages/gbkhex_<version>_amd64.deb and
# gbkhex-<version>-win64.zip.
package:
	@tools/install-deps core qt windows package
	cmake --preset package
	cmake --build --preset package -j $(JOBS)
	tools/build-libs windows
	cmake --preset windows
	cmake --build --preset windows -j $(JOBS)
	rm -rf build/package/packages build/windows/packages build/packages
	cd build/package && cpack
	cd build/windows && cpack
	mkdir -p build/packages
	cp build/package/packages/*.deb build/windows/packages/*.zip build/packages/
	@echo "Packages:" && ls -1 $(CURDIR)/build/packages/*

# Installs the .deb, uses it and removes it again; runs the zip's programs under Wine.
package-test: package
	tools/check-packages; status=$$?; $(WINE_STOP); exit $$status

# The browser page, build/web/: the core compiled to WebAssembly, the page
# written from the control table. Open build/web/index.html, or host the folder.
# FreeType, libpng and zlib are built first from Debian's sources (once; see the
# script).
web:
	@tools/install-deps core web
	tools/build-libs web
	cmake --preset web
	cmake --build --preset web -j $(JOBS)

web-serve: web
	tools/serve-web.mjs build/web

# playwright-core from npm, at the version package-lock.json pins; it drives
# Debian's Chromium and never downloads a browser of its own.
node_modules/.package-lock.json: package.json package-lock.json
	npm ci --no-audit --no-fund
	@touch $@

# What the pages' tests and benchmark take from the native build: its
# conversion and control table, the sample text, the glyphs and gbkhex-cli.
web-helpers:
	@tools/install-deps core qt
	cmake --preset release
	cmake --build --preset release -j $(JOBS) --target native_oracle sample_text glyph_dump \
		gbkhex-cli

# The page in headless Chromium, held to the native build's conversion and
# table; the glyphs drawn in WebAssembly, held to the native build's; every
# file of the firmware page held to gbkhex-cli's.
web-test: web web-helpers node_modules/.package-lock.json
	cmake --build --preset web -j $(JOBS) --target glyph_dump_wasm
	node --test tests/window/web/form1.test.mjs tests/glyphs/web/glyphs_wasm.test.mjs \
		tests/page/firmware.test.mjs

# Keystroke latency in the page, timed by the browser itself, beside Text1's
# own; the firmware page's whole font image beside gbkhex-cli's, and the size
# of build/web/.
bench-web: web web-helpers node_modules/.package-lock.json
	node bench/web_bench.mjs
	node bench/firmware_bench.mjs

web-screenshot: web node_modules/.package-lock.json
	tools/web-screenshot.mjs docs/screenshot-web.png
	tools/firmware-screenshot.mjs docs/screenshot-firmware.png

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf build
