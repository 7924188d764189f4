# The front door. `make run` and `make test` install what is missing, build and go.
BUILD := build
WEB := build-web
JOBS := $(shell nproc 2>/dev/null || echo 2)

FUZZ_SECONDS ?= 300

# The page that make web leaves, which make board serves beside the board.
PAGE := $(WEB)/page
BOARD_DB ?= board.sqlite
BOARD_LISTEN ?= 127.0.0.1:8080

.PHONY: run test test-arch test-math bench fuzz build clean deb web test-web clip board board-load

run: build
	./$(BUILD)/driftbeam

build:
	scripts/install-deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release
	cmake --build $(BUILD) -j $(JOBS)

# Every tier on the Release build, then the unit, gl and board tiers again under
# AddressSanitizer and UndefinedBehaviorSanitizer, where any report fails the run.
test:
	scripts/install-deps --test
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release -DDRIFTBEAM_TESTS=ON -DDRIFTBEAM_BOARD=ON
	cmake --build $(BUILD) -j $(JOBS)
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)
	cmake -S . -B $(BUILD)-sanitize -DCMAKE_BUILD_TYPE=RelWithDebInfo -DDRIFTBEAM_TESTS=ON \
	  -DDRIFTBEAM_SANITIZE=ON -DDRIFTBEAM_BOARD=ON
	cmake --build $(BUILD)-sanitize -j $(JOBS)
	cd $(BUILD)-sanitize && ctest --output-on-failure -j $(JOBS) -L 'unit|gl|board'

# The kept recordings replayed on other processors: the headless check cross-built for each
# and run under qemu.
test-arch:
	scripts/install-deps --arch
	scripts/test-arch

# Every float through the game's sine, cosine and arc cosine, held against GNU MPFR's
# correctly rounded results, on every core; a few minutes.
test-math:
	scripts/install-deps --test
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release -DDRIFTBEAM_TESTS=ON
	cmake --build $(BUILD) -j $(JOBS) --target maths_exhaustive
	./$(BUILD)/maths_exhaustive

# The drone pass against its floor, the frame on a real context under its own X server, the
# largest swarm that still keeps 100 ticks a second, and what each window scale costs.
bench:
	scripts/install-deps --test
	cmake -S . -B $(BUILD)-bench -DCMAKE_BUILD_TYPE=Release -DDRIFTBEAM_BENCH=ON
	cmake --build $(BUILD)-bench -j $(JOBS) --target driftbeam_bench
	xvfb-run -a -s "-noreset -screen 0 1920x1440x24" ./$(BUILD)-bench/driftbeam_bench

# The recording reader, the whole check and the command line under clang's libFuzzer with
# both sanitizers, FUZZ_SECONDS each; what it finds stays in build-fuzz/findings/.
fuzz:
	scripts/install-deps --fuzz
	FUZZ_SECONDS=$(FUZZ_SECONDS) scripts/fuzz

# The README's clip: five seconds of the deep kept game, drawn from its recording into a GIF
# that a page shows without a player. A recording that changes changes it.
CLIP := docs/clip.gif
clip: build
	rm -f $(CLIP)
	./$(BUILD)/driftbeam --check tests/demo/deep.rec --video $(CLIP) --from 20 --to 25
	@size=$$(stat -c %s $(CLIP)); [ "$$size" -lt 2000000 ] || \
	  { echo "$(CLIP) is $$size bytes: a README's clip stays under 2 MB" >&2; exit 1; }

# The Debian package in dist/, built from a copy of the tree in build-deb/ and passed by
# lintian. DEB_BUILD_OPTIONS=nocheck skips its tests, parallel=N sets its jobs.
deb:
	scripts/install-deps --deb
	scripts/build-deb

# The game as a page, in $(WEB)/page/ and nothing else there, ready to upload. Debian's
# emscripten finds its JavaScript parser among Debian's node modules, which a Node.js from
# elsewhere does not search by itself.
web test-web test-arch: export NODE_PATH := /usr/share/nodejs
web:
	scripts/install-deps --web
	emcmake cmake -S . -B $(WEB) -DCMAKE_BUILD_TYPE=Release
	cmake --build $(WEB) -j $(JOBS)
	@echo "The page is in $(WEB)/page/: serve it with 'python3 -m http.server -d $(WEB)/page'" \
	  "and open http://localhost:8000/"

# The page in Debian's Chromium, headless, held against the desktop game's own picture; then
# its links and files, checked by the desktop's --check and by the page's check under node;
# then the page served by the board, with the board's own page beside it.
test-web: web
	scripts/install-deps --web-test
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release -DDRIFTBEAM_BOARD=ON
	cmake --build $(BUILD) -j $(JOBS) --target driftbeam driftbeam-board
	emcmake cmake -S . -B build-arch-wasm -DCMAKE_BUILD_TYPE=Release -DDRIFTBEAM_CHECK_ONLY=ON
	cmake --build build-arch-wasm -j $(JOBS)
	cd tests/web && npm ci --no-audit --no-fund
	node tests/web/page_test.mjs $(WEB)/page $(BUILD)/driftbeam
	node tests/web/links_test.mjs $(WEB)/page $(BUILD)/driftbeam build-arch-wasm/driftbeam_check.js
	node tests/web/board_test.mjs $(PAGE) $(BUILD)/driftbeam-board

# The board on the loopback, on SQLite, with the page beside it: BOARD_DB and BOARD_LISTEN
# choose another file (or a postgresql:// URL) and address.
board: web
	scripts/install-deps --board
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release -DDRIFTBEAM_BOARD=ON
	cmake --build $(BUILD) -j $(JOBS) --target driftbeam-board
	./$(BUILD)/driftbeam-board --db '$(BOARD_DB)' --listen '$(BOARD_LISTEN)' --page $(PAGE)

# A minute of submissions from eight clients on each database, real games mixed with damaged
# and hostile ones: what the board holds up to, and that it keeps exactly what it acknowledged.
board-load:
	scripts/install-deps --test
	cmake -S . -B $(BUILD)-bench -DCMAKE_BUILD_TYPE=Release -DDRIFTBEAM_BENCH=ON -DDRIFTBEAM_BOARD=ON
	cmake --build $(BUILD)-bench -j $(JOBS) --target board_load driftbeam-board
	cd $(BUILD)-bench && ./board_load sqlite 60 8 && ./board_load postgres 60 8

clean:
	rm -rf $(BUILD) $(BUILD)-sanitize $(BUILD)-bench $(BUILD)-fuzz build-arch-* build-deb dist $(WEB)
