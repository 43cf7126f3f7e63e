'use strict';
// The ground and the sky in the page's frame: metres, +x south, +y east,
// +z up, from the north-west corner of the map frame's centre tile.

function terrainLevelMesh(level, ground, texture) {
  const s = level.subdivisions;
  const side = 7 * s + 1;
  const heights = new Int16Array(bytesOfBase64(level.heights).buffer);
  const step = level.span / s;
  const atlas = ground.atlas;
  const positions = new Float32Array(side * side * 3);
  const uvs = new Float32Array(side * side * 2);
  for (let i = 0; i < side; ++i) {
    for (let j = 0; j < side; ++j) {
      const k = i * side + j;
      positions[3 * k] = (level.north + i * step) * page.metresPerUnit;
      positions[3 * k + 1] = (level.west + j * step) * page.metresPerUnit;
      positions[3 * k + 2] = heights[k] + level.zoom * ground.lift;
      uvs[2 * k] = (level.slot[0] + (j / (side - 1)) * atlas.levelPixels) / atlas.width;
      uvs[2 * k + 1] = 1 - (level.slot[1] + (i / (side - 1)) * atlas.levelPixels) / atlas.height;
    }
  }
  const indices = [];
  for (let i = 0; i + 1 < side; ++i) {
    for (let j = 0; j + 1 < side; ++j) {
      const ti = Math.floor(i / s);
      const tj = Math.floor(j / s);
      // The inner 3 x 3 tiles belong to the finer level.
      if (level.hole && ti >= 2 && ti <= 4 && tj >= 2 && tj <= 4) continue;
      const nw = i * side + j;
      const sw = nw + side;
      indices.push(nw, sw, sw + 1, nw, sw + 1, nw + 1);
    }
  }
  const geometry = new THREE.BufferGeometry();
  geometry.setIndex(indices);
  geometry.setAttribute('position', new THREE.BufferAttribute(positions, 3));
  geometry.setAttribute('uv', new THREE.BufferAttribute(uvs, 2));
  // Finer levels lie over the coarser ones where they overlap, also far
  // away where the depth buffer cannot tell their 0.1 m apart.
  const material = new THREE.MeshBasicMaterial({ map: texture, side: THREE.DoubleSide, polygonOffset: true,
    polygonOffsetFactor: -(level.zoom - 12), polygonOffsetUnits: -4 * (level.zoom - 12) });
  return new THREE.Mesh(geometry, material);
}

// Lines every metre, 10 m, 100 m and kilometre, each fading out where its
// lines come closer on screen than a few pixels.
const GRID_VERTEX = `
varying vec2 ground;
void main() {
  ground = position.xy;
  gl_Position = projectionMatrix * modelViewMatrix * vec4(position, 1.0);
}`;
const GRID_FRAGMENT = `
varying vec2 ground;
float lines(float spacing, float width) {
  vec2 perPixel = fwidth(ground) / spacing;
  vec2 distance = abs(fract(ground / spacing - 0.5) - 0.5) / max(perPixel, 1e-6);
  float line = 1.0 - clamp(min(distance.x, distance.y) - width * 0.5 + 0.5, 0.0, 1.0);
  float fade = clamp((1.0 / max(perPixel.x, perPixel.y) - 4.0) / 12.0, 0.0, 1.0);
  return line * fade;
}
void main() {
  vec3 colour = vec3(112.0, 122.0, 104.0) / 255.0;
  colour = mix(colour, vec3(140.0, 150.0, 132.0) / 255.0, lines(1.0, 1.0));
  colour = mix(colour, vec3(155.0, 164.0, 146.0) / 255.0, lines(10.0, 1.0));
  colour = mix(colour, vec3(168.0, 176.0, 160.0) / 255.0, lines(100.0, 1.5));
  colour = mix(colour, vec3(225.0, 228.0, 220.0) / 255.0, lines(1000.0, 3.0));
  gl_FragColor = vec4(colour, 1.0);
}`;

function flatGround(ground) {
  const size = ground.size * page.metresPerUnit;
  const geometry = new THREE.PlaneBufferGeometry(size, size, 1, 1);
  geometry.translate((ground.north * page.metresPerUnit) + size / 2, (ground.west * page.metresPerUnit) + size / 2,
                     ground.height);
  const material = new THREE.ShaderMaterial({ vertexShader: GRID_VERTEX, fragmentShader: GRID_FRAGMENT,
    side: THREE.DoubleSide, extensions: { derivatives: true } });
  return new THREE.Mesh(geometry, material);
}

// The sky sphere as the studio maps its picture: around +z from +x, the
// picture's bottom at the nadir. Its rows more than 30 degrees below the
// horizon lie under the ground from every height a flight is seen from,
// and are left out.
function skyDome(texture, radius) {
  const rows = 20;
  const lowest = 6;
  const segments = 40;
  const positions = [];
  const uvs = [];
  for (let r = lowest; r <= rows; ++r) {
    const latitude = -Math.PI / 2 + Math.PI * r / rows;
    for (let s = 0; s <= segments; ++s) {
      const angle = 2 * Math.PI * s / segments;
      positions.push(Math.cos(angle) * Math.cos(latitude) * radius, Math.sin(angle) * Math.cos(latitude) * radius,
                     Math.sin(latitude) * radius);
      uvs.push(s / segments, r / rows);
    }
  }
  const indices = [];
  for (let r = 0; r < rows - lowest; ++r) {
    for (let s = 0; s < segments; ++s) {
      const a = r * (segments + 1) + s;
      const b = a + segments + 1;
      indices.push(a, a + 1, b + 1, a, b + 1, b);
    }
  }
  const geometry = new THREE.BufferGeometry();
  geometry.setIndex(indices);
  geometry.setAttribute('position', new THREE.Float32BufferAttribute(positions, 3));
  geometry.setAttribute('uv', new THREE.Float32BufferAttribute(uvs, 2));
  // Drawn last, where the ground left the sky to be seen: software WebGL
  // then shades only those pixels.
  const material = new THREE.MeshBasicMaterial({ map: texture, side: THREE.DoubleSide, depthWrite: false });
  const sky = new THREE.Mesh(geometry, material);
  sky.renderOrder = 1;
  return sky;
}

// Promise of a texture from a data: URL, mipmapped. The nearest mipmap
// level, not a blend of two, and no anisotropic filtering: software WebGL
// draws the frame in half the time, and the ground looks much the same.
function loadTexture(url) {
  return new Promise((resolve, reject) => {
    new THREE.TextureLoader().load(url, (texture) => {
      texture.minFilter = THREE.LinearMipmapNearestFilter;
      resolve(texture);
    }, undefined, () => reject(new Error('a picture of the page does not decode')));
  });
}

// Promise of the ground and sky as one group.
async function buildGround() {
  const group = new THREE.Group();
  const ground = page.ground;
  const [sky, atlas] = await Promise.all([loadTexture(page.sky),
    ground.kind === 'terrain' ? loadTexture(ground.atlas.url) : Promise.resolve(null)]);
  group.add(skyDome(sky, page.skyRadius));
  if (ground.kind === 'terrain') {
    for (const level of ground.levels) group.add(terrainLevelMesh(level, ground, atlas));
  } else {
    group.add(flatGround(ground));
  }
  return group;
}
