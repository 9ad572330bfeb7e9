#!/usr/bin/python3
"""Click to PDF link on the listing's screen against the command line's time to the same PDF.

Usage: serve_bench.py STOCKREPORTS WORKDIR [RUNS]

The screen's side makes the page's own requests after its Print button: the print, then the
status asked with ?espera=1 until the print has ended and the PDF is offered. Both sides
print the listing with the same values from the same demo database; the best and the median
of RUNS runs are shown.
"""
import json
import os
import re
import shutil
import socket
import statistics
import subprocess
import sys
import time
import urllib.request

STOCKREPORTS, WORK = sys.argv[1], sys.argv[2]
RUNS = int(sys.argv[3]) if len(sys.argv) > 3 else 5
VALUES = {"pDataInicial": "01/01/2026", "pDataFinal": "31/12/2026"}


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def cli_time(db):
    args = [STOCKREPORTS, "print", "stockListing", "--db", db, "-q", "--out", os.path.join(WORK, "cli.pdf")]
    for name, value in VALUES.items():
        args += ["-p", "%s=%s" % (name, value)]
    start = time.perf_counter()
    subprocess.run(args, check=True, stdout=subprocess.DEVNULL)
    return time.perf_counter() - start


class Screen:
    def __init__(self, base):
        self.base = base
        page = urllib.request.urlopen(base + "/relatorio/stockListing").read().decode()
        page_token = re.search(r'name="token" content="([0-9a-f]+)"', page).group(1)
        opened = self.call("POST", "/api/tela", {"relatorio": "stockListing"}, page_token)
        self.api = "/api/tela/" + opened["tela"]
        self.token = opened["token"]
        for name, value in VALUES.items():
            self.call("POST", self.api + "/evento", {"tipo": "alterar", "campo": name, "valor": value})

    def call(self, method, path, body=None, token=None):
        data = None if body is None else json.dumps(body).encode()
        request = urllib.request.Request(self.base + path, data=data, method=method,
                                         headers={"X-Token": token or self.token,
                                                  "Content-Type": "application/json"})
        return json.load(urllib.request.urlopen(request))

    def click_to_pdf(self):
        start = time.perf_counter()
        status = self.call("POST", self.api + "/imprimir")
        while status["estado"] in ("fila", "imprimindo"):
            status = self.call("GET", self.api + "/impressao?espera=1")
        elapsed = time.perf_counter() - start
        assert status["estado"] == "concluido", status
        return elapsed, status["paginas"]


def main():
    shutil.rmtree(WORK, ignore_errors=True)
    os.makedirs(WORK)
    db = os.path.join(WORK, "demo.db")
    subprocess.run([STOCKREPORTS, "demo", "--db", db], check=True, stdout=subprocess.DEVNULL)
    cli = [cli_time(db) for _ in range(RUNS)]
    port = free_port()
    server = subprocess.Popen([STOCKREPORTS, "serve", "--db", db, "--port", str(port)], stdout=subprocess.PIPE,
                              text=True)
    try:
        base = "http://127.0.0.1:%d" % port
        server.stdout.readline()
        screen = Screen(base)
        runs = [screen.click_to_pdf() for _ in range(RUNS)]
    finally:
        server.terminate()
        server.wait(timeout=30)
    web = [t for t, _ in runs]
    print("listing, %d pages, %d runs" % (runs[0][1], RUNS))
    print("  command line to PDF   best %.3f s  median %.3f s" % (min(cli), statistics.median(cli)))
    print("  click to PDF link     best %.3f s  median %.3f s" % (min(web), statistics.median(web)))
    print("  ratio (medians)       %.2f" % (statistics.median(web) / statistics.median(cli)))


if __name__ == "__main__":
    main()
