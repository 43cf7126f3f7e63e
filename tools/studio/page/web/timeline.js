'use strict';
// The timeline: one band per flight over its span on the clock, its flight
// modes in their colours, its altitude as a profile, message ticks (red
// errors, yellow warnings, grey the rest) and event marks (A armed, D
// disarmed, T take-off, L landing; hollow where found in the data), the
// review's findings as bars along the lower edge in their severity's colour
// (red failures in the lowest lane, amber warnings above them, a raised
// tick at each start), the texts near the pointer in a tooltip; a click or
// drag seeks.

const TICK_HOVER_PIXELS = 4;
const TOOLTIP_LINES = 12;

function severityColour(severity) {
  return severity <= 3 ? '#ff594d' : severity === 4 ? '#ffd940' : '#d9d9d9';
}

// "1:23.0 - 1:33.0" of a finding's span (its start alone when it has none).
function findingSpan(f) {
  return clockText(f.start) + (f.end > f.start ? ' - ' + clockText(f.end) : '');
}

// "70 / 60 m/s²": the measured value beside the threshold.
function findingValue(f) {
  const number = (v) => (v === null ? '\u2014' : String(Number(v.toPrecision(4))));
  return number(f.value) + ' / ' + number(f.threshold) + (f.unit ? ' ' + f.unit : '');
}

const EVENT_NAMES = { A: 'Armed', D: 'Disarmed', T: 'Take-off', L: 'Landing' };

class Timeline {
  constructor(canvas, tooltip, flights, duration, seek) {
    this.canvas = canvas;
    this.tooltip = tooltip;
    this.flights = flights;
    this.duration = duration > 0 ? duration : 1;
    this.background = null;
    canvas.addEventListener('pointerdown', (event) => {
      canvas.setPointerCapture(event.pointerId);
      seek(this.timeAt(event.clientX));
    });
    canvas.addEventListener('pointermove', (event) => {
      if (event.buttons & 1) seek(this.timeAt(event.clientX));
      this.showTooltip(event);
    });
    canvas.addEventListener('pointerleave', () => { tooltip.style.display = 'none'; });
  }

  timeAt(clientX) {
    const box = this.canvas.getBoundingClientRect();
    return Math.min(Math.max((clientX - box.left) / Math.max(box.width, 1), 0), 1) * this.duration;
  }

  xOf(clockTime, width) {
    return Math.min(Math.max(clockTime / this.duration, 0), 1) * width;
  }

  // Draws the bands once per size into a picture of their own.
  drawBackground(width, height) {
    const picture = document.createElement('canvas');
    picture.width = width;
    picture.height = height;
    const g = picture.getContext('2d');
    g.fillStyle = '#19202b';
    g.fillRect(0, 0, width, height);
    const band = height / this.flights.length;
    this.flights.forEach((flight, index) => {
      const top = band * index;
      const x0 = this.xOf(flight.offset, width);
      const x1 = Math.max(this.xOf(flight.offset + flight.duration, width), x0 + 1);
      const x = (t) => this.xOf(flight.offset + t, width);
      if (this.flights.length > 1) {
        g.globalAlpha = 0.18;
        g.fillStyle = flight.colour;
        g.fillRect(x0, top, x1 - x0, band);
      }
      flight.modes.forEach((mode, i) => {
        const end = i + 1 < flight.modes.length ? flight.modes[i + 1].t : flight.duration;
        g.globalAlpha = 0.45;
        g.fillStyle = mode.colour;
        g.fillRect(x(mode.t), top, Math.max(x(end) - x(mode.t), 1), band);
        g.globalAlpha = 1;
        if (x(end) - x(mode.t) > g.measureText(mode.name).width + 6) {
          g.fillStyle = '#ffffff';
          g.font = '11px system-ui, sans-serif';
          g.fillText(mode.name, x(mode.t) + 3, top + 12);
        }
      });
      // The altitude, one column a pixel.
      const [low, high] = flight.ranges.altitude;
      const span = high > low ? high - low : 1;
      g.globalAlpha = 0.8;
      g.fillStyle = this.flights.length > 1 ? flight.colour : '#5a8cc7';
      for (let px = Math.floor(x0); px < x1; ++px) {
        const sample = flightAt(flight, (px + 0.5 - x0) / Math.max(x1 - x0, 1) * flight.duration);
        const h = (sample.altitude - low) / span * (band - 16);
        g.fillRect(px, top + band - h, 1, h);
      }
      g.globalAlpha = 1;
      for (const m of flight.messages) {
        g.fillStyle = severityColour(m.severity);
        g.fillRect(Math.round(x(m.t)), top + band / 2, 1, band / 2);
      }
      for (const severity of ['warning', 'failure']) {
        for (const f of flight.review.findings) {
          if (f.severity !== severity) continue;
          const x0 = x(f.start);
          g.fillStyle = f.colour;
          const bottom = top + band - (severity === 'warning' ? 6 : 0);
          g.fillRect(x0, bottom - 6, Math.max(x(f.end) - x0, 4), 6);
          g.fillRect(x0, top + band - 18, 2, 18);
        }
      }
      g.font = 'bold 10px system-ui, sans-serif';
      for (const e of flight.events) {
        g.strokeStyle = g.fillStyle = '#ffffff';
        const cx = x(e.t);
        g.beginPath();
        g.arc(cx, top + 7, 6, 0, 2 * Math.PI);
        if (e.logged) { g.fill(); g.fillStyle = '#000000'; } else { g.stroke(); }
        g.fillText(e.mark, cx - 3.5, top + 10.5);
      }
    });
    return picture;
  }

