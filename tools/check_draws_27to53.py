#!/usr/bin/env python3
"""Checks raw draws of division types 27 to 53 against their exact odds.

    pelkano-sheets --types 27-53 --draws 200000 --seed 1 > draws.csv
    tools/check_draws_27to53.py draws.csv

The odds are worked out here from the rules themselves (every rejection loop picks uniformly
among the values it accepts; table D4247 is rebuilt from its content rule), without the
program's code. For every type drawn the script reports its share of the draws (the types seen
are taken as the ticked ones, each equally likely), the number of draws, the distinct problems
seen against the number possible, problems that cannot occur, and a chi-square test of the
problem counts (cells with few expected draws pooled). With --odds and no file it prints, per
type, the number of possible problems and the smallest probability of one of them.
"""
import csv
import math
import sys
from collections import Counter, defaultdict
from fractions import Fraction


def uniform(values):
    values = list(values)
    return [(v, Fraction(1, len(values))) for v in values]


def accepted(first, count, accept):
    """value = R(count) + first, drawn again until accept(value): uniform among accepted."""
    return uniform(v for v in range(first, first + count) if accept(v))


def d4247():
    lines = []
    for k in range(6):
        for d in range(11, 100):
            vals = [n for n in range(d, 100) if (n // 10) // (d // 10) - n // d == k]
            if vals:
                lines.append((k, d, vals))
    return lines


TABLE = d4247()


def rule(t):
    """Exact distribution {(dividend, divisor): probability} of type t."""
    out = defaultdict(Fraction)

    def add(n, d, p):
        out[(n, d)] += p

    def mult(d):  # R(10 - d) + d until a multiple of d
        return accepted(d, 10 - d, lambda v: v % d == 0)

    def no5():
        return accepted(3, 7, lambda v: v != 5)

    def one_or_more():
        return [(d, Fraction(1, 4) * p) for d, p in uniform(range(1, 10))] + \
               [(d, Fraction(3, 4) * p) for d, p in uniform(range(2, 10))]

    if t == 27:
        for d, pd in uniform(range(2, 9)):
            for h, ph in mult(d):
                for tt, pt in mult(d):
                    for u, pu in accepted(1, 9, lambda u: u < d):
                        add(100 * h + 10 * tt + u, d, pd * ph * pt * pu)
    elif t == 28:
        ds = [(d, Fraction(1, 2) * p) for d, p in uniform(range(1, 9))] + \
             [(d, Fraction(1, 2) * p) for d, p in uniform(range(2, 5))]
        for d, pd in ds:
            for h, ph in mult(d):
                for tt, pt in mult(d):
                    add(100 * h + 10 * tt, d, pd * ph * pt)
    elif t in (29, 30):
        for d, pd in uniform(range(2, 10)):
            for h, ph in mult(d):
                for tt, pt in accepted(1, 9, lambda v: v < d):
                    if t == 29:
                        us = accepted(0, 10, lambda u: (10 * tt + u) % d != 0 and (10 * tt + u) // d * d > 10)
                    else:
                        us = accepted(0, 10, lambda u: (10 * tt + u) % d == 0)
                    for u, pu in us:
                        add(100 * h + 10 * tt + u, d, pd * ph * pt * pu)
    elif t == 31:
        for d, pd in no5():
            for h, ph in mult(d):
                for u, pu in accepted(0, 10, lambda u: (10 + u) % d != 0 and (10 + u) // d * d < 10):
                    add(100 * h + 10 + u, d, pd * ph * pu)
    elif t in (32, 33, 34, 35):
        ds = one_or_more() if t in (33, 35) else uniform(range(2, 9))
        for d, pd in ds:
            for h, ph in mult(d):
                if t == 32:
                    us = accepted(d, 10 - d, lambda u: u % d != 0)
                elif t == 33:
                    us = mult(d)
                elif t == 34:
                    us = uniform(range(1, d))
                else:
                    us = [(0, Fraction(1))]
                for u, pu in us:
                    add(100 * h + u, d, pd * ph * pu)
    elif 36 <= t <= 40:
        ds = uniform(range(2, 10)) if t in (36, 37) else no5()
        for d, pd in ds:
            hs = [(1, Fraction(1))] if t in (39, 40) else accepted(1, 9, lambda h: h < d)
            for h, ph in hs:
                def first(tt):
                    e1 = 10 * h + tt
                    return e1, e1 // d * d, e1 % d
                if t in (36, 37):
                    ok_t = lambda tt: first(tt)[2] != 0 and first(tt)[1] >= 10
                elif t == 38:
                    ok_t = lambda tt: first(tt)[2] == 1 and first(tt)[1] >= 10
                else:
                    ok_t = lambda tt: first(tt)[2] != 0 and first(tt)[1] <= 10
                for tt, pt in accepted(0, 10, ok_t):
                    r1 = first(tt)[2]
                    if t in (36, 39):
                        ok_u = lambda u: (10 * r1 + u) // d * d >= 10 and (10 * r1 + u) % d != 0
                    elif t == 38:
                        ok_u = lambda u: (10 * r1 + u) // d * d < 10 and (10 * r1 + u) % d != 0
                    else:
                        ok_u = lambda u: (10 * r1 + u) % d == 0
                    for u, pu in accepted(0, 10, ok_u):
                        add(100 * h + 10 * tt + u, d, pd * ph * pt * pu)
    elif t == 41:
        for d, pd in [(3, Fraction(1, 2)), (9, Fraction(1, 2))]:
            for u, pu in accepted(0, 8, lambda u: (10 + u) % d != 0):
                add(100 + u, d, pd * pu)
    elif 42 <= t <= 45:
        for d, pd in uniform(range(2, 9)):
            for h, ph in accepted(1, 9, lambda h: h < d):
                for tt, pt in accepted(0, 10, lambda tt: (10 * h + tt) % d == 0):
                    if t == 42:
                        us = uniform(range(d + 1, 10))
                    elif t == 43:
                        us = mult(d)
                    elif t == 44:
                        us = uniform(range(1, d))
                    else:
                        us = [(0, Fraction(1))]
                    for u, pu in us:
                        add(100 * h + 10 * tt + u, d, pd * ph * pt * pu)
    elif 46 <= t <= 51:
        lines = [(d, vals) for k, d, vals in TABLE if k == t - 46]
        for d, vals in lines:
            for n in vals:
                add(n, d, Fraction(1, len(lines) * len(vals)))
    elif t == 52:
        for d, pd in uniform(range(11, 100)):
            for x, px in uniform(range(d // 2)):
                add(max(d - 1 - x, 10), d, pd * px)
    elif t == 53:
        for d, pd in uniform(range(11, 100)):
            for n, pn in uniform(range(10)):
                add(n, d, pd * pn)
    assert sum(out.values()) == 1, t
    return dict(out)


def chi_square(counts, odds, total):
    """Chi-square statistic and degrees of freedom, cells under 5 expected draws pooled."""
    stat, cells, pooled_obs, pooled_exp = 0.0, 0, 0, 0.0
    for key, p in odds.items():
        e = float(p) * total
        o = counts.get(key, 0)
        if e < 5:
            pooled_obs += o
            pooled_exp += e
            continue
        stat += (o - e) ** 2 / e
        cells += 1
    if pooled_exp > 0:
        stat += (pooled_obs - pooled_exp) ** 2 / pooled_exp
        cells += 1
    return stat, max(cells - 1, 1)


def chi_square_p(stat, dof):
    """Upper tail of the chi-square distribution (Wilson-Hilferty)."""
    z = ((stat / dof) ** (1 / 3) - (1 - 2 / (9 * dof))) / math.sqrt(2 / (9 * dof))
    return 0.5 * math.erfc(z / math.sqrt(2))


def main():
    if len(sys.argv) == 2 and sys.argv[1] == "--odds":
        for t in range(27, 54):
            odds = rule(t)
            least = min(odds.values())
            print(f"type {t}: {len(odds)} problems, least likely 1/{float(1 / least):.0f}")
        return 0
    if len(sys.argv) != 2:
        print(__doc__)
        return 2
    by_type = defaultdict(Counter)
    with open(sys.argv[1], newline="") as f:
        for row in csv.DictReader(f):
            n, d = int(row["dividend"]), int(row["divisor"])
            assert int(row["quotient"]) == n // d and int(row["remainder"]) == n % d, row
            by_type[int(row["type"])][(n, d)] += 1
    total = sum(sum(c.values()) for c in by_type.values())
    ok = True
    ticked = sorted(t for t in by_type if 27 <= t <= 53)  # every ticked type shows up in a long run
    share = 1 / max(len(ticked), 1)
    print(f"{total} draws of {len(ticked)} type{'s' if len(ticked) != 1 else ''}")
    for t in ticked:
        counts = by_type[t]
        drawn = sum(counts.values())
        sd = math.sqrt(total * share * (1 - share))
        z_type = (drawn - total * share) / sd if sd > 0 else 0.0
        odds = rule(t)
        foreign = [k for k in counts if k not in odds]
        stat, dof = chi_square(counts, odds, drawn)
        p = chi_square_p(stat, dof)
        bad = foreign or abs(z_type) > 4 or p < 1e-4
        ok = ok and not bad
        print(f"type {t}: {drawn} draws (z {z_type:+.2f}), {len(counts)}/{len(odds)} problems seen, "
              f"{len(foreign)} impossible, chi2 {stat:.1f} on {dof} dof, p {p:.3f}{'  <-- FAIL' if bad else ''}")
    extra = sorted(set(by_type) - set(range(27, 54)))
    if extra:
        ok = False
        print(f"types outside 27..53: {extra}")
    print("all consistent" if ok else "INCONSISTENT")
    return 0 if ok else 1


if __name__ == "__main__":
    sys.exit(main())
