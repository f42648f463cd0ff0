-- Counting: 1,000,000 updates of a table over 1,000 text keys, eight rounds.
local names = {}
for i = 0, 999 do names[i] = "key" .. i end
local total = 0
local counts = {}
for round = 1, 8 do
  counts = {}
  local size = 0
  for i = 0, 999999 do
    local name = names[(i * 7) % 1000]
    local count = counts[name]
    if count == nil then
      size = size + 1
      count = 0
    end
    counts[name] = count + 1
  end
  total = total + size
end
print(string.format("%d %d", total, counts["key7"]))
