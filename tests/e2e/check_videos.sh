#!/usr/bin/env bash
# Has ffprobe read every video that the output end-to-end test recorded (listed, with what each must
# hold, in output-videos/manifest.txt of the artifact folder): codec and size, every frame
# decodable, the frame count within 10 % of time x rate, the duration within 0.5 s of the record
# dialog's clock or at least a given length, and no gap between frames (a pause left out).
set -uo pipefail
folder=${VANTIX_ARTIFACTS:-$PWD}/output-videos
manifest=$folder/manifest.txt
if ! command -v ffprobe >/dev/null; then
    echo "check_videos: ffprobe is not installed (Debian package ffmpeg)" >&2
    exit 1
fi
if [ ! -s "$manifest" ]; then
    echo "check_videos: no recorded videos listed in $manifest" >&2
    exit 1
fi

failed=0
while read -r name fields; do
    [ -n "$name" ] || continue
    declare -A want=()
    for field in $fields; do
        want[${field%%=*}]=${field#*=}
    done
    file=$folder/$name
    stream=$(ffprobe -v error -count_frames -select_streams v:0 \
        -show_entries stream=codec_name,width,height,nb_read_frames -of default=nw=1 "$file" 2>&1)
    if [ $? -ne 0 ]; then
        echo "FAIL $name: ffprobe cannot read it: $stream"
        failed=1
        continue
    fi
    packets=$(ffprobe -v error -select_streams v:0 -show_entries packet=pts_time,duration_time \
        -of csv=p=0 "$file" 2>/dev/null)
    verdict=$(STREAM=$stream awk -v codec="${want[codec]}" -v width="${want[width]}" \
        -v height="${want[height]}" -v rate="${want[rate]}" -v clock="${want[clock]}" \
        -v minDuration="${want[min_duration]}" -v maxGap="${want[max_gap]}" -F, '
        NF >= 1 && $1 != "" { pts[n++] = $1 + 0; end = $1 + ($2 == "" ? 0 : $2); if (end > last) last = end }
        END {
            split(ENVIRON["STREAM"], lines, "\n")
            for (i in lines) { split(lines[i], kv, "="); got[kv[1]] = kv[2] }
            problems = ""
            if (got["codec_name"] != codec) problems = problems " codec " got["codec_name"] " not " codec
            if (got["width"] != width || got["height"] != height)
                problems = problems " size " got["width"] "x" got["height"] " not " width "x" height
            if (n == 0) problems = problems " no frames"
            if (got["nb_read_frames"] + 0 != n) problems = problems " " got["nb_read_frames"] " of " n " frames decode"
            first = n > 0 ? pts[0] : 0
            gap = 0
            for (i = 1; i < n; i++) {
                if (pts[i] < first) first = pts[i]
                d = pts[i] - pts[i - 1]
                if (d > gap) gap = d
            }
            duration = last - first
            if (clock + 0 >= 0) {
                if (duration - clock > 0.5 || clock - duration > 0.5)
                    problems = problems sprintf(" duration %.2f s, clock %.1f s", duration, clock)
                expected = clock * rate
                if (n - expected > 0.1 * expected || expected - n > 0.1 * expected)
                    problems = problems sprintf(" %d frames, %.0f expected", n, expected)
            }
            if (minDuration + 0 > 0) {
                if (duration < minDuration) problems = problems sprintf(" only %.2f s", duration)
                if (n < 0.9 * minDuration * rate) problems = problems sprintf(" only %d frames", n)
            }
            if (gap > maxGap) problems = problems sprintf(" a gap of %.2f s", gap)
            printf "%s %d frames, %.2f s, largest step %.3f s", (problems == "" ? "ok" : "bad"), n, duration, gap
            if (problems != "") printf ":%s", problems
        }' <<<"$packets")
    case $verdict in
        ok*) echo "PASS $name (${want[codec]} ${want[width]}x${want[height]}): ${verdict#ok }" ;;
        *) echo "FAIL $name: ${verdict#bad }"; failed=1 ;;
    esac
    unset want
done <"$manifest"
exit $failed
