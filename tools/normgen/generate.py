#!/usr/bin/env python3
"""Writes TAVLO-II's provisional norm data from one model.

These norms let the program be tried out; they are not clinical norms.

Scaled scores. Every scaled measure has a valid raw range 0..n for each age
group (n from the entry maxima, summed for derived totals). Its raw score at
age a (the middle of the age group, 3:0-3:5 -> 3.25 years) is beta-binomial:
a mean proportion p(a) with precision phi, so the success probability is
Beta(p*phi, (1-p)*phi). logit p(a) runs in a straight line from the
measure's first normed age group to its last (a logistic curve in age,
rising for scores, falling for times and error counts). For raw x the share
of children doing worse, counting ties half (the mid-p), becomes
z = Phi^-1(share) and the scaled score round(10 + 3z), kept in 1..19. The 19
bounds are read off that mapping: in the normal direction Sk is the highest
raw earning k or less (S19 = n), in the reverse direction the lowest raw
earning k or less (S19 = 0). Bounds are raw scores, so where no raw earns k
they stop at 0 (normal) or n (reverse).

Percentage bands. The same mid-p shares, cut at 2/10/25/75 % (set A) or
2/5/10/25/50/75 % (set B), give a band measure's thresholds. The battery
fixes each measure's youngest and oldest columns (BF_S in full); they are
used exactly. The model is fitted to them by least squares on the
thresholds (p at each of the two, one phi), which gives the measure's
logistic curve p(a). A beta-binomial cannot take the fixed columns' exact
shapes, so the columns between are not its raw output: each threshold, as a
share of the raw range, moves from its youngest to its oldest fixed value at
the pace of that curve, w(a) = (p(a) - p_young) / (p_old - p_young). So the
fixed columns join without a step, thresholds stay ordered, and they move
one way with age.

Combined and contrast tables. Rows 1, 10 and 19 of each table are fixed (two
tables are fixed in full). Within a column the other rows lie on the straight
line between the fixed rows, rounded half up: a normal regression of one
score on the other is linear in the row score, and the fixed rows pin its
slope and level.

python3 tools/normgen/generate.py           rewrites data/ in place
python3 tools/normgen/generate.py --check   regenerates into a temporary
    folder, verifies every invariant and fixed value, and compares with data/
python3 tools/normgen/generate.py --check --parts M --part N
    the same check in M + 1 parts that together do all of it: part 0
    regenerates every file but the band thresholds and verifies every
    invariant and fixed value of data/; parts 1..M each regenerate the band
    thresholds of every M-th classifier and compare them with data/
"""

import argparse
import bisect
import csv
import functools
import math
import sys
import tempfile
from pathlib import Path
from statistics import NormalDist

ROOT = Path(__file__).resolve().parents[2]

NORMGRUPP = "Standardgrupp"
DESCRIPTION_SUFFIX = ", provisoriske normer, ikke for klinisk bruk"

AGE_GROUPS = [
    "Ålder 3:0-3:5", "Ålder 3:6-3:11", "Ålder 4:0-4:5", "Ålder 4:6-4:11",
    "Ålder 5:0-5:5", "Ålder 5:6-5:11", "Ålder 6:0-6:5", "Ålder 6:6-6:11",
    "Ålder 7:0-7:5", "Ålder 7:6-7:11", "Ålder 8:0-8:5", "Ålder 8:6-8:11",
    "Ålder 9:0-9:5", "Ålder 9:6-9:11", "Ålder 10:0-10:5", "Ålder 10:6-10:11",
    "Ålder 11:0-11:5", "Ålder 11:6-11:11", "Ålder 12:0-12:5", "Ålder 12:6-12:11",
    "Ålder 13:0-13:11", "Ålder 14:0-14:11", "Ålder 15:0-15:11", "Ålder 16:0-16:11",
]


def group_years(g):
    return 3 + (g - 1) // 2 if g <= 20 else g - 8


def group_mid_age(g):
    return 3.25 + 0.5 * (g - 1) if g <= 20 else g - 8 + 0.5


def groups_of_years(first, last):
    return [g for g in range(1, 25) if first <= group_years(g) <= last]


# --- Entry maxima, in the raw score dialog's order; 0 = no check -----------

MAXIMA_COLUMNS = ["LE4", "Y5", "Y6", "Y7_8", "Y9_10", "Y11_12", "GE13"]
RAW_MAXIMA = [
    ("AI", [16, 25, 25, 35, 35, 35, 35]),
    ("KR_A", [22, 22, 22, 22, 22, 22, 22]),
    ("KR_B", [11, 11, 11, 11, 11, 11, 11]),
    ("BF_S", [0, 35, 35, 35, 35, 35, 0]),
    ("BF_A", [0, 35, 35, 35, 35, 35, 0]),
    ("BP", [0, 0, 0, 0, 0, 0, 0]),
    ("BK", [28, 28, 28, 28, 28, 28, 28]),
    ("DS_N", [0, 0, 0, 20, 20, 20, 20]),
    ("DS_REP", [0, 0, 0, 20, 20, 20, 20]),
    ("DS_R", [12, 12, 12, 12, 12, 12, 12]),
    ("FK_O", [18, 18, 18, 21, 21, 21, 21]),
    ("FK_M", [36, 36, 36, 42, 42, 42, 42]),
    ("FK_G", [36, 36, 36, 42, 42, 42, 42]),
    ("FK_L", [30, 30, 30, 36, 36, 36, 36]),
    ("FR_AD", [0, 60, 60, 60, 60, 60, 60]),
    ("FR_AID", [0, 60, 60, 60, 60, 60, 60]),
    ("FR_BD", [0, 90, 90, 90, 90, 90, 90]),
    ("FR_BID", [0, 90, 90, 90, 90, 90, 90]),
    ("FBA", [22, 0, 0, 0, 0, 0, 0]),
    ("FBAB", [0, 45, 45, 45, 45, 45, 45]),
    ("FI", [33, 33, 33, 33, 33, 33, 33]),
    ("GP", [24, 24, 24, 40, 40, 40, 40]),
    ("MA_A", [0, 16, 16, 16, 16, 16, 16]),
    ("MA_B", [0, 16, 16, 16, 16, 16, 16]),
    ("MB_F", [0, 20, 20, 20, 20, 17, 29]),
    ("MB_FS", [26, 40, 40, 40, 40, 34, 0]),
    ("MB_I", [13, 16, 16, 16, 16, 0, 0]),
    ("MN_A", [0, 18, 24, 24, 24, 24, 24]),
    ("MN_B", [0, 6, 8, 8, 8, 8, 8]),
    ("MO_A5", [0, 0, 0, 15, 15, 15, 0]),
    ("MO_A", [0, 0, 0, 0, 0, 0, 0]),
    ("MO_B", [0, 0, 0, 0, 0, 0, 0]),
    ("PB_T", [600, 600, 600, 600, 300, 300, 300]),
    ("PB_R", [24, 84, 84, 135, 75, 75, 75]),
    ("IH_D", [12, 12, 12, 12, 12, 12, 0]),
    ("IH_ID", [12, 12, 12, 12, 12, 12, 0]),
    ("INB_O", [0, 80, 80, 80, 80, 80, 80]),
    ("INB_S", [0, 80, 80, 80, 80, 80, 80]),
    ("INB_T", [0, 360, 360, 360, 360, 360, 360]),
    ("INI_O", [0, 80, 80, 80, 80, 80, 80]),
    ("INI_S", [0, 80, 80, 80, 80, 80, 80]),
    ("INI_T", [0, 480, 480, 480, 480, 480, 480]),
    ("INV_O", [0, 0, 0, 80, 80, 80, 80]),
    ("INV_S", [0, 0, 0, 80, 80, 80, 80]),
    ("INV_T", [0, 0, 0, 480, 480, 480, 480]),
    ("KA", [0, 10, 10, 10, 10, 10, 0]),
    ("KL", [0, 0, 0, 78, 78, 78, 78]),
    ("MM", [60, 60, 60, 60, 60, 60, 0]),
    ("MT_V", [22, 22, 22, 22, 22, 22, 22]),
    ("MT_K", [26, 26, 26, 26, 26, 26, 26]),
    ("OS", [70, 70, 70, 70, 70, 70, 70]),
    ("OF_A", [0, 99, 99, 99, 99, 99, 99]),
    ("OF_B", [0, 99, 99, 99, 99, 99, 99]),
    ("OI_REP", [0, 0, 0, 20, 20, 20, 20]),
    ("OI_RENDER", [0, 0, 0, 40, 40, 40, 40]),
    ("PI", [0, 38, 38, 38, 38, 38, 38]),
    ("RM", [34, 34, 34, 0, 0, 0, 0]),
    ("ST", [30, 30, 30, 0, 0, 0, 0]),
    ("VP_T", [540, 360, 360, 360, 360, 360, 0]),
    ("VP_F", [316, 382, 382, 0, 0, 0, 0]),
]
MAXIMA = dict(RAW_MAXIMA)

