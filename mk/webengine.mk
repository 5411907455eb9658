# `make test-webengine`: the build with the full-browser banner
# (-DZERVA_WEBENGINE=ON) in its own folder; builds only the program and the
# banner's test, and runs that test offscreen.
WEB_BUILD ?= build-webengine

WEB_CONFIGURE = cmake -S . -B $(WEB_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	-DZERVA_WEBENGINE=ON -DZERVA_BUILD_BENCH=OFF $(WERROR) $(LAUNCHER) $(CMAKE_ARGS)

.PHONY: test-webengine build-webengine

$(WEB_BUILD)/build.ninja: | deps-webengine
	$(WEB_CONFIGURE)

build-webengine: deps-webengine $(WEB_BUILD)/build.ninja
	cmake --build $(WEB_BUILD) -j $(JOBS) --target zerva test_webengine_banner

test-webengine: build-webengine
	cd $(WEB_BUILD) && ctest --output-on-failure -R '^test_webengine_banner$$'
