# Spectral norm of A(i, j) = 1 / ((i + j)(i + j + 1) / 2 + i + 1): ten
# rounds of the power method on seqs of 2,000 floats.
import std/[math, strutils]

proc entry(i, j: int): float {.inline.} =
  1.0 / float((i + j) * (i + j + 1) div 2 + i + 1)

proc timesA(u: seq[float], n: int): seq[float] =
  for i in 0 ..< n:
    var sum = 0.0
    for j in 0 ..< n:
      sum += entry(i, j) * u[j]
    result.add(sum)

proc timesAt(u: seq[float], n: int): seq[float] =
  for i in 0 ..< n:
    var sum = 0.0
    for j in 0 ..< n:
      sum += entry(j, i) * u[j]
    result.add(sum)

proc timesAtA(u: seq[float], n: int): seq[float] = timesAt(timesA(u, n), n)

const n = 2000
var u = newSeq[float](n)
for i in 0 ..< n: u[i] = 1.0
var v: seq[float]
for round in 0 ..< 10:
  v = timesAtA(u, n)
  u = timesAtA(v, n)
var vBv, vv = 0.0
for i in 0 ..< n:
  vBv += u[i] * v[i]
  vv += v[i] * v[i]
echo formatFloat(sqrt(vBv / vv), ffDefault, 6)
