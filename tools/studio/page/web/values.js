'use strict';
// The numbers of the moment as the studio's panels write them; a value the
// flight does not have is a dash, never 0.

const NONE = '\u2014';

function fixed(value, decimals) {
  const text = value.toFixed(decimals);
  // -0.0 is 0.0.
  return /^-0\.?0*$/.test(text) ? text.slice(1) : text;
}

function signed(value, decimals) {
  const text = fixed(value, decimals);
  return text[0] === '-' ? text : '+' + text;
}

// "m:ss.s", or "h:mm:ss.s" from an hour on.
function clockText(seconds) {
  const tenths = Math.floor(Math.max(seconds, 0) * 10 + 0.5);
  const whole = Math.floor(tenths / 10);
  const pad = (n) => String(n).padStart(2, '0');
  const rest = pad(whole % 60) + '.' + (tenths % 10);
  if (whole >= 3600) return Math.floor(whole / 3600) + ':' + pad(Math.floor(whole / 60) % 60) + ':' + rest;
  return Math.floor(whole / 60) + ':' + rest;
}

// "2026-06-14 10:30:07 UTC" of seconds since 1970.
function utcText(seconds) {
  if (seconds === null || !isFinite(seconds)) return NONE;
  return new Date(Math.floor(seconds) * 1000).toISOString().slice(0, 19).replace('T', ' ') + ' UTC';
}

// "12.0° L" for the left wing down (positive), "12.0° R" for the right.
function rollText(degrees) {
  if (Math.abs(degrees) < 0.05) return '0.0\u00b0';
  return Math.abs(degrees).toFixed(1) + '\u00b0 ' + (degrees > 0 ? 'L' : 'R');
}

function headingText(degrees) {
  return fixed(degrees, 1).padStart(5, '0') + '\u00b0';
}

// The texts of the panel's rows for a sample of flight; ground tells
// whether the height above it is an estimate (flat ground).
function numbersOf(flight, sample, groundKnown) {
  const has = (name) => sample[name] !== undefined;
  const battery = [];
  if (has('voltage')) battery.push(fixed(sample.voltage, 2) + ' V');
  if (has('current')) battery.push(fixed(sample.current, 1) + ' A');
  if (has('mah')) battery.push(fixed(sample.mah, 0) + ' mAh');
  return {
    time: clockText(sample.time),
    utc: utcText(sample.utc),
    mode: sample.mode ? sample.mode.name : NONE,
    altitude: fixed(sample.altitude, 1) + ' m AMSL',
    aboveGround: fixed(sample.aboveGround, 1) + ' m' + (groundKnown ? '' : ' (est.)'),
    groundSpeed: fixed(sample.groundSpeed, 1) + ' m/s (' + fixed(sample.groundSpeed * 3.6, 0) + ' km/h)',
    verticalSpeed: signed(sample.verticalSpeed, 1) + ' m/s',
    heading: flight.hasAttitude ? headingText(sample.heading) : NONE,
    roll: flight.hasAttitude ? rollText(sample.roll) : NONE,
    pitch: flight.hasAttitude ? signed(sample.pitch, 1) + '\u00b0' : NONE,
    battery: battery.length ? battery.join('  ') : NONE,
  };
}