# Where the entry table has no check, the task's own size (the label's Maks;
# OF_A has none, so the 3-digit ceiling it has from 5 years).
TASK_MAXIMA = {"BP": 20, "MO_A": 75, "MO_B": 15, "OF_A": 99, "MB_FS": 58, "VP_F": 382}


def maxima_column(years):
    if years <= 4:
        return 0
    if years >= 13:
        return 6
    return {5: 1, 6: 2, 7: 3, 8: 3, 9: 4, 10: 4, 11: 5, 12: 5}[years]


def measure_max(code, years):
    """Highest score the task allows at an age."""
    if code == "MT_K":
        return 6  # the entry check admits 26; the task has 6 items
    m = MAXIMA[code][maxima_column(years)]
    return m if m else TASK_MAXIMA[code]


def mf_targets(years):
    """Targets scored in part A and part B (block 7); 0 where not scored."""
    if years <= 4:
        return 4 + 4 + 6 + 6, 0
    if years <= 6:
        return 4 + 6 + 6 + 8, 8
    return 6 + 6 + 8 + 10, 10


def raw_range(key, years):
    """(n, definition) of a raw score at an age; scores are 0..n."""
    if key == "BF_SUM":
        return measure_max("BF_S", years) + measure_max("BF_A", years), key
    if key == "FK_SUM":
        return sum(measure_max(c, years) for c in ("FK_M", "FK_G", "FK_L")), key
    if key == "IH_SUM":
        return measure_max("IH_D", years) + measure_max("IH_ID", years), key
    if key == "MT_SUM":
        return measure_max("MT_V", years) + measure_max("MT_K", years), key
    if key == "MN_SUM":
        return measure_max("MN_A", years) + measure_max("MN_B", years), key
    if key == "MO_SUM":
        return measure_max("MO_A", years) + measure_max("MO_B", years), key
    if key == "FB_RAW":
        code = "FBA" if years <= 4 else "FBAB"
        return measure_max(code, years), code
    if key == "IN_ERR":
        parts = ["INB_O", "INB_S", "INI_O", "INI_S"]
        if years >= 7:
            parts += ["INV_O", "INV_S"]
        return sum(measure_max(c, years) for c in parts), "+".join(parts)
    if key in ("INB_ERR", "INI_ERR", "INV_ERR"):
        stem = key[:3]
        return measure_max(stem + "_O", years) + measure_max(stem + "_S", years), key
    if key == "DS_ERR":
        # DS_N + DS_REP + DS_R may not pass 20 at entry.
        return 20, key
    if key.startswith("MF_"):
        part_a, part_b = mf_targets(years)
        targets = part_a if key[3] == "A" else part_b
        # Per target: content 2, placement 1, bonus 2.
        n = {"I": 2, "P": 1, "T": 5}[key[5]] * targets
        return n, "%s@%d/%d" % (key, part_a, part_b)
    return measure_max(key, years), key


# --- Scaled measures ------------------------------------------------------

BANDS = ["3-4", "5-6", "7-12", "13-16"]
BAND_YEARS = {"3-4": (3, 4), "5-6": (5, 6), "7-12": (7, 12), "13-16": (13, 16)}

SCALE_LISTS = {
    "3-4": [
        ("ST", "ST", "normal"), ("IH", "IH_SUM", "normal"),
        ("VP_T", "VP_T", "reverse"), ("AI", "AI", "normal"),
        ("MT", "MT_SUM", "normal"), ("KR_A", "KR_A", "normal"),
        ("KR_B", "KR_B", "normal"), ("FI", "FI", "normal"),
        ("FB", "FB_RAW", "normal"), ("PB_T", "PB_T", "reverse"),
        ("OF_A", "OF_A", "normal"), ("MF_A_I", "MF_A_I", "normal"),
        ("MF_A_P", "MF_A_P", "normal"), ("MF_A_T", "MF_A_T", "normal"),
        ("MB_FS", "MB_FS", "normal"), ("RM", "RM", "normal"),
        ("BK", "BK", "normal"), ("FK_M", "FK_M", "normal"),
        ("FK_G", "FK_G", "normal"), ("FK_L", "FK_L", "normal"),
        ("FK_PT", "FK_SUM", "normal"),
    ],
    "5-6": [
        ("BF", "BF_SUM", "normal"), ("INB", "INB_T", "reverse"),
        ("INI", "INI_T", "reverse"), ("IN Fel", "IN_ERR", "reverse"),
        ("ST", "ST", "normal"), ("IH", "IH_SUM", "normal"),
        ("VP", "VP_T", "reverse"), ("AI", "AI", "normal"),
        ("MT", "MT_SUM", "normal"), ("FI", "FI", "normal"),
        ("FB", "FB_RAW", "normal"), ("PB", "PB_T", "reverse"),
        ("OF Katagori A", "OF_A", "normal"), ("MFI Del A", "MF_A_I", "normal"),
        ("MFP Del A", "MF_A_P", "normal"), ("MFT Del A", "MF_A_T", "normal"),
        ("MFI Del B", "MF_B_I", "normal"), ("MFP Del B", "MF_B_P", "normal"),
        ("MFT Del B", "MF_B_T", "normal"), ("MA Del A", "MA_A", "normal"),
        ("MA Del B", "MA_B", "normal"), ("MN Del A", "MN_A", "normal"),
        ("MN Del B", "MN_B", "normal"), ("MN Del A & MN Del B", "MN_SUM", "normal"),
        ("MBF", "MB_F", "normal"), ("MBFS", "MB_FS", "normal"),
        ("RM", "RM", "normal"), ("PI", "PI", "normal"),
        ("BK", "BK", "normal"), ("FKM", "FK_M", "normal"),
        ("FKH", "FK_G", "normal"), ("FKD", "FK_L", "normal"),
        ("FKPT", "FK_SUM", "normal"),
    ],
    "7-12": [
        ("DS", "DS_R", "normal"), ("KL", "KL", "normal"),
        ("BF", "BF_SUM", "normal"), ("INB", "INB_T", "reverse"),
        ("INI", "INI_T", "reverse"), ("INV", "INV_T", "reverse"),
        ("IN Fel", "IN_ERR", "reverse"), ("IH", "IH_SUM", "normal"),
        ("VP", "VP_T", "reverse"), ("AI", "AI", "normal"),
        ("FI", "FI", "normal"), ("FB", "FB_RAW", "normal"),
        ("PB", "PB_T", "reverse"), ("OF Katagori A", "OF_A", "normal"),
        ("OF Katagori B", "OF_B", "normal"), ("MO", "MO_SUM", "normal"),
        ("MFI Del A", "MF_A_I", "normal"), ("MFP Del A", "MF_A_P", "normal"),
        ("MFT Del A", "MF_A_T", "normal"), ("MFI Del B", "MF_B_I", "normal"),
        ("MFP Del B", "MF_B_P", "normal"), ("MFT Del B", "MF_B_T", "normal"),
        ("MA Del A", "MA_A", "normal"), ("MA Del B", "MA_B", "normal"),
        ("MN Del A", "MN_A", "normal"), ("MN Del B", "MN_B", "normal"),
        ("MN Del A & MN Del B", "MN_SUM", "normal"), ("MBF", "MB_F", "normal"),
        ("MBFS", "MB_FS", "normal"), ("OIR", "OI_REP", "normal"),
        ("OIÅ", "OI_RENDER", "normal"), ("PI", "PI", "normal"),
        ("BK", "BK", "normal"), ("FKM", "FK_M", "normal"),
        ("FKH", "FK_G", "normal"), ("FKD", "FK_L", "normal"),
        ("FKPT", "FK_SUM", "normal"), ("GP", "GP", "normal"),
        ("BP", "BP", "normal"),
    ],
    "13-16": [
        ("DS", "DS_R", "normal"), ("KL", "KL", "normal"),
        ("INB", "INB_T", "reverse"), ("INI", "INI_T", "reverse"),
        ("INV", "INV_T", "reverse"), ("IN Fel", "IN_ERR", "reverse"),
        ("AI", "AI", "normal"), ("FI", "FI", "normal"),
        ("FB", "FB_RAW", "normal"), ("PB ", "PB_T", "reverse"),
        ("OF Katagori A", "OF_A", "normal"), ("OF Katagori B", "OF_B", "normal"),
        ("MFI Del A", "MF_A_I", "normal"), ("MFP Del A", "MF_A_P", "normal"),
        ("MFT Del A", "MF_A_T", "normal"), ("MFI Del B", "MF_B_I", "normal"),
        ("MFP Del B", "MF_B_P", "normal"), ("MFT Del B", "MF_B_T", "normal"),
        ("MA Del A", "MA_A", "normal"), ("MA Del B", "MA_B", "normal"),
        ("MN Del A", "MN_A", "normal"), ("MN Del B", "MN_B", "normal"),
        ("MN Del A & MN Del B", "MN_SUM", "normal"), ("MBF", "MB_F", "normal"),
        ("MBFS", "MB_FS", "normal"), ("OIR", "OI_REP", "normal"),
        ("OIÅ", "OI_RENDER", "normal"), ("PI", "PI", "normal"),
        ("BK", "BK", "normal"), ("FKM", "FK_M", "normal"),
        ("FKH", "FK_G", "normal"), ("FKD", "FK_L", "normal"),
        ("FKPT", "FK_SUM", "normal"), ("GP", "GP", "normal"),
        ("BP", "BP", "normal"),
    ],
}

