# The README's two commands, as thin wrappers over scripts/ and CMake.
JOBS ?= 2

.PHONY: all setup demo test fuzz native win32 win64 editor-picture editor-picture-x11 clean

all: native

setup:
	@scripts/setup

native: setup
	@cmake --preset native >/dev/null
	@cmake --build --preset native -j $(JOBS)

win32 win64: setup
	@cmake --preset $@ >/dev/null
	@cmake --build --preset $@ -j $(JOBS)

demo: setup
	@scripts/demo

test: setup
	@scripts/test

# A picture of the editor window as the VST2 module opens it under Wine.
editor-picture: setup
	@scripts/editor-picture

# A picture of the editor window as the Linux VST2 module opens it under X11.
editor-picture-x11: setup
	@scripts/editor-picture-x11

# Each fuzz target for FUZZ_SECONDS (default 300) over its corpus.
FUZZ_SECONDS ?= 300
fuzz: setup
	@scripts/fuzz $(FUZZ_SECONDS)

clean:
	rm -rf build/native build/native-asan build/native-tsan build/fuzz build/win32 build/win64 out
