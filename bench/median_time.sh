# Median wall time in seconds, with MEDIAN_DIGITS decimals (3 by default),
# of running a command $runs times; its standard output is dropped.
median_time() {
    local times=()
    for ((r = 0; r < runs; r++)); do
        local start end
        start=$(date +%s%N)
        "$@" > /dev/null
        end=$(date +%s%N)
        times+=($(( (end - start) / 1000 )))
    done
    printf '%s\n' "${times[@]}" | sort -n |
        awk -v digits="${MEDIAN_DIGITS:-3}" '{ t[NR] = $1 } END { m = (NR % 2) ? t[(NR + 1) / 2] : (t[NR / 2] + t[NR / 2 + 1]) / 2; printf ("%." digits "f"), m / 1e6 }'
}
