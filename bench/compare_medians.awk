# Medians of two kinds of launch, each result line "KIND FIRST_FRAME_MS
# STEADY_FRAME_MS", and their ratios. Set with -v: a and b (the kinds),
# aname and bname (column heads), what (the steady frame's view), framegoal
# and startgoal. Run with median.awk.
NF == 3 && ($1 == a || $1 == b) { k = n[$1] + 0; first[$1, k] = $2; frame[$1, k] = $3; n[$1] = k + 1 }
END {
    if (!n[a] || !n[b]) { print "no results" > "/dev/stderr"; exit 1 }
    af = median(frame, a); bf = median(frame, b)
    as = median(first, a); bs = median(first, b)
    printf "medians of %d + %d launches    %10s %10s  ratio  goal\n", n[a], n[b], aname, bname
    printf "  steady frame (%s) %7.2f ms %7.2f ms  %5.2f  <= %s\n", what, af, bf, bf / af, framegoal
    printf "  launch to first frame %*s %7.1f ms %7.1f ms  %5.2f  <= %s\n", length(what) - 6, "", as, bs, bs / as, startgoal
}
