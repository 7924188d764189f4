# The front door. `make run` and `make test` install what is missing, build and go.
BUILD := build
JOBS := $(shell nproc 2>/dev/null || echo 2)

.PHONY: run test test-arch bench build clean deb

run: build
	./$(BUILD)/driftbeam

build:
	scripts/install-deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release
	cmake --build $(BUILD) -j $(JOBS)

# Every tier on the Release build, then the unit and gl tiers again under AddressSanitizer
# and UndefinedBehaviorSanitizer, where any report fails the run.
test:
	scripts/install-deps --test
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release -DDRIFTBEAM_TESTS=ON
	cmake --build $(BUILD) -j $(JOBS)
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)
	cmake -S . -B $(BUILD)-sanitize -DCMAKE_BUILD_TYPE=RelWithDebInfo -DDRIFTBEAM_TESTS=ON \
	  -DDRIFTBEAM_SANITIZE=ON
	cmake --build $(BUILD)-sanitize -j $(JOBS)
	cd $(BUILD)-sanitize && ctest --output-on-failure -j $(JOBS) -L 'unit|gl'

# The kept recordings replayed on other processors: the headless check cross-built for each
# and run under qemu.
test-arch:
	scripts/install-deps --arch
	scripts/test-arch

# The drone pass against its floor, the frame on a real context under its own X server, the
# largest swarm that still keeps 100 ticks a second, and what each window scale costs.
bench:
	scripts/install-deps --test
	cmake -S . -B $(BUILD)-bench -DCMAKE_BUILD_TYPE=Release -DDRIFTBEAM_BENCH=ON
	cmake --build $(BUILD)-bench -j $(JOBS) --target driftbeam_bench
	xvfb-run -a -s "-screen 0 1920x1440x24" ./$(BUILD)-bench/driftbeam_bench

# The Debian package in dist/, built from a copy of the tree in build-deb/ and passed by
# lintian. DEB_BUILD_OPTIONS=nocheck skips its tests, parallel=N sets its jobs.
deb:
	scripts/install-deps --deb
	scripts/build-deb

clean:
	rm -rf $(BUILD) $(BUILD)-sanitize $(BUILD)-bench build-arch-* build-deb dist
