'use strict';
// The page: the scene, one clock for all flights (seconds from the earliest
// first fix), the panel, the timeline, the keys as in the studio, and the
// moment in the address (#t=SECONDS).

const SPEEDS = [0.25, 0.5, 1, 2, 4, 8, 16, 32, 64];
// A frame after a long pause (a hidden tab) moves the clock no further than this.
const LONGEST_FRAME_SECONDS = 0.25;

const clock = { time: 0, speed: 1, paused: false, loop: true };
const flights = page.flights.map(decodeFlight);
const duration = page.duration;
let selected = 0;
let colouring = 'plain';

const element = (id) => document.getElementById(id);
const renderer = new THREE.WebGLRenderer({ antialias: false });
renderer.setPixelRatio(window.devicePixelRatio || 1);
element('view').appendChild(renderer.domElement);
const scene = new THREE.Scene();
scene.background = new THREE.Color(0x9fb8d8);
const behind = flights[0].chaseMetres;
const camera = new THREE.PerspectiveCamera(30, 1, Math.max(0.1, behind / 100), page.skyRadius * 3);
scene.add(new THREE.AmbientLight(0xffffff, 0.5));
const headlight = new THREE.DirectionalLight(0xffffff, 0.6);
camera.add(headlight);
scene.add(camera);
const rig = new CameraRig(camera, renderer.domElement);
buildFlights(scene, flights);
const timeline = new Timeline(element('timeline'), element('tooltip'), flights, duration, (t) => seek(t));

function seek(t) {
  clock.time = Math.min(Math.max(Number(t) || 0, 0), duration);
}

function setSpeed(index) {
  clock.speed = SPEEDS[Math.min(Math.max(index, 0), SPEEDS.length - 1)];
  element('speed').textContent = '\u00d7' + (clock.speed < 1 ? (clock.speed === 0.25 ? '\u00bc' : '\u00bd') : clock.speed);
}

function setPaused(paused) {
  clock.paused = paused;
  element('play').textContent = paused ? 'Play' : 'Pause';
}

function setCamera(mode) {
  rig.setMode(mode);
  element('camera').value = mode;
}

function setColouring(name) {
  colouring = name;
  element('colouring').value = name;
  for (const flight of flights) colourTrack(flight, name);
  const legend = element('legend');
  legend.textContent = '';
  const flight = flights[selected];
  if (name === 'altitude' || name === 'speed') {
    const [low, high] = flight.ranges[name];
    const unit = name === 'altitude' ? ' m' : ' m/s';
    legend.innerHTML = '<div class="ramp"></div><div class="ends"><span></span><span></span></div>';
    legend.querySelectorAll('.ends span')[0].textContent = low.toFixed(0) + unit;
    legend.querySelectorAll('.ends span')[1].textContent = high.toFixed(0) + unit;
  } else if (name === 'mode') {
    const seen = new Set();
    for (const mode of flight.modes) {
      if (seen.has(mode.name)) continue;
      seen.add(mode.name);
      const row = document.createElement('div');
      const swatch = document.createElement('span');
      swatch.className = 'swatch';
      swatch.style.background = mode.colour;
      row.append(swatch, mode.name);
      legend.append(row);
    }
  }
}

// The selected flight's findings, a click seeking to the start of one, and
// the notes on what its log could not tell.
function showReview() {
  const flight = flights[selected];
  const table = element('findings');
  table.textContent = '';
  element('review-title').textContent = 'Review' + (flights.length > 1 ? ': ' + flight.name : '') +
    (flight.review.findings.length ? '' : ' \u2014 no finding in the armed part in the air');
  flight.review.findings.forEach((f) => {
    const row = table.insertRow();
    row.dataset.start = String(f.start);
    const cells = [findingSpan(f), f.severity + ' ' + f.kind, findingValue(f), f.text];
    cells.forEach((text, i) => {
      const cell = row.insertCell();
      cell.textContent = text;
      cell.className = ['when', 'kind', 'value', 'text'][i];
      if (i < 2) cell.style.color = f.colour;
    });
    row.addEventListener('click', () => { seek(flight.offset + f.start); setPaused(true); });
  });
  element('review-notes').textContent = flight.review.notes.map((n) => 'note: ' + n).join('\n');
}

