-- Nested integer loops: a sum over a 8,000 x 8,000 grid, kept small by mod.
local total = 0
for i = 0, 7999 do
  for j = 0, 7999 do
    total = (total + i * j + 1) % 1000003
  end
end
print(string.format("%d", total))
