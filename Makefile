# The front door. `make run` and `make test` install what is missing, build and go.
BUILD := build
JOBS := $(shell nproc 2>/dev/null || echo 2)

.PHONY: run test bench build clean

run: build
	./$(BUILD)/driftbeam

build:
	scripts/install-deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release
	cmake --build $(BUILD) -j $(JOBS)

test:
	scripts/install-deps --test
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release -DDRIFTBEAM_TESTS=ON
	cmake --build $(BUILD) -j $(JOBS)
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

clean:
	rm -rf $(BUILD)
