#!/usr/bin/env bash
# The recording benchmarks under Wine, for tools/bench (which builds the Windows tree and prepares
# the prefix, VANTIX_WINE_TEMPLATE, and the artifact folder, VANTIX_ARTIFACTS, first):
#  - the platform's JPEG encoders side by side on the busy picture (jpeg_encoders_bench.exe);
#  - the real program recording the busy picture for 20 s at four sizes (RecorderBench in the
#    end-to-end driver), each file's frames counted by ffprobe against the recorder's own count.
# Prints rows of the benchmark table: figure, value, baseline, ratio, note. With RUNS > 1 the
# recorder runs that many times and a row of medians follows the rows of each size. Fails when a
# file's frame count disagrees with the recorder's or a benchmark cannot run.
#   bench/recording/run.sh [RUNS]
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
runs=${1:-1}
build=$root/build/windows
status=0

if ! command -v ffprobe >/dev/null; then
    echo "recorder bench: ffprobe is not installed (tools/install-deps installs ffmpeg)" >&2
    exit 1
fi

"$root/tools/wine-exec" "$build/bench/recording/jpeg_encoders_bench.exe" || status=1

folder=$VANTIX_ARTIFACTS/recorder-bench
rows=$(mktemp)
trap 'rm -f "$rows"' EXIT
for run in $(seq "$runs"); do
    rm -rf "$folder"
    "$root/tools/wine-exec" "$build/tests/e2e/e2e_driver.exe" --exe="$build/vantix.exe" \
        --gtest_filter='Sizes/RecorderBench.*' >"$folder.log" 2>&1 || {
        status=1
        grep -E "Failure|FAILED|error" "$folder.log" | head -n 20 >&2
    }
    [ -s "$folder/manifest.txt" ] || continue
    while read -r name fields; do
        [ -n "$name" ] || continue
        declare -A f=()
        for field in $fields; do
            f[${field%%=*}]=${field#*=}
        done
        counted=$(ffprobe -v error -count_frames -select_streams v:0 -show_entries stream=nb_read_frames \
            -of default=nw=1:nk=1 "$folder/$name" 2>/dev/null)
        agrees=agrees
        if [ "${counted:-x}" != "${f[written]}" ]; then
            agrees="DISAGREES"
            status=1
        fi
        echo "$run ${f[width]}x${f[height]}x${f[fps]} ${f[written]} ${f[delivered]} ${f[offered]} ${f[dropped]}" \
            "${f[refused]} ${f[discarded]} ${f[painted]} ${f[seconds]} ${f[writer]} ${counted:-none} $agrees" >>"$rows"
        unset f
    done <"$folder/manifest.txt"
done

# One row per size and run: frames in the file (the recorder's count) against frames the camera
# delivered meanwhile; then, over several runs, the median run of each size.
awk -v runs="$runs" '
    function row(size, written, delivered, offered, dropped, refused, discarded, painted, seconds, writer,
                 counted, agrees, label,    s, goal, kept) {
        split(size, s, "x")
        # Every frame up to 1280x720; at least 98 % of them above.
        goal = s[1] * s[2] > 1280 * 720 ? 0.98 : 1.0
        kept = delivered > 0 ? written / delivered : 0
        printf "BENCH-ROW|%s|%s|%s|%.3f|>= %.2f|%s|%s\n",
            sprintf("recorder %s busy %s, %.0f s%s", writer, size, seconds, label),
            sprintf("%d frames written", written), sprintf("%d delivered", delivered), kept, goal,
            (kept >= goal ? "yes" : "no"),
            sprintf("offered %d, dropped %d, refused %d, discarded %d; camera %.1f of %d fps; %d painted; ffprobe %s frames: %s",
                offered, dropped, refused, discarded, delivered / seconds, s[3], painted, counted, agrees)
    }
    {
        row($2, $3, $4, $5, $6, $7, $8, $9, $10, $11, $12, $13, "")
        n[$2]++
        line[$2, n[$2]] = $0
        share[$2, n[$2]] = $4 > 0 ? $3 / $4 : 0
        if (!($2 in seen)) { seen[$2] = 1; order[++sizes] = $2 }
    }
    END {
        if (runs < 2) exit
        for (i = 1; i <= sizes; i++) {
            size = order[i]
            # The run with the median share kept.
            for (a = 1; a <= n[size]; a++) idx[a] = a
            for (a = 1; a <= n[size]; a++)
                for (b = a + 1; b <= n[size]; b++)
                    if (share[size, idx[b]] < share[size, idx[a]]) { t = idx[a]; idx[a] = idx[b]; idx[b] = t }
            split(line[size, idx[int((n[size] + 1) / 2)]], m, " ")
            row(m[2], m[3], m[4], m[5], m[6], m[7], m[8], m[9], m[10], m[11], m[12], m[13],
                sprintf(", median of %d", n[size]))
        }
    }' "$rows"
exit $status