# Raw key -> (mean proportion at its first normed age group, at its last, phi).
# Times and error counts fall with age. phi is chosen so the spread is that of
# a typical subtest and a zero score stays rare at the youngest ages.
SCALED_MODEL = {
    "ST": (0.40, 0.78, 8),
    "IH_SUM": (0.30, 0.86, 14),
    "VP_T": (0.48, 0.20, 15),
    "AI": (0.45, 0.78, 12),
    "MT_SUM": (0.42, 0.62, 12),
    "KR_A": (0.45, 0.68, 10),
    "KR_B": (0.42, 0.60, 14),
    "FI": (0.38, 0.84, 12),
    "FB_RAW": (0.35, 0.84, 12),
    "PB_T": (0.45, 0.18, 15),
    "OF_A": (0.08, 0.32, 60),
    "OF_B": (0.09, 0.24, 60),
    "MF_A_I": (0.35, 0.76, 12),
    "MF_A_P": (0.45, 0.84, 12),
    "MF_A_T": (0.36, 0.77, 12),
    "MF_B_I": (0.40, 0.75, 14),
    "MF_B_P": (0.50, 0.84, 14),
    "MF_B_T": (0.38, 0.75, 10),
    "MB_FS": (0.32, 0.60, 12),
    "MB_F": (0.32, 0.56, 14),
    "RM": (0.36, 0.64, 12),
    "BK": (0.28, 0.74, 14),
    "FK_M": (0.38, 0.86, 12),
    "FK_G": (0.38, 0.86, 12),
    "FK_L": (0.34, 0.84, 12),
    "FK_SUM": (0.37, 0.85, 12),
    "BF_SUM": (0.17, 0.43, 20),
    "INB_T": (0.35, 0.13, 20),
    "INI_T": (0.40, 0.15, 20),
    "INV_T": (0.42, 0.18, 20),
    "IN_ERR": (0.05, 0.015, 100),
    "MA_A": (0.60, 0.82, 12),
    "MA_B": (0.58, 0.80, 12),
    "MN_A": (0.45, 0.84, 10),
    "MN_B": (0.50, 0.86, 16),
    "MN_SUM": (0.45, 0.84, 10),
    "PI": (0.38, 0.84, 12),
    "DS_R": (0.42, 0.68, 16),
    "KL": (0.42, 0.86, 12),
    "MO_SUM": (0.50, 0.66, 15),
    "OI_REP": (0.55, 0.80, 12),
    "OI_RENDER": (0.36, 0.64, 12),
    "GP": (0.46, 0.80, 12),
    "BP": (0.36, 0.76, 10),
}


def logit(p):
    return math.log(p / (1 - p))


def expit(v):
    return 1 / (1 + math.exp(-v))


def scaled_span(key):
    """Mid ages of the first and last age groups that norm this raw key."""
    ages = []
    for band in BANDS:
        if any(row[1] == key for row in SCALE_LISTS[band]):
            first, last = BAND_YEARS[band]
            gs = groups_of_years(first, last)
            ages += [group_mid_age(gs[0]), group_mid_age(gs[-1])]
    return min(ages), max(ages)


def logistic_p(age, age0, p0, age1, p1):
    t = (age - age0) / (age1 - age0)
    return expit(logit(p0) + t * (logit(p1) - logit(p0)))


def scaled_p(key, age):
    p0, p1, _ = SCALED_MODEL[key]
    a0, a1 = scaled_span(key)
    return logistic_p(age, a0, p0, a1, p1)


def beta_binomial(n, p, phi):
    a, b = p * phi, (1 - p) * phi
    logs = [math.lgamma(n + b) + math.lgamma(a + b) - math.lgamma(b) - math.lgamma(n + a + b)]
    for x in range(n):
        logs.append(logs[-1] + math.log((n - x) * (x + a)) - math.log((x + 1) * (n - x - 1 + b)))
    top = max(logs)
    w = [math.exp(v - top) for v in logs]
    total = sum(w)
    return [v / total for v in w]


def worse_share(pmf, direction):
    """Mid-p share of children doing worse than each raw score."""
    shares, below = [], 0.0
    for q in pmf:
        shares.append(below + q / 2)
        below += q
    if direction == "reverse":
        shares = [1 - s for s in shares]
    return shares


NORMAL = NormalDist()


def scaled_of_share(share):
    if share <= 0:
        return 1
    if share >= 1:
        return 19
    return min(19, max(1, math.floor(10 + 3 * NORMAL.inv_cdf(share) + 0.5)))


def scale_bounds(pmf, direction):
    n = len(pmf) - 1
    scaled = [scaled_of_share(s) for s in worse_share(pmf, direction)]
    bounds = []
    for k in range(1, 20):
        earning = [x for x in range(n + 1) if scaled[x] <= k]
        if direction == "normal":
            bounds.append(max(earning) if earning else 0)
        else:
            bounds.append(min(earning) if earning else n)
    return bounds


def scale_raw(raw, bounds, direction):
    """The program's lookup of a raw score in a norm row."""
    if direction == "normal":
        for k in range(18):
            if raw <= bounds[k]:
                return k + 1
        return 19
    for k in range(19):
        if raw >= bounds[k]:
            return k + 1
    return 0


def median(pmf):
    total = 0.0
    for x, q in enumerate(pmf):
        total += q
        if total >= 0.5:
            return x
    return len(pmf) - 1


def scaled_model(key, g):
    n, _ = raw_range(key, group_years(g))
    _, _, phi = SCALED_MODEL[key]
    return beta_binomial(n, scaled_p(key, group_mid_age(g)), phi)


