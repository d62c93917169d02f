#!/usr/bin/env python3
"""Checks a CSV of raw draws from pelkano-sheets against the exact distributions of division
types 1 to 26.

    pelkano-sheets --types 1-26 --draws 200000 --seed 1 | tools/check_draws_01to26.py

The exact distribution of every type is found here independently of the C++ rules: each rule is
written again as a tree of uniform draws (a redraw loop picks uniformly among the values that pass;
a loop that starts again drops the whole path and the rest is normalised), and every path is
enumerated with exact fractions. The script then checks, for each type in the CSV:
  - the set of problems drawn equals the set the rule can give (with enough draws to meet them);
  - the problem counts fit the exact distribution (chi-square, cells pooled to expectation >= 5);
  - the divisor shares (z-scores);
and the share of every type among the draws (one uniform pick per draw).
Exit status 0 when every p-value is above 1e-4 and every |z| below 4.5, 1 otherwise.
"""
import csv
import math
import sys
from collections import defaultdict
from fractions import Fraction as F

class Restart(Exception): pass

def enumerate_rule(rule):
    """Returns dict (N,d)->Fraction, conditional on a pass not starting again."""
    out = defaultdict(F)
    stack = [()]
    while stack:
        prefix = stack.pop()
        path = []
        prob = [F(1)]
        class Ch:
            def pick(self, values):
                values = list(values)
                assert values, "empty pick"
                i = len(path)
                if i < len(prefix):
                    idx = prefix[i]
                else:
                    for j in range(1, len(values)):
                        stack.append(tuple(path) + (j,))
                    idx = 0
                path.append(idx)
                prob[0] /= len(values)
                return values[idx]
        try:
            res = rule(Ch())
        except Restart:
            continue
        out[res] += prob[0]
    tot = sum(out.values())
    return {k: v / tot for k, v in out.items()}

def R(n): return range(max(n,1))

def redraw(ch, rng, cond):
    """Redraw until cond holds: uniform among the values that pass."""
    return ch.pick([v for v in rng if cond(v)])

def once(ch, rng, cond):
    """One draw; a value that fails starts the rule again."""
    v = ch.pick(rng)
    if not cond(v): raise Restart
    return v

