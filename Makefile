# make        build/setup.exe (installs the Debian packages it needs first)
# make test   build, prepare the Wine prefixes and run every test
# make demo   install and uninstall a small demo package under Wine
# make screenshots  pictures of the wizard in docs/, taken on a virtual X display
BUILD ?= build
B := $(abspath $(BUILD))

.PHONY: all test demo screenshots clean

all:
	@scripts/bootstrap.sh
	@cmake -S . -B $(B) -DCMAKE_TOOLCHAIN_FILE=$(CURDIR)/cmake/mingw-i686.cmake -DCMAKE_BUILD_TYPE=MinSizeRel >/dev/null
	@cmake --build $(B) -j$$(nproc)

test:
	@scripts/run-tests.sh $(B)

demo: all
	@scripts/demo.sh $(B)

screenshots:
	@scripts/screenshots.sh $(B)

clean:
	rm -rf $(B)