def band_of_group(g):
    return next(b for b in BANDS if BAND_YEARS[b][0] <= group_years(g) <= BAND_YEARS[b][1])


def norm_rows():
    rows = []
    for g in range(1, 25):
        for literal, key, direction in SCALE_LISTS[band_of_group(g)]:
            bounds = scale_bounds(scaled_model(key, g), direction)
            rows.append([NORMGRUPP, literal, AGE_GROUPS[g - 1]] + bounds)
    return rows


# --- Percentage bands -----------------------------------------------------

CLASSIFIERS = [
    ("BF_A", "A", "K1", 5, 12), ("BF_S", "A", "K1", 5, 12),
    ("DS_ERR", "B", "K4", 7, 16), ("DS_N", "B", "K4", 7, 16),
    ("DS_REP", "B", "K4", 7, 16), ("FK_O", "B", "K3", 3, 16),
    ("FR_AD", "B", "K4", 5, 16), ("FR_AID", "B", "K4", 5, 16),
    ("FR_BD", "B", "K4", 5, 16), ("FR_BID", "B", "K4", 5, 16),
    ("GP", "B", "K3", 3, 6), ("IH_D", "A", "K1", 3, 12),
    ("IH_ID", "A", "K1", 3, 12), ("INB_ERR", "B", "K4", 5, 16),
    ("INI_ERR", "B", "K4", 5, 16), ("INV_ERR", "B", "K4", 7, 16),
    ("KA", "A", "K1", 5, 12), ("MB_I", "B", "K3", 3, 10),
    ("MM", "A", "K2", 3, 12), ("MT_V", "B", "K3", 3, 16),
    ("MT_SUM", "B", "K3", 7, 16), ("OS", "A", "K2", 3, 12),
    ("PB_R", "B", "K3", 3, 16), ("VP_F", "B", "K4", 3, 12),
]
# Both half-year groups of a year share one column.
YEAR_COLUMNS = {"BF_S", "BF_A", "IH_D", "IH_ID"}

# Raw-score ranges of bands 0, 1, ...; "–" is a band no raw score reaches.
BF_S_TABLE = {
    5: "≤0; 1-2; 3; 4-8; ≥9",
    6: "≤1; 2-3; 4; 5-9; ≥10",
    7: "≤3; 4; 5-6; 7-10; ≥11",
    8: "≤3; 4-5; 6-8; 9-12; ≥13",
    9: "≤4; 5-6; 7-8; 9-13; ≥14",
    10: "≤5; 6-8; 9; 10-16; ≥17",
    11: "≤6; 7-8; 9-10; 11-17; ≥18",
    12: "≤6; 7-8; 9-10; 11-18; ≥19",
}
FIXED_BAND_COLUMNS = {
    "BF_A": ("5 years: ≤−1; 0-1; 2-4; 5-8; ≥9", "12 years: ≤7; 8-9; 10-12; 13-18; ≥19"),
    "DS_ERR": ("7 to 9 years: ≥7; 6; 5; 4; 2-3; 1; 0", "10 to 16 years: ≥7; 6; 5; 3-4; 2; 1; 0"),
    "DS_N": ("7 to 8 years: ≥5; 4; 3; 2; 1; 0; –", "12 to 16 years: ≥4; 3; 2; 1; –; 0; –"),
    "DS_REP": ("7 to 14 years: ≥6; 4-5; 3; 2; –; 1; 0", "15 to 16 years: ≥5; 4; 3; 2; –; 1; 0"),
    "FK_O": ("3 years: ≤0; –; 1; –; –; 2; ≥3", "15 to 16 years: ≤6; 7; 8-9; 10; 11-13; 14-15; ≥16"),
    "FR_AD": ("5 years: ≥30; 21-29; 18-20; 13-17; 9-12; 8; 0-7",
              "13 to 16 years: ≥18; 15-17; 11-14; 9-10; 7-8; 6; 0-5"),
    "FR_AID": ("5 years: ≥41; 24-40; 19-23; 13-18; 10-12; 9; 0-8",
               "13 to 16 years: ≥18; 12-17; 10-11; 9; 7-8; 6; 0-5"),
    "FR_BD": ("5 years: ≥63; 46-62; 35-45; 24-34; 19-23; 16-18; 0-15",
              "15 to 16 years: ≥18; 13-17; 11-12; 9-10; 7-8; 6; 0-5"),
    "FR_BID": ("5 years: ≥64; 49-63; 46-48; 25-45; 20-24; 16-19; 0-15",
               "15 to 16 years: ≥21; 13-20; 11-12; 9-10; 7-8; 3-6; 0-2"),
    "GP": ("3 years: ≤1; 2-3; 4-5; 6-8; 9-11; 12-13; ≥14", "6 years: ≤13; 14; 15; 16; 17-18; 19; ≥20"),
    "IH_D": ("3 years: ≤−1; 0; 1; 2-5; ≥6", "12 years: ≤9; –; 10; 11; ≥12"),
    "IH_ID": ("3 years: ≤−1; 0; 1; 2-3; ≥4", "12 years: ≤8; 9; 10; 11; ≥12"),
    "INB_ERR": ("5 years: ≥12; –; 10-11; 7-9; 5-6; 3-4; 0-2", "12 to 16 years: ≥3; 2; –; 1; –; 0; –"),
    "INI_ERR": ("5 years: ≥28; 24-27; 19-23; 16-18; 11-15; 6-10; 0-5",
                "15 to 16 years: ≥7; 6; 5; 3-4; 2; 1; 0"),
    "INV_ERR": ("7 years: ≥33; 28-32; 25-27; 15-24; 10-14; 7-9; 0-6",
                "15 to 16 years: ≥12; 10-11; 9; 6-8; 4-5; 2-3; 0-1"),
    "KA": ("5 years: ≤−1; 0; –; 1-3; ≥4", "12 years: ≤2; 3-5; 6-7; 8-9; ≥10"),
    "MB_I": ("3 years: ≤2; 3; 4-5; 6; 7-8; 9; ≥10", "10 years: ≤12; 13; –; 14; 15; 16; ≥17"),
    "MM": ("3 years: ≤0; 1-3; 4-7; 8-19; 20-60", "12 years: ≤36; 37-44; 45-49; 50-57; 58-60"),
    "MT_V": ("3 years: ≤0; –; 1; 2; 3; 4-6; ≥7", "13 to 16 years: ≤16; 17; 18; 19; 20; 21; ≥22"),
    "MT_SUM": ("7 years: ≤12; 13; 14; 15-18; 19-20; 21-22; ≥23",
               "13 to 16 years: ≤21; 22; 23; 24-25; 26; 27; ≥28"),
    "OS": ("3 years: ≤7; 8-11; 12-15; 16-28; 29-70", "11 to 12 years: ≤41; 42-50; 51-55; 56-64; 65-70"),
    "PB_R": ("3 years: ≤3; 4-7; 8-11; 12-13; 14-19; 20-23; ≥24",
             "15 to 16 years: ≤72; 73; 74; –; –; 75; ≥76"),
    "VP_F": ("3 years: ≥264; 246-263; 215-245; 181-214; 133-180; 90-132; 0-89",
             "12 years: ≥36; 27-35; 18-26; 7-17; 3-6; 1-2; 0"),
}

LEVELS = {"A": (0.02, 0.10, 0.25, 0.75), "B": (0.02, 0.05, 0.10, 0.25, 0.50, 0.75)}


def parse_int(text):
    return int(text.replace("−", "-"))


def parse_span(text):
    """'3', '4-8' or '−1' -> (low, high)."""
    text = text.replace("−", "-")
    cut = text.find("-", 1)
    if cut < 0:
        return int(text), int(text)
    return int(text[:cut]), int(text[cut + 1:])


def parse_fixed_column(text):
    """'7 to 9 years: ...' -> (first year, last year, ranges text)."""
    ages, ranges = text.split(":", 1)
    words = ages.split()
    first = int(words[0])
    last = int(words[2]) if words[1] == "to" else first
    return first, last, ranges.strip()


