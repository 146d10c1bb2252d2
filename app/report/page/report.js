// The report page's own script: charts (uPlot), the table of records with
// its filters, and "Baixar CSV", all from the JSON in #dados. It asks for
// nothing outside the page.
(function () {
  'use strict';

  var D = JSON.parse(document.getElementById('dados').textContent);
  var N = D.t.length;
  var REASONS = ['Tempo', 'Alarmes', 'Erros', 'Relés', 'Reset'];
  var ROW_HEIGHT = 22;
  var state = { pending: 0, readyAt: null };
  window.relatorio = state;

  // Each column as a function of the row: numbers as they are, texts out of
  // their dictionary, null where the cell is empty.
  var columns = D.columns.map(function (c, i) {
    var data = D.cols[i];
    var get = Array.isArray(data)
      ? function (r) { return data[r]; }
      : function (r) { var k = data.i[r]; return k < 0 ? null : data.d[k]; };
    return { name: c.name, num: c.num, qty: c.qty, get: get, index: i };
  });
  function column(name) {
    for (var i = 0; i < columns.length; i++) if (columns[i].name === name) return columns[i];
    return null;
  }

  function two(n) { return (n < 10 ? '0' : '') + n; }
  // The device's wall-clock time, carried as if it were UTC.
  function timeText(seconds) {
    if (seconds == null) return '';
    var d = new Date(seconds * 1000);
    return two(d.getUTCDate()) + '/' + two(d.getUTCMonth() + 1) + '/' + d.getUTCFullYear() + ' ' +
      two(d.getUTCHours()) + ':' + two(d.getUTCMinutes()) + ':' + two(d.getUTCSeconds());
  }
  // Shortest exact digits with a decimal comma, as the C++ side writes them.
  function numberText(v) { return v == null ? '' : String(v).replace('.', ','); }
  function cellText(c, r) {
    var v = c.get(r);
    return v == null ? '' : c.num ? numberText(v) : v;
  }

  function finished() {
    if (--state.pending === 0) state.readyAt = performance.now();
  }

  // ---- charts -------------------------------------------------------------
  var charts = [];
  var fullRange = null;
  var syncing = false;

  function chartedRows() {
    var rows = [];
    for (var r = 0; r < N; r++) if (D.t[r] != null && D.ok[r] === 1) rows.push(r);
    rows.sort(function (a, b) { return D.t[a] - D.t[b] || a - b; });
    return rows;
  }

  var COLOURS = ['#1f5fbf', '#d9480f', '#2b8a3e'];
  // The time axis in Portuguese.
  var NAMES = {
    MMMM: ['janeiro', 'fevereiro', 'março', 'abril', 'maio', 'junho', 'julho', 'agosto',
      'setembro', 'outubro', 'novembro', 'dezembro'],
    MMM: ['jan', 'fev', 'mar', 'abr', 'mai', 'jun', 'jul', 'ago', 'set', 'out', 'nov', 'dez'],
    WWWW: ['domingo', 'segunda', 'terça', 'quarta', 'quinta', 'sexta', 'sábado'],
    WWW: ['dom', 'seg', 'ter', 'qua', 'qui', 'sex', 'sáb']
  };

  function chartWidth() {
    var box = document.getElementById('lista-graficos');
    return Math.max(320, Math.min(box.clientWidth || 1000, 1400));
  }

  // Records written for alarms (red) or errors (orange), as marks on the time axis.
  function markerPlugin(rows) {
    var marks = [];
    rows.forEach(function (r) {
      if (D.r[r] & 2) marks.push([D.t[r], '#c92a2a']);
      else if (D.r[r] & 4) marks.push([D.t[r], '#e8590c']);
    });
    return {
      hooks: {
        draw: function (u) {
          var ctx = u.ctx, min = u.scales.x.min, max = u.scales.x.max;
          var bottom = u.bbox.top + u.bbox.height, size = 5 * devicePixelRatio;
          ctx.save();
          marks.forEach(function (m) {
            if (m[0] < min || m[0] > max) return;
            var x = u.valToPos(m[0], 'x', true);
            ctx.fillStyle = m[1];
            ctx.beginPath();
            ctx.moveTo(x, bottom - size * 1.6);
            ctx.lineTo(x - size, bottom);
            ctx.lineTo(x + size, bottom);
            ctx.fill();
          });
          ctx.restore();
        }
      }
    };
  }

  function setRange(min, max) {
    charts.forEach(function (u) { u.setScale('x', { min: min, max: max }); });
  }

  // Shift + drag moves the time window instead of zooming into it.
  function panOnShiftDrag(u) {
    var start = null;
    u.over.addEventListener('mousedown', function (e) {
      if (!e.shiftKey) return;
      // uPlot's own zoom listens on the same element.
      e.stopImmediatePropagation();
      e.preventDefault();
      start = { x: e.clientX, min: u.scales.x.min, max: u.scales.x.max };
    }, true);
    window.addEventListener('mousemove', function (e) {
      if (!start) return;
      var perPixel = (start.max - start.min) / u.bbox.width * devicePixelRatio;
      var shift = (start.x - e.clientX) * perPixel;
      setRange(start.min + shift, start.max + shift);
    });
    window.addEventListener('mouseup', function () { start = null; });
  }

  function makeChart(title, names, xs, rows, steps, slot) {
    var series = [{ label: 'Data e hora', value: function (u, v) { return timeText(v); } }];
    var data = [xs];
    names.forEach(function (name, k) {
      var c = column(name);
      series.push({
        label: name,
        stroke: COLOURS[k % COLOURS.length],
        width: 1.5,
        paths: steps ? uPlot.paths.stepped({ align: 1 }) : undefined,
        value: function (u, v) { return numberText(v); }
      });
      data.push(rows.map(function (r) { return c.get(r); }));
    });
    var first = true;
    state.pending++;
    var u = new uPlot({
      title: title,
      width: chartWidth(),
      height: 240,
      tzDate: function (ts) { return uPlot.tzDate(new Date(ts * 1000), 'Etc/UTC'); },
      fmtDate: function (tpl) { return uPlot.fmtDate(tpl, NAMES); },
      cursor: { sync: { key: 'relatorio' }, drag: { x: true, y: false } },
      scales: { x: { time: true } },
      series: series,
      plugins: [markerPlugin(rows)],
      hooks: {
        draw: [function () { if (first) { first = false; finished(); } }],
        setScale: [function (u, key) {
          if (key !== 'x' || syncing) return;
          syncing = true;
          charts.forEach(function (o) {
            if (o !== u && (o.scales.x.min !== u.scales.x.min || o.scales.x.max !== u.scales.x.max))
              o.setScale('x', { min: u.scales.x.min, max: u.scales.x.max });
          });
          syncing = false;
        }]
      }
    }, data, slot);
    panOnShiftDrag(u);
    return u;
  }

  function buildCharts() {
    var list = document.getElementById('lista-graficos');
    if (!list) return;
    var rows = chartedRows();
    var xs = rows.map(function (r) { return D.t[r]; });
    if (xs.length) fullRange = [xs[0], xs[xs.length - 1]];
    var defs = [
      ['Temperaturas', ['TAMB', 'TMEC']],
      ['Tensões do motor', ['VMT_1', 'VMT_2', 'VMT_3']],
      ['Correntes do motor', ['IMT_1', 'IMT_2', 'IMT_3']],
      ['Posição do tap', ['POSTC'], true]
    ];
    var shown = {};
    defs.forEach(function (d) {
      var slot = document.createElement('div');
      slot.className = 'grafico';
      list.appendChild(slot);
      d[1].forEach(function (n) { shown[n] = true; });
      charts.push(makeChart(d[0], d[1], xs, rows, d[2], slot));
    });
    var otherSlot = document.createElement('div');
    otherSlot.className = 'grafico';
    list.appendChild(otherSlot);
    var picker = document.getElementById('outra-coluna');
    var choices = columns.filter(function (c) { return c.qty && !shown[c.name]; });
    choices.forEach(function (c) {
      var o = document.createElement('option');
      o.textContent = c.name;
      picker.appendChild(o);
    });
    var initial = choices.filter(function (c) { return c.name !== 'UTC' && c.name !== 'Qtde Variaveis'; })[0];
    if (initial) picker.value = initial.name;
    var other = null;
    function showOther() {
      var range = other ? [other.scales.x.min, other.scales.x.max] : null;
      if (other) { charts.splice(charts.indexOf(other), 1); other.destroy(); }
      other = makeChart(picker.value, [picker.value], xs, rows, false, otherSlot);
      charts.push(other);
      if (range) other.setScale('x', { min: range[0], max: range[1] });
    }
    picker.addEventListener('change', showOther);
    if (picker.value) showOther();

    function pan(direction) {
      var u = charts[0];
      if (!u) return;
      var half = (u.scales.x.max - u.scales.x.min) / 2;
      setRange(u.scales.x.min + direction * half, u.scales.x.max + direction * half);
    }
    document.getElementById('zoom-esq').addEventListener('click', function () { pan(-1); });
    document.getElementById('zoom-dir').addEventListener('click', function () { pan(1); });
    document.getElementById('zoom-reset').addEventListener('click', function () {
      if (fullRange) setRange(fullRange[0], fullRange[1]);
    });
    window.addEventListener('resize', function () { fit(chartWidth()); });
  }

  function fit(width) {
    charts.forEach(function (u) { u.setSize({ width: width, height: 240 }); });
  }

  // On paper the charts take the width of an A4 page.
  var screenWidth = null;
  window.addEventListener('beforeprint', function () { screenWidth = chartWidth(); fit(680); });
  window.addEventListener('afterprint', function () { if (screenWidth) fit(screenWidth); });

  // ---- table, filters, CSV ---------------------------------------------
  var searchColumns = columns.filter(function (c) {
    if (D.kind === 'data') return /^(Autodiagnostico|Alarmes|Reles)/.test(c.name);
    return !c.num && c.name !== 'Data' && c.name !== 'Hora';
  });
  var view = [];

  function value(id) { var e = document.getElementById(id); return e ? e.value : ''; }
  function dayStart(text) {
    if (!text) return null;
    var p = text.split('-');
    return Date.UTC(+p[0], +p[1] - 1, +p[2]) / 1000;
  }

  function applyFilters() {
    var reason = value('filtro-motivo'), crc = value('filtro-crc');
    var from = dayStart(value('filtro-de')), to = dayStart(value('filtro-ate'));
    var search = value('filtro-busca').trim().toLowerCase();
    var bit = reason ? 1 << REASONS.indexOf(reason) : 0;
    var rows = [];
    for (var r = 0; r < N; r++) {
      if (bit && !(D.r[r] & bit)) continue;
      if (crc !== '' && D.ok[r] !== +crc) continue;
      if (from != null || to != null) {
        var t = D.t[r];
        if (t == null || (from != null && t < from) || (to != null && t >= to + 86400)) continue;
      }
      if (search) {
        var hit = false;
        for (var k = 0; k < searchColumns.length && !hit; k++) {
          var v = searchColumns[k].get(r);
          hit = v != null && v.toLowerCase().indexOf(search) >= 0;
        }
        if (!hit) continue;
      }
      rows.push(r);
    }
    view = rows;
    document.getElementById('contagem').textContent =
      view.length + ' de ' + N + (N === 1 ? ' registro' : ' registros');
    renderTable(true);
  }

  var table = null, body = null, drawnFirst = -1;

  function buildTable() {
    var box = document.getElementById('tabela');
    table = document.createElement('table');
    var head = document.createElement('thead');
    var tr = document.createElement('tr');
    ['Linha'].concat(columns.map(function (c) { return c.name; })).forEach(function (name) {
      var th = document.createElement('th');
      th.textContent = name;
      tr.appendChild(th);
    });
    head.appendChild(tr);
    table.appendChild(head);
    body = document.createElement('tbody');
    table.appendChild(body);
    box.appendChild(table);
    box.addEventListener('scroll', function () { renderTable(false); });
  }

  function spacer(height) {
    var tr = document.createElement('tr');
    tr.className = 'espaco';
    tr.style.height = height + 'px';
    return tr;
  }

  // Only the rows in sight (and a margin) are in the page: 10380 rows of 43
  // cells would make every filter change slow.
  function renderTable(reset) {
    var box = document.getElementById('tabela');
    if (reset) box.scrollTop = 0;
    var first = Math.max(0, Math.floor(box.scrollTop / ROW_HEIGHT) - 10);
    if (!reset && first === drawnFirst) return;
    drawnFirst = first;
    var count = Math.ceil((box.clientHeight || 500) / ROW_HEIGHT) + 20;
    var last = Math.min(view.length, first + count);
    var fragment = document.createDocumentFragment();
    fragment.appendChild(spacer(first * ROW_HEIGHT));
    for (var i = first; i < last; i++) {
      var r = view[i];
      var tr = document.createElement('tr');
      if (D.ok[r] !== 1) tr.className = 'crc-invalido';
      var td = document.createElement('td');
      td.textContent = r + 1;
      tr.appendChild(td);
      for (var c = 0; c < columns.length; c++) {
        td = document.createElement('td');
        td.textContent = cellText(columns[c], r);
        if (columns[c].num) td.className = 'num';
        tr.appendChild(td);
      }
      fragment.appendChild(tr);
    }
    fragment.appendChild(spacer((view.length - last) * ROW_HEIGHT));
    body.replaceChildren(fragment);
  }

  function csvField(text) {
    return /[;"\r\n]/.test(text) ? '"' + text.replace(/"/g, '""') + '"' : text;
  }

  // The same bytes as the C++ side's CSV: ";" between fields, a decimal comma,
  // CRLF, the byte-order mark added by download().
  function csvText(rows) {
    var lines = [columns.map(function (c) { return csvField(c.name); }).join(';')];
    for (var i = 0; i < rows.length; i++) {
      var r = rows[i], cells = new Array(columns.length);
      for (var c = 0; c < columns.length; c++) {
        var col = columns[c];
        cells[c] = col.num ? numberText(col.get(r)) : csvField(cellText(col, r));
      }
      lines.push(cells.join(';'));
    }
    return lines.join('\r\n') + '\r\n';
  }

  function download() {
    var blob = new Blob(['\ufeff' + csvText(view)], { type: 'text/csv;charset=utf-8' });
    var a = document.createElement('a');
    a.href = URL.createObjectURL(blob);
    a.download = D.file.replace(/\.mdb$/i, '') + '.csv';
    document.body.appendChild(a);
    a.click();
    a.remove();
    setTimeout(function () { URL.revokeObjectURL(a.href); }, 60000);
  }

  function wireFilters() {
    ['filtro-motivo', 'filtro-crc', 'filtro-de', 'filtro-ate'].forEach(function (id) {
      var e = document.getElementById(id);
      if (e) e.addEventListener('change', applyFilters);
    });
    document.getElementById('filtro-busca').addEventListener('input', applyFilters);
    document.getElementById('baixar-csv').addEventListener('click', download);
  }

  state.pending++;
  buildTable();
  wireFilters();
  applyFilters();
  buildCharts();
  state.filter = applyFilters;
  state.ranges = function () {
    return charts.map(function (u) { return [u.scales.x.min, u.scales.x.max]; });
  };
  state.visibleRows = function () { return view.length; };
  state.csv = function () { return csvText(view); };
  finished();
})();
