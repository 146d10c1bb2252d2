#!/usr/bin/python3
"""The report pages in a real browser (headless Chromium), on a real
whole-memory download from the simulator and a reset-log download:

    browser_test.py REPORT_MAKELOGS LOGQVR_REPORT MDB_EXPORT

For each page: no console error and no request beyond the page itself; every
chart drawn; a filter leaves exactly the rows mdb-export says it should; the
CSV that "Baixar CSV" saves holds mdb-export's rows value for value, and the
same bytes as logqvr-report --csv; the print view keeps header, summary and
charts and leaves out the table. One browser session serves both pages.
"""
import csv
import io
import os
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from headless import Browser  # noqa: E402

failures = []


def check(condition, what):
    print(("ok      " if condition else "FAILED  ") + what)
    if not condition:
        failures.append(what)


def mdb_rows(mdb_export, path):
    text = subprocess.run([mdb_export, "-Q", "-d", "\t", path, "LOG"], check=True,
                          capture_output=True, text=True).stdout
    lines = text.split("\n")
    header = lines[0].split("\t")
    return header, [line.split("\t") for line in lines[1:] if line]


def same_value(ours, theirs):
    """A CSV cell (decimal comma) against mdb-export's text of the same cell."""
    if ours == theirs:
        return True
    try:
        return abs(float(ours.replace(",", ".")) - float(theirs)) <= 1e-9 * max(1, abs(float(theirs)))
    except ValueError:
        return False


def csv_rows(data):
    check(data.startswith(b"\xef\xbb\xbf"), "the CSV starts with the UTF-8 byte-order mark")
    text = data[3:].decode("utf-8")
    check("\r\n" in text and "\n" not in text.replace("\r\n", ""), "the CSV ends its lines with CRLF")
    rows = list(csv.reader(io.StringIO(text, newline=""), delimiter=";", quotechar='"'))
    return rows[0], rows[1:]


def wait_for(browser, script, timeout=20):
    end = time.time() + timeout
    while time.time() < end:
        value = browser.run(script)
        if value:
            return value
        time.sleep(0.05)
    return None


def downloaded(browser, name, timeout=20):
    path = os.path.join(browser.downloads, name)
    end = time.time() + timeout
    while time.time() < end:
        if os.path.exists(path) and not os.path.exists(path + ".crdownload"):
            with open(path, "rb") as f:
                return f.read()
        time.sleep(0.05)
    return None


def set_filter(browser, element, value):
    browser.run("var e = document.getElementById(arguments[0]); e.value = arguments[1];"
                "e.dispatchEvent(new Event('change'));", element, value)
    return browser.run("return window.relatorio.visibleRows()")


# A chart is drawn when its canvas holds its first series' colour.
CANVAS_HAS_COLOUR = """
var canvas = arguments[0], want = arguments[1];
var data = canvas.getContext('2d').getImageData(0, 0, canvas.width, canvas.height).data;
var hits = 0;
for (var i = 0; i < data.length; i += 4)
  if (Math.abs(data[i] - want[0]) < 8 && Math.abs(data[i + 1] - want[1]) < 8 &&
      Math.abs(data[i + 2] - want[2]) < 8 && data[i + 3] > 200) hits++;
return hits;
"""


