-- Binary trees of depth 4 to 16: many short-lived trees made, checked and
-- dropped, beside one long-lived tree of depth 16.
local function make(depth)
  if depth > 0 then
    return { make(depth - 1), make(depth - 1) }
  end
  return {}
end

local function check(node)
  if node[1] == nil then return 1 end
  return 1 + check(node[1]) + check(node[2])
end

local maxDepth, minDepth = 16, 4
local stretch = maxDepth + 1
print(string.format("stretch tree of depth %d check: %d", stretch, check(make(stretch))))
local longLived = make(maxDepth)
for depth = minDepth, maxDepth, 2 do
  local iterations = 2 ^ (maxDepth - depth + minDepth)
  local total = 0
  for i = 1, iterations do total = total + check(make(depth)) end
  print(string.format("%d trees of depth %d check: %d", iterations, depth, total))
end
print(string.format("long lived tree of depth %d check: %d", maxDepth, check(longLived)))
