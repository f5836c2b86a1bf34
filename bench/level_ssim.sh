#!/usr/bin/env bash
# The newer formats against H.264 at each quality level, as a user gets them through batch mode:
# on two 10 s phone-like sources (lively: moving detail under grain; calm: a slow pan over a still
# picture under faint grain), each profile at each level and frame size. Prints SSIM against the
# source scaled to the output's size, the bytes written and their ratio to H.264's file at the
# same size and level (profile 122), and marks a row that misses H.264's SSIM, is larger, or on
# calm footage is not at least 15 % smaller.
#
# Usage: bench/level_ssim.sh [BUILD-FOLDER]   (default: build/, the default preset)
#   VC_LEVEL_SIZES="640x480 1280x720"   frame sizes (made as sources, converted at that size)
#   VC_LEVEL_PROFILES="133 134 136 137" profiles set against 122
#   VC_LEVEL_LEVELS="0 1 2 3 4"         quality levels
set -euo pipefail
# shellcheck source=bench/lib.sh
source "$(dirname "$0")/lib.sh"
buildProgram
sizes=${VC_LEVEL_SIZES:-640x480 1280x720}
profiles=${VC_LEVEL_PROFILES:-133 134 136 137}
levels=${VC_LEVEL_LEVELS:-0 1 2 3 4}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export VIDEOCONVERTER_CONFIG_DIR=$work/config
mkdir -p "$work/config"

phone=(-t 10 -c:v libx264 -preset veryfast -b:v 16M -maxrate 20M -bufsize 20M -pix_fmt yuv420p
    -c:a aac -b:a 192k -ac 2 -movflags +faststart)
sources() { # width, height: lively.mp4 and calm.mp4 in $work/W
    local w=$1 h=$2 dir=$work/$1
    mkdir -p "$dir"
    ffmpeg -hide_banner -loglevel error -y \
        -f lavfi -i "testsrc2=size=${w}x$h:rate=30,noise=alls=25:allf=t+u" \
        -f lavfi -i "aevalsrc='0.25*sin(2*PI*220*t)+0.2*sin(2*PI*330*t)*exp(-8*mod(t,0.5))':s=48000" \
        -f lavfi -i "anoisesrc=color=pink:amplitude=0.08:sample_rate=48000" \
        -filter_complex "[1][2]amix=inputs=2:normalize=0[a]" -map 0:v -map "[a]" "${phone[@]}" \
        "$dir/lively.mp4"
    ffmpeg -hide_banner -loglevel error -y -f lavfi -i "mandelbrot=size=$((w * 5 / 2))x$((h * 5 / 2)):rate=1" \
        -frames:v 1 "$dir/still.png"
    local voice="130+25*sin(2*PI*2.7*t)"
    ffmpeg -hide_banner -loglevel error -y -loop 1 -framerate 30 -i "$dir/still.png" \
        -f lavfi -i "aevalsrc='(0.3*sin(2*PI*($voice)*t)+0.15*sin(4*PI*($voice)*t))*pow(max(0,sin(2*PI*3.5*t)),2)':s=48000" \
        -vf "crop=$w:$h:x='t*$((w * 3 / 64))':y='t*$((h / 32))',noise=alls=6:allf=t,format=yuv420p" \
        "${phone[@]}" "$dir/calm.mp4"
}

ssim() { # output, source, size
    ffmpeg -hide_banner -nostats -i "$1" -i "$2" -lavfi "[1:v]scale=${3/x/:}[r];[0:v][r]ssim" \
        -f null - 2>&1 | grep -o 'All:[0-9.]*' | cut -d: -f2
}

# Converts both sources and prints "ssim bytes" for lively, then calm.
convert() { # profile, size, level
    local out=$work/out size=$2 dir=$work/${2%x*}
    rm -rf "$out"
    mkdir -p "$out"
    # The newer formats offer 16:9 sizes; a 4:3 source keeps its own through "original".
    "$program" --list-profiles | awk -F'\t' -v n="$1" '$1 == n { print $5 }' | grep -q "$2" ||
        size=original
    "$program" --convert --jobs 2 --profile "$1" --size "$size" --video-quality "$3" \
        --audio-quality Normal --channels stereo --output "$out" "$dir/lively.mp4" \
        "$dir/calm.mp4" >/dev/null 2>&1 || true
    for name in lively calm; do
        local file
        file=$(find "$out" -type f -name "$name.*" | head -n 1)
        if [[ -z $file ]]; then
            printf '0 0 '
        else
            printf '%s %s ' "$(ssim "$file" "$dir/$name.mp4" "$2")" "$(stat -c %s "$file")"
        fi
    done
    echo
}

printf '%-9s %-5s %-7s %8s %8s %5s  %8s %8s %5s\n' size level profile "lively" MB "/H264" \
    "calm" MB "/H264"
missed=0
for size in $sizes; do
    sources "${size%x*}" "${size#*x}"
    for level in $levels; do
        read -r ref_ls ref_lb ref_cs ref_cb < <(convert 122 "$size" "$level")
        printf '%-9s %-5s %-7s %8s %8.2f %5s  %8s %8.2f %5s\n' "$size" "$level" 122 "$ref_ls" \
            "$(echo "$ref_lb / 1048576" | bc -l)" "" "$ref_cs" "$(echo "$ref_cb / 1048576" | bc -l)" ""
        for n in $profiles; do
            read -r ls lb cs cb < <(convert "$n" "$size" "$level")
            lr=$(echo "$lb / $ref_lb" | bc -l)
            cr=$(echo "$cb / $ref_cb" | bc -l)
            mark=$(awk -v ls="$ls" -v rls="$ref_ls" -v lr="$lr" -v cs="$cs" -v rcs="$ref_cs" -v cr="$cr" \
                'BEGIN { print (ls < rls || lr > 1 || cs < rcs || cr > 0.85) ? "*" : "" }')
            [[ -n $mark ]] && missed=$((missed + 1))
            printf '%-9s %-5s %-7s %8s %8.2f %5.2f  %8s %8.2f %5.2f %s\n' "$size" "$level" "$n" \
                "$ls" "$(echo "$lb / 1048576" | bc -l)" "$lr" "$cs" \
                "$(echo "$cb / 1048576" | bc -l)" "$cr" "$mark"
        done
    done
done
echo "Rows that miss H.264's SSIM or size (*): $missed"
