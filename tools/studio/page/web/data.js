'use strict';
// The flights' data written by the exporter, decoded once: each flight's
// samples as arrays of numbers, and its value at any moment by linear
// interpolation between the samples kept (angles the short way round,
// attitude by spherical interpolation).

const page = JSON.parse(document.getElementById('flight-data').textContent);

function bytesOfBase64(text) {
  const binary = atob(text);
  const bytes = new Uint8Array(binary.length);
  for (let i = 0; i < binary.length; ++i) bytes[i] = binary.charCodeAt(i);
  return bytes;
}

// Whole numbers of unit, each after the first a step from the one before.
function valuesOfSteps(steps, unit) {
  const values = new Float64Array(steps.length);
  let whole = 0;
  for (let i = 0; i < steps.length; ++i) {
    whole += steps[i];
    values[i] = whole * unit;
  }
  return values;
}

function decodeFlight(flight) {
  const columns = {};
  for (const name of Object.keys(flight.samples)) columns[name] = valuesOfSteps(flight.samples[name], flight.units[name]);
  const colours = {};
  for (const name of Object.keys(flight.colours)) colours[name] = bytesOfBase64(flight.colours[name]);
  return Object.assign({}, flight, { columns, trackColours: colours, count: columns.t.length });
}

const ANGLES = { heading: 360, pitch: 360, roll: 360 };

// a + f (b - a) in degrees, the short way round.
function angleBetween(a, b, f) {
  let step = (b - a) % 360;
  if (step > 180) step -= 360;
  if (step <= -180) step += 360;
  return a + step * f;
}

// Index of the last sample at or before t (0 before the first).
function sampleIndex(columns, t) {
  const times = columns.t;
  let low = 0;
  let high = times.length - 1;
  if (!(t > times[0])) return 0;
  if (t >= times[high]) return high;
  while (high - low > 1) {
    const middle = (low + high) >> 1;
    if (times[middle] <= t) low = middle; else high = middle;
  }
  return low;
}

// The flight at t seconds from its first fix (clamped to its span): every
// column's value, and the attitude as a THREE.Quaternion.
function flightAt(flight, t) {
  const c = flight.columns;
  const i = sampleIndex(c, t);
  const j = Math.min(i + 1, flight.count - 1);
  const span = c.t[j] - c.t[i];
  const f = span > 0 ? Math.min(Math.max((t - c.t[i]) / span, 0), 1) : 0;
  const sample = { time: Math.min(Math.max(t, 0), flight.duration), index: i };
  for (const name of Object.keys(c)) {
    if (name === 't' || name[0] === 'q') continue;
    sample[name] = ANGLES[name] ? angleBetween(c[name][i], c[name][j], f) : c[name][i] + (c[name][j] - c[name][i]) * f;
  }
  const a = new THREE.Quaternion(c.qx[i], c.qy[i], c.qz[i], c.qw[i]).normalize();
  const b = new THREE.Quaternion(c.qx[j], c.qy[j], c.qz[j], c.qw[j]).normalize();
  sample.attitude = a.slerp(b, f);
  sample.utc = flight.utcStart === null ? null : flight.utcStart + sample.time;
  sample.mode = null;
  for (const m of flight.modes) if (m.t <= sample.time) sample.mode = m;
  return sample;
}
