-- Text building: 100,000 pieces joined, 150 rounds. Lua's strings are
-- immutable, so its own way of building one is a table of pieces and
-- table.concat (s = s .. piece would copy the whole text each time).
local total = 0
local piece = "abcdefgh"
for round = 1, 150 do
  local parts = {}
  for i = 1, 100000 do parts[i] = piece end
  local s = table.concat(parts)
  total = total + #s
end
print(string.format("%d", total))
