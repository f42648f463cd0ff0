# Text building by appending in place, 100,000 times, in 150 rounds.
var total = 0
let piece = "abcdefgh"
for round in 0 ..< 150:
  var s = ""
  for i in 0 ..< 100000:
    s.add(piece)
  total += s.len
echo total
