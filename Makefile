# The two commands of the README: `make demo` and `make test`.
BUILD ?= build
SAN_BUILD ?= build-$(SANITIZE)
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?=

.PHONY: deps configure build demo test sanitize bench fuzz clean package check-package gui-demo

deps:
	bash scripts/install-deps.sh

configure: deps
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUILLON_WERROR=ON $(CMAKE_FLAGS)

build: configure
	cmake --build $(BUILD) -j $(JOBS)

demo: build
	bash scripts/demo.sh $(BUILD)

test: build
	ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS) --timeout 600

# The Debian package (build/package/quillon_VERSION_ARCH.deb) and its checks:
# lintian, the desktop entry, AppStream data, man pages, file type, and the
# programs run from the unpacked package.
package: build
	cmake --build $(BUILD) --target package

check-package: package
	bash scripts/check-package.sh $(BUILD)

# The desktop program connected to an emulated device (needs a display).
gui-demo: build
	bash scripts/gui-demo.sh $(BUILD)

# make sanitize SANITIZE=address|thread
sanitize: deps
	cmake -S . -B $(SAN_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DQUILLON_SANITIZE=$(SANITIZE) -DQUILLON_BUILD_BENCH=OFF
	cmake --build $(SAN_BUILD) -j $(JOBS)
	ctest --test-dir $(SAN_BUILD) --output-on-failure -j $(JOBS) --timeout 900

bench: build
	@for b in $(BUILD)/bench/*_bench; do echo "== $$b"; $$b; done

# make fuzz FUZZ_SECONDS=N [FUZZ_TARGETS="ini vir"]: every libFuzzer target
# for N seconds (clang); inputs found stay in FUZZ_WORK, outside the tree.
FUZZ_SECONDS ?= 60
FUZZ_BUILD ?= build-fuzz
fuzz:
	FUZZ_SECONDS='$(FUZZ_SECONDS)' FUZZ_TARGETS='$(FUZZ_TARGETS)' FUZZ_BUILD='$(FUZZ_BUILD)' \
	  FUZZ_WORK='$(FUZZ_WORK)' JOBS='$(JOBS)' bash scripts/fuzz.sh

clean:
	rm -rf $(BUILD) build-address build-thread $(FUZZ_BUILD)
