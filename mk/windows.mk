# Zerva for Windows, built on Debian with MinGW-w64 against Qt for Windows
# (scripts/build-qt-mingw: QT_MINGW, made from a prebuilt tree named by
# QT_MINGW_PREBUILT or found beside the clone in ../shared/toolchains/, and
# otherwise, after saying so, from source in about 40 minutes), tested
# under Wine.
#
#   make windows                 build-win/zerva.exe and the tests
#   make windows-test            every test that is not POSIX-only, under Wine,
#                                then the real window checks (Xvfb)
#   make windows-package         zerva-<version>-win64-setup.exe and
#                                zerva-<version>-win64.zip in build-win/
#   make windows-package-check   installs the setup silently under Wine,
#                                starts Zerva from it, uninstalls it
WIN_BUILD  ?= build-win
QT_MINGW   ?= $(HOME)/.cache/zerva/qt6-mingw
export QT_MINGW QT_MINGW_PREBUILT
WIN_PREFIX := $(CURDIR)/$(WIN_BUILD)/wine-prefix
# ctest runs each cross-built test through this under Wine.
WIN_EMULATOR := $(CURDIR)/scripts/wine-run;--qt;$(QT_MINGW);--prefix;$(WIN_PREFIX)

WIN_CONFIGURE = cmake -S . -B $(WIN_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Release \
	-DCMAKE_TOOLCHAIN_FILE=$(CURDIR)/cmake/toolchains/mingw-w64-x86_64.cmake \
	-DCMAKE_PREFIX_PATH=$(QT_MINGW) -DCMAKE_FIND_ROOT_PATH=$(QT_MINGW) \
	-DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
	-DCMAKE_AUTORCC_OPTIONS=--no-zstd "-DCMAKE_CROSSCOMPILING_EMULATOR=$(WIN_EMULATOR)" \
	-DZERVA_BUILD_BENCH=OFF $(WERROR) $(LAUNCHER) $(WIN_CMAKE_ARGS)

.PHONY: qt-mingw windows windows-test windows-package windows-package-check

qt-mingw: deps-windows
	scripts/build-qt-mingw

# Host rcc, moc and uic come from Debian's Qt: both must be the same version.
$(WIN_BUILD)/build.ninja: | qt-mingw
	$(WIN_CONFIGURE)

windows: qt-mingw $(WIN_BUILD)/build.ninja
	cmake --build $(WIN_BUILD) -j $(JOBS)

windows-test: windows
	scripts/windows-test $(WIN_BUILD) $(QT_MINGW)

windows-package: windows
	scripts/windows-package $(WIN_BUILD) $(QT_MINGW)

windows-package-check: windows-package
	scripts/windows-package-check $(WIN_BUILD)