function flightTime(flight) {
  return clock.time - flight.offset;
}

// The link to the moment shown, with a tenth of a second.
function momentHash() {
  return '#t=' + clock.time.toFixed(1);
}

function timeOfHash() {
  const match = /^#t=([0-9]+(?:\.[0-9]*)?)$/.exec(window.location.hash);
  return match ? Number(match[1]) : null;
}

const shownText = {};
function show(id, text) {
  if (shownText[id] === text) return;
  shownText[id] = text;
  element(id).textContent = text;
}

function showNumbers() {
  const flight = flights[selected];
  const numbers = numbersOf(flight, flight.now, page.ground.kind === 'terrain');
  show('v-time', numbers.time);
  element('v-time').dataset.seconds = flight.now.time.toFixed(3);
  show('v-utc', numbers.utc);
  show('v-mode', numbers.mode);
  show('v-altitude', numbers.altitude);
  show('v-above-ground', numbers.aboveGround);
  show('v-ground-speed', numbers.groundSpeed);
  show('v-vertical-speed', numbers.verticalSpeed);
  show('v-heading', numbers.heading);
  show('v-roll', numbers.roll);
  show('v-pitch', numbers.pitch);
  show('v-battery', numbers.battery);
  show('clock', clockText(clock.time) + ' / ' + clockText(duration) + '   ' + flight.format);
  const link = element('moment-link');
  const hash = momentHash();
  if (link.getAttribute('href') !== hash) link.setAttribute('href', hash);
}

function placeLabels() {
  if (flights.length < 2) return;
  const box = renderer.domElement.getBoundingClientRect();
  for (const flight of flights) {
    const at = flight.aircraft.position.clone().project(camera);
    const visible = at.z < 1 && Math.abs(at.x) <= 1 && Math.abs(at.y) <= 1;
    flight.label.style.display = visible ? 'block' : 'none';
    flight.label.style.left = (box.left + (at.x + 1) / 2 * box.width) + 'px';
    flight.label.style.top = (box.top + (1 - at.y) / 2 * box.height - 16) + 'px';
  }
}

function resize() {
  const width = window.innerWidth;
  const height = window.innerHeight;
  renderer.setSize(width, height, false);
  camera.aspect = width / Math.max(height, 1);
  camera.updateProjectionMatrix();
}

let lastFrame = null;
let lastClock = 0;
function renderFrame(now) {
  if (now !== undefined && lastFrame !== null && !clock.paused) {
    clock.time += Math.min((now - lastFrame) / 1000, LONGEST_FRAME_SECONDS) * clock.speed;
    if (clock.time > duration) {
      if (clock.loop) clock.time = 0; else { clock.time = duration; setPaused(true); }
    }
  }
  if (now !== undefined) lastFrame = now;
  for (const flight of flights) flight.now = flightAt(flight, flightTime(flight));
  const followed = flights[selected];
  rig.update(followed.now, followed.chaseMetres, clock.time - lastClock);
  lastClock = clock.time;
  placeAircraft(flights, camera, renderer.domElement.height / renderer.getPixelRatio());
  renderer.render(scene, camera);
  placeLabels();
  showNumbers();
  timeline.draw(clock.time);
}

