#!/usr/bin/env python3
"""Checks a CSV of raw draws of types 54..78 from pelkano-sheets against the exact output
distributions of those types, worked out here from their rules without the program's code.

usage: pelkano-sheets --types 54-78 --draws 200000 --seed 1 > draws.csv
       python3 tools/check_draws_54to78.py draws.csv
"""
import csv, math, sys, time
from collections import Counter, defaultdict

# The table of three-digit dividends and two-digit divisors, one list per number of lowerings.
def d5053():
    lines=[]
    for k in range(4):
        seg=[]
        for D in range(11,100):
            vals=[N for N in range(101,1000) if N//10<D and (N//10)//(D//10)<=9 and (N//10)//(D//10)-N//D==k]
            if vals: seg.append((D,vals))
        lines.append(seg)
    return lines

# Exact output distributions (full for the smaller types, over the divisor for the large ones).
from collections import defaultdict

def norm(w):
    s=sum(w.values()); return {k:v/s for k,v in w.items()}

def t_table(k):
    seg=d5053()[k]; c=len(seg); P={}
    for D,vals in seg:
        for N in vals: P[(N,D)]=1/c/len(vals)
    return P
def t58():
    return {(9*d+1+i,d):1/89/(d-1) for d in range(11,100) for i in range(d-1)}
def t59(q):
    w=defaultdict(float)
    for d in range(11,100):
        for i in range(d):
            n=q*d+i
            if n//100!=d//10 or n%d==0: continue
            w[(n,d)]+=1/89/d
    return norm(w)
def t62():
    P=defaultdict(float)
    for d in range(11,50):
        AL=[L for L in range(d,100) if not (L%d>=10 or L%d<L//10)]
        for L in AL:
            r1=L%d; AX=[x for x in range(10) if 10*r1+x>=d]
            for x in AX: P[(10*L+x,d)]+=1/39/len(AL)/len(AX)
    return dict(P)
def t63():
    P=defaultdict(float)
    for d in range(11,80):
        AL=[L for L in range(d+20,100) if L%d>=10]
        for L in AL:
            for x in range(10): P[(10*L+x,d)]+=1/69/len(AL)/10
    return dict(P)
def t64():
    P=defaultdict(float)
    for d in range(11,50):
        acc=[(L,x) for L in range(d+18,99) for x in range(10) if L%d<10 and 10*(L%d)+x<d]
        for L,x in acc: P[(10*L+x,d)]+=1/39/len(acc)
    return dict(P)
def t65():
    P=defaultdict(float)
    for d in range(11,50):
        m=99//d-1
        for i in range(m):
            for x in range(10): P[(10*d*(i+2)+x,d)]+=1/39/m/10
    return dict(P)
def t66(variant):
    w=defaultdict(float)
    for d in range(11,80):
        for L in range(d+20,100):
            r1=L%d
            if r1<20: continue
            for x in range(10):
                r2=(10*r1+x)%d
                if variant==66:
                    if r2<10: continue
                    for y in range(10): w[(100*L+10*x+y,d)]+=1/69/(80-d)/100
                else:
                    if r2>=10 or r2==0: continue
                    for y in range(10):
                        if 10*r2+y>=d: continue
                        w[(100*L+10*x+y,d)]+=1/69/(80-d)/100
    return norm(w)
def t68():
    w=defaultdict(float)
    for d in range(11,99):
        for L in range(d+1,100):
            r1=L%d
            if r1>d//10 or r1==0: continue
            for x in range(10):
                t=10*r1+x
                if t>=d: continue
                for y in range(1,10):
                    if ((10*t+y)//d)*d<100: continue
                    w[(100*L+10*x+y,d)]+=1/88/(99-d)/90
    return norm(w)
def t69():
    w=defaultdict(float)
    for d in range(11,100):
        m=99//d
        for i in range(m):
            for x in range(1,10):
                for y in range(1,10):
                    if 10*x+y<=d: continue
                    w[(100*d*(i+1)+10*x+y,d)]+=1/89/m/81
    return norm(w)
def t70():
    w=defaultdict(float)
    for s,nd in enumerate((89,39,29,19)):
        for d in range(11,11+nd):
            m=99//d
            for i in range(m):
                for x in range(10):
                    for y in range(10):
                        if 10*x+y>=d: continue
                        w[(100*d*(i+1)+10*x+y,d)]+=1/4/nd/m/100
    return norm(w)
def t71():
    w=defaultdict(float)
    for d in range(21,100):
        m=100*(d//10)-100
        for L in range(100,100+m):
            if L%d<=20: continue
            for x in range(10): w[(10*L+x,d)]+=1/79/m/10
    return norm(w)
def t72(keep_s=False):
    w=defaultdict(float); share=[0,0]
    for s in (0,1):
        A=[(d,L) for d in range(11,100) for L in range(100,1000)
           if not (L//d>=10 or L%d==0 or (s==0 and (L//d)*d>=100))]
        ws=defaultdict(float)
        for d,L in A:
            r=L%d
            for x in range(10):
                if 10*r+x>=d: continue
                ws[(10*L+x,d)]+=0.5/len(A)/10
        if keep_s: ws=norm(ws); ws={k:v*0.5 for k,v in ws.items()}
        for k,v in ws.items(): w[k]+=v
    return norm(w)
def t74():
    P=defaultdict(float)
    for s in (0,1):
        A=[(n,d) for d in range(100,500) for n in range(d+1,1000) if not (n%d>=100 or (s==0 and n//d<=1))]
        W=sum(1/(999-d) for n,d in A)
        for n,d in A: P[(n,d)]+=0.5/(999-d)/W
    return dict(P)

FULL={54:lambda:t_table(0),55:lambda:t_table(1),56:lambda:t_table(2),57:lambda:t_table(3),58:t58,
      59:lambda:t59(8),60:lambda:t59(7),61:lambda:t59(6),62:t62,63:t63,64:t64,65:t65,66:lambda:t66(66),
      67:lambda:t66(67),68:t68,69:t69,70:t70,71:t71,72:t72,74:t74}

# Marginal over the divisor for the large types (restart from step 1, so weights are pass weights).
def m73():
    w=defaultdict(float)
    for d in range(11,90):
        for L in range(d+1,100):
            r1=L%d
            if r1<10: continue
            for x in range(10):
                e2=10*r1+x; p2=e2//d*d; r2=e2-p2
                if p2<100 or r2<10: continue
                for y in range(10):
                    e3=10*r2+y; p3=e3//d*d; r3=e3-p3
                    if p3<100 or r3<10: continue
                    for z in range(10):
                        if (10*r3+z)//d*d<100: continue
                        w[d]+=1/79/(99-d)/10000
    return norm(w)
def m75():
    w=defaultdict(float)
    for d in range(112,1000):
        c=sum(min(d,10000-q*d) for q in range(1,10) if q*d>=1000 and q*d<=9999)
        if c: w[d]+=c/888/9000
    return norm(w)
def m76():
    w=defaultdict(float)
    for d in range(100,990):
        c=0
        for L in range(d+1,1000):
            r1=L%d
            if r1<10: continue
            c+=sum(1 for x in range(10) if (10*r1+x)//d>0)
        if c: w[d]+=c/890/(999-d)/10
    return norm(w)
def m77():
    w=defaultdict(float)
    for d in range(100,1000):
        m=d-100; c=0
        for L in range(100,100+max(m,1)):
            for x in range(10):
                t=10*L+x; q=t//d; r=t%d
                if q>=10 or q*d<1000 or r<100: continue
                k=-(-1000//d)  # smallest quotient with a four-digit product
                c+=min(10,max(0,10*r+10-k*d))
        if c: w[d]+=c/900/max(m,1)/100
    return norm(w)
def m78():
    w=defaultdict(float)
    for d in range(100,990):
        c=0
        for L in range(d+1,1000):
            r1=L%d
            if r1<10 or r1>=100: continue
            for x in range(10):
                t=10*r1+x
                if t>=d: continue
                k=-(-1000//d)
                c+=min(10,max(0,10*t+10-k*d))
        if c: w[d]+=c/890/(999-d)/100
    return norm(w)
MARG={73:m73,75:m75,76:m76,77:m77,78:m78}


def chi2_sf(x, k):
    # Wilson-Hilferty normal approximation of the chi-square upper tail.
    if k <= 0: return 1.0
    z = ((x / k) ** (1 / 3) - (1 - 2 / (9 * k))) / math.sqrt(2 / (9 * k))
    return 0.5 * math.erfc(z / math.sqrt(2))

def chi2(observed, expected_p, total):
    """Chi-square over cells merged (in key order) until each expects at least 5."""
    cells = []; e = o = 0.0
    for key in sorted(expected_p):
        e += expected_p[key] * total; o += observed.get(key, 0)
        if e >= 5: cells.append((o, e)); e = o = 0.0
    if cells and e > 0: cells[-1] = (cells[-1][0] + o, cells[-1][1] + e)
    stat = sum((o - e) ** 2 / e for o, e in cells)
    return stat, len(cells) - 1, chi2_sf(stat, len(cells) - 1)

def main(path):
    rows = defaultdict(list)
    with open(path) as f:
        for r in csv.DictReader(f):
            rows[int(r['type'])].append((int(r['dividend']), int(r['divisor'])))
    total = sum(len(v) for v in rows.values())
    print(f"{total} draws")
    pv = []
    stat, df, p = chi2({t: len(v) for t, v in rows.items()}, {t: 1 / 25 for t in range(54, 79)}, total)
    print(f"type shares: chi2 {stat:.1f} df {df} p {p:.3f}"); pv.append(p)
    bad = 0
    for t in range(54, 79):
        sample = rows[t]; n = len(sample); t0 = time.time()
        if t in FULL:
            P = FULL[t]()
            outside = [s for s in sample if s not in P]
            byd = defaultdict(float); byq = defaultdict(float)
            for (a, d), p_ in P.items(): byd[d] += p_; byq[a // d] += p_
            tests = [('problem', Counter(sample), P), ('divisor', Counter(d for a, d in sample), byd),
                     ('quotient', Counter(a // d for a, d in sample), byq)]
            size = f"{len(P)} problems"
        else:
            byd = MARG[t]()
            outside = [s for s in sample if s[1] not in byd]
            tests = [('divisor', Counter(d for a, d in sample), byd)]
            size = f"divisors {min(byd)}..{max(byd)}"
        bad += len(outside)
        parts = []
        for name, obs, exp in tests:
            stat, df, p = chi2(obs, exp, n); pv.append(p)
            parts.append(f"{name} chi2 {stat:.0f}/{df} p {p:.3f}")
        print(f"type {t}: {n} draws, {size}, outside {len(outside)}; " + "; ".join(parts) + f" ({time.time()-t0:.1f}s)")
    low = [p for p in pv if p < 0.001]
    print(f"{len(pv)} chi-square tests, {len(low)} with p < 0.001; {bad} draws outside the output sets")
    return 0 if bad == 0 and not low else 1

if __name__ == '__main__':
    sys.exit(main(sys.argv[1]))
