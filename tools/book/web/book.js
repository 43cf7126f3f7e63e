// The logbook page: the book's flights from the data element, an overview
// drawn on a canvas, a table to sort and filter, totals and trends of what
// the filter leaves.
(function () {
  "use strict";
  const data = JSON.parse(document.getElementById("book-data").textContent);
  const VEHICLE_COLOURS = {
    "multicopter": "#d62728", "fixed-wing": "#1f77b4", "helicopter": "#9467bd", "VTOL": "#ff7f0e",
    "airship": "#8c564b", "rover": "#2ca02c", "boat": "#17becf", "submarine": "#393b79", "unknown": "#555555"
  };
  const flights = data.flights.map(function (f, index) {
    f.index = index;
    f.place = f.lat === null ? "" : f.lat.toFixed(5) + ", " + f.lon.toFixed(5);
    f.findingCount = (f.failures || 0) + (f.warnings || 0);
    f.year = f.start ? f.start.substring(0, 4) : "undated";
    f.colour = VEHICLE_COLOURS[f.vehicle] || VEHICLE_COLOURS.unknown;
    f.searchText = [f.start || "undated", f.place, f.vehicle, f.format, f.firmware, f.path, f.findings]
      .join(" ").toLowerCase();
    return f;
  });
  let shown = flights.slice();
  let sortKey = "start";
  let sortUp = true;
  let selected = -1;

  function hours(seconds) {
    if (seconds === null || seconds === undefined) return "-";
    const s = Math.round(seconds);
    return Math.floor(s / 3600) + ":" + String(Math.floor(s / 60) % 60).padStart(2, "0") + ":" +
      String(s % 60).padStart(2, "0");
  }
  function km(metres) { return metres === null ? "-" : (metres / 1000).toFixed(2) + " km"; }
  function text(tag, content, className) {
    const element = document.createElement(tag);
    element.textContent = content;
    if (className) element.className = className;
    return element;
  }

  // Overview: Web Mercator fitted to the flights shown, a grid of round
  // degrees under it.
  const canvas = document.getElementById("overview");
  const context = canvas.getContext("2d");
  function mercatorY(lat) {
    const clamped = Math.max(-85, Math.min(85, lat)) * Math.PI / 180;
    return Math.log(Math.tan(Math.PI / 4 + clamped / 2)) * 180 / Math.PI;
  }
  let view = null;
  // The reader's zoom and pan over the fitted view, in canvas pixels.
  let zoom = {scale: 1, x: 0, y: 0};
  function fitView(list) {
    let west = Infinity, east = -Infinity, south = Infinity, north = -Infinity;
    list.forEach(function (f) {
      f.track.forEach(function (p) {
        west = Math.min(west, p[1]); east = Math.max(east, p[1]);
        south = Math.min(south, mercatorY(p[0])); north = Math.max(north, mercatorY(p[0]));
      });
    });
    if (!isFinite(west)) return null;
    const pad = Math.max(east - west, north - south, 0.002) * 0.08;
    west -= pad; east += pad; south -= pad; north += pad;
    const scale = Math.min(canvas.width / (east - west), canvas.height / (north - south));
    const x0 = (canvas.width - (east - west) * scale) / 2, y0 = (canvas.height - (north - south) * scale) / 2;
    // What the canvas shows after the zoom, for the grid.
    const shownWest = west + (-zoom.x / zoom.scale - x0) / scale;
    const shownEast = west + ((canvas.width - zoom.x) / zoom.scale - x0) / scale;
    const shownNorth = south + (canvas.height - y0 - (0 - zoom.y) / zoom.scale) / scale;
    const shownSouth = south + (canvas.height - y0 - (canvas.height - zoom.y) / zoom.scale) / scale;
    return {
      west: shownWest, east: shownEast, south: shownSouth, north: shownNorth, scale: scale * zoom.scale,
      x: function (lon) { return zoom.x + zoom.scale * (x0 + (lon - west) * scale); },
      y: function (lat) { return zoom.y + zoom.scale * (canvas.height - y0 - (mercatorY(lat) - south) * scale); }
    };
  }
  // Round degrees with at least 70 pixels between the lines.
  function gridStep(span, pixels) {
    const steps = [0.001, 0.002, 0.005, 0.01, 0.02, 0.05, 0.1, 0.2, 0.5, 1, 2, 5, 10, 20, 45];
    for (let i = 0; i < steps.length; ++i) if (steps[i] / span * pixels >= 70) return steps[i];
    return 90;
  }
  function drawOverview() {
    context.fillStyle = "#e8ede4";
    context.fillRect(0, 0, canvas.width, canvas.height);
    view = fitView(shown);
    if (!view) {
      context.fillStyle = "#666";
      context.font = "16px sans-serif";
      context.fillText("No flight to draw", 20, 30);
      return;
    }
    const lonStep = gridStep(view.east - view.west, (view.east - view.west) * view.scale);
    context.strokeStyle = "#c9d1c2";
    context.fillStyle = "#7a8474";
    context.font = "11px sans-serif";
    context.lineWidth = 1;
    for (let lon = Math.ceil(view.west / lonStep) * lonStep; lon <= view.east; lon += lonStep) {
      const x = Math.round(view.x(lon)) + 0.5;
      context.beginPath(); context.moveTo(x, 0); context.lineTo(x, canvas.height); context.stroke();
      context.fillText(lon.toFixed(lonStep < 0.01 ? 3 : lonStep < 1 ? 2 : 0) + "°", x + 2, canvas.height - 4);
    }
    const latTop = Math.atan(Math.sinh(view.north * Math.PI / 180)) * 180 / Math.PI;
    const latBottom = Math.atan(Math.sinh(view.south * Math.PI / 180)) * 180 / Math.PI;
    const latStep = gridStep(latTop - latBottom, (view.north - view.south) * view.scale);
    for (let lat = Math.ceil(latBottom / latStep) * latStep; lat <= latTop; lat += latStep) {
      const y = Math.round(view.y(lat)) + 0.5;
      context.beginPath(); context.moveTo(0, y); context.lineTo(canvas.width, y); context.stroke();
      context.fillText(lat.toFixed(latStep < 0.01 ? 3 : latStep < 1 ? 2 : 0) + "°", 3, y - 3);
    }
    shown.forEach(function (f) {
      context.strokeStyle = f.index === selected ? "#000000" : f.colour;
      context.lineWidth = f.index === selected ? 3 : 1.5;
      context.beginPath();
      f.track.forEach(function (p, i) {
        if (i === 0) context.moveTo(view.x(p[1]), view.y(p[0])); else context.lineTo(view.x(p[1]), view.y(p[0]));
      });
      context.stroke();
    });
    shown.forEach(function (f) {
      if (f.lat === null) return;
      context.fillStyle = f.colour;
      context.beginPath();
      context.arc(view.x(f.lon), view.y(f.lat), f.index === selected ? 6 : 4, 0, 2 * Math.PI);
      context.fill();
    });
  }
  function canvasPoint(event) {
    const box = canvas.getBoundingClientRect();
    return {x: (event.clientX - box.left) * canvas.width / box.width,
            y: (event.clientY - box.top) * canvas.height / box.height};
  }
  canvas.addEventListener("wheel", function (event) {
    event.preventDefault();
    const p = canvasPoint(event);
    const factor = Math.exp(-event.deltaY * 0.002);
    const scale = Math.min(2000, Math.max(1, zoom.scale * factor));
    zoom.x = p.x - (p.x - zoom.x) * scale / zoom.scale;
    zoom.y = p.y - (p.y - zoom.y) * scale / zoom.scale;
    zoom.scale = scale;
    drawOverview();
  }, {passive: false});
  let drag = null;
  canvas.addEventListener("mousedown", function (event) { drag = {p: canvasPoint(event), moved: false}; });
  window.addEventListener("mouseup", function () { setTimeout(function () { drag = null; }, 0); });
  canvas.addEventListener("mousemove", function (event) {
    if (!drag || !(event.buttons & 1)) return;
    const p = canvasPoint(event);
    if (Math.hypot(p.x - drag.p.x, p.y - drag.p.y) > 3) drag.moved = true;
    if (!drag.moved) return;
    zoom.x += p.x - drag.p.x;
    zoom.y += p.y - drag.p.y;
    drag.p = p;
    drawOverview();
  });
  canvas.addEventListener("dblclick", function () { zoom = {scale: 1, x: 0, y: 0}; drawOverview(); });
  canvas.addEventListener("click", function (event) {
    if (!view || (drag && drag.moved)) return;
    const p = canvasPoint(event);
    const x = p.x, y = p.y;
    let best = -1, bestDistance = 12;
    shown.forEach(function (f) {
      if (f.lat === null) return;
      const d = Math.hypot(view.x(f.lon) - x, view.y(f.lat) - y);
      if (d < bestDistance) { bestDistance = d; best = f.index; }
    });
    select(best);
  });

  function select(index) {
    selected = index;
    drawOverview();
    drawTable();
    const row = document.querySelector("tr[data-index='" + index + "']");
    if (row) row.scrollIntoView({block: "nearest"});
  }

  function compare(a, b) {
    const x = a[sortKey], y = b[sortKey];
    if (x === y) return a.index - b.index;
    if (x === null || x === undefined || x === "") return 1;
    if (y === null || y === undefined || y === "") return -1;
    const order = x < y ? -1 : 1;
    return sortUp ? order : -order;
  }
  function drawTable() {
    const body = document.querySelector("#flights tbody");
    body.textContent = "";
    shown.slice().sort(compare).forEach(function (f) {
      const row = document.createElement("tr");
      row.dataset.index = f.index;
      if (f.index === selected) row.className = "selected";
      row.appendChild(text("td", f.start ? f.start.replace("T", " ").replace("Z", "") : "undated"));
      row.appendChild(text("td", f.place));
      row.appendChild(text("td", f.vehicle + (f.sys ? " (sys " + f.sys + ")" : "")));
      row.appendChild(text("td", hours(f.duration), "num"));
      row.appendChild(text("td", km(f.distance), "num"));
      row.appendChild(text("td", f.maxAlt === null ? "-" : f.maxAlt.toFixed(0) + " m", "num"));
      const counted = (n, word) => n + " " + word + (n === 1 ? "" : "s");
      const reviewed = f.failures !== null;
      const findings = !reviewed ? "not reviewed" :
        counted(f.failures, "failure") + ", " + counted(f.warnings, "warning") + (f.findings ? " (" + f.findings + ")" : "");
      row.appendChild(text("td", findings, "num " + (f.failures > 0 ? "failure" : f.warnings > 0 ? "warning" : "")));
      const file = document.createElement("td");
      if (f.page) {
        const link = document.createElement("a");
        link.href = f.page;
        link.textContent = f.path;
        file.appendChild(link);
      } else {
        file.textContent = f.path;
      }
      row.appendChild(file);
      row.addEventListener("click", function () { select(f.index); });
      body.appendChild(row);
    });
    document.querySelectorAll("#flights th").forEach(function (th) {
      th.className = (th.dataset.key === sortKey ? (sortUp ? "sorted-up" : "sorted-down") : "") +
        (th.classList.contains("num") ? " num" : "");
    });
    document.getElementById("shown").textContent = shown.length + " of " + flights.length + " flights";
  }
  document.querySelectorAll("#flights th").forEach(function (th) {
    if (["duration", "distance", "maxAlt", "findingCount"].indexOf(th.dataset.key) >= 0) th.classList.add("num");
    th.addEventListener("click", function () {
      if (sortKey === th.dataset.key) sortUp = !sortUp; else { sortKey = th.dataset.key; sortUp = true; }
      drawTable();
    });
  });

  function totalsTable(title, groups) {
    const table = document.createElement("table");
    const head = document.createElement("tr");
    [title, "flights", "flying time", "distance"].forEach(function (h) { head.appendChild(text("th", h)); });
    table.appendChild(head);
    Object.keys(groups).sort().forEach(function (key) {
      const g = groups[key];
      const row = document.createElement("tr");
      row.appendChild(text("td", key));
      row.appendChild(text("td", String(g.count), "num"));
      row.appendChild(text("td", hours(g.seconds), "num"));
      row.appendChild(text("td", km(g.metres), "num"));
      table.appendChild(row);
    });
    return table;
  }
  function drawTotals() {
    const all = {}, vehicles = {}, years = {};
    function add(groups, key, f) {
      const g = groups[key] || (groups[key] = {count: 0, seconds: 0, metres: 0});
      g.count += 1; g.seconds += f.duration || 0; g.metres += f.distance || 0;
    }
    shown.forEach(function (f) { add(all, "all", f); add(vehicles, f.vehicle, f); add(years, f.year, f); });
    const box = document.getElementById("totals");
    box.textContent = "";
    box.appendChild(totalsTable("", all));
    box.appendChild(totalsTable("vehicle", vehicles));
    box.appendChild(totalsTable("year", years));
    const total = all.all || {count: 0, seconds: 0, metres: 0};
    document.getElementById("summary").textContent =
      total.count + " flights, " + hours(total.seconds) + " h, " + km(total.metres);
  }

  // One plot per figure: the flights shown in date order along x.
  const TRENDS = [
    {key: "vibration", title: "Maximum vibration (m/s²)",
     note: "The largest value of the review's vibration findings in each flight; a flight without such a " +
           "finding has no point."},
    {key: "sag", title: "Battery sag (V)",
     note: "The highest battery voltage in the log's first minute less the lowest after it: how far the load " +
           "pulled the battery down. Flights without a battery voltage have no point."},
    {key: "duration", title: "Flight time (minutes)", scale: 1 / 60,
     note: "From the first position fix to the last."}
  ];
  function drawTrend(trend, list) {
    const box = document.createElement("div");
    box.className = "trend";
    box.dataset.figure = trend.key;
    box.appendChild(text("h3", trend.title));
    const points = list.filter(function (f) { return f[trend.key] !== null; });
    if (points.length === 0) {
      box.appendChild(text("div", "No flight shown has this figure.", "empty"));
      box.appendChild(text("p", trend.note, "figure-note"));
      return box;
    }
    const ns = "http://www.w3.org/2000/svg";
    const svg = document.createElementNS(ns, "svg");
    const width = 600, height = 120, left = 44, bottom = 16;
    svg.setAttribute("viewBox", "0 0 " + width + " " + height);
    const values = points.map(function (f) { return f[trend.key] * (trend.scale || 1); });
    const top = Math.max.apply(null, values) || 1;
    const x = function (i) { return left + (points.length === 1 ? 0.5 : i / (points.length - 1)) * (width - left - 8); };
    const y = function (v) { return height - bottom - v / top * (height - bottom - 8); };
    [0, top / 2, top].forEach(function (v) {
      const label = document.createElementNS(ns, "text");
      label.setAttribute("x", 2); label.setAttribute("y", y(v) + 4);
      label.setAttribute("font-size", "10"); label.setAttribute("fill", "#666");
      label.textContent = v.toPrecision(3);
      svg.appendChild(label);
    });
    const line = document.createElementNS(ns, "polyline");
    line.setAttribute("points", values.map(function (v, i) { return x(i) + "," + y(v); }).join(" "));
    line.setAttribute("fill", "none"); line.setAttribute("stroke", "#2b6cb0"); line.setAttribute("stroke-width", "1.5");
    svg.appendChild(line);
    values.forEach(function (v, i) {
      const dot = document.createElementNS(ns, "circle");
      dot.setAttribute("cx", x(i)); dot.setAttribute("cy", y(v)); dot.setAttribute("r", 2.5);
      dot.setAttribute("fill", points[i].colour);
      const tip = document.createElementNS(ns, "title");
      tip.textContent = (points[i].start || "undated") + " " + points[i].path + ": " + v.toPrecision(3);
      dot.appendChild(tip);
      dot.addEventListener("click", function () { select(points[i].index); });
      svg.appendChild(dot);
    });
    box.appendChild(svg);
    box.appendChild(text("p", trend.note + " Flights by date, oldest left.", "figure-note"));
    return box;
  }
  function drawTrends() {
    const byDate = shown.slice().sort(function (a, b) {
      if (a.start === b.start) return a.index - b.index;
      if (a.start === null) return 1;
      if (b.start === null) return -1;
      return a.start < b.start ? -1 : 1;
    });
    const box = document.getElementById("trends");
    box.textContent = "";
    TRENDS.forEach(function (trend) { box.appendChild(drawTrend(trend, byDate)); });
  }

  const vehicleFilter = document.getElementById("vehicle-filter");
  Array.from(new Set(flights.map(function (f) { return f.vehicle; }))).sort().forEach(function (v) {
    const option = text("option", v);
    option.value = v;
    vehicleFilter.appendChild(option);
  });
  function applyFilter() {
    const words = document.getElementById("filter").value.toLowerCase().split(/\s+/).filter(Boolean);
    const vehicle = vehicleFilter.value;
    shown = flights.filter(function (f) {
      return (!vehicle || f.vehicle === vehicle) && words.every(function (w) { return f.searchText.indexOf(w) >= 0; });
    });
    zoom = {scale: 1, x: 0, y: 0};
    drawAll();
  }
  function drawAll() { drawOverview(); drawTable(); drawTotals(); drawTrends(); }
  document.getElementById("filter").addEventListener("input", applyFilter);
  vehicleFilter.addEventListener("change", applyFilter);
  drawAll();

  window.logbookPage = {
    ready: true,
    flights: flights.length,
    shown: function () { return shown.length; },
    filter: function (words) { document.getElementById("filter").value = words; applyFilter(); },
    sortBy: function (key) { document.querySelector("#flights th[data-key='" + key + "']").click(); },
    rowPaths: function () {
      return Array.from(document.querySelectorAll("#flights tbody tr td:last-child")).map(function (td) {
        return td.textContent;
      });
    }
  };
})();
