// Nested integer loops: a sum over a 8,000 x 8,000 grid, kept small by mod.
let total: i32 = 0;
for (let i: i32 = 0; i < 8000; i++)
  for (let j: i32 = 0; j < 8000; j++)
    total = (total + i * j + 1) % 1000003;
console.log(total.toString());
