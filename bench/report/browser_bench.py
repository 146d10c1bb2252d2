#!/usr/bin/python3
"""A report page in headless Chromium: from navigation start to every chart
drawn, a filter change (reason "Alarmes", then back to all), and the CSV of
all rows, as medians of several loads.

    bench/report/browser_bench.py REPORT.html [RUNS]

bench_report --keep DIR writes a whole-memory report to use.
"""
import os
import statistics
import sys

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "..", "tests", "report"))
from headless import Browser  # noqa: E402

MEASURE = """
var r = window.relatorio, select = document.getElementById('filtro-motivo');
function filterMs(value) {
  var t = performance.now();
  select.value = value;
  select.dispatchEvent(new Event('change'));
  return performance.now() - t;
}
var alarms = filterMs('Alarmes'), all = filterMs('');
var t = performance.now();
var blob = new Blob(['\\ufeff' + r.csv()], {type: 'text/csv;charset=utf-8'});
return [r.readyAt, Math.max(alarms, all), performance.now() - t, blob.size];
"""


def main():
    page = os.path.abspath(sys.argv[1])
    runs = int(sys.argv[2]) if len(sys.argv) > 2 else 7
    browser = Browser()
    figures = []
    try:
        for _ in range(runs):
            browser.open(page)
            browser.run("return 0")
            while not browser.run("return window.relatorio && window.relatorio.readyAt"):
                pass
            figures.append(browser.run(MEASURE))
    finally:
        browser.close()
    ready, filtering, csv, size = (statistics.median(f[i] for f in figures) for i in range(4))
    print(f"page                          {os.path.basename(page)} ({os.path.getsize(page) / 1e6:.2f} MB)")
    print(f"load to every chart drawn     {ready:7.1f} ms (median of {runs}; target 1000 ms)")
    print(f"filter change                 {filtering:7.1f} ms (target 100 ms)")
    print(f"CSV of all rows               {csv:7.1f} ms, {size / 1e6:.2f} MB (target 500 ms)")


if __name__ == "__main__":
    main()
