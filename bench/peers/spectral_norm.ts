// Spectral norm of A(i, j) = 1 / ((i + j)(i + j + 1) / 2 + i + 1): ten
// rounds of the power method on arrays of 2,000 f64.
import { sixDigits } from "./six_digits";

@inline function entry(i: i32, j: i32): f64 {
  return 1.0 / <f64>((i + j) * (i + j + 1) / 2 + i + 1);
}

function timesA(u: Array<f64>, n: i32): Array<f64> {
  const result = new Array<f64>();
  for (let i = 0; i < n; i++) {
    let sum: f64 = 0;
    for (let j = 0; j < n; j++) sum += entry(i, j) * unchecked(u[j]);
    result.push(sum);
  }
  return result;
}

function timesAt(u: Array<f64>, n: i32): Array<f64> {
  const result = new Array<f64>();
  for (let i = 0; i < n; i++) {
    let sum: f64 = 0;
    for (let j = 0; j < n; j++) sum += entry(j, i) * unchecked(u[j]);
    result.push(sum);
  }
  return result;
}

function timesAtA(u: Array<f64>, n: i32): Array<f64> {
  return timesAt(timesA(u, n), n);
}

const n: i32 = 2000;
let u = new Array<f64>();
for (let i = 0; i < n; i++) u.push(1.0);
let v = new Array<f64>();
for (let round = 0; round < 10; round++) {
  v = timesAtA(u, n);
  u = timesAtA(v, n);
}
let vBv: f64 = 0, vv: f64 = 0;
for (let i = 0; i < n; i++) {
  vBv += u[i] * v[i];
  vv += v[i] * v[i];
}
console.log(sixDigits(Math.sqrt(vBv / vv)));