def thresholds_of_ranges(rule, ranges):
    parts = [s.strip() for s in ranges.split(";")]
    ts = []
    for k, part in enumerate(parts):
        last = k == len(parts) - 1
        if part == "–":
            ts.append(ts[-1] + 1 if last and rule in ("K1", "K3") else ts[-1])
        elif part[0] in "≤≥":
            ts.append(parse_int(part[1:]))
        else:
            low, high = parse_span(part)
            ts.append(low if rule == "K4" or (last and rule != "K2") else high)
    return ts


def classify(rule, ts, raw):
    """The program's band lookup; None where no band results."""
    if rule == "K4":
        return next((k for k in range(7) if raw >= ts[k]), None)
    top = {"K1": 4, "K2": 5, "K3": 6}[rule]
    for k in range(top):
        if raw <= ts[k]:
            return k
    if rule != "K2" and raw >= ts[top]:
        return top
    return None


# The fits try the same points again and again: across the grid of precisions,
# and for both fixed columns where their raw ranges agree.
@functools.lru_cache(maxsize=None)
def model_thresholds(rule, band_set, n, p, phi):
    pmf = beta_binomial(n, p, phi)
    if rule == "K4":
        # Lowest raw with at most c of the children doing worse; n + 1 if none.
        falling = [-s for s in worse_share(pmf, "reverse")]
        return [bisect.bisect_left(falling, -c) for c in LEVELS[band_set]] + [0]
    # Highest raw with at most c doing worse; -1 if none.
    rising = worse_share(pmf, "normal")
    ts = [bisect.bisect_right(rising, c) - 1 for c in LEVELS[band_set]]
    return ts + [n if rule == "K2" else ts[-1] + 1]


def classifier_range(key, g):
    return raw_range(key, group_years(g))


def band_age(key, g):
    if key in YEAR_COLUMNS:
        return group_years(g) + 0.5
    return group_mid_age(g)


def fixed_band_columns(key, rule):
    """[(groups, thresholds, centre age)] of the columns the battery fixes."""
    if key == "BF_S":
        texts = ["%d years: %s" % (y, r) for y, r in BF_S_TABLE.items()]
    else:
        texts = FIXED_BAND_COLUMNS[key]
    columns = []
    for text in texts:
        first, last, ranges = parse_fixed_column(text)
        columns.append((groups_of_years(first, last), thresholds_of_ranges(rule, ranges),
                        (first + last + 1) / 2))
    return columns


PHI_GRID = [1, 1.5, 2, 3, 4, 5, 6, 8, 10, 12, 15, 20, 25, 30, 40, 50, 70, 100, 150, 200]


def fit_p(rule, band_set, n, phi, target):
    """Mean proportion whose thresholds come closest to a fixed column."""
    used = len(target) - 1  # the last threshold follows from the others

    def cost(v):
        ts = model_thresholds(rule, band_set, n, expit(v), phi)
        return sum((a - b) ** 2 for a, b in zip(ts[:used], target[:used]))

    best = min((cost(v), v) for v in [-7 + 0.25 * i for i in range(57)])
    centre = best[1]
    return min((cost(v), v) for v in [centre - 0.25 + 0.02 * i for i in range(26)])


def fit_band_model(key, band_set, rule, youngest, oldest):
    """Logistic mean proportion p(age) fitted to the two fixed columns."""
    best = None
    for phi in PHI_GRID:
        fits = [fit_p(rule, band_set, classifier_range(key, col[0][0])[0], phi, col[1])
                for col in (youngest, oldest)]
        total = fits[0][0] + fits[1][0]
        if best is None or total < best[0]:
            best = (total, expit(fits[0][1]), expit(fits[1][1]))
    _, p0, p1 = best
    return lambda age: logistic_p(age, youngest[2], p0, oldest[2], p1)


def band_rows(classifiers=CLASSIFIERS):
    rows = []
    for key, band_set, rule, first, last in classifiers:
        groups = groups_of_years(first, last)
        columns = fixed_band_columns(key, rule)
        table = {g: ts for gs, ts, _ in columns for g in gs}
        young, old = columns[0], columns[-1]
        free = [g for g in groups if g not in table]
        if free:
            p_at = fit_band_model(key, band_set, rule, young, old)
            p_young, p_old = p_at(young[2]), p_at(old[2])
            n_young = classifier_range(key, young[0][0])[0]
            n_old = classifier_range(key, old[0][0])[0]
        for g in free:
            # Each threshold, as a share of the raw range, goes from the youngest
            # to the oldest fixed column at the pace of the fitted curve, so the
            # fixed columns join without a step.
            w = min(1.0, max(0.0, (p_at(band_age(key, g)) - p_young) / (p_old - p_young)))
            n = classifier_range(key, g)[0]
            low = 0 if rule == "K4" else -1
            ts = [min(n + 1, max(low, math.floor(n * ((1 - w) * a / n_young + w * b / n_old) + 0.5)))
                  for a, b in zip(young[1], old[1])]
            if rule in ("K1", "K3"):
                ts[-1] = ts[-2] + 1
            elif rule == "K2":
                ts[-1] = n
            else:
                ts[-1] = 0
            table[g] = ts
        for g in groups:
            ts = table[g]
            if band_set == "A":
                ts = ts + [None, None]
            rows.append([key, AGE_GROUPS[g - 1]] + ts)
    return rows


# --- Combined, contrast and delay tables ----------------------------------

COMBINED_TABLES = ["DS_COMB", "INB_COMB", "INI_COMB", "INV_COMB", "PB_COMB", "VP_COMB", "MB_CONTRAST"]
CONTRAST_TABLES = ["KR_CONTRAST", "FK_CONTRAST", "IN_CONTRAST_BI", "IN_CONTRAST_IV", "MF_CONTRAST_A",
                   "MF_CONTRAST_B", "MF_CONTRAST_AB", "MA_CONTRAST", "OF_CONTRAST", "OI_CONTRAST"]