prod2 = lambda x, d: d * (x // d) >= 10
rng = lambda n, c: [v + c for v in R(n)]

def lead(ch, d):  # d + 1 to 9, not a multiple of d
    return redraw(ch, rng(9 - d, d + 1), lambda h: h % d != 0)
def mult8(ch, d):  # d to 8 (9 alone for d = 9), a multiple of d
    return redraw(ch, rng(9 - d, d), lambda t: t % d == 0)

def t1(ch):
    d = ch.pick(rng(9, 1)); n = redraw(ch, rng(8, 2), lambda n: n >= d); return (n, d)
def t2(ch):
    d = ch.pick(rng(8, 2)); n = redraw(ch, rng(8, 1), lambda n: n < d); return (n, d)
def t3(ch):
    d = ch.pick(rng(9, 1)); q = ch.pick(rng(9, 1)); return (q * d, d)
def t4(ch):
    d = ch.pick(rng(8, 2)); q = ch.pick(rng(9, 1)); r = ch.pick(rng(d - 1, 1)); return (q * d + r, d)
def t56(exact):
    def f(ch):
        d = ch.pick(rng(7, 2)); t = lead(ch, d); r1 = t % d
        u = redraw(ch, R(10), lambda u: prod2(10 * r1 + u, d))
        N = 10 * t + u
        if (N % d == 0) != exact:
            raise Restart
        return (N, d)
    return f
def t7(ch):
    d = ch.pick(rng(7, 2)); t = lead(ch, d); r1 = t % d
    u = once(ch, R(10), lambda u: not ((10 * t + u) % d == 0 or prod2(10 * r1 + u, d)))
    return (10 * t + u, d)
def t8(ch):
    d = ch.pick(rng(9, 1)); t = mult8(ch, d)
    u = ch.pick(rng(9 - d, d))
    if (10 * t + u) % d == 0: raise Restart
    return (10 * t + u, d)
def t9(ch):
    d = ch.pick(rng(9, 1)); t = mult8(ch, d); u = mult8(ch, d); return (10 * t + u, d)
def t10(ch):
    d = ch.pick(rng(8, 2)); t = mult8(ch, d); u = ch.pick(rng(d - 1, 1)); return (10 * t + u, d)
def t11(ch):
    d = ch.pick(rng(8, 2)); t = mult8(ch, d); return (10 * t, d)
def first12(ch):
    d = ch.pick(rng(7, 2)); h = lead(ch, d); r1 = h % d
    t = redraw(ch, rng(9, 1), lambda t: prod2(10 * r1 + t, d) and (10 * r1 + t) % d != 0)
    return d, h, t, (10 * r1 + t) % d
def t1213(exact):
    def f(ch):
        d, h, t, r2 = first12(ch)
        u = redraw(ch, rng(9, 1), lambda u: prod2(10 * r2 + u, d) and ((10 * r2 + u) % d == 0) == exact)
        return (100 * h + 10 * t + u, d)
    return f
def t14(ch):
    d, h, t, r2 = first12(ch)
    u = once(ch, R(8), lambda u: not (prod2(10 * r2 + u, d) or (10 * r2 + u) % d == 0))
    return (100 * h + 10 * t + u, d)
def t1516(exact):
    def f(ch):
        d = ch.pick(rng(7, 2)); h = lead(ch, d); r1 = h % d
        t = once(ch, rng(9, 1), lambda t: not (prod2(10 * r1 + t, d) or (10 * r1 + t) % d == 0))
        r2 = (10 * r1 + t) % d
        u = redraw(ch, R(8), lambda u: prod2(10 * r2 + u, d) and ((10 * r2 + u) % d == 0) == exact)
        return (100 * h + 10 * t + u, d)
    return f
def t17(ch):
    h = 3 * (ch.pick(R(2)) + 1) + 1; u = ch.pick(R(2)); return (100 * h + u, 3)
def t1819(exact):
    def f(ch):
        d = ch.pick(rng(7, 2)); h = lead(ch, d); r1 = h % d
        t = redraw(ch, R(10), lambda t: (10 * r1 + t) % d == 0)
        u = redraw(ch, R(10), lambda u: (u % d == 0) == exact and u // d != 0)
        return (100 * h + 10 * t + u, d)
    return f
def first20(ch):
    d = ch.pick(rng(7, 2))
    h = redraw(ch, rng(10 - d, d), lambda h: h % d == 0)
    t = redraw(ch, rng(10 - d, d), lambda t: t % d != 0)
    return d, h, t, t % d
def t2021(exact):
    def f(ch):
        d, h, t, r2 = first20(ch)
        u = redraw(ch, R(10), lambda u: ((10 * r2 + u) % d == 0) == exact)
        return (100 * h + 10 * t + u, d)
    return f
def t22(ch):
    d, h, t, r2 = first20(ch)
    u = once(ch, R(10), lambda u: not (prod2(10 * r2 + u, d) or (10 * r2 + u) % d == 0))
    return (100 * h + 10 * t + u, d)
def t2324(lo, n, exact):
    def f(ch):
        s = ch.pick(R(2))
        d = ch.pick(rng(n, lo)) if s == 0 else ch.pick(rng(3, 2))
        h = redraw(ch, rng(10 - d, d), lambda h: h % d == 0)
        t = redraw(ch, rng(10 - d, d), lambda t: t % d == 0)
        u = redraw(ch, R(10), lambda u: (u % d == 0) == exact and u // d != 0)
        return (100 * h + 10 * t + u, d)
    return f
def t2526(zero):
    def f(ch):
        d = ch.pick(rng(7, 2)); h = lead(ch, d); r1 = h % d
        t = redraw(ch, rng(9, 1), lambda t: prod2(10 * r1 + t, d) and (10 * r1 + t) % d == 0)
        u = 0 if zero else redraw(ch, rng(9, 1), lambda u: u // d == 0)
        return (100 * h + 10 * t + u, d)
    return f

RULES = {1: t1, 2: t2, 3: t3, 4: t4, 5: t56(False), 6: t56(True), 7: t7, 8: t8, 9: t9, 10: t10, 11: t11,
         12: t1213(False), 13: t1213(True), 14: t14, 15: t1516(False), 16: t1516(True), 17: t17,
         18: t1819(False), 19: t1819(True), 20: t2021(False), 21: t2021(True), 22: t22,
         23: t2324(2, 7, False), 24: t2324(1, 8, True), 25: t2526(False), 26: t2526(True)}

def dist(t):
    return enumerate_rule(RULES[t])

def divisor_shares(dd):
    s = defaultdict(F)
    for (N, d), p in dd.items(): s[d] += p
    return dict(sorted(s.items()))


def regularized_upper_gamma(a, x):
    """Q(a, x) = Gamma(a, x) / Gamma(a), by series or continued fraction."""
    if x <= 0:
        return 1.0
    gln = math.lgamma(a)
    if x < a + 1:
        term = total = 1.0 / a
        ap = a
        for _ in range(10000):
            ap += 1
            term *= x / ap
            total += term
            if abs(term) < abs(total) * 1e-15:
                break
        return max(0.0, 1.0 - total * math.exp(-x + a * math.log(x) - gln))
    b = x + 1 - a
    c = 1e300
    d = 1 / b
    h = d
    for i in range(1, 10000):
        an = -i * (i - a)
        b += 2
        d = an * d + b
        d = 1e-300 if abs(d) < 1e-300 else d
        c = b + an / c
        c = 1e-300 if abs(c) < 1e-300 else c
        d = 1 / d
        delta = d * c
        h *= delta
        if abs(delta - 1) < 1e-15:
            break
    return math.exp(-x + a * math.log(x) - gln) * h


def chi_square(observed, probabilities, total):
    """Pools cells in order of expectation until each expects at least 5; returns (stat, dof, p)."""
    cells = sorted(probabilities, key=lambda k: probabilities[k])
    pooled, exp_acc, obs_acc = [], 0.0, 0
    for k in cells:
        exp_acc += float(probabilities[k]) * total
        obs_acc += observed.get(k, 0)
        if exp_acc >= 5:
            pooled.append((obs_acc, exp_acc))
            exp_acc, obs_acc = 0.0, 0
    if exp_acc > 0:
        if pooled:
            o, e = pooled.pop()
            pooled.append((o + obs_acc, e + exp_acc))
        else:
            pooled.append((obs_acc, exp_acc))
    stat = sum((o - e) ** 2 / e for o, e in pooled)
    dof = max(1, len(pooled) - 1)
    return stat, dof, regularized_upper_gamma(dof / 2, stat / 2)


def main():
    source = open(sys.argv[1], newline='') if len(sys.argv) > 1 else sys.stdin
    by_type = defaultdict(lambda: defaultdict(int))
    draws = 0
    for row in csv.DictReader(source):
        by_type[int(row['type'])][(int(row['dividend']), int(row['divisor']))] += 1
        draws += 1
    ok = True
    types = sorted(by_type)
    print(f"{draws} draws of types {types[0]}..{types[-1]} ({len(types)} types)")
    worst_type_z = 0.0
    for t in types:
        n = sum(by_type[t].values())
        p = 1 / len(types)
        worst_type_z = max(worst_type_z, abs(n - p * draws) / math.sqrt(draws * p * (1 - p)))
    print(f"type shares: worst |z| = {worst_type_z:.2f}")
    ok &= worst_type_z < 4.5
    for t in types:
        if t not in RULES:
            print(f"type {t}: no model here, skipped")
            continue
        exact = dist(t)
        seen = by_type[t]
        n = sum(seen.values())
        unknown = sorted(set(seen) - set(exact))
        missing = [k for k in exact if k not in seen and float(exact[k]) * n > 20]
        stat, dof, pval = chi_square(seen, exact, n)
        shares = divisor_shares(exact)
        worst = 0.0
        for d, pd in shares.items():
            hits = sum(c for (N, dd), c in seen.items() if dd == d)
            pd = float(pd)
            if 0 < pd < 1:
                worst = max(worst, abs(hits - pd * n) / math.sqrt(n * pd * (1 - pd)))
        good = not unknown and not missing and pval > 1e-4 and worst < 4.5
        ok &= good
        print(f"type {t:2}: {n:6} draws, {len(seen):4} of {len(exact):4} problems, "
              f"chi2 {stat:8.1f} on {dof:3} dof p={pval:.3f}, divisor worst |z| {worst:.2f}"
              + ("" if good else f"  <-- unknown {unknown[:5]} missing {missing[:5]}"))
    print("all consistent" if ok else "INCONSISTENT")
    return 0 if ok else 1


if __name__ == '__main__':
    sys.exit(main())
