#!/usr/bin/env bash
# The newer video formats (profiles 133-137) through batch mode, one conversion at a time:
#  - speed: a 1920x1080 conversion at "Normal", media seconds per second of wall time (the
#    program's start and the probe included);
#  - picture: at 1280x720, the largest size the H.264 profiles offer, each profile's "Normal"
#    against "MP4 - H.264 Video Normal" (122): SSIM against the source (ffmpeg's ssim filter)
#    and the bit rate of the video stream, as asked and as written.
# Sources are made with lavfi, lossless: a zooming mandelbrot and testsrc2, with a stereo tone.
#
# Usage: bench/modern_formats.sh [BUILD-FOLDER] [SECONDS]   (default: build/, 4 seconds)
#   VC_MODERN_PROFILES="133 136"   only these profiles
set -euo pipefail
# shellcheck source=bench/lib.sh
source "$(dirname "$0")/lib.sh"
seconds=${2:-4}
profiles=${VC_MODERN_PROFILES:-133 134 135 136 137}
buildProgram

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export VIDEOCONVERTER_CONFIG_DIR=$work/config
mkdir -p "$work/config"

source_clip() { # name, lavfi video source, size
    ffmpeg -hide_banner -loglevel error -y \
        -f lavfi -i "$2=size=$3:rate=25,format=yuv420p" \
        -f lavfi -i "sine=frequency=440:sample_rate=48000" -ac 2 -t "$seconds" \
        -c:v libx264 -preset ultrafast -qp 0 -c:a flac "$work/$1.mkv"
}
for size in 1920x1080 1280x720; do
    source_clip "mandelbrot-$size" mandelbrot "$size"
    source_clip "testsrc2-$size" testsrc2 "$size"
done

# Converts and prints the output's path; the wall time goes to $work/elapsed and the video
# rate asked on the command line, kbit/s, to $work/asked.
convert() { # profile, size, source
    local out=$work/out-$1-$2
    rm -rf "$out"
    mkdir -p "$out"
    local start end
    start=$(date +%s.%N)
    "$program" --convert --jobs 1 --profile "$1" --size "$2" --video-quality Normal \
        --audio-quality Normal --channels stereo --verbose --output "$out" "$3" >"$work/said"
    end=$(date +%s.%N)
    echo "$end - $start" | bc >"$work/elapsed"
    grep -o ' -b [0-9]*' "$work/said" | head -n 1 | awk '{ printf "%d", $2 / 1000 }' >"$work/asked"
    find "$out" -type f | head -n 1
}

ssim() { # output, source
    ffmpeg -hide_banner -nostats -i "$1" -i "$2" -lavfi "[0:v][1:v]ssim" -f null - 2>&1 |
        grep -o 'All:[0-9.]*' | cut -d: -f2
}

# The video stream's rate in kbit/s: its packets' bytes over the length.
video_kbps() {
    ffprobe -v error -select_streams v:0 -show_entries packet=size -of csv=p=0 "$1" |
        awk -v s="$seconds" '{ b += $1 } END { printf "%d", b * 8 / s / 1000 }'
}

echo "Speed at 1920x1080, Normal, ${seconds} s of footage, one conversion at a time"
printf '%-34s %-12s %10s %8s\n' profile source seconds speed
for n in $profiles; do
    for footage in mandelbrot testsrc2; do
        convert "$n" 1920x1080 "$work/$footage-1920x1080.mkv" >/dev/null
        elapsed=$(cat "$work/elapsed")
        printf '%-34s %-12s %10.2f %7.2fx\n' "$n $("$program" --list-profiles |
            awk -F'\t' -v n="$n" '$1 == n { print $3 }' | cut -c1-30)" "$footage" "$elapsed" \
            "$(echo "$seconds / $elapsed" | bc -l)"
    done
done

echo
echo "Picture at 1280x720, Normal, against profile 122 (MP4 - H.264 Video Normal)"
printf '%-5s %-12s %8s %8s %8s %11s %11s\n' profile source SSIM asked written "asked/H264" \
    "written/H264"
for footage in mandelbrot testsrc2; do
    src=$work/$footage-1280x720.mkv
    ref=$(convert 122 1280x720 "$src")
    ref_ssim=$(ssim "$ref" "$src")
    ref_asked=$(cat "$work/asked")
    ref_written=$(video_kbps "$ref")
    printf '%-5s %-12s %8s %8s %8s\n' 122 "$footage" "$ref_ssim" "$ref_asked" "$ref_written"
    for n in $profiles; do
        out=$(convert "$n" 1280x720 "$src")
        asked=$(cat "$work/asked")
        written=$(video_kbps "$out")
        printf '%-5s %-12s %8s %8s %8s %11.2f %11.2f\n' "$n" "$footage" "$(ssim "$out" "$src")" \
            "$asked" "$written" "$(echo "$asked / $ref_asked" | bc -l)" \
            "$(echo "$written / $ref_written" | bc -l)"
    done
done
