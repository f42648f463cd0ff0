# Fannkuch-redux of 10: every permutation of 10 items, the pancake flips
# each takes to bring its first item to 1, their checksum and the most.
const n = 10
var perm1, perm, count: array[n, int]
for i in 0 ..< n: perm1[i] = i
var checksum, maxFlips, permCount = 0
var r = n
block permutations:
  while true:
    while r != 1:
      count[r - 1] = r
      dec r
    perm = perm1
    var flips = 0
    var k = perm[0]
    while k != 0:
      var i = 0
      var j = k
      while i < j:
        swap(perm[i], perm[j])
        inc i
        dec j
      inc flips
      k = perm[0]
    if flips > maxFlips: maxFlips = flips
    if permCount mod 2 == 0: checksum += flips else: checksum -= flips
    while true:
      if r == n: break permutations
      let first = perm1[0]
      for i in 0 ..< r: perm1[i] = perm1[i + 1]
      perm1[r] = first
      dec count[r]
      if count[r] > 0: break
      inc r
    inc permCount
echo checksum
echo "Pfannkuchen(", n, ") = ", maxFlips