  // Draws the timeline with the cursor at clockTime.
  draw(clockTime) {
    const box = this.canvas.getBoundingClientRect();
    const width = Math.max(Math.round(box.width), 1);
    const height = Math.max(Math.round(box.height), 1);
    if (this.canvas.width !== width || this.canvas.height !== height || !this.background) {
      this.canvas.width = width;
      this.canvas.height = height;
      this.background = this.drawBackground(width, height);
    }
    const g = this.canvas.getContext('2d');
    g.drawImage(this.background, 0, 0);
    const x = this.xOf(clockTime, width);
    g.fillStyle = '#ff503c';
    g.fillRect(x - 1, 0, 2, height);
  }

  showTooltip(event) {
    const box = this.canvas.getBoundingClientRect();
    const band = box.height / this.flights.length;
    const flight = this.flights[Math.min(Math.floor((event.clientY - box.top) / band), this.flights.length - 1)];
    const near = (t) => Math.abs(this.xOf(flight.offset + t, box.width) - (event.clientX - box.left)) <= TICK_HOVER_PIXELS;
    const lines = [];
    for (const e of flight.events) if (near(e.t)) lines.push(clockText(e.t) + '  ' + EVENT_NAMES[e.mark] + (e.logged ? '' : ' (from the data)'));
    for (const m of flight.messages) if (near(m.t)) lines.push(clockText(m.t) + '  ' + m.text);
    const pointer = event.clientX - box.left;
    for (const f of flight.review.findings) {
      const x0 = this.xOf(flight.offset + f.start, box.width);
      const x1 = Math.max(this.xOf(flight.offset + f.end, box.width), x0 + 4);
      if (pointer >= x0 - TICK_HOVER_PIXELS && pointer <= x1 + TICK_HOVER_PIXELS) {
        lines.push(findingSpan(f) + '  ' + f.severity + ' ' + f.kind + ': ' + f.text + '  (' + findingValue(f) + ')');
      }
    }
    if (!lines.length) {
      this.tooltip.style.display = 'none';
      return;
    }
    this.tooltip.textContent = lines.slice(0, TOOLTIP_LINES).join('\n') +
      (lines.length > TOOLTIP_LINES ? '\n\u2026 ' + (lines.length - TOOLTIP_LINES) + ' more' : '');
    this.tooltip.style.display = 'block';
    this.tooltip.style.left = Math.min(event.clientX + 12, window.innerWidth - 430) + 'px';
    this.tooltip.style.top = (box.top - 10 - this.tooltip.offsetHeight) + 'px';
  }
}
