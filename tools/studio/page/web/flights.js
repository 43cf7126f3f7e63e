'use strict';
// Each flight's track and aircraft in the scene.

const COLOURINGS = ['plain', 'altitude', 'speed', 'mode'];
// A model never smaller on screen than this many pixels across, as in the studio.
const MINIMUM_MODEL_PIXELS = 28;

function modelGeometry(model) {
  const corners = new Float32Array(model.millimetres.length);
  for (let i = 0; i < corners.length; ++i) corners[i] = model.millimetres[i] / 1000;
  const triangleColours = bytesOfBase64(model.colours);
  const colours = new Float32Array(corners.length);
  for (let v = 0; v < corners.length / 3; ++v) {
    const t = Math.floor(v / 3);
    for (let c = 0; c < 3; ++c) colours[3 * v + c] = triangleColours[3 * t + c] / 255;
  }
  const geometry = new THREE.BufferGeometry();
  geometry.setAttribute('position', new THREE.BufferAttribute(corners, 3));
  geometry.setAttribute('color', new THREE.BufferAttribute(colours, 3));
  geometry.computeVertexNormals();
  geometry.computeBoundingSphere();
  return geometry;
}

function plainTrackColours(flight) {
  const colour = new THREE.Color(flight.colour);
  const bytes = new Uint8Array(flight.count * 3);
  for (let i = 0; i < flight.count; ++i) {
    bytes[3 * i] = colour.r * 255;
    bytes[3 * i + 1] = colour.g * 255;
    bytes[3 * i + 2] = colour.b * 255;
  }
  return bytes;
}

function buildTrack(flight) {
  const c = flight.columns;
  const positions = new Float32Array(flight.count * 3);
  for (let i = 0; i < flight.count; ++i) {
    positions[3 * i] = c.x[i];
    positions[3 * i + 1] = c.y[i];
    positions[3 * i + 2] = c.z[i];
  }
  const geometry = new THREE.BufferGeometry();
  geometry.setAttribute('position', new THREE.BufferAttribute(positions, 3));
  geometry.setAttribute('color', new THREE.BufferAttribute(new Uint8Array(flight.count * 3), 3, true));
  return new THREE.Line(geometry, new THREE.LineBasicMaterial({ vertexColors: THREE.VertexColors }));
}

function colourTrack(flight, colouring) {
  const colours = colouring === 'plain' ? plainTrackColours(flight) : flight.trackColours[colouring];
  const attribute = flight.track.geometry.getAttribute('color');
  attribute.array.set(colours);
  attribute.needsUpdate = true;
}

// Adds each flight's track and aircraft (flight.track, flight.aircraft) to scene.
function buildFlights(scene, flights) {
  const geometries = page.models.map(modelGeometry);
  for (const flight of flights) {
    flight.track = buildTrack(flight);
    scene.add(flight.track);
    const geometry = geometries[flight.model];
    const model = new THREE.Mesh(geometry, new THREE.MeshLambertMaterial({ vertexColors: THREE.VertexColors,
      side: THREE.DoubleSide }));
    flight.modelRadius = geometry.boundingSphere.radius;
    flight.aircraft = new THREE.Group();
    flight.aircraft.add(model);
    scene.add(flight.aircraft);
  }
}

// Moves each aircraft to its sample and scales it up where it would be
// smaller on screen than MINIMUM_MODEL_PIXELS.
function placeAircraft(flights, camera, heightPixels) {
  const pixelsPerRadian = heightPixels / (2 * Math.tan(camera.fov * Math.PI / 180 / 2));
  for (const flight of flights) {
    const s = flight.now;
    flight.aircraft.position.set(s.x, s.y, s.z);
    flight.aircraft.quaternion.copy(s.attitude);
    const distance = Math.max(camera.position.distanceTo(flight.aircraft.position), 1e-3);
    const pixels = 2 * flight.modelRadius / distance * pixelsPerRadian;
    flight.aircraft.scale.setScalar(pixels > 0 && pixels < MINIMUM_MODEL_PIXELS ? MINIMUM_MODEL_PIXELS / pixels : 1);
  }
}