def check_zoom(browser, name):
    """A drag over one chart zooms every chart to the same time window;
    "Restaurar zoom" brings back the whole log."""
    from selenium.webdriver.common.action_chains import ActionChains
    full = browser.run("return window.relatorio.ranges()")
    over = browser.driver.find_elements("css selector", "#lista-graficos .u-over")[0]
    width = over.size["width"]
    ActionChains(browser.driver).move_to_element_with_offset(over, -width // 4, 0).click_and_hold() \
        .move_by_offset(width // 4, 0).release().perform()
    zoomed = browser.run("return window.relatorio.ranges()")
    narrower = zoomed[0][1] - zoomed[0][0] < (full[0][1] - full[0][0]) / 2
    check(narrower and all(r == zoomed[0] for r in zoomed),
          f"{name}: a drag zooms all five charts alike {zoomed[0]} of {full[0]}")
    browser.run("document.getElementById('zoom-reset').click()")
    check(browser.run("return window.relatorio.ranges()") == full, f"{name}: Restaurar zoom shows it all")


def check_page(browser, html, csv_file, mdb, mdb_export, kind):
    name = os.path.basename(html)
    browser.open(html)
    ready = wait_for(browser, "return window.relatorio && window.relatorio.readyAt")
    check(ready is not None, f"{name}: the page finished drawing")
    errors = browser.console_errors()
    check(not errors, f"{name}: no console error {errors}")
    page_url = "file://" + os.path.abspath(html)
    foreign = [u for u in browser.requests() if u != page_url and not u.startswith(("data:", "blob:"))]
    check(not foreign, f"{name}: no request beyond the page itself {foreign[:3]}")

    header, rows = mdb_rows(mdb_export, mdb)
    if kind == "data":
        canvases = browser.driver.find_elements("css selector", "#lista-graficos canvas")
        check(len(canvases) == 5, f"{name}: five charts ({len(canvases)})")
        for canvas in canvases:
            hits = browser.run(CANVAS_HAS_COLOUR, canvas, [0x1f, 0x5f, 0xbf])
            check(hits > 500, f"{name}: a chart's canvas shows its series ({hits} pixels)")
        check_zoom(browser, name)
        motivo = header.index("Motivo Gravação")
        alarms = sum(1 for r in rows if "Alarmes" in r[motivo].split("| "))
        shown = set_filter(browser, "filtro-motivo", "Alarmes")
        check(shown == alarms, f"{name}: the Alarmes filter leaves {shown} rows, mdb-export {alarms}")
        set_filter(browser, "filtro-motivo", "")
    crc = header.index("CRC_Valido")
    bad = sum(1 for r in rows if r[crc] == "0")
    shown = set_filter(browser, "filtro-crc", "0")
    check(shown == bad and bad > 0, f"{name}: the CRC filter leaves {shown} rows, mdb-export {bad}")
    set_filter(browser, "filtro-crc", "")

    browser.run("document.getElementById('baixar-csv').click()")
    saved = downloaded(browser, name[:-len(".html")] + ".csv")
    check(saved is not None, f"{name}: Baixar CSV saved a file")
    if saved is not None:
        csv_header, csv_body = csv_rows(saved)
        check(csv_header == header, f"{name}: the CSV's header is the table's columns")
        check(len(csv_body) == len(rows), f"{name}: the CSV has {len(csv_body)} rows, mdb-export {len(rows)}")
        mismatches = [(i, c) for i, (ours, theirs) in enumerate(zip(csv_body, rows))
                      for c in range(len(header)) if not same_value(ours[c], theirs[c])]
        check(not mismatches, f"{name}: the CSV holds mdb-export's values {mismatches[:3]}")
        with open(csv_file, "rb") as f:
            check(f.read() == saved, f"{name}: the page's CSV and logqvr-report --csv are the same bytes")

    browser.driver.execute_cdp_cmd("Emulation.setEmulatedMedia", {"media": "print"})
    shown = browser.run("""return ['cabecalho', 'resumo', 'graficos', 'firmware', 'registros']
        .filter(function (id) { var e = document.getElementById(id); return e && e.offsetHeight > 0; });""")
    expected = ["cabecalho", "resumo", "graficos"] if kind == "data" else ["cabecalho", "firmware"]
    check(shown == expected, f"{name}: the print view shows {shown}")
    pdf = browser.driver.execute_cdp_cmd("Page.printToPDF", {"paperWidth": 8.27, "paperHeight": 11.69})
    check(len(pdf.get("data", "")) > 1000, f"{name}: prints to an A4 PDF")
    browser.driver.execute_cdp_cmd("Emulation.setEmulatedMedia", {"media": ""})


def main():
    makelogs, report, mdb_export = sys.argv[1:4]
    with tempfile.TemporaryDirectory() as folder:
        made = subprocess.run([makelogs, folder], capture_output=True, text=True)
        if made.returncode == 77:
            print("skipped: " + made.stderr.strip())
            return 77
        check(made.returncode == 0, "the simulator's downloads wrote their files " + made.stderr)
        data_mdb, reset_mdb = made.stdout.split()
        written = subprocess.run([report, data_mdb, reset_mdb, "--csv"], capture_output=True, text=True)
        check(written.returncode == 0, "logqvr-report wrote both reports " + written.stderr)
        data_html, data_csv, reset_html, reset_csv = written.stdout.split("\n")[:4]
        browser = Browser()
        try:
            check_page(browser, data_html, data_csv, data_mdb, mdb_export, "data")
            check_page(browser, reset_html, reset_csv, reset_mdb, mdb_export, "reset")
        finally:
            browser.close()
    print("all checks passed" if not failures else f"{len(failures)} checks failed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