DS_COMB = [
    [0, 0, 0, 0, 0, 0, 0],
    [1, 1, 1, 2, 3, 4, 4],
    [1, 1, 2, 3, 4, 4, 5],
    [1, 1, 2, 3, 4, 5, 5],
    [1, 2, 3, 4, 5, 5, 6],
    [2, 3, 3, 4, 5, 6, 6],
    [3, 4, 4, 5, 6, 7, 7],
    [4, 5, 5, 6, 7, 7, 8],
    [5, 6, 7, 7, 8, 8, 9],
    [7, 7, 8, 8, 9, 9, 10],
    [8, 8, 9, 9, 10, 10, 10],
    [9, 9, 10, 10, 11, 11, 11],
    [10, 10, 11, 11, 12, 12, 12],
    [11, 11, 12, 12, 13, 13, 13],
    [12, 12, 13, 13, 14, 14, 14],
    [13, 14, 14, 15, 15, 15, 16],
    [15, 15, 15, 16, 16, 17, 17],
    [16, 16, 17, 17, 18, 18, 18],
    [17, 18, 18, 19, 19, 19, 19],
    [19, 19, 19, 19, 19, 19, 19],
]
# Rows 1-19, control groups g1-g8.
KR_CONTRAST = [
    [3, 2, 1, 1, 1, 1, 1, 1],
    [6, 4, 2, 1, 1, 1, 1, 1],
    [8, 6, 4, 2, 1, 1, 1, 1],
    [10, 8, 6, 3, 2, 1, 1, 1],
    [12, 9, 8, 5, 3, 1, 1, 1],
    [14, 10, 9, 6, 4, 2, 1, 1],
    [16, 12, 10, 7, 5, 3, 2, 2],
    [18, 14, 11, 8, 6, 4, 3, 3],
    [19, 16, 13, 10, 8, 5, 4, 4],
    [19, 18, 14, 11, 10, 6, 5, 5],
    [19, 19, 16, 12, 11, 8, 6, 6],
    [19, 19, 18, 14, 12, 10, 8, 8],
    [19, 19, 19, 16, 14, 12, 10, 9],
    [19, 19, 19, 18, 16, 13, 12, 10],
    [19, 19, 19, 19, 18, 15, 14, 11],
    [19, 19, 19, 19, 19, 17, 16, 13],
    [19, 19, 19, 19, 19, 19, 18, 15],
    [19, 19, 19, 19, 19, 19, 19, 17],
    [19, 19, 19, 19, 19, 19, 19, 19],
]
# Rows 1, 10 and 19 of the other tables.
FIXED_ROWS = {
    "INB_COMB": ("1 1 2 4 6 7 9", "5 6 6 7 9 10 13", "8 9 9 10 12 15 19"),
    "INI_COMB": ("1 1 2 4 6 7 9", "5 6 6 7 9 10 13", "8 9 9 10 12 14 19"),
    "INV_COMB": ("1 1 2 4 6 7 9", "5 6 6 7 9 10 13", "8 9 9 10 12 15 19"),
    "PB_COMB": ("1 2 3 4 5 6 7", "7 7 8 8 9 10 12", "17 18 18 19 19 19 19"),
    "VP_COMB": ("1 1 1 2 4 6 9", "3 4 5 6 8 11 16", "7 8 9 11 14 19 19"),
    "MB_CONTRAST": ("5 3 1 1 1 1 1", "16 15 13 11 11 10 9", "19 19 19 19 19 19 18"),
    "FK_CONTRAST": ("5 3 1 1 1 1 1 1", "16 15 14 11 10 8 7 5", "19 19 19 19 19 19 18 17"),
    "IN_CONTRAST_BI": ("3 2 1 1 1 1 1 1", "14 13 11 11 10 9 8 8", "19 19 19 19 19 19 19 18"),
    "IN_CONTRAST_IV": ("3 2 1 1 1 1 1 1", "12 11 11 11 10 9 8 5", "19 19 19 19 19 19 19 17"),
    "MF_CONTRAST_A": ("2 1 1 1 1 1 1 1", "15 13 12 11 10 9 7 7", "19 19 19 19 19 19 19 18"),
    "MF_CONTRAST_B": ("5 3 1 1 1 1 1 1", "15 13 12 11 10 8 8 8", "19 19 19 19 19 19 19 18"),
    "MF_CONTRAST_AB": ("1 1 1 1 1 1 1 1", "17 16 14 13 10 7 4 3", "19 19 19 19 19 18 16 15"),
    "MA_CONTRAST": ("2 2 1 1 1 1 1 1", "14 14 12 11 10 8 7 5", "19 19 19 19 19 19 19 18"),
    "OF_CONTRAST": ("3 3 2 1 1 1 1 1", "13 13 12 11 10 9 8 6", "19 19 19 19 19 19 18 16"),
    "OI_CONTRAST": ("3 2 1 1 1 1 1 1", "13 12 12 11 10 8 7 7", "19 19 19 19 19 19 17 17"),
}

DELAY = [
    (-15, 100, 100, 99, 100, 100, 100),
    (-14, 100, 100, 99, 100, 100, 100),
    (-13, 100, 100, 99, 100, 100, 99),
    (-12, 100, 100, 99, 100, 100, 99),
    (-11, 100, 100, 99, 100, 100, 99),
    (-10, 100, 100, 99, 100, 100, 99),
    (-9, 100, 100, 99, 100, 99, 99),
    (-8, 100, 100, 99, 100, 99, 99),
    (-7, 100, 99, 99, 100, 99, 99),
    (-6, 100, 98, 99, 100, 99, 99),
    (-5, 99, 97, 99, 100, 99, 99),
    (-4, 99, 95, 98, 100, 97, 99),
    (-3, 97, 93, 95, 100, 97, 97),
    (-2, 95, 93, 94, 100, 94, 96),
    (-1, 89, 88, 88, 97, 89, 89),
    (0, 80, 77, 80, 85, 77, 81),
    (1, 62, 60, 61, 72, 61, 63),
    (2, 46, 43, 42, 50, 43, 43),
    (3, 26, 24, 23, 26, 20, 25),
    (4, 14, 15, 13, 8, 9, 15),
    (5, 5, 8, 9, 4, 5, 6),
    (6, 3, 6, 5, 0, 2, 4),
    (7, 1, 4, 4, 0, 1, 2),
    (8, 0, 3, 2, 0, 1, 1),
    (9, 0, 2, 2, 0, 0, 1),
    (10, 0, 0, 1, 0, 0, 1),
    (11, 0, 0, 1, 0, 0, 1),
    (12, 0, 0, 1, 0, 0, 0),
    (13, 0, 0, 1, 0, 0, 0),
    (14, 0, 0, 0, 0, 0, 0),
    (15, 0, 0, 0, 0, 0, 0),
]


def fixed_rows(name):
    return [[int(v) for v in text.split()] for text in FIXED_ROWS[name]]


def round_half_up(num, den):
    return (2 * num + den) // (2 * den)


def interpolated_table(name):
    """Rows 0-19 of a table known at rows 1, 10 and 19."""
    r1, r10, r19 = fixed_rows(name)
    rows = [[0] * len(r1)]
    for r in range(1, 20):
        low, high, start = (r1, r10, 1) if r <= 10 else (r10, r19, 10)
        rows.append([lo + round_half_up((hi - lo) * (r - start), 9) for lo, hi in zip(low, high)])
    return rows


def combined_rows():
    rows = []
    for name in COMBINED_TABLES:
        table = DS_COMB if name == "DS_COMB" else interpolated_table(name)
        rows += [[name, r] + table[r] + [None, None] for r in range(20)]
    for name in CONTRAST_TABLES:
        body = [[0] * 8] + (KR_CONTRAST if name == "KR_CONTRAST" else interpolated_table(name)[1:])
        rows += [[name, r, r] + body[r] for r in range(20)]
    return rows


# --- Files ----------------------------------------------------------------

def field(v):
    if v is None:
        return ""
    if isinstance(v, int):
        return str(v)
    return '"' + v.replace('"', '""') + '"'


def write_csv(path, header, rows):
    path.parent.mkdir(parents=True, exist_ok=True)
    with open(path, "w", encoding="utf-8", newline="") as f:
        for row in [header] + rows:
            f.write(csv_line(row) + "\n")


def csv_line(row):
    return ",".join(field(v) for v in row)


FILE_NAMES = ["raw_maxima.csv", "tables/scale_lists.csv", "tables/classifiers.csv",
              "norms/NORMGRUPPER_TAVLO.csv", "norms/NORMER_TAVLO.csv", "tables/combined.csv",
              "tables/delay.csv", "tables/bands.csv"]


def files(with_bands=True):
    """Relative path under data/ -> (header, rows)."""
    built = {
        "raw_maxima.csv": (["CODE"] + MAXIMA_COLUMNS, [[c] + m for c, m in RAW_MAXIMA]),
        "tables/scale_lists.csv": (
            ["BAND", "POSITION", "DELSKALA", "RAWKEY", "DIRECTION"],
            [[band, i + 1] + list(entry) for band in BANDS for i, entry in enumerate(SCALE_LISTS[band])]),
        "tables/classifiers.csv": (
            ["POSITION", "RAWKEY", "SET", "RULE", "FIRSTAGE", "LASTAGE"],
            [[i + 1] + list(c) for i, c in enumerate(CLASSIFIERS)]),
        "norms/NORMGRUPPER_TAVLO.csv": (
            ["NORMGRUPP", "DELGRUPP", "SEKVENS", "BESKRIVNING"],
            [[NORMGRUPP, name, i + 1, name + DESCRIPTION_SUFFIX] for i, name in enumerate(AGE_GROUPS)]),
        "norms/NORMER_TAVLO.csv": (
            ["NORMGRUPP", "DELSKALA", "DELGRUPP"] + ["S%d" % k for k in range(1, 20)], norm_rows()),
        "tables/combined.csv": (["TABLE", "ROW"] + ["C%d" % k for k in range(9)], combined_rows()),
        "tables/delay.csv": (["BOUND", "Y7", "Y8", "Y9", "Y10", "Y11", "Y12"], [list(r) for r in DELAY]),
    }
    if with_bands:
        built["tables/bands.csv"] = (BANDS_HEADER, band_rows())
    return built