function onKey(event) {
  if (event.target && event.target.tagName === 'SELECT') return;
  const step = event.shiftKey ? 60 : 5;
  const key = event.key;
  if (key === ' ') setPaused(!clock.paused);
  else if (key === '[') setSpeed(SPEEDS.indexOf(clock.speed) - 1);
  else if (key === ']') setSpeed(SPEEDS.indexOf(clock.speed) + 1);
  else if (key === 'ArrowLeft') seek(clock.time - step);
  else if (key === 'ArrowRight') seek(clock.time + step);
  else if (key === 'Home') seek(0);
  else if (key === 'End') seek(duration);
  else if (key === 'l' || key === 'L') { clock.loop = !clock.loop; element('loop').checked = clock.loop; }
  else if (key >= '1' && key <= '5') setCamera(CAMERA_MODES[Number(key) - 1]);
  else if (key === 'c' || key === 'C') setColouring(COLOURINGS[(COLOURINGS.indexOf(colouring) + 1) % COLOURINGS.length]);
  else if (key === 'Tab') document.body.classList.toggle('bare');
  else return;
  event.preventDefault();
}

function setUpControls() {
  element('play').addEventListener('click', () => setPaused(!clock.paused));
  element('slower').addEventListener('click', () => setSpeed(SPEEDS.indexOf(clock.speed) - 1));
  element('faster').addEventListener('click', () => setSpeed(SPEEDS.indexOf(clock.speed) + 1));
  element('loop').addEventListener('change', (event) => { clock.loop = event.target.checked; });
  element('camera').addEventListener('change', (event) => setCamera(event.target.value));
  element('colouring').addEventListener('change', (event) => setColouring(event.target.value));
  const choice = element('flight');
  flights.forEach((flight, i) => {
    const option = document.createElement('option');
    option.value = String(i);
    option.textContent = flight.name;
    choice.append(option);
    if (flights.length > 1) {
      flight.label = document.createElement('div');
      flight.label.textContent = flight.name;
      flight.label.style.color = flight.colour;
      element('labels').append(flight.label);
    }
  });
  choice.addEventListener('change', (event) => {
    selected = Number(event.target.value);
    element('flight-name').textContent = flights.length > 1 ? flights[selected].name : '';
    setColouring(colouring);
    showReview();
  });
  element('flight-choice').style.display = flights.length > 1 ? 'block' : 'none';
  element('flight-name').textContent = flights.length > 1 ? flights[0].name : '';
  window.addEventListener('keydown', onKey);
  window.addEventListener('resize', resize);
  window.addEventListener('hashchange', () => {
    const t = timeOfHash();
    if (t !== null) { seek(t); setPaused(true); }
  });
}

function describeData() {
  const parts = flights.map((f) => {
    const what = f.kept < f.fixes
      ? f.kept.toLocaleString('en') + ' of ' + f.fixes.toLocaleString('en') + ' fixes kept, every fix within ' +
        f.toleranceMetres.toFixed(1) + ' m and ' + f.toleranceDegrees.toFixed(1) + '\u00b0 of the track shown'
      : 'all ' + f.fixes.toLocaleString('en') + ' fixes';
    return (flights.length > 1 ? f.name + ': ' : '') + what;
  });
  element('thinning').textContent = 'Positions: ' + parts.join('; ') + '.';
  if (page.attribution.trim()) element('attribution').textContent = page.attribution.trim().replace(/\s*\n\s*/g, ' \u00b7 ');
  element('footer').title = element('footer').textContent;
}

async function start() {
  setUpControls();
  describeData();
  showReview();
  setSpeed(SPEEDS.indexOf(1));
  const hashTime = timeOfHash();
  seek(hashTime !== null ? hashTime : page.startTime);
  setPaused(hashTime !== null);
  resize();
  scene.add(await buildGround());
  setColouring('plain');
  const loop = (now) => {
    renderFrame(now);
    requestAnimationFrame(loop);
  };
  requestAnimationFrame(loop);
  window.flightPage.ready = true;
}

// For scripts that drive the page (tests, benchmarks): the clock and one
// frame drawn at once.
window.flightPage = {
  ready: false,
  seek: (t) => seek(t),
  pause: () => setPaused(true),
  play: () => setPaused(false),
  time: () => clock.time,
  renderFrame: () => renderFrame(),
};

start().catch((error) => console.error('flight page: ' + error.message));
