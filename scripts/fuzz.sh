#!/usr/bin/env bash
# Builds the libFuzzer targets (tests/fuzz/) with clang into build-fuzz/ and runs each one for
# SECONDS (default 30) on a fresh copy of its seed corpus, as many at once as there are cores.
# Fails when a target crashes, breaks one of its checks, or a sanitizer reports an error, a
# leak or an input running longer than the timeout. Nothing is written into the repository:
# the grown corpora, the inputs that failed and the logs stay in build-fuzz/fuzz-run/.
# Usage: bash scripts/fuzz.sh [SECONDS]
set -euo pipefail
cd "$(dirname "$0")/.."

seconds="${1:-30}"
if ! [[ "$seconds" =~ ^[1-9][0-9]{0,5}$ ]]; then
  echo "usage: bash scripts/fuzz.sh [SECONDS]: SECONDS is a whole number of seconds per" \
       "target (default 30), not '$seconds'" >&2
  exit 2
fi
build="build-fuzz"
compiler="clang++-14"
input_timeout_s=10  # one input running this long is a hang (the slowest takes ~10 ms)
targets=(fuzz_srecord_codec fuzz_application_image fuzz_loader_images fuzz_settings_store fuzz_intel_hex)

# --- Packages: Qt and CMake as for the normal build, clang 14 and its runtime (libFuzzer and
# the sanitizers are in libclang-rt-14-dev, which clang-14 only recommends).
bash scripts/install-deps.sh cmake ninja-build qt6-base-dev qt6-serialport-dev clang-14 \
  libclang-rt-14-dev

scratch="$(mktemp -d "${TMPDIR:-/tmp}/zandor-fuzz.XXXXXX")"
inputs="$scratch"
# The settings target writes a file per input: on a RAM disk when there is one.
if [ -d /dev/shm ] && [ -w /dev/shm ]; then
  inputs="$(mktemp -d /dev/shm/zandor-fuzz.XXXXXX)"
fi
trap 'rm -rf "$scratch" "$inputs"' EXIT

# --- Can this clang link a fuzzer at all? Cheaper to learn now than after the build.
echo 'extern "C" int LLVMFuzzerTestOneInput(const char*, unsigned long) { return 0; }' \
  >"$scratch/probe.cpp"
if ! "$compiler" -fsanitize=fuzzer,address,undefined "$scratch/probe.cpp" \
     -o "$scratch/probe" 2>"$scratch/probe.log"; then
  cat "$scratch/probe.log" >&2
  echo "fuzz.sh: $compiler cannot link -fsanitize=fuzzer; install libclang-rt-14-dev" >&2
  exit 1
fi

# --- Build only the fuzz targets and the libraries they link.
build_started=$SECONDS
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
      -DCMAKE_CXX_COMPILER="$compiler" -DZANDOR_FUZZ=ON >/dev/null
cmake --build "$build" --parallel "$(nproc)" --target zandor_fuzz
echo "fuzz.sh: built in $((SECONDS - build_started)) s"

# --- Run. Each target gets its seeds, copied afresh, and the image targets the samples too
# (the codec checks every line of its input: multi-KiB samples would slow it down tenfold).
work="$build/fuzz-run"
rm -rf "$work"
seed_samples() {
  case "$1" in
    fuzz_application_image) ls samples/Appl*.sre samples/Appl.bin ;;
    fuzz_loader_images) ls samples/Loader*.sre ;;
  esac
}
export TMPDIR="$inputs"
# UBSan stops at its first report (the code is built with -fno-sanitize-recover=all too).
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
# Qt is built without frame pointers, so the stacks recorded at each allocation through it
# are mostly unique and their store grows for the whole run, slowing the settings target
# down by half within a minute. Two frames keep it small; the error's own stack stays
# whole, and replaying a kept input (the command printed below) shows every frame.
export ASAN_OPTIONS="detect_leaks=1:malloc_context_size=2"

run_target() {
  local target="$1" dir="$work/$1"
  mkdir -p "$dir/corpus" "$dir/failed"
  cp tests/fuzz/corpus/"$target"/* "$dir/corpus/"
  seed_samples "$target" | xargs -r cp -t "$dir/corpus/"
  "$build/tests/fuzz/$target" "$dir/corpus" -max_total_time="$seconds" \
    -timeout="$input_timeout_s" -detect_leaks=1 -print_final_stats=1 \
    -artifact_prefix="$dir/failed/" >"$dir/log" 2>&1
}

jobs="$(nproc)"
declare -A pid_of status_of
run_started=$SECONDS
for ((i = 0; i < ${#targets[@]}; i += jobs)); do
  for target in "${targets[@]:i:jobs}"; do
    run_target "$target" &
    pid_of[$target]=$!
  done
  for target in "${targets[@]:i:jobs}"; do
    if wait "${pid_of[$target]}"; then status_of[$target]=0; else status_of[$target]=$?; fi
  done
done

# --- Report. Any sanitizer report fails the run, even one that did not end the process.
report_pattern="^SUMMARY|^==[0-9]+== ?ERROR|runtime error:|fuzz invariant broken"
failed=0
echo "fuzz.sh: $seconds s per target, $jobs at once, ran $((SECONDS - run_started)) s"
for target in "${targets[@]}"; do
  log="$work/$target/log"
  runs="$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)"
  status="${status_of[$target]}"
  if [ "$status" -eq 0 ] && ! grep -qE "$report_pattern" "$log"; then
    printf '  %-24s %10s executions  ok\n' "$target" "${runs:-?}"
    continue
  fi
  failed=1
  printf '  %-24s %10s executions  FAILED (exit %s)\n' "$target" "${runs:-?}" "$status"
  grep -E "$report_pattern" "$log" | head -n 5 | sed 's/^/      /'
  for input in "$work/$target"/failed/*; do
    [ -e "$input" ] || continue
    echo "      input kept: $input"
    echo "      replay:     $build/tests/fuzz/$target $input"
  done
  echo "      full log:   $log"
done
exit "$failed"
