// A number as C's %g writes it: six significant digits, trailing zeros
// dropped (enough for the values the programs print, between 1e-4 and 1e6).
export function sixDigits(x: f64): string {
  if (x == 0) return "0";
  const negative = x < 0;
  const magnitude = Math.abs(x);
  const exponent = <i32>Math.floor(Math.log10(magnitude));
  let digits = <i64>Math.round(magnitude * Math.pow(10, 5 - exponent));
  let point = exponent + 1;
  if (digits >= 1000000) {
    digits /= 10;
    point++;
  }
  let text = digits.toString();
  if (point <= 0) {
    text = "0." + "0".repeat(-point) + text;
  } else if (point < 6) {
    text = text.substring(0, point) + "." + text.substring(point);
  }
  if (text.includes(".")) {
    while (text.endsWith("0")) text = text.substring(0, text.length - 1);
    if (text.endsWith(".")) text = text.substring(0, text.length - 1);
  }
  return negative ? "-" + text : text;
}
