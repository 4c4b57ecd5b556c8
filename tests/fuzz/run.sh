#!/usr/bin/env bash
# Builds the libFuzzer targets in their own clang tree and runs them side by side, each for a
# bounded time. Fails on a crash, a leak, a sanitizer report, a slow input or a violated
# property, and prints the input that did it with the command that replays it.
#
#   PELLORIN_FUZZ_SECONDS  seconds per target (default: 30 s for the whole run, see below)
#   PELLORIN_FUZZ_JOBS     targets run at once (default: the number of cores)
#   PELLORIN_FUZZ_BUILD    the build tree (default build-fuzz)
#
# Replaying one input:  build-fuzz/fuzz/fuzz_<name> <file>
# A failing input found this way goes into tests/fuzz/corpus/<name>/ as a regression case.
set -euo pipefail
cd "$(dirname "$0")/../.."

build=${PELLORIN_FUZZ_BUILD:-build-fuzz}
# Inputs up to 1 MiB for every target, so that inputs as large as the readers' own limits (a
# document type with thousands of definitions, components nested 20,000 deep) are within
# reach; libFuzzer would otherwise cap the length at the largest seed's.
max_len=1048576

# One line per target: its name (fuzz_<name>.cpp, corpus/<name>/) and its dictionary, or -.
targets=(
    "page          xml.dict"
    "clipboard     xml.dict"
    "html          html.dict"
    "htmltree      html.dict"
    "inifile       -"
    "sqlparams     -"
    "notes         -"
    "style         -"
    "requestlist   -"
    "compilerline  -"
    "exprparser    exprparser.dict"
    "pluginoutput  pluginoutput.dict"
    "catalogue     catalogue.dict"
    "macro         macro.dict"
    "pascalunits   -"
    "plugin        plugin.dict"
    "proberjob     proberjob.dict"
    "proberstatement sql.dict"
    "sqlmask       -"
    "settings      settings.dict"
)
jobs=${PELLORIN_FUZZ_JOBS:-$(nproc 2>/dev/null || echo 2)}
# One target per core, in rounds; by default the rounds share 30 s, as long as the run took when
# every target ran at once, but each target gets at least 10 s, so that it reads all its seeds.
rounds=$(((${#targets[@]} + jobs - 1) / jobs))
seconds=${PELLORIN_FUZZ_SECONDS:-$((30 / rounds > 10 ? 30 / rounds : 10))}

echo "== fuzz build ($build)"
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ -DPELLORIN_FUZZ=ON \
    -Wno-dev >/dev/null
if ! cmake --build "$build" -j"$(nproc 2>/dev/null || echo 2)" --target fuzz_all >"$build/fuzz-build.log" 2>&1; then
    cat "$build/fuzz-build.log"
    exit 1
fi

export ASAN_OPTIONS="detect_leaks=1:strict_string_checks=1"
export LSAN_OPTIONS="suppressions=$PWD/scripts/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"

# Each target's corpus grows from run to run in the build tree; reports and inputs of an
# earlier run go.
runs="$build/fuzz-run"
mkdir -p "$runs"
find "$runs" -mindepth 2 -maxdepth 2 -type f -delete
echo "== fuzzing ${#targets[@]} targets, $seconds s each, $jobs at a time"
start=$SECONDS
for line in "${targets[@]}"; do
    read -r name dict <<<"$line"
    work="$runs/$name"
    mkdir -p "$work/corpus"
    # Inputs that run long (the large seeds and what is made of them) are picked less often, so
    # that they do not take most of the time.
    args=(-max_total_time="$seconds" -max_len="$max_len" -entropic_scale_per_exec_time=1 -timeout=25
        -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$work/")
    [ "$dict" = "-" ] || args+=(-dict="tests/fuzz/$dict")
    # New inputs go to the run's own corpus; the seeds in the repository stay as they are.
    ( set +e
      "$build/fuzz/fuzz_$name" "${args[@]}" "$work/corpus" "tests/fuzz/corpus/$name" >"$work/log" 2>&1
      echo $? >"$work/rc" ) &
    while [ "$(jobs -rp | wc -l)" -ge "$jobs" ]; do
        wait -n || true
    done
done
wait

failed=0
printf '%-16s %-7s %12s %8s %6s %7s\n' target result executions seconds cov ft
for line in "${targets[@]}"; do
    read -r name dict <<<"$line"
    work="$runs/$name"
    rc=$(cat "$work/rc")
    executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$work/log" | tail -n1)
    time=$(sed -n 's/^Done [0-9]* runs in \([0-9]*\) second.*/\1/p' "$work/log" | tail -n1)
    # The coverage libFuzzer reports last: code edges (cov) and features (ft).
    cov=$(sed -n 's/^#[0-9]*.* cov: \([0-9]*\) .*/\1/p' "$work/log" | tail -n1)
    ft=$(sed -n 's/^#[0-9]*.* ft: \([0-9]*\) .*/\1/p' "$work/log" | tail -n1)
    artifacts=$(find "$work" -maxdepth 1 -type f \( -name 'crash-*' -o -name 'leak-*' -o -name 'timeout-*' \
        -o -name 'oom-*' -o -name 'slow-unit-*' \) | sort)
    if [ "$rc" = 0 ] && [ -z "$artifacts" ]; then
        printf '%-16s %-7s %12s %8s %6s %7s\n' "$name" ok "${executions:-?}" "${time:-?}" "${cov:-?}" "${ft:-?}"
        continue
    fi
    failed=1
    printf '%-16s %-7s %12s %8s %6s %7s\n' "$name" FAILED "${executions:-?}" "${time:-?}" "${cov:-?}" "${ft:-?}"
    echo "---- fuzz_$name: the report"
    # From the first report of a property, sanitizer or libFuzzer to the end of the log.
    sed -n '/^== property violated\|^==[0-9]*==ERROR\|runtime error:\|^==[0-9]*== ERROR: libFuzzer/,$p' "$work/log" | head -n 80
    mkdir -p "$build/fuzz-failures"
    for file in $artifacts; do
        kept="$build/fuzz-failures/$name-$(basename "$file")"
        cp "$file" "$kept"
        echo "---- the input: $kept ($(wc -c <"$file") bytes)"
        od -A d -c "$file" | head -n 40
        echo "base64: $(base64 -w0 "$file" | head -c 4096)"
        echo "replay: $build/fuzz/fuzz_$name $kept"
    done
done
echo "== fuzzing took $((SECONDS - start)) s"
if [ "$failed" != 0 ]; then
    echo "== fuzzing FAILED"
    exit 1
fi
