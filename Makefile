# The two commands of the README: `make run` and `make test`.
SHELL := /bin/bash
CMAKE_FLAGS := -G Ninja -DCORVANE_WERROR=ON
# Rebuilds of several checkouts share one compiler cache where ccache is installed.
CMAKE_FLAGS += $(if $(shell command -v ccache),-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
JOBS ?= $(shell nproc)
# Tests against real X servers and compositors depend on the machine's load (a
# click sent while a busy server is still mapping the window can be lost); a
# test that fails is run once more, and the output shows both runs.
CTEST_FLAGS := --output-on-failure -j $(JOBS) --repeat until-pass:2

.PHONY: run test deps build build-release build-asan test-release test-asan fuzz format format-check resources golden \
        install package mutants windows windows-package test-windows

deps:
	@./scripts/install-deps

build-release: deps
	cmake -S . -B build/release $(CMAKE_FLAGS) -DCMAKE_BUILD_TYPE=Release
	cmake --build build/release -j $(JOBS)

build-asan: deps
	cmake -S . -B build/asan $(CMAKE_FLAGS) -DCMAKE_BUILD_TYPE=Debug -DCORVANE_SANITIZE=ON -DCORVANE_BENCH=OFF
	cmake --build build/asan -j $(JOBS)

test-release: build-release
	ctest --test-dir build/release $(CTEST_FLAGS) --label-exclude windows

test-asan: build-asan
	ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
	  ctest --test-dir build/asan $(CTEST_FLAGS) --label-exclude windows

fuzz: deps
	CC=clang CXX=clang++ cmake -S . -B build/fuzz $(CMAKE_FLAGS) -DCMAKE_BUILD_TYPE=Debug \
	  -DCORVANE_FUZZ=ON -DCORVANE_BENCH=OFF
	cmake --build build/fuzz -j $(JOBS) --target gdi_fuzz edid_fuzz
	LSAN_OPTIONS=suppressions=$(CURDIR)/tests/fuzz/lsan.supp \
	  ./build/fuzz/tests/gdi_fuzz -max_total_time=$${FUZZ_SECONDS:-30} -rss_limit_mb=4096 -print_final_stats=1
	LSAN_OPTIONS=suppressions=$(CURDIR)/tests/fuzz/lsan.supp \
	  ./build/fuzz/tests/edid_fuzz -max_total_time=$${FUZZ_SECONDS:-30} -max_len=65536 -rss_limit_mb=4096 -print_final_stats=1

test: format-check test-release package test-asan fuzz test-windows

# The Windows program, cross-built with mingw-w64 and statically linked:
# build/windows/corvane-adjust.exe. FreeType and GoogleTest for it are built
# once into build/mingw-deps.
WINDOWS_FLAGS := $(CMAKE_FLAGS) -DCMAKE_TOOLCHAIN_FILE=$(CURDIR)/cmake/mingw-w64-x86_64.cmake \
                 -DCMAKE_BUILD_TYPE=Release
windows: deps
	./scripts/build-mingw-deps
	cmake -S . -B build/windows $(WINDOWS_FLAGS)
	cmake --build build/windows -j $(JOBS) --target corvane-adjust

# build/package/corvane-adjust_VERSION_win64.zip and the installer
# build/package/corvane-adjust_VERSION_win64-setup.exe (NSIS).
windows-package: windows
	./scripts/windows-package

# Under Wine, in one prefix made for the run: the portable layers' tests
# cross-built, the Windows program on Xorg (dummy) beside the Linux one, and
# the packages: silent install, the installed program, the uninstaller.
test-windows: windows-package build-release
	cmake --build build/windows -j $(JOBS)
	CORVANE_WINDOWS_ADJUST=$(CURDIR)/build/windows/corvane-adjust.exe ./scripts/wine-session build/wine-prefix \
	  bash -c 'ctest --test-dir build/windows $(CTEST_FLAGS) && ctest --test-dir build/release $(CTEST_FLAGS) -L windows && \
	           tests/windows/package_test.sh build/package/corvane-adjust_*_win64.zip build/package/corvane-adjust_*_win64-setup.exe'

build: build-release

# Installs the programs, the desktop entry, the AppStream metadata, the icons
# and the man pages under $(DESTDIR)$(PREFIX).
PREFIX ?= /usr/local
install: build-release
	DESTDIR="$(DESTDIR)" cmake --install build/release --prefix "$(PREFIX)"

# The Debian package of the Release build, then its checks (contents, Depends,
# the unpacked programs, lintian): build/package/corvane-adjust_VERSION_ARCH.deb.
package: build-release
	rm -rf build/package
	cpack --config build/release/CPackConfig.cmake -B "$(CURDIR)/build/package"
	rm -rf build/package/_CPack_Packages
	./tests/packaging/check_package.sh build/package/corvane-adjust_*.deb

# On a desktop: the wizard itself. Without one: the headless tour.
run: build-release
	@if [ -n "$${DISPLAY:-}$${WAYLAND_DISPLAY:-}" ]; then ./build/release/tools/corvane-adjust; \
	else ./scripts/tour build/release; fi

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

format-check: deps
	git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run --Werror

# Redraws the committed pictures of res/ with the generator.
resources: deps
	cmake -S . -B build/release $(CMAKE_FLAGS) -DCMAKE_BUILD_TYPE=Release
	cmake --build build/release -j $(JOBS) --target corvane-resgen
	./build/release/tools/resgen/corvane-resgen res
	./build/release/tools/resgen/corvane-resgen --windows-icon res/windows/corvane-adjust.ico

# Applies each edit of tests/mutants.txt alone, in a scratch worktree under build/mutants, and runs the
# tests named for it; fails below 90% caught. Not part of `make test`: it rebuilds once per edit.
mutants: deps
	./scripts/mutants --min 90 --jobs $(JOBS) tests/mutants.txt

# Redraws the golden pictures of tests/golden; only for a change to the pictures that is meant.
golden: deps
	cmake -S . -B build/release $(CMAKE_FLAGS) -DCMAKE_BUILD_TYPE=Release
	cmake --build build/release -j $(JOBS) --target golden_redraw
	./build/release/tests/golden/golden_redraw tests/golden
