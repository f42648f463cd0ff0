-- Sieve of Eratosthenes over 2,000,000 numbers in a table, sixteen rounds.
local limit = 2000000
local found = 0
for round = 1, 16 do
  local composite = {}
  for n = 0, limit - 1 do composite[n] = 0 end
  found = 0
  for p = 2, limit - 1 do
    if composite[p] == 0 then
      found = found + 1
      if p < 1415 then
        for multiple = p * p, limit - 1, p do composite[multiple] = 1 end
      end
    end
  end
end
print(string.format("%d", found))
