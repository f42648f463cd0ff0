-- Fannkuch-redux of 10: every permutation of 10 items, the pancake flips
-- each takes to bring its first item to 1, their checksum and the most.
local n = 10
local perm1, perm, count = {}, {}, {}
for i = 0, n - 1 do
  perm1[i] = i
  perm[i] = 0
  count[i] = 0
end
local checksum, maxFlips, permCount, r = 0, 0, 0, n
while true do
  while r ~= 1 do
    count[r - 1] = r
    r = r - 1
  end
  for i = 0, n - 1 do perm[i] = perm1[i] end
  local flips = 0
  local k = perm[0]
  while k ~= 0 do
    local i, j = 0, k
    while i < j do
      perm[i], perm[j] = perm[j], perm[i]
      i = i + 1
      j = j - 1
    end
    flips = flips + 1
    k = perm[0]
  end
  if flips > maxFlips then maxFlips = flips end
  if permCount % 2 == 0 then checksum = checksum + flips else checksum = checksum - flips end
  local more = false
  while r ~= n do
    local first = perm1[0]
    for i = 0, r - 1 do perm1[i] = perm1[i + 1] end
    perm1[r] = first
    count[r] = count[r] - 1
    if count[r] > 0 then
      more = true
      break
    end
    r = r + 1
  end
  if not more then break end
  permCount = permCount + 1
end
print(string.format("%d", checksum))
print(string.format("Pfannkuchen(%d) = %d", n, maxFlips))
