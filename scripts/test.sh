#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the dependencies, builds everything and runs every test. This is the command CI runs.
#   scripts/test.sh                  format (include order too), spelling, folder-loop and protocol-branch checks,
#                                    sanitizer build of the library and tools, fuzz corpus, then the whole
#                                    program's build, the target-graph check and the tests
#   VEXA_QUICK=1 scripts/test.sh     only the whole program's build and its tests
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc 2>/dev/null || echo 2)

bash scripts/install-deps.sh

werror=OFF
[ "${CI:-}" = "true" ] && werror=ON

if [ "${VEXA_QUICK:-0}" != "1" ]; then
    echo "== Format check"
    mapfile -t files < <(git ls-files '*.cpp' '*.h' '*.c')
    [ ${#files[@]} -eq 0 ] || clang-format --dry-run -Werror "${files[@]}"

    echo "== Spelling check"
    codespell

    echo "== Folders of src/ include no folder that includes them back"
    python3 scripts/folder-cycles.py

    echo "== Lines outside the fleet layer that branch on a device's protocol stay few"
    python3 scripts/protocol-branches.py --max 10

    echo "== Library and tools under AddressSanitizer and UndefinedBehaviorSanitizer"
    cmake -S . -B build-asan -G Ninja -DVEXA_GUI=OFF -DVEXA_SANITIZE=ON -DVEXA_BENCH=OFF \
        -DVEXA_WERROR=$werror -DCMAKE_BUILD_TYPE=Debug >/dev/null
    cmake --build build-asan -j "$jobs"
    ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
        bash scripts/netns.sh ctest --test-dir build-asan -j "$jobs" --output-on-failure --timeout 600

    echo "== CMake's default generator: the library's layout test configures and builds as a newcomer types it"
    cmake -S . -B build-default -DVEXA_GUI=OFF -DVEXA_BENCH=OFF -DVEXA_WERROR=$werror >/dev/null
    cmake --build build-default -j "$jobs" --target tst_vexa_layout
    build-default/tests/tst_vexa_layout --gtest_brief=1

    if [ -f tests/fuzz/CMakeLists.txt ]; then
        echo "== Codec fuzz target under libFuzzer, a short run from the seed corpus"
        cmake -S . -B build-fuzz -G Ninja -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DVEXA_GUI=OFF \
            -DVEXA_FUZZ=ON -DVEXA_BENCH=OFF >/dev/null
        cmake --build build-fuzz -j "$jobs" --target vexa_codec_fuzz
        work=$(mktemp -d)
        build-fuzz/tests/vexa_codec_fuzz -max_total_time=30 -timeout=5 "$work" tests/fuzz/corpus 2>&1 | tail -n 2
        rm -rf "$work"
    fi
fi

echo "== Build"
cmake -S . -B build -G Ninja -DVEXA_WERROR=$werror >/dev/null
cmake --build build -j "$jobs"

if [ "${VEXA_QUICK:-0}" != "1" ]; then
    echo "== Target graph: no cycle, no upward edge, and docs/architecture.md drawn from it"
    python3 scripts/target-graph.py --check build
fi

echo "== Tests"
bash scripts/netns.sh ctest --test-dir build -j "$jobs" --output-on-failure --timeout 300
