# `make package`: the Debian package zerva_<version>_amd64.deb in $(BUILD)/.
# `make package-check`: builds it, runs lintian, installs it on this machine,
# starts Zerva from its menu entry under Xvfb, and removes it again (root).
# `make screenshots`: the pictures in docs/screenshots/, taken under Xvfb.
.PHONY: package package-check screenshots

package: deps-package build
	cd $(BUILD) && cpack -G DEB
	@ls -1 $(BUILD)/zerva_*.deb

package-check: package
	scripts/package-check $(BUILD)

screenshots: deps-package build
	scripts/screenshots $(BUILD)
