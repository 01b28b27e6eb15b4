# Velmora: build, play the bundled show, run every test.
BUILD ?= build
ASAN_BUILD ?= build-asan
FUZZ_BUILD ?= build-fuzz
FUZZ_SECONDS ?= 10
JOBS ?= $(shell nproc)

.PHONY: all deps build asan fuzz bench play test test-plain test-asan install deb package-test clean

all: build

deps:
	sh scripts/install-deps.sh

build: deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build $(BUILD) -j $(JOBS)

asan: deps
	cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DVELMORA_SANITIZE=ON
	cmake --build $(ASAN_BUILD) -j $(JOBS)

# Builds only what playing needs (the player, the capture tool and the sample
# show, which the build writes into $(BUILD)/sample_show), then plays the show:
# with the dialog and full-screen where there is a display, else filmed into
# $(BUILD)/sample_show.mp4.
PLAY_TARGETS = velmora velmora-capture sample_show
play: deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build $(BUILD) -j $(JOBS) --target $(PLAY_TARGETS)
	sh scripts/play.sh $(BUILD)

test-plain: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

# intercept_tls_get_addr=0: GCC 12's leak checker misreads the dynamic TLS that
# glibc 2.36 hands to Mesa's dlopened driver in some memory layouts ("Tracer
# caught signal 11" at exit, no leak involved); without the interception the
# dynamic TLS blocks are not scanned, the rest is checked as before.
test-asan: asan
	cd $(ASAN_BUILD) && ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:intercept_tls_get_addr=0 \
	  LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan.supp \
	  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 ctest --output-on-failure -j $(JOBS)

# Builds every libFuzzer target with clang and runs each for FUZZ_SECONDS over
# a scratch copy of its seed corpus (tests/fuzz/corpus/NAME).
fuzz: deps
	CC=clang CXX=clang++ cmake -S . -B $(FUZZ_BUILD) -DCMAKE_BUILD_TYPE=Debug -DVELMORA_FUZZ=ON
	cmake --build $(FUZZ_BUILD) -j $(JOBS) --target fuzz_targets
	sh scripts/run-fuzzers.sh $(FUZZ_BUILD) $(FUZZ_SECONDS)

# Benchmarks, not part of the tests: packing and unpacking figures of the
# archive packer, the play script reader and qxcheck over long generated
# scripts, the rendering benchmark (frames per second through the
# display stand-in beside plain OpenGL at 640x480 and 1920x1080, offscreen
# without a display), then the capture benchmark (a show filmed at 1280x720
# and 60 fps: show seconds per second, and where the time went). The capture
# takes CAPTURE_SHOW when set, else the sample show or the example show.
BENCH_FRAMES ?= 60
CAPTURE_SHOW ?=
bench: build
	cmake --build $(BUILD) -j $(JOBS) --target qxpack_bench script_bench
	$(BUILD)/bench/qxpack_bench
	$(BUILD)/bench/script_bench
	$(BUILD)/velmora_bench $(BENCH_FRAMES)
	sh scripts/capture-bench.sh $(BUILD) $(CAPTURE_SHOW)

# Installs what `make build` built under PREFIX (DESTDIR=... stages it
# elsewhere, as packagers do).
PREFIX ?= /usr/local
install: build
	cmake --install $(BUILD) --prefix $(PREFIX)

# The Debian package, $(BUILD)/velmora_VERSION_ARCH.deb, under /usr whatever
# PREFIX says; then its test: lintian, and the player unpacked from it playing
# the sample show as an unprivileged user.
deb: build
	cd $(BUILD) && cpack -G DEB
package-test: deb
	sh scripts/package-test.sh $(BUILD)

test: test-plain test-asan fuzz

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(FUZZ_BUILD)
