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

# The medians of two commands run in turn, $runs times each, as "a b": taking
# turns spreads a change of the machine's load over both alike.
median_times_in_turn() {
    local count=$(( $# / 2 ))
    local first=("${@:1:count}") second=("${@:count+1}")
    local times_a=() times_b=()
    for ((r = 0; r < runs; r++)); do
        local start end
        start=$(date +%s%N); "${first[@]}" > /dev/null; end=$(date +%s%N)
        times_a+=($(( (end - start) / 1000 )))
        start=$(date +%s%N); "${second[@]}" > /dev/null; end=$(date +%s%N)
        times_b+=($(( (end - start) / 1000 )))
    done
    printf '%s %s\n' "$(median_of "${times_a[@]}")" "$(median_of "${times_b[@]}")"
}

# The median of microsecond counts, in seconds.
median_of() {
    printf '%s\n' "$@" | sort -n |
        awk -v digits="${MEDIAN_DIGITS:-3}" '{ t[NR] = $1 } END { m = (NR % 2) ? t[(NR + 1) / 2] : (t[NR / 2] + t[NR / 2 + 1]) / 2; printf ("%." digits "f"), m / 1e6 }'
}
