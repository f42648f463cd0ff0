# Counting: 1,000,000 updates of a table over 1,000 text keys, eight rounds.
import std/tables
var names: seq[string] = @[]
for i in 0 ..< 1000:
  names.add("key" & $i)
var total = 0
var counts = initTable[string, int]()
for round in 0 ..< 8:
  counts = initTable[string, int]()
  for i in 0 ..< 1000000:
    let name = names[(i * 7) mod 1000]
    counts[name] = counts.getOrDefault(name) + 1
  total += counts.len
echo total, " ", counts["key7"]
