# The median of values[kind, 0 ... n[kind] - 1], for the benchmark scripts'
# summaries (n is the script's count of results per kind).
function median(values, kind,   i, j, t, v, k) {
    k = n[kind]
    for (i = 0; i < k; i++) v[i] = values[kind, i]
    for (i = 1; i < k; i++) for (j = i; j > 0 && v[j - 1] > v[j]; j--) { t = v[j]; v[j] = v[j - 1]; v[j - 1] = t }
    return k % 2 ? v[(k - 1) / 2] : (v[k / 2 - 1] + v[k / 2]) / 2
}
