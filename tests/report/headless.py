"""Headless Chromium through Debian's chromedriver, closed off from the network.

This machine (and CI) has no network, and a Chromium left to itself tries to
reach its maker's services at start; the flags below keep it quiet, so that
every request the performance log shows comes from the page under test.
"""
import json
import os
import shutil
import tempfile

from selenium import webdriver
from selenium.webdriver.chrome.service import Service

CHROMIUM = "/usr/bin/chromium"
CHROMEDRIVER = "/usr/bin/chromedriver"


class Browser:
    def __init__(self, width=1280, height=1000):
        self.profile = tempfile.mkdtemp(prefix="logqvr-chromium-")
        self.downloads = os.path.join(self.profile, "downloads")
        os.mkdir(self.downloads)
        options = webdriver.ChromeOptions()
        options.binary_location = CHROMIUM
        for flag in ("--headless=new", "--no-sandbox", "--disable-gpu",
                     "--disable-background-networking", "--disable-component-update",
                     "--disable-sync", "--no-first-run", "--disable-default-apps",
                     "--disable-dev-shm-usage", f"--window-size={width},{height}",
                     f"--user-data-dir={self.profile}/profile"):
            options.add_argument(flag)
        options.set_capability("goog:loggingPrefs", {"performance": "ALL", "browser": "ALL"})
        options.add_experimental_option("prefs", {
            "download.default_directory": self.downloads,
            "download.prompt_for_download": False,
        })
        self.driver = webdriver.Chrome(service=Service(CHROMEDRIVER), options=options)
        self.driver.execute_cdp_cmd("Browser.setDownloadBehavior",
                                    {"behavior": "allow", "downloadPath": self.downloads})

    def open(self, path):
        self.driver.get_log("performance")  # drop what came before
        self.driver.get_log("browser")
        self.driver.get("file://" + os.path.abspath(path))

    def requests(self):
        """URLs the page asked for since open(), from the DevTools Network events."""
        urls = []
        for entry in self.driver.get_log("performance"):
            message = json.loads(entry["message"])["message"]
            if message.get("method") == "Network.requestWillBeSent":
                urls.append(message["params"]["request"]["url"])
        return urls

    def console_errors(self):
        return [e for e in self.driver.get_log("browser") if e.get("level") == "SEVERE"]

    def run(self, script, *args):
        return self.driver.execute_script(script, *args)

    def close(self):
        self.driver.quit()
        shutil.rmtree(self.profile, ignore_errors=True)
