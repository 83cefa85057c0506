# SPDX-License-Identifier: GPL-3.0-or-later
# Prints the figures that bench/measure.sh recorded as one aligned plain-text table.
#   meta  ID LABEL UNIT GOALKIND GOALVALUE REF   (REF: ref when the bare QPlainTextEdit is
#                                                 measured too, noref when that does not apply)
#   value ID ROLE VALUE        (ROLE floor, tavlo or ref; VALUE a number, "timeout:SECONDS" or
#                               "cut", never reached as an earlier phase was stopped at its cap)
# The ratio is Tavlo's median over the floor's median, and the QPlainTextEdit's likewise. Goals:
# ratio (ratio <= value), max (Tavlo's largest value <= value), zero (every Tavlo value is 0),
# none. The verdict is Tavlo's.
BEGIN { FS = "\t" }

$1 == "meta" {
    if (!($2 in label))
        order[++count] = $2
    label[$2] = $3; unit[$2] = $4; kind[$2] = $5; goal[$2] = $6; hasref[$2] = ($7 == "ref")
    next
}
$1 == "value" {
    key = $2 SUBSEP $3
    values[key] = (key in values) ? values[key] " " $4 : $4
}

# Fills s["n"], s["min"], s["med"], s["max"], s["cap"] (the cap of a run cut off, or ""),
# s["cut"] (1 when a run never got there).
function stats(list, s,    parts, total, numbers, n, i, j, v) {
    s["n"] = 0; s["min"] = ""; s["med"] = ""; s["max"] = ""; s["cap"] = ""; s["cut"] = 0
    if (list == "")
        return
    total = split(list, parts, " ")
    s["n"] = total
    n = 0
    for (i = 1; i <= total; i++) {
        if (parts[i] ~ /^timeout:/) {
            s["cap"] = substr(parts[i], 9)
            continue
        }
        if (parts[i] == "cut") {
            s["cut"] = 1
            continue
        }
        v = parts[i] + 0
        for (j = n; j >= 1 && numbers[j] > v; j--)
            numbers[j + 1] = numbers[j]
        numbers[j + 1] = v
        n++
    }
    if (n == 0)
        return
    s["min"] = numbers[1]
    s["max"] = numbers[n]
    s["med"] = (n % 2) ? numbers[(n + 1) / 2] : (numbers[n / 2] + numbers[n / 2 + 1]) / 2
}

function show(v, u) {
    if (v == "")
        return "-"
    if (u == "ratio")
        return sprintf(v < 10 ? "%.3f" : "%.1f", v)
    return sprintf("%.1f", v)
}

function goaltext(id, g) {
    g = goal[id]
    if (kind[id] == "ratio") return sprintf("<= %gx floor", g)
    if (kind[id] == "max") return sprintf("max <= %g %s", g, unit[id])
    if (kind[id] == "zero") return "0 (no CPU)"
    return "-"
}

function line(a, b, c, d, e, f, g, h, i, j, k, l, m) {
    printf "%-53s %-4s %3s %9s %9s %9s %9s %7s  %9s %9s %7s  %-14s %s\n", a, b, c, d, e, f, g, h, i,
        j, k, l, m
}

# The median of s over the floor's median f, shown; "" when there is none.
function ratioof(s, f) {
    if (f["med"] != "" && s["med"] != "" && f["med"] > 0)
        return s["med"] / f["med"]
    if (f["med"] != "" && f["med"] == 0 && s["med"] != "" && s["med"] == 0)
        return 1
    return ""
}

# The median and largest value; "> N s" for a figure stopped at its cap, "cut" for one never
# reached.
function shownmed(s) {
    if (s["med"] != "") return show(s["med"])
    if (s["cap"] != "") return "> " s["cap"] " s"
    return s["cut"] ? "cut" : "-"
}
function shownmax(s) {
    if (s["cap"] != "") return "> " s["cap"] " s"
    return s["cut"] ? "cut" : show(s["max"])
}

END {
    line("figure", "unit", "n", "floor med", "tavlo min", "tavlo med", "tavlo max", "ratio",
         "QPTE med", "QPTE max", "ratio", "goal", "verdict")
    line("------", "----", "-", "---------", "---------", "---------", "---------", "-----",
         "--------", "--------", "-----", "----", "-------")
    for (r = 1; r <= count; r++) {
        id = order[r]
        stats(values[id SUBSEP "floor"], f)
        stats(values[id SUBSEP "tavlo"], t)
        stats(values[id SUBSEP "ref"], q)
        ratio = ratioof(t, f)

        verdict = "-"
        if (t["n"] == 0)
            verdict = "not measured"
        else if (kind[id] == "ratio") {
            if ((t["cap"] != "" || t["cut"]) && f["cap"] == "") verdict = "not met"
            else if (ratio == "") verdict = "n/a"
            else verdict = (ratio <= goal[id]) ? "met" : "not met"
        } else if (kind[id] == "max")
            verdict = (t["cap"] == "" && !t["cut"] && t["max"] <= goal[id]) ? "met" : "not met"
        else if (kind[id] == "zero")
            verdict = (t["cap"] == "" && !t["cut"] && t["max"] == 0) ? "met" : "not met"

        qmed = "n/a"; qmax = "n/a"; qratio = "n/a"
        if (hasref[id]) {
            qmed = shownmed(q); qmax = shownmax(q); qratio = show(ratioof(q, f), "ratio")
        }
        line(label[id], unit[id], t["n"], shownmed(f), show(t["min"]), shownmed(t), shownmax(t),
             show(ratio, "ratio"), qmed, qmax, qratio, goaltext(id), verdict)
    }
}
