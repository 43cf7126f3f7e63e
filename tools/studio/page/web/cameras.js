'use strict';
// The studio's cameras: chase from behind and above, cockpit from the
// nose, orbit around the aircraft (drag to turn, wheel to zoom) following
// it, free (the same controls, staying where they are) and top-down with
// north up. Distances in metres.

const CAMERA_MODES = ['chase', 'cockpit', 'orbit', 'free', 'top'];
const CHASE_ABOVE_PER_BEHIND = 22 / 70;
const CHASE_AIM_ABOVE_PER_BEHIND = 3 / 70;
const CHASE_SETTLE_SECONDS = 1.2;
const COCKPIT_AHEAD_METRES = 13;
const COCKPIT_ABOVE_METRES = 2.5;
const UP = new THREE.Vector3(0, 0, 1);

// The compass heading in degrees as a direction in the page's frame.
function headingDirection(degrees) {
  const c = degrees * Math.PI / 180;
  return new THREE.Vector3(-Math.cos(c), Math.sin(c), 0);
}

class CameraRig {
  constructor(camera, element) {
    this.camera = camera;
    this.mode = 'chase';
    // The controls keep the up they are made with.
    camera.up.copy(UP);
    this.controls = new THREE.OrbitControls(camera, element);
    this.controls.minDistance = 2;
    this.controls.maxDistance = 20000;
    this.controls.enableKeys = false;
    this.controls.enablePan = false;
    this.controls.enabled = false;
    this.chaseHeading = null;
    this.topMetres = 350;
    this.lastTarget = null;
    element.addEventListener('wheel', (event) => {
      if (this.mode !== 'top') return;
      this.topMetres = Math.min(Math.max(this.topMetres * (event.deltaY < 0 ? 1 / 1.15 : 1.15), 30), 20000);
      event.preventDefault();
    }, { passive: false });
  }

  setMode(mode) {
    if (mode === this.mode) return;
    this.mode = mode;
    const controlled = mode === 'orbit' || mode === 'free';
    this.controls.enabled = controlled;
    this.camera.up.set(0, 0, 1);
    if (controlled && this.lastTarget) {
      this.controls.target.copy(this.lastTarget);
      this.controls.update();
    }
  }

  // The view of the moment: sample of the followed flight, chase distance
  // behind it, seconds the clock moved since the last view.
  update(sample, behind, step) {
    const position = new THREE.Vector3(sample.x, sample.y, sample.z);
    const camera = this.camera;
    const heading = sample.heading;
    if (this.chaseHeading === null || this.mode !== 'chase') {
      this.chaseHeading = heading;
    } else {
      const f = 1 - Math.exp(-Math.abs(step) / CHASE_SETTLE_SECONDS);
      this.chaseHeading = angleBetween(this.chaseHeading, heading, f);
    }
    if (this.mode === 'chase') {
      const eye = position.clone().addScaledVector(headingDirection(this.chaseHeading), -behind)
        .addScaledVector(UP, behind * CHASE_ABOVE_PER_BEHIND);
      camera.up.copy(UP);
      camera.position.copy(eye);
      camera.lookAt(position.clone().addScaledVector(UP, behind * CHASE_AIM_ABOVE_PER_BEHIND));
    } else if (this.mode === 'cockpit') {
      // The model's nose points along -x and its top along +y.
      const forward = new THREE.Vector3(-1, 0, 0).applyQuaternion(sample.attitude);
      const top = new THREE.Vector3(0, 1, 0).applyQuaternion(sample.attitude);
      const eye = position.clone().addScaledVector(forward, COCKPIT_AHEAD_METRES).addScaledVector(top, COCKPIT_ABOVE_METRES);
      camera.up.copy(top);
      camera.position.copy(eye);
      camera.lookAt(eye.clone().add(forward));
    } else if (this.mode === 'orbit') {
      if (this.lastTarget) camera.position.add(position.clone().sub(this.lastTarget));
      this.controls.target.copy(position);
      this.controls.update();
    } else if (this.mode === 'free') {
      this.controls.update();
    } else {
      camera.up.set(-1, 0, 0);
      camera.position.copy(position).addScaledVector(UP, this.topMetres);
      camera.lookAt(position);
    }
    this.lastTarget = position;
  }
}
