// N-body: the Jovian planets and the sun, 1,000,000 steps of 0.01.
import { sixDigits } from "./six_digits";

const PI4: f64 = 39.47841760435743;
const DAYS: f64 = 365.24;

class Body {
  constructor(public x: f64, public y: f64, public z: f64, public vx: f64, public vy: f64, public vz: f64,
              public mass: f64) {
    this.vx = vx * DAYS;
    this.vy = vy * DAYS;
    this.vz = vz * DAYS;
    this.mass = mass * PI4;
  }
}

function advance(bodies: Array<Body>, dt: f64): void {
  const count = bodies.length;
  for (let i = 0; i < count; i++) {
    const a = unchecked(bodies[i]);
    for (let j = i + 1; j < count; j++) {
      const b = unchecked(bodies[j]);
      const dx = a.x - b.x, dy = a.y - b.y, dz = a.z - b.z;
      const d2 = dx * dx + dy * dy + dz * dz;
      const mag = dt / (d2 * Math.sqrt(d2));
      a.vx = a.vx - dx * b.mass * mag;
      a.vy = a.vy - dy * b.mass * mag;
      a.vz = a.vz - dz * b.mass * mag;
      b.vx = b.vx + dx * a.mass * mag;
      b.vy = b.vy + dy * a.mass * mag;
      b.vz = b.vz + dz * a.mass * mag;
    }
  }
  for (let i = 0; i < count; i++) {
    const c = unchecked(bodies[i]);
    c.x = c.x + dt * c.vx;
    c.y = c.y + dt * c.vy;
    c.z = c.z + dt * c.vz;
  }
}

function energy(bodies: Array<Body>): f64 {
  let e: f64 = 0;
  const count = bodies.length;
  for (let i = 0; i < count; i++) {
    const a = bodies[i];
    e = e + 0.5 * a.mass * (a.vx * a.vx + a.vy * a.vy + a.vz * a.vz);
    for (let j = i + 1; j < count; j++) {
      const b = bodies[j];
      const dx = a.x - b.x, dy = a.y - b.y, dz = a.z - b.z;
      e = e - a.mass * b.mass / Math.sqrt(dx * dx + dy * dy + dz * dz);
    }
  }
  return e;
}

const bodies = new Array<Body>();
bodies.push(new Body(0, 0, 0, 0, 0, 0, 1));
bodies.push(new Body(4.84143144246472090e+00, -1.16032004402742839e+00, -1.03622044471123109e-01,
  1.66007664274403694e-03, 7.69901118419740425e-03, -6.90460016972063023e-05, 9.54791938424326609e-04));
bodies.push(new Body(8.34336671824457987e+00, 4.12479856412430479e+00, -4.03523417114321381e-01,
  -2.76742510726862411e-03, 4.99852801234917238e-03, 2.30417297573763929e-05, 2.85885980666130812e-04));
bodies.push(new Body(1.28943695621391310e+01, -1.51111514016986312e+01, -2.23307578892655734e-01,
  2.96460137564761618e-03, 2.37847173959480950e-03, -2.96589568540237556e-05, 4.36624404335156298e-05));
bodies.push(new Body(1.53796971148509165e+01, -2.59193146099879641e+01, 1.79258772950371181e-01,
  2.68067772490389322e-03, 1.62824170038242295e-03, -9.51592254519715870e-05, 5.15138902046611451e-05));
let px: f64 = 0, py: f64 = 0, pz: f64 = 0;
for (let i = 0; i < bodies.length; i++) {
  const b = bodies[i];
  px = px + b.vx * b.mass;
  py = py + b.vy * b.mass;
  pz = pz + b.vz * b.mass;
}
const sun = bodies[0];
sun.vx = 0 - px / PI4;
sun.vy = 0 - py / PI4;
sun.vz = 0 - pz / PI4;
console.log(sixDigits(energy(bodies)));
for (let step = 0; step < 1000000; step++) advance(bodies, 0.01);
console.log(sixDigits(energy(bodies)));
