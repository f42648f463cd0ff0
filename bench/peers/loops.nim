# Nested integer loops: a sum over a 8,000 x 8,000 grid, kept small by mod.
var total: int32 = 0
for i in 0'i32 ..< 8000'i32:
  for j in 0'i32 ..< 8000'i32:
    total = (total + i * j + 1) mod 1000003
echo total
