#!/usr/bin/env bash
# The size shown before converting against the size written: every profile at its defaults
# (a fresh settings folder) through batch mode, on two 10 s 640x480 phone-like sources:
#  - lively: moving detail under grain, with music-like sound (tones, beats, pink noise);
#  - calm: a slow pan over a still picture under a sensor's faint grain, with speech-like sound
#    (voiced syllables and pauses).
# Prints one row a profile: the estimate batch mode states ("about X MB"), the bytes written,
# and written/estimate; a mark where that is off by more than 15 % (10 % without video).
#
# Usage: bench/estimate_check.sh [BUILD-FOLDER]   (default: build/, the default preset)
#   VC_ESTIMATE_ONLY=2,3,105    only these profile numbers
#   VC_ESTIMATE_LEVELS=1        every profile at each of the five quality levels, not its defaults
set -euo pipefail
# shellcheck source=bench/lib.sh
source "$(dirname "$0")/lib.sh"
buildProgram

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export VIDEOCONVERTER_CONFIG_DIR=$work/config
mkdir -p "$work/config" "$work/in"

phone=(-t 10 -c:v libx264 -preset veryfast -b:v 16M -maxrate 20M -bufsize 20M -pix_fmt yuv420p
    -c:a aac -b:a 192k -ac 2 -movflags +faststart)
ffmpeg -hide_banner -loglevel error -y -f lavfi -i "testsrc2=size=640x480:rate=30,noise=alls=25:allf=t+u" \
    -f lavfi -i "aevalsrc='0.25*sin(2*PI*220*pow(2,floor(mod(t*2,4))/4)*t)+0.2*sin(2*PI*330*t)+0.15*sin(2*PI*110*t)*exp(-8*mod(t,0.5))|0.25*sin(2*PI*277*pow(2,floor(mod(t*2,4))/4)*t)+0.2*sin(2*PI*440*t)*exp(-4*mod(t,0.25))':s=48000" \
    -f lavfi -i "anoisesrc=color=pink:amplitude=0.08:sample_rate=48000" \
    -filter_complex "[1][2]amix=inputs=2:normalize=0[a]" -map 0:v -map "[a]" "${phone[@]}" \
    "$work/in/lively.mp4"
ffmpeg -hide_banner -loglevel error -y -f lavfi -i "mandelbrot=size=1600x1200:rate=1" \
    -frames:v 1 "$work/still.png"
voice="130+25*sin(2*PI*2.7*t)"
ffmpeg -hide_banner -loglevel error -y -loop 1 -framerate 30 -i "$work/still.png" \
    -f lavfi -i "aevalsrc='(0.3*sin(2*PI*($voice)*t)+0.15*sin(4*PI*($voice)*t)+0.08*sin(6*PI*($voice)*t))*pow(max(0,sin(2*PI*3.5*t)),2)*gt(sin(2*PI*0.35*t),-0.4)':s=48000" \
    -vf "crop=640:480:x='t*30':y='t*15',noise=alls=6:allf=t,format=yuv420p" "${phone[@]}" \
    "$work/in/calm.mp4"

# One conversion of both sources; prints "estimate-MB written-bytes" for lively, then calm.
convert() { # profile, extra options...
    local out=$work/out
    rm -rf "$out"
    mkdir -p "$out"
    "$program" --convert --jobs 2 --profile "$@" --output "$out" \
        "$work/in/lively.mp4" "$work/in/calm.mp4" >"$work/said" 2>&1 || true
    for name in lively calm; do
        local said file
        said=$(grep -o "^Added $name: .*about [0-9.]*MB" "$work/said" | grep -o '[0-9.]*MB$' |
            tr -d MB)
        file=$(find "$out" -type f -name "$name.*" | head -n 1)
        printf '%s %s ' "${said:-?}" "$([[ -n $file ]] && stat -c %s "$file" || echo 0)"
    done
    echo
}

outside=0
count=0
row() { # label, audio-only (0/1), estimate and written of lively and calm
    local label=$1 limit=15
    [[ $2 == 1 ]] && limit=10
    shift 2
    local line
    line=$(printf '%-44.44s' "$label")
    while (($# >= 2)); do
        local est=$1 bytes=$2 mark=" "
        shift 2
        local ratio
        ratio=$(awk -v e="$est" -v b="$bytes" 'BEGIN { if (e + 0 > 0) printf "%.2f", b / 1048576 / e; else print "-" }')
        if [[ $ratio == - ]] || awk -v r="$ratio" -v l="$limit" 'BEGIN { exit !(r < 1 - l / 100 || r > 1 + l / 100) }'; then
            mark="*"
            outside=$((outside + 1))
        fi
        count=$((count + 1))
        line+=$(printf ' %8s %8.2f %5s%s' "$est" "$(awk -v b="$bytes" 'BEGIN { print b / 1048576 }')" "$ratio" "$mark")
    done
    echo "$line"
}

only=${VC_ESTIMATE_ONLY:-}
printf '%-44s %8s %8s %6s %8s %8s %6s\n' "profile" "lively" "written" "ratio" "calm" "written" "ratio"
while IFS=$'\t' read -r number category name extension sizes; do
    [[ -n $only && ",$only," != *",$number,"* ]] && continue
    audio=0
    [[ -z $sizes || $sizes == - || $sizes == "No Video" ]] && audio=1
    if [[ -n ${VC_ESTIMATE_LEVELS:-} ]]; then
        for level in 0 1 2 3 4; do
            if ((audio)); then
                # shellcheck disable=SC2046
                row "$number $name L$level" 1 $(convert "$number" --audio-quality "$level")
            else
                # shellcheck disable=SC2046
                row "$number $name L$level" 0 $(convert "$number" --video-quality "$level" --audio-quality "$level")
            fi
        done
    else
        # shellcheck disable=SC2046
        row "$number $name" "$audio" $(convert "$number")
    fi
done < <("$program" --list-profiles)
echo "estimate check: $outside of $count outputs off by more than 15 % (10 % without video)"