BANDS_HEADER = ["RAWKEY", "DELGRUPP"] + ["T%d" % k for k in range(7)]


def generate(data_dir, with_bands=True):
    built = files(with_bands)
    assert list(built) == (FILE_NAMES if with_bands else FILE_NAMES[:-1])
    for rel, (header, rows) in built.items():
        write_csv(data_dir / rel, header, rows)


# --- Check ----------------------------------------------------------------

class CheckFailed(Exception):
    pass


def expect(ok, where, reason):
    if not ok:
        raise CheckFailed("%s: %s" % (where, reason))


def read_csv(path):
    with open(path, encoding="utf-8", newline="") as f:
        rows = list(csv.reader(f))
    return rows[0], rows[1:]


def ints(cells):
    return [int(c) if c != "" else None for c in cells]


def non_decreasing(values):
    return all(a <= b for a, b in zip(values, values[1:]))


def non_increasing(values):
    return all(a >= b for a, b in zip(values, values[1:]))


def check_maxima(data_dir):
    header, rows = read_csv(data_dir / "raw_maxima.csv")
    expect(header == ["CODE"] + MAXIMA_COLUMNS, "raw_maxima", "header")
    expect(len(rows) == 60, "raw_maxima", "60 rows expected, found %d" % len(rows))
    for i, (row, (code, m)) in enumerate(zip(rows, RAW_MAXIMA)):
        expect(row == [code] + [str(v) for v in m], "raw_maxima row %d" % (i + 1), "differs from the table")


def check_lists(data_dir):
    _, rows = read_csv(data_dir / "tables/scale_lists.csv")
    expected = [[b, str(i + 1), lit, key, d] for b in BANDS for i, (lit, key, d) in enumerate(SCALE_LISTS[b])]
    expect([len(SCALE_LISTS[b]) for b in BANDS] == [21, 33, 39, 35], "scale_lists", "list lengths")
    for i, (row, exp) in enumerate(zip(rows, expected)):
        expect(row == exp, "scale_lists row %d" % (i + 1), "differs")
    expect(len(rows) == len(expected), "scale_lists", "row count")
    for b in BANDS:
        literals = [lit for lit, _, _ in SCALE_LISTS[b]]
        expect(len(set(literals)) == len(literals), "scale_lists " + b, "literal used twice")
    _, rows = read_csv(data_dir / "tables/classifiers.csv")
    expect(len(rows) == 24, "classifiers", "24 rows expected")
    for i, (row, c) in enumerate(zip(rows, CLASSIFIERS)):
        expect(row == [str(i + 1)] + [str(v) for v in c], "classifiers row %d" % (i + 1), "differs")


def check_groups(data_dir):
    _, rows = read_csv(data_dir / "norms/NORMGRUPPER_TAVLO.csv")
    expect(len(rows) == 24, "NORMGRUPPER_TAVLO", "24 rows expected")
    for i, row in enumerate(rows):
        where = "NORMGRUPPER_TAVLO row %d" % (i + 1)
        expect(row[:3] == [NORMGRUPP, AGE_GROUPS[i], str(i + 1)], where, "key or sequence")
        expect(len(row[3]) <= 63, where, "BESKRIVNING longer than 63 characters")
        expect(row[3].startswith(AGE_GROUPS[i]), where, "BESKRIVNING does not start with the age group")
        expect("provisorisk" in row[3], where, "BESKRIVNING does not say provisional")


def check_norms(data_dir):
    header, rows = read_csv(data_dir / "norms/NORMER_TAVLO.csv")
    expect(header == ["NORMGRUPP", "DELSKALA", "DELGRUPP"] + ["S%d" % k for k in range(1, 20)],
           "NORMER_TAVLO", "header")
    required = {}
    for band in BANDS:
        for g in groups_of_years(*BAND_YEARS[band]):
            for literal, key, direction in SCALE_LISTS[band]:
                required[(literal, g)] = (key, direction)
    seen = {}
    for i, row in enumerate(rows):
        where = "NORMER_TAVLO line %d (%s, %s)" % (i + 2, row[1], row[2])
        expect(row[0] == NORMGRUPP, where, "NORMGRUPP")
        expect(row[2] in AGE_GROUPS, where, "unknown DELGRUPP")
        g = AGE_GROUPS.index(row[2]) + 1
        expect((row[1], g) in required, where, "no list uses this DELSKALA in this age group")
        expect((row[1], g) not in seen, where, "duplicate key")
        bounds = ints(row[3:])
        expect(len(bounds) == 19 and None not in bounds, where, "19 bounds expected")
        key, direction = required[(row[1], g)]
        task = raw_range(key, group_years(g))
        n = task[0]
        expect(all(0 <= b <= n for b in bounds), where, "bound outside 0..%d" % n)
        monotone = non_decreasing if direction == "normal" else non_increasing
        expect(monotone(bounds), where, "bounds not monotone in the %s direction" % direction)
        if direction == "normal":
            expect(bounds[18] == n, where, "S19 is not the maximum %d" % n)
        else:
            expect(bounds[18] == 0, where, "S19 is not 0")
        m = median(scaled_model(key, g))
        s = scale_raw(m, bounds, direction)
        expect(9 <= s <= 11, where, "median raw %d scales to %d" % (m, s))
        seen[(row[1], g)] = (bounds, task, direction)
    for literal, g in required:
        expect((literal, g) in seen, "NORMER_TAVLO (%s, %s)" % (literal, AGE_GROUPS[g - 1]), "row missing")
    for (literal, g), (bounds, task, direction) in seen.items():
        nxt = seen.get((literal, g + 1))
        if nxt and nxt[1] == task:
            where = "NORMER_TAVLO %s %s -> %s" % (literal, AGE_GROUPS[g - 1], AGE_GROUPS[g])
            if direction == "normal":
                expect(all(a <= b for a, b in zip(bounds, nxt[0])), where, "a bound falls with age")
            else:
                expect(all(a >= b for a, b in zip(bounds, nxt[0])), where, "a bound rises with age")


def check_combined(data_dir):
    header, rows = read_csv(data_dir / "tables/combined.csv")
    expect(header == ["TABLE", "ROW"] + ["C%d" % k for k in range(9)], "combined", "header")
    tables = {}
    for i, row in enumerate(rows):
        tables.setdefault(row[0], []).append((i + 2, ints(row[1:])))
    expect(list(tables) == COMBINED_TABLES + CONTRAST_TABLES, "combined", "tables or their order")
    for name, lines in tables.items():
        expect([r[1][0] for r in lines] == list(range(20)), name, "rows 0-19 expected")
        contrast = name in CONTRAST_TABLES
        width = 9 if contrast else 7
        grid = []
        for line, cells in lines:
            r, values = cells[0], cells[1:]
            where = "combined %s row %d (line %d)" % (name, r, line)
            if contrast:
                expect(values[0] == r, where, "C0 is not the row number")
                body = values[1:9]
            else:
                expect(values[7:] == [None, None], where, "C7, C8 must be empty")
                body = values[:7]
            expect(None not in body, where, "empty entry")
            if r == 0:
                expect(all(v == 0 for v in body), where, "row 0 is not all zeros")
            else:
                expect(all(1 <= v <= 19 for v in body), where, "entry outside 1..19")
                if name == "MB_CONTRAST" or contrast:
                    expect(non_increasing(body), where, "rises along the columns")
                else:
                    expect(non_decreasing(body), where, "falls along the columns")
            grid.append(body)
        for c in range(width - 1 if contrast else width):
            expect(non_decreasing([grid[r][c] for r in range(1, 20)]), name,
                   "column %d falls as the row rises" % c)
        if contrast:
            expect(grid[10][4] == 10, name, "target 10 against controls 10-11 is not 10")
        if name == "DS_COMB":
            expect(grid == DS_COMB, name, "differs from the fixed table")
        elif name == "KR_CONTRAST":
            expect(grid[1:] == KR_CONTRAST, name, "differs from the fixed table")
        else:
            for r, fixed in zip((1, 10, 19), fixed_rows(name)):
                expect(grid[r] == fixed, "%s row %d" % (name, r), "differs from the fixed row")


