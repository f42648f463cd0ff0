-- Spectral norm of A(i, j) = 1 / ((i + j)(i + j + 1) / 2 + i + 1): ten
-- rounds of the power method on arrays of 2,000 numbers.
-- (i + j)(i + j + 1) is even, so its half is whole in either number type.
local function entry(i, j)
  local ij = i + j
  return 1.0 / (ij * (ij + 1) / 2 + i + 1)
end

local function timesA(u, n)
  local result = {}
  for i = 0, n - 1 do
    local sum = 0
    for j = 0, n - 1 do sum = sum + entry(i, j) * u[j] end
    result[i] = sum
  end
  return result
end

local function timesAt(u, n)
  local result = {}
  for i = 0, n - 1 do
    local sum = 0
    for j = 0, n - 1 do sum = sum + entry(j, i) * u[j] end
    result[i] = sum
  end
  return result
end

local function timesAtA(u, n) return timesAt(timesA(u, n), n) end

local n = 2000
local u, v = {}, {}
for i = 0, n - 1 do u[i] = 1.0 end
for round = 1, 10 do
  v = timesAtA(u, n)
  u = timesAtA(v, n)
end
local vBv, vv = 0, 0
for i = 0, n - 1 do
  vBv = vBv + u[i] * v[i]
  vv = vv + v[i] * v[i]
end
print(string.format("%g", math.sqrt(vBv / vv)))
