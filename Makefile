# Thin wrapper over CMake: each target installs what is missing, configures, builds and runs.
JOBS ?= $(shell nproc)
TRACE ?=
GEN := -G Ninja

.PHONY: run test bench fuzz deps clean

deps:
	@scripts/install-deps.sh

run: deps
	cmake -S . -B build/run $(GEN) -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build build/run -j $(JOBS) --target lumivane
	./build/run/src/app/ui/lumivane $(TRACE)

test: deps
	cmake -S . -B build/test $(GEN) -DCMAKE_BUILD_TYPE=Debug -DLUMIVANE_SANITIZE=ON
	cmake --build build/test -j $(JOBS)
	cd build/test && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

bench: deps
	cmake -S . -B build/bench $(GEN) -DCMAKE_BUILD_TYPE=Release -DLUMIVANE_BENCH=ON
	cmake --build build/bench -j $(JOBS) --target benchmarks
	for b in build/bench/bench/bench_*; do if [ -f "$$b" ] && [ -x "$$b" ]; then "$$b" || exit 1; fi; done

fuzz:
	@scripts/install-deps.sh clang libclang-rt-14-dev
	CC=clang CXX=clang++ cmake -S . -B build/fuzz $(GEN) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLUMIVANE_FUZZ=ON -DLUMIVANE_SANITIZE=ON
	cmake --build build/fuzz -j $(JOBS) --target fuzzers

clean:
	rm -rf build
