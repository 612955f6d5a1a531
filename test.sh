#!/bin/sh
# Installs what is missing, builds Zorbel and runs every test.
#   ./test.sh             normal build in build/
#   ./test.sh --sanitize  AddressSanitizer, UndefinedBehaviorSanitizer and
#                         LeakSanitizer build in build-sanitize/
# Under CI (CI=true) compiler warnings are errors.
set -eu
cd "$(dirname "$0")"
./scripts/install-deps.sh

dir=build
opts="-DZORBEL_WERROR=${CI:-false}"
if [ "${1:-}" = "--sanitize" ]; then
    dir=build-sanitize
    opts="$opts -DZORBEL_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug"
    export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1"
    export LSAN_OPTIONS="suppressions=$(pwd)/tests/lsan.supp:print_suppressions=0"
    export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
fi
# shellcheck disable=SC2086
./scripts/build.sh "$dir" $opts
cd "$dir"
ctest --output-on-failure --parallel "$(nproc)" --timeout 300
