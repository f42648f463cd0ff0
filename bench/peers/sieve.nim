# Sieve of Eratosthenes over 2,000,000 numbers in a seq, sixteen rounds.
const limit = 2000000
var found = 0
for round in 0 ..< 16:
  var composite: seq[int32] = @[]
  for n in 0 ..< limit:
    composite.add(0)
  found = 0
  for p in 2 ..< limit:
    if composite[p] == 0:
      inc found
      if p < 1415:
        var multiple = p * p
        while multiple < limit:
          composite[multiple] = 1
          multiple += p
echo found
