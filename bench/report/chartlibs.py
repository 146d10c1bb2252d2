#!/usr/bin/python3
"""The two candidate chart libraries on the report's worst case: 10380 points
in three series, in headless Chromium. Prints, for each, the size of the file
the report would embed, the time from navigation start to the chart drawn,
and the time from a zoom to the chart redrawn, as medians of several page loads.

    bench/report/chartlibs.py [RUNS]

dygraphs from Debian's libjs-dygraphs, uPlot from node_modules (npm ci).
"""
import os
import statistics
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "..", "tests", "report"))
from headless import Browser  # noqa: E402

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
LIBS = {
    "dygraphs": ("/usr/share/javascript/dygraphs/dygraph.min.js",
                 "/usr/share/javascript/dygraphs/dygraph.min.css"),
    "uPlot": (os.path.join(ROOT, "node_modules/uplot/dist/uPlot.iife.min.js"),
              os.path.join(ROOT, "node_modules/uplot/dist/uPlot.min.css")),
}

# A seeded random walk, the same for both, made before the clock starts.
DATA = """
var N = 10380, seed = 7;
function rnd() { seed = (seed * 16807) % 2147483647; return seed / 2147483647; }
var xs = [], a = [], b = [], c = [], t0 = 1700000000, va = 20, vb = 30, vc = 40;
for (var i = 0; i < N; i++) {
  xs.push(t0 + i * 600); va += rnd() - 0.5; vb += rnd() - 0.5; vc += rnd() - 0.5;
  a.push(va); b.push(vb); c.push(vc);
}
"""

DRAW = {
    "dygraphs": """
var rows = new Array(N);
for (var i = 0; i < N; i++) rows[i] = [new Date(xs[i] * 1000), a[i], b[i], c[i]];
var first = true;
var g = new Dygraph(document.getElementById('c'), rows, {
  width: 1100, height: 300, labels: ['t', 'a', 'b', 'c'], labelsUTC: true,
  drawCallback: function () {
    window.lastDraw = performance.now();
    if (first) { first = false; window.drawnAt = window.lastDraw; }
  }
});
window.zoom = function (done) {
  var t = performance.now();
  g.updateOptions({dateWindow: [xs[1000] * 1000, xs[5000] * 1000]});
  setTimeout(function () { done(window.lastDraw - t); }, 0);
};
""",
    "uPlot": """
var u = new uPlot({width: 1100, height: 300, series: [{}, {label: 'a', stroke: 'red'},
  {label: 'b', stroke: 'blue'}, {label: 'c', stroke: 'green'}],
  hooks: {draw: [function () {
    window.lastDraw = performance.now();
    if (!window.drawnAt) window.drawnAt = window.lastDraw;
  }]}},
  [xs, a, b, c], document.getElementById('c'));
window.zoom = function (done) {
  var t = performance.now();
  u.setScale('x', {min: xs[1000], max: xs[5000]});
  setTimeout(function () { done(window.lastDraw - t); }, 0);
};
""",
}


def page(name, folder):
    js, css = LIBS[name]
    with open(js, encoding="utf-8") as f:
        lib = f.read()
    with open(css, encoding="utf-8") as f:
        style = f.read()
    path = os.path.join(folder, name + ".html")
    with open(path, "w", encoding="utf-8") as f:
        f.write("<!DOCTYPE html><html><head><meta charset='utf-8'><style>" + style +
                "</style></head><body><div id='c'></div><script>" + lib + "</script><script>" +
                DATA + "</script><script>" + DRAW[name] + "</script></body></html>")
    return path, os.path.getsize(js)


def main():
    runs = int(sys.argv[1]) if len(sys.argv) > 1 else 7
    browser = Browser()
    try:
        with tempfile.TemporaryDirectory() as folder:
            print(f"{'library':10} {'file (KiB)':>10} {'load to drawn (ms)':>19} {'zoom redraw (ms)':>17}")
            for name in LIBS:
                path, size = page(name, folder)
                drawn, zoom = [], []
                for _ in range(runs):
                    browser.open(path)
                    drawn.append(browser.run("return window.drawnAt"))
                    zoom.append(browser.driver.execute_async_script(
                        "window.zoom(arguments[arguments.length - 1])"))
                print(f"{name:10} {size / 1024:10.1f} {statistics.median(drawn):19.1f} "
                      f"{statistics.median(zoom):17.1f}")
    finally:
        browser.close()


if __name__ == "__main__":
    main()