def check_delay(data_dir):
    _, rows = read_csv(data_dir / "tables/delay.csv")
    table = [ints(r) for r in rows]
    expect(table == [list(r) for r in DELAY], "delay", "differs from the fixed table")
    expect([r[0] for r in table] == list(range(-15, 16)), "delay", "bounds -15..15 expected")
    for c in range(1, 7):
        expect(non_increasing([r[c] for r in table]), "delay column Y%d" % (c + 6),
               "rises as the bound rises")


def band_of_ranges(ranges, raw):
    """Which band of a fixed column holds a raw score, read from its text."""
    hits = []
    for k, part in enumerate(s.strip() for s in ranges.split(";")):
        if part == "–":
            continue
        if part[0] == "≤":
            inside = raw <= parse_int(part[1:])
        elif part[0] == "≥":
            inside = raw >= parse_int(part[1:])
        else:
            low, high = parse_span(part)
            inside = low <= raw <= high
        if inside:
            hits.append(k)
    return hits


def check_bands(data_dir):
    header, rows = read_csv(data_dir / "tables/bands.csv")
    expect(header == BANDS_HEADER, "bands", "header")
    by_key = {}
    for i, row in enumerate(rows):
        by_key.setdefault(row[0], []).append((i + 2, row[1], ints(row[2:])))
    expect(list(by_key) == [c[0] for c in CLASSIFIERS], "bands", "classifiers or their order")
    for key, band_set, rule, first, last in CLASSIFIERS:
        lines = by_key[key]
        groups = groups_of_years(first, last)
        expect([AGE_GROUPS.index(d) + 1 for _, d, _ in lines] == groups, "bands " + key,
               "age groups %d-%d expected" % (first, last))
        width = 5 if band_set == "A" else 7
        table = {}
        for (line, _, cells), g in zip(lines, groups):
            where = "bands %s %s (line %d)" % (key, AGE_GROUPS[g - 1], line)
            ts = cells[:width]
            expect(None not in ts and all(v is None for v in cells[width:]), where,
                   "%d thresholds expected" % width)
            n, _ = classifier_range(key, g)
            if rule == "K4":
                expect(non_increasing(ts), where, "thresholds rise from band 0 upward")
                expect(all(0 <= t <= n + 1 for t in ts), where, "threshold outside 0..%d" % (n + 1))
            else:
                expect(non_decreasing(ts), where, "thresholds fall from band 0 upward")
                expect(all(-1 <= t <= n + 1 for t in ts), where, "threshold outside -1..%d" % (n + 1))
            if rule == "K1":
                expect(ts[4] == ts[3] + 1, where, "T4 is not T3 + 1")
            if rule == "K3":
                expect(ts[6] == ts[5] + 1, where, "T6 is not T5 + 1")
            if rule == "K2":
                expect(ts[4] == n, where, "T4 is not the maximum %d" % n)
            if key in YEAR_COLUMNS and g % 2 == 0:
                expect(ts == table[g - 1], where, "differs from the other half of the year")
            table[g] = ts
        for g in groups[:-1]:
            if classifier_range(key, g) != classifier_range(key, g + 1):
                continue
            where = "bands %s %s -> %s" % (key, AGE_GROUPS[g - 1], AGE_GROUPS[g])
            if rule == "K4":
                expect(all(a >= b for a, b in zip(table[g], table[g + 1])), where, "a threshold rises with age")
            else:
                expect(all(a <= b for a, b in zip(table[g], table[g + 1])), where, "a threshold falls with age")
        texts = (["%d years: %s" % (y, r) for y, r in BF_S_TABLE.items()] if key == "BF_S"
                 else FIXED_BAND_COLUMNS[key])
        for text in texts:
            y0, y1, ranges = parse_fixed_column(text)
            for g in groups_of_years(y0, y1):
                where = "bands %s %s" % (key, AGE_GROUPS[g - 1])
                n, _ = classifier_range(key, g)
                for raw in range(-3, n + 4):
                    hits = band_of_ranges(ranges, raw)
                    got = classify(rule, table[g], raw)
                    expect(hits == ([got] if got is not None else []), where,
                           "raw %d gets band %s, the fixed column says %s" % (raw, got, hits or "none"))


def check(data_dir):
    check_maxima(data_dir)
    check_lists(data_dir)
    check_groups(data_dir)
    check_norms(data_dir)
    check_combined(data_dir)
    check_delay(data_dir)
    check_bands(data_dir)


def committed_lines(committed, rel):
    """(line number, text) of every line of data/rel."""
    path = committed / rel
    if not path.exists():
        raise CheckFailed("data/%s: missing" % rel)
    return list(enumerate(path.read_text(encoding="utf-8").split("\n"), 1))


def compare_lines(rel, new, old):
    for x, (number, y) in zip(new, old):
        if x != y:
            raise CheckFailed("data/%s line %d: differs from the regenerated %s" % (rel, number, x[:60]))
    if len(new) != len(old):
        raise CheckFailed("data/%s: %d lines, regenerated %d" % (rel, len(old), len(new)))


def compare(fresh, committed, names=FILE_NAMES):
    for rel in names:
        old = committed_lines(committed, rel)
        compare_lines(rel, (fresh / rel).read_text(encoding="utf-8").split("\n"), old)


def check_part(part, parts, committed):
    """One of the parts of --check: together they regenerate, verify and compare all of it."""
    if part == 0:
        # The invariants are checked on data/ itself: the other parts show that its band
        # thresholds are the regenerated ones, and this part the rest.
        with tempfile.TemporaryDirectory() as tmp:
            fresh = Path(tmp) / "data"
            generate(fresh, with_bands=False)
            compare(fresh, committed, FILE_NAMES[:-1])
        check(committed)
        return
    classifiers = CLASSIFIERS[part - 1::parts]
    keys = {c[0] for c in classifiers}
    rel = "tables/bands.csv"
    old = [(number, line) for number, line in committed_lines(committed, rel)[1:]
           if line and next(csv.reader([line]))[0] in keys]
    compare_lines(rel + " (%s)" % ", ".join(sorted(keys)), [csv_line(row) for row in band_rows(classifiers)], old)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--check", action="store_true",
                        help="regenerate into a temporary folder, verify, and compare with data/")
    parser.add_argument("--parts", type=int, default=0, help="split --check into this many parts and a part 0")
    parser.add_argument("--part", type=int, help="the part of --check to run, 0..PARTS")
    args = parser.parse_args()
    if args.part is not None and not (args.check and 0 <= args.part <= args.parts):
        parser.error("--part N needs --check and --parts M with 0 <= N <= M")
    data_dir = ROOT / "data"
    try:
        if args.part is not None:
            check_part(args.part, args.parts, data_dir)
            print("OK: part %d of 0..%d of the check holds" % (args.part, args.parts))
            return 0
        if not args.check:
            generate(data_dir)
            check(data_dir)
            print("Wrote %d files under %s" % (len(FILE_NAMES), data_dir))
            return 0
        with tempfile.TemporaryDirectory() as tmp:
            fresh = Path(tmp) / "data"
            generate(fresh)
            check(fresh)
            compare(fresh, data_dir)
    except CheckFailed as e:
        print("FAILED: %s" % e, file=sys.stderr)
        return 1
    print("OK: %d files regenerated; invariants and fixed values hold; data/ matches" % len(FILE_NAMES))
    return 0


if __name__ == "__main__":
    sys.exit(main())
